#include "server/library/tree/MediaTree.h"

#include "protocol/ResultCodes.h"

#include <vector>

namespace vantor {

namespace {

enum class State {
    Root,
    Music,
    Radio,
    Videos,
    TV,
    Pictures,
    Genres,
    Artists,
    Albums,
    Playlists,
    Tracks,
    TVShows,
    Search,
    Invalid
};

struct Walk {
    State state = State::Root;
    int32_t genre = -1;
    int32_t artist = -1;
    int32_t album = -1;
    int32_t playlistFolder = -1;
    int32_t radioFolder = -1;
    int32_t series = -1;
    int32_t order = kMediaMusic;
    std::string searchText;
};

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> segments;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t next = path.find('\\', pos);
        if (next == std::string::npos) next = path.size();
        // Empty segments (doubled or trailing separators) name nothing and are passed over.
        if (next > pos) segments.push_back(path.substr(pos, next - pos));
        pos = next + 1;
    }
    return segments;
}

std::string JoinPath(const std::vector<std::string>& segments) {
    std::string path;
    for (const std::string& segment : segments) path += "\\" + segment;
    return path;
}

std::unique_ptr<CMediaItem> Entry(int32_t type, const std::string& name) {
    auto item = std::make_unique<CMediaItem>(type);
    item->name = name;
    return item;
}

void AppendNames(MediaItemList& out, int32_t type, const StringArray& names) {
    for (const std::string& name : names) out.push_back(Entry(type, name));
}

void Append(MediaItemList& out, MediaItemList& more) {
    for (auto& item : more) out.push_back(std::move(item));
    more.clear();
}

// Runs one transition; the path may be rewritten (Podcasts).
void Step(IMediaDataStore& store, Walk& walk, const std::vector<std::string>& segments,
          size_t index, std::string& path) {
    const std::string& segment = segments[index];
    auto lookup = [&](int32_t type, int32_t& id, State next) {
        id = store.GetItemId(type, segment);
        walk.state = id < 0 ? State::Invalid : next;
    };
    switch (walk.state) {
        case State::Root:
            if (segment == "Music")
                walk.state = State::Music;
            else if (segment == "Radio")
                walk.state = State::Radio;
            else if (segment == "Videos")
                walk.state = State::Videos;
            else if (segment == "TV")
                walk.state = State::TV;
            else if (segment == "Pictures")
                walk.state = State::Pictures;
            else
                walk.state = State::Invalid;
            break;
        case State::Music:
            if (segment == "Artists")
                walk.state = State::Artists;
            else if (segment == "Albums")
                walk.state = State::Albums;
            else if (segment == "Genres")
                walk.state = State::Genres;
            else if (segment == "Playlists")
                walk.state = State::Playlists;
            else if (segment == "Tracks")
                walk.state = State::Tracks;
            else if (segment == "Search")
                walk.state = State::Search;
            else if (segment == "Podcasts") {
                walk.genre = store.GetItemId(kMediaGenre, "Podcast");
                walk.state = walk.genre < 0 ? State::Invalid : State::Artists;
                std::vector<std::string> rest(segments.begin() + static_cast<long>(index) + 1,
                                              segments.end());
                path = "\\Music\\Genres\\Podcast" + JoinPath(rest);
            } else {
                walk.state = State::Invalid;
            }
            break;
        case State::Genres:
            lookup(kMediaGenre, walk.genre, State::Artists);
            break;
        case State::Artists:
            if (segment == kAllTracksEntry)
                walk.state = State::Tracks;
            else
                lookup(kMediaArtist, walk.artist, State::Albums);
            break;
        case State::Albums:
            if (segment == kAllTracksEntry)
                walk.state = State::Tracks;
            else
                lookup(kMediaAlbum, walk.album, State::Tracks);
            break;
        case State::Playlists:
            walk.playlistFolder =
                store.GetFolderId(kMediaPlaylistFolder, segment, walk.playlistFolder);
            if (walk.playlistFolder < 0) walk.state = State::Invalid;
            break;
        case State::Radio:
            walk.radioFolder = store.GetFolderId(kMediaRadioFolder, segment, walk.radioFolder);
            if (walk.radioFolder < 0) walk.state = State::Invalid;
            break;
        case State::TV:
            lookup(kMediaTVSeries, walk.series, State::TVShows);
            break;
        case State::Search:
            walk.searchText = segment;
            break;
        default:
            break;  // tracks, videos, TV shows, pictures and invalid ignore the rest
    }
}

// A name list preceded by the "All Tracks" entry, which takes position 0 of the listing.
template <typename Query>
int ListWithAllTracks(MediaItemList& out, int32_t type, int32_t start, int32_t count,
                      int32_t* total, Query query, StringArray& names, int32_t& queryTotal) {
    int32_t queryStart = start;
    int32_t queryCount = count;
    if (count > 0) {
        if (start <= 0) {
            queryStart = 0;
            queryCount = count - 1;
        } else {
            queryStart = start - 1;
        }
    }
    queryTotal = 0;
    int result = query(names, queryStart, queryCount, &queryTotal);
    if (start <= 0) out.push_back(Entry(kMediaAlbum, kAllTracksEntry));
    AppendNames(out, type, names);
    if (total != nullptr) *total = queryTotal + 1;
    return result;
}

}  // namespace

int BrowseLibrary(IMediaDataStore& store, bool indexing, MediaItemList& out, std::string& path,
                  bool returnAll, int32_t start, int32_t count, int32_t* total) {
    out.clear();
    if (total != nullptr) *total = 0;
    std::string walkPath = path;
    if (!walkPath.empty() && walkPath.front() == '\\') walkPath.erase(0, 1);
    std::vector<std::string> segments = SplitPath(walkPath);

    Walk walk;
    for (size_t i = 0; i < segments.size() && walk.state != State::Invalid; ++i) {
        Step(store, walk, segments, i, path);
    }

    if (returnAll) {
        switch (walk.state) {
            case State::Genres:
                walk.order = kMediaGenre;
                break;
            case State::Artists:
                walk.order = kMediaArtist;
                break;
            case State::Albums:
                walk.order = kMediaAlbum;
                break;
            case State::Tracks:
                walk.order = kMediaMusic;
                break;
            default:
                walk.state = State::Invalid;
                break;
        }
        if (walk.state != State::Invalid) walk.state = State::Tracks;
    }

    switch (walk.state) {
        case State::Root: {
            static const struct {
                const char* name;
                int32_t first;
                int32_t second;
            } kRoots[] = {{"Music", kMediaMusic, kMediaPlaylist},
                          {"Radio", kMediaRadio, kMediaRadio},
                          {"Videos", kMediaVideo, kMediaVideo},
                          {"TV", kMediaTV, kMediaTV},
                          {"Pictures", kMediaPhoto, kMediaPhoto}};
            for (const auto& root : kRoots) {
                if (store.HasMediaItems(root.first) || store.HasMediaItems(root.second)) {
                    out.push_back(Entry(kMediaFolder, root.name));
                }
            }
            if (out.size() == 1) {
                path = "\\" + out.front()->name;
                out.clear();
                return BrowseLibrary(store, indexing, out, path, returnAll, start, count, total);
            }
            if (out.empty()) return indexing ? kResultLibraryIndexing : kResultSuccess;
            if (total != nullptr) *total = static_cast<int32_t>(out.size());
            return kResultSuccess;
        }
        case State::Music: {
            for (const char* name : {"Genres", "Artists", "Albums"})
                out.push_back(Entry(kMediaFolder, name));
            if (store.GetItemId(kMediaGenre, "Podcast") >= 0)
                out.push_back(Entry(kMediaFolder, "Podcasts"));
            for (const char* name : {"Playlists", "Tracks"})
                out.push_back(Entry(kMediaFolder, name));
            if (total != nullptr) *total = static_cast<int32_t>(out.size());
            return kResultSuccess;
        }
        case State::Genres: {
            StringArray names;
            store.GetAudioGenres(names, start, count, total);
            AppendNames(out, kMediaGenre, names);
            return kResultSuccess;
        }
        case State::Artists: {
            StringArray names;
            if (walk.genre < 0) {
                store.GetAudioArtists(names, -1, start, count, total);
                AppendNames(out, kMediaArtist, names);
                return kResultSuccess;
            }
            int32_t queryTotal = 0;
            ListWithAllTracks(
                out, kMediaArtist, start, count, total,
                [&](StringArray& n, int32_t s, int32_t c, int32_t* t) {
                    return store.GetAudioArtists(n, walk.genre, s, c, t);
                },
                names, queryTotal);
            return kResultSuccess;
        }
        case State::Albums: {
            StringArray names;
            if (walk.genre < 0 && walk.artist < 0) {
                store.GetAudioAlbums(names, -1, -1, start, count, total);
                AppendNames(out, kMediaAlbum, names);
                return kResultSuccess;
            }
            int32_t queryTotal = 0;
            ListWithAllTracks(
                out, kMediaAlbum, start, count, total,
                [&](StringArray& n, int32_t s, int32_t c, int32_t* t) {
                    return store.GetAudioAlbums(n, walk.genre, walk.artist, s, c, t);
                },
                names, queryTotal);
            if (queryTotal == 1) {
                // One album: its tracks are what the user is after.
                StringArray only;
                store.GetAudioAlbums(only, walk.genre, walk.artist, 0, -1, nullptr);
                if (only.size() == 1) {
                    path += "\\" + only.front();
                    out.clear();
                    return BrowseLibrary(store, indexing, out, path, returnAll, start, count,
                                         total);
                }
            }
            return kResultSuccess;
        }
        case State::Tracks:
            if (returnAll && walk.genre < 0 && walk.artist < 0 && walk.album < 0) {
                store.GetAllAudioTracks(out, walk.order, start, count, total);
            } else {
                store.GetAudioTracks(out, returnAll, walk.genre, walk.artist, walk.album, start,
                                     count, total);
            }
            return kResultSuccess;
        case State::Playlists: {
            MediaItemList leaves;
            store.GetPlaylistFolders(out, walk.playlistFolder, start, count, total);
            store.GetPlaylists(leaves, walk.playlistFolder, start, count, total);
            Append(out, leaves);
            return kResultSuccess;
        }
        case State::Radio: {
            MediaItemList leaves;
            store.GetRadioStationFolders(out, walk.radioFolder, start, count, total);
            store.GetRadioStations(leaves, walk.radioFolder, start, count, total);
            Append(out, leaves);
            return kResultSuccess;
        }
        case State::Videos:
            store.GetVideos(out, -1, start, count, total);
            return kResultSuccess;
        case State::TV: {
            StringArray names;
            store.GetTVSeries(names, start, count, total);
            AppendNames(out, kMediaTVSeries, names);
            return kResultSuccess;
        }
        case State::TVShows:
            store.GetTVShows(out, walk.series, start, count, total);
            return kResultSuccess;
        case State::Search:
            store.Search(out, walk.searchText, start, count);
            return kResultSuccess;
        case State::Pictures:
            return kResultSuccess;
        case State::Invalid:
            break;
    }
    return kResultLibraryPathNotFound;
}

}  // namespace vantor
