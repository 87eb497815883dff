#include "tools/wmp-sim/GeneratedCollection.h"

#include <fstream>

namespace vantor::wmpsim {

namespace {

constexpr const char* kVideoClass = "DB9830BD-3AB3-4FAB-8A37-1A995F7FF74B";
constexpr const char* kRecordedTvClass = "BA7F258A-62F7-47A9-B21F-4651C42A000E";
constexpr const char* kGenres[] = {"Rock", "(13)", "17", "", "Jazz", "(9)Heavy"};

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The class id as players write it in the wild: with or without braces, in either case.
std::string ClassId(const char* id, int variant) {
    switch (variant % 4) {
        case 0:
            return std::string("{") + id + "}";
        case 1:
            return Lower(id);
        case 2:
            return "{" + Lower(id) + "}";
        default:
            return id;
    }
}

}  // namespace

std::vector<CAttributes> GenerateCollection(int count, const std::string& music) {
    std::vector<CAttributes> entries;
    entries.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        CAttributes entry;
        switch (i % 10) {
            case 6:
                entry = {{"MediaType", "video"},
                         {"Title", "Film " + n},
                         {"WM/Genre", i % 20 == 6 ? "" : "Drama"},
                         {"SourceURL", music + "/Videos/Film " + n + ".wmv"}};
                break;
            case 7: {
                entry = {{"MediaType", "video"},
                         {"Title", "Show " + std::to_string(i % 20)},
                         {"WM/Genre", "News"},
                         {"SubTitleDescription", "About " + n},
                         {"WM/MediaOriginalChannel", std::to_string(i % 9 + 1)},
                         {"WM/MediaStationName", "Station " + std::to_string(i % 9 + 1)},
                         {"RecordingTime", "2026-11-" + std::to_string(i % 28 + 1) + " 20:00"},
                         {"WM/ParentalRating", "PG"},
                         {"WM/MediaClassPrimaryID", ClassId(kVideoClass, i / 10)},
                         {"WM/MediaClassSecondaryID", ClassId(kRecordedTvClass, i / 10 + 1)},
                         {"SourceURL", music + "/Recorded TV/Show " + n + ".dvr-ms"}};
                if (i % 3 != 0) entry["WM/SubTitle"] = "Episode " + n;
                break;
            }
            case 8:
                entry = {{"MediaType", "playlist"},
                         {"Title", "Playlist " + n},
                         {"SourceURL", music + "/Playlists/Playlist " + n + ".wpl"}};
                break;
            case 9:
                entry = {{"MediaType", i % 20 == 9 ? "photo" : "radio"},
                         {"Title", "Skipped " + n},
                         {"SourceURL", music + "/Other/" + n}};
                break;
            default: {
                const std::string artist = i % 53 == 0 ? "" : "Artist " + std::to_string(i % 37);
                const std::string album = i % 59 == 0 ? "" : "Album " + std::to_string(i % 91);
                entry = {{"MediaType", "audio"},
                         {"Title", i % 101 == 1 ? "Пісня " + n : "Song " + n},
                         {"Author", artist},
                         {"WM/AlbumTitle", album},
                         {"WM/Genre", kGenres[i % 6]},
                         {"WM/TrackNumber", i % 7 == 0 ? std::to_string(i % 15 + 1) + "/15"
                                                       : std::to_string(i % 15 + 1)},
                         {"Duration", std::to_string(120 + i % 200)},
                         {"UserRating", std::to_string(i % 5 * 25)},
                         {"WM/WMCollectionID", "{" + std::to_string(i % 91) + "}"},
                         {"SourceURL", music + "/" + artist + "/" + album + "/" + n + ".wma"}};
                break;
            }
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool WriteCollectionFile(const std::vector<CAttributes>& entries, const std::string& path) {
    std::ofstream out(path, std::ios::trunc);
    for (const CAttributes& entry : entries) {
        for (const auto& [name, value] : entry) {
            out << name << '=' << value << '\n';
        }
        out << '\n';
    }
    return out.good();
}

}  // namespace vantor::wmpsim
