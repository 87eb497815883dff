#pragma once

#include <string>
#include <string_view>

namespace vantor {

// Routines every library reader applies to audio tracks, so that all players' libraries
// sort and group alike.

// "7" -> "07", "12/15" -> "12", "123" -> "12", " 3 " -> "03", "" stays "".
std::string NormalizeTrackNumber(std::string_view text);

// Resolves ID3 genre references: "(17)" -> "Rock", "(17)Indie" -> "Indie", "17" -> "Rock";
// other texts come back trimmed and otherwise unchanged.
std::string ResolveGenre(std::string_view text);

// The ID3 genre name of 0..125; the empty text otherwise.
std::string Id3GenreName(long number);

inline constexpr const char* kUnknownGenre = "Unknown Genre";
inline constexpr const char* kUnknownArtist = "Unknown Artist";
inline constexpr const char* kUnknownAlbum = "Unknown Album";

}  // namespace vantor
