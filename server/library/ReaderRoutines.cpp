#include "server/library/ReaderRoutines.h"

#include "server/library/store/TextFolding.h"

#include <array>
#include <cstdio>

namespace vantor {

namespace {

// The players' own spelling: several names lack the spaces of the commonly published list.
constexpr std::array<const char*, 126> kId3Genres = {"Blues",
                                                     "Classic Rock",
                                                     "Country",
                                                     "Dance",
                                                     "Disco",
                                                     "Funk",
                                                     "Grunge",
                                                     "Hip-Hop",
                                                     "Jazz",
                                                     "Metal",
                                                     "NewAge",
                                                     "Oldies",
                                                     "Other",
                                                     "Pop",
                                                     "R&B",
                                                     "Rap",
                                                     "Reggae",
                                                     "Rock",
                                                     "Techno",
                                                     "Industrial",
                                                     "Alternative",
                                                     "Ska",
                                                     "DeathMetal",
                                                     "Pranks",
                                                     "Soundtrack",
                                                     "Euro-Techno",
                                                     "Ambient",
                                                     "Trip-Hop",
                                                     "Vocal",
                                                     "Jazz+Funk",
                                                     "Fusion",
                                                     "Trance",
                                                     "Classical",
                                                     "Instrumental",
                                                     "Acid",
                                                     "House",
                                                     "Game",
                                                     "SoundClip",
                                                     "Gospel",
                                                     "Noise",
                                                     "AlternRock",
                                                     "Bass",
                                                     "Soul",
                                                     "Punk",
                                                     "Space",
                                                     "Meditative",
                                                     "InstrumentalPop",
                                                     "InstrumentalRock",
                                                     "Ethnic",
                                                     "Gothic",
                                                     "Darkwave",
                                                     "Techno-Industrial",
                                                     "Electronic",
                                                     "Pop-Folk",
                                                     "Eurodance",
                                                     "Dream",
                                                     "SouthernRock",
                                                     "Comedy",
                                                     "Cult",
                                                     "Gangsta",
                                                     "Top40",
                                                     "ChristianRap",
                                                     "Pop/Funk",
                                                     "Jungle",
                                                     "NativeAmerican",
                                                     "Cabaret",
                                                     "NewWave",
                                                     "Psychadelic",
                                                     "Rave",
                                                     "Showtunes",
                                                     "Trailer",
                                                     "Lo-Fi",
                                                     "Tribal",
                                                     "AcidPunk",
                                                     "AcidJazz",
                                                     "Polka",
                                                     "Retro",
                                                     "Musical",
                                                     "Rock&Roll",
                                                     "HardRock",
                                                     "Folk",
                                                     "Folk-Rock",
                                                     "NationalFolk",
                                                     "Swing",
                                                     "FastFusion",
                                                     "Bebob",
                                                     "Latin",
                                                     "Revival",
                                                     "Celtic",
                                                     "Bluegrass",
                                                     "Avantgarde",
                                                     "GothicRock",
                                                     "ProgressiveRock",
                                                     "PsychedelicRock",
                                                     "SymphonicRock",
                                                     "SlowRock",
                                                     "BigBand",
                                                     "Chorus",
                                                     "EasyListening",
                                                     "Acoustic",
                                                     "Humour",
                                                     "Speech",
                                                     "Chanson",
                                                     "Opera",
                                                     "ChamberMusic",
                                                     "Sonata",
                                                     "Symphony",
                                                     "BootyBass",
                                                     "Primus",
                                                     "PornGroove",
                                                     "Satire",
                                                     "SlowJam",
                                                     "Club",
                                                     "Tango",
                                                     "Samba",
                                                     "Folklore",
                                                     "Ballad",
                                                     "PowerBallad",
                                                     "RhythmicSoul",
                                                     "Freestyle",
                                                     "Duet",
                                                     "PunkRock",
                                                     "DrumSolo",
                                                     "Acapella",
                                                     "Euro-House",
                                                     "DanceHall"};

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// Digits only; numbers too long for a genre read as out of range rather than overflowing.
long ParseGenreNumber(std::string_view digits) {
    long value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value > 100000) return -1;
    }
    return value;
}

}  // namespace

std::string Id3GenreName(long number) {
    if (number < 0 || number >= static_cast<long>(kId3Genres.size())) return std::string();
    return kId3Genres[static_cast<size_t>(number)];
}

std::string NormalizeTrackNumber(std::string_view text) {
    if (text.empty()) return std::string();
    std::string compact;
    for (char c : text) {
        if (c != ' ') compact += c;
    }
    compact = compact.substr(0, 2);
    int value = 0;
    for (char c : compact) {
        if (c >= '0' && c <= '9') value = value * 10 + (c - '0');
    }
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

std::string ResolveGenre(std::string_view text) {
    std::string_view genre = TrimWhiteSpace(text);
    if (!genre.empty() && genre.front() == '(') {
        size_t close = genre.find(')', 1);
        if (close != std::string_view::npos) {
            std::string_view number = genre.substr(1, close - 1);
            if (AllDigits(number)) {
                if (close + 1 == genre.size()) return Id3GenreName(ParseGenreNumber(number));
                return std::string(genre.substr(close + 1));
            }
        }
        return std::string(genre);
    }
    if (AllDigits(genre)) return Id3GenreName(ParseGenreNumber(genre));
    return std::string(genre);
}

}  // namespace vantor
