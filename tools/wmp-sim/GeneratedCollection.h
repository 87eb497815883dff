#pragma once

#include <map>
#include <string>
#include <vector>

namespace vantor::wmpsim {

using CAttributes = std::map<std::string, std::string>;

// A media collection of `count` entries for tests, demos and benchmarks, the same for the
// same count: audio tracks (some without artist, album or genre, numeric and parenthesised
// genres, "n/m" track numbers, names in other scripts), videos, recorded TV with and without
// subtitles and with the class ids written with and without braces and in either case,
// playlists, and photos and radio entries that a reader must skip. Files live below
// `musicFolder`.
std::vector<CAttributes> GenerateCollection(int count, const std::string& musicFolder);

// Writes entries as a collection file ("Attribute=Value" lines, an empty line after each).
bool WriteCollectionFile(const std::vector<CAttributes>& entries, const std::string& path);

}  // namespace vantor::wmpsim
