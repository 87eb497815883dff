#pragma once

#include <cstddef>
#include <string>

namespace vantor {

// The picture embedded in an audio file: the front cover when there is one, else the first
// picture. Knows ID3v2 (MP3), FLAC, MP4/M4A and Ogg (Vorbis, Opus) files. Empty when the
// file has none, cannot be read, or the picture is larger than `maxBytes`. Any thread.
std::string ReadEmbeddedPicture(const std::string& path, size_t maxBytes);

}  // namespace vantor
