#pragma once

// Writes tagged audio files without an encoder: one untagged MP3 stream is encoded once and
// every file is that stream behind a freshly built ID3v2.4 tag. Cheap enough to make
// thousands of distinct tracks.

#include <string>

namespace vantor::test {

struct GeneratedTrack;

// An ID3v2.4 tag (UTF-8 text frames) with the track's non-empty tags and, when `png` is not
// empty, that picture as the front cover.
std::string MakeId3Tag(const GeneratedTrack& track, const std::string& png = "");

// Writes tag + audio to `path`, creating its folder. False when the file cannot be written.
bool WriteTaggedFile(const std::string& path, const std::string& tag, const std::string& audio);

}  // namespace vantor::test
