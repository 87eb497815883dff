#include "tools/itunes-sim/ITunesModel.h"

#include <algorithm>

namespace vantor::itunessim {

namespace {

struct CDemoAlbum {
    const char* artist;
    const char* album;
    const char* genre;
    std::array<const char*, 3> titles;
};

constexpr CDemoAlbum kDemoAlbums[] = {
    {"Ada Lovetone", "Signal Lines", "Electronic", {"Carrier Wave", "Low Pass", "Sidechain"}},
    {"The Brass Orchard", "Harvest Time", "Jazz", {"Morning Dew", "Cider Press", "Late Frost"}},
    {"Mira Calloway", "Paper Boats", "Pop", {"Paper Boats", "Undertow", "Harbour Lights"}},
    {"Northbound", "Tundra", "Rock", {"Permafrost", "Ice Road", "Aurora"}},
};

}  // namespace

CModel::CModel(const std::string& musicFolder) {
    std::vector<int32_t> all;
    int format = 0;
    for (const CDemoAlbum& album : kDemoAlbums) {
        int32_t number = 1;
        for (const char* title : album.titles) {
            CTrack track;
            track.name = title;
            track.artist = album.artist;
            track.album = album.album;
            track.genre = album.genre;
            track.trackNumber = number++;
            track.duration = 150 + 20 * static_cast<int32_t>(all.size());
            track.location = musicFolder + "/" + album.artist + "/" + album.album + "/" +
                             std::to_string(track.trackNumber) + " " + title + ".mp3";
            track.artworkFormat = (format++ % 4);  // none, JPEG, PNG, BMP in turn
            all.push_back(NewTrack(std::move(track)));
        }
    }
    CTrack movie;
    movie.name = "Lighthouse Keepers";
    movie.location = musicFolder + "/Movies/Lighthouse Keepers.m4v";
    movie.videoKind = 1;
    movie.duration = 5400;
    all.push_back(NewTrack(std::move(movie)));

    auto makePlaylist = [this](const std::string& name, int32_t kind, std::vector<int32_t> ids) {
        CPlaylist playlist;
        playlist.id = m_nextId++;
        playlist.name = name;
        playlist.kind = kind;
        playlist.tracks = std::move(ids);
        playlists.emplace(playlist.id, playlist);
        return playlist.id;
    };
    libraryPlaylist = makePlaylist("Library", 1, all);
    CSource library{"Library", 1, {libraryPlaylist}};
    library.playlists.push_back(makePlaylist("Top Rated", 2, {all[0], all[4], all[8]}));
    library.playlists.push_back(makePlaylist("Road Trip", 2, {all[9], all[10], all[11], all[3]}));
    sources.push_back(std::move(library));
    CSource portable{"Pocket Player", 2, {}};
    portable.playlists.push_back(makePlaylist("Pocket Player", 1, {all[0], all[1], all[2]}));
    portable.playlists.push_back(makePlaylist("Workout", 2, {all[6], all[7]}));
    sources.push_back(std::move(portable));
    sources.push_back(CSource{"Radio", 6, {makePlaylist("Radio Tuner", 2, {})}});

    presets = {
        {"Acoustic", 0, {5, 5, 4, 1, 2, 2, 3, 4, 3, 2}},
        {"Bass Booster", 0, {6, 4, 4, 2, 1, 0, 0, 0, 0, 0}},
        {"Classical", 0, {5, 4, 3, 2, -1, -1, 0, 2, 3, 4}},
        {"Flat", 0, {}},
        {"Rock", 0, {5, 4, 3, 1, -1, -1, 1, 3, 4, 5}},
        {"Vocal Booster", 0, {-2, -3, -3, 1, 4, 4, 3, 1, 0, -2}},
    };
    currentPreset = 3;
    m_playlist = libraryPlaylist;
}

int32_t CModel::NewTrack(CTrack track) {
    track.id = m_nextId++;
    const int32_t id = track.id;
    tracks.emplace(id, std::move(track));
    return id;
}

void CModel::SetVolume(int32_t volume) {
    volume = std::clamp(volume, 0, 100);
    if (volume != m_volume) {
        m_volume = volume;
        if (onEvent) onEvent(kVolumeChanged);
    }
}

int32_t CModel::PositionSeconds() const {
    return static_cast<int32_t>(m_positionMs / 1000);
}

void CModel::SetPositionSeconds(int32_t seconds) {
    const CTrack* track = Current();
    if (!track) return;
    m_positionMs = static_cast<int64_t>(std::clamp(seconds, 0, track->duration)) * 1000;
}

const CTrack* CModel::Current() const {
    auto playlist = playlists.find(m_playlist);
    if (playlist == playlists.end() || m_index < 0 ||
        m_index >= static_cast<int32_t>(playlist->second.tracks.size())) {
        return nullptr;
    }
    auto track = tracks.find(playlist->second.tracks[static_cast<size_t>(m_index)]);
    return track == tracks.end() ? nullptr : &track->second;
}

void CModel::Play() {
    if (!Current()) {
        const auto& list = playlists[m_playlist].tracks;
        if (list.empty()) return;
        ChangeTrack(m_playlist, 0);
    }
    if (m_state != kPlaying) {
        m_state = kPlaying;
        m_lastTick = std::chrono::steady_clock::now();
        if (onEvent) onEvent(kPlayerPlay);
    }
}

void CModel::Pause() {
    if (m_state != kStopped) {
        m_state = kStopped;
        if (onEvent) onEvent(kPlayerStop);
    }
}

void CModel::Stop() {
    Pause();
    m_positionMs = 0;
}

void CModel::Scan(State state) {
    if (Current()) m_state = state;
}

void CModel::Next() {
    const auto& list = playlists[m_playlist].tracks;
    if (list.empty()) return;
    ChangeTrack(m_playlist, (m_index + 1) % static_cast<int32_t>(list.size()));
}

void CModel::Previous() {
    const auto& list = playlists[m_playlist].tracks;
    if (list.empty()) return;
    const auto size = static_cast<int32_t>(list.size());
    ChangeTrack(m_playlist, (m_index - 1 + size) % size);
}

void CModel::PlayAt(int32_t playlistId, int32_t index) {
    ChangeTrack(playlistId, index);
    Play();
}

void CModel::ChangeTrack(int32_t playlistId, int32_t index) {
    m_playlist = playlistId;
    m_index = index;
    m_positionMs = 0;
    if (onEvent) onEvent(kPlayingTrackChanged);
}

int32_t CModel::AddFile(int32_t playlistId, const std::string& path) {
    int32_t id = 0;
    for (const auto& [trackId, track] : tracks) {
        if (track.location == path) id = trackId;
    }
    if (id == 0) {
        CTrack track;
        track.location = path;
        const size_t slash = path.find_last_of("/\\");
        track.name = path.substr(slash == std::string::npos ? 0 : slash + 1);
        if (const size_t dot = track.name.rfind('.'); dot != std::string::npos && dot > 0) {
            track.name.resize(dot);
        }
        id = NewTrack(std::move(track));
        playlists[libraryPlaylist].tracks.push_back(id);
        if (onEvent) onEvent(kDatabaseChanged);
    }
    if (playlistId != libraryPlaylist) {
        playlists[playlistId].tracks.push_back(id);
    }
    return id;
}

int32_t CModel::CreatePlaylist(const std::string& name) {
    CPlaylist playlist;
    playlist.id = m_nextId++;
    playlist.name = name;
    playlists.emplace(playlist.id, playlist);
    sources.front().playlists.push_back(playlist.id);
    return playlist.id;
}

void CModel::DeletePlaylist(int32_t playlistId) {
    for (CSource& source : sources) {
        std::erase(source.playlists, playlistId);
    }
    playlists.erase(playlistId);
    if (m_playlist == playlistId) {
        Stop();
        m_playlist = libraryPlaylist;
        m_index = -1;
    }
}

void CModel::RemoveAt(int32_t playlistId, int32_t index) {
    auto& list = playlists[playlistId].tracks;
    if (index < 0 || index >= static_cast<int32_t>(list.size())) return;
    const int32_t trackId = list[static_cast<size_t>(index)];
    if (playlistId == m_playlist && index < m_index) {
        --m_index;
    } else if (playlistId == m_playlist && index == m_index) {
        Stop();
        m_index = -1;
    }
    list.erase(list.begin() + index);
    if (playlistId == libraryPlaylist) {
        for (auto& [id, playlist] : playlists) {
            std::erase(playlist.tracks, trackId);
        }
        tracks.erase(trackId);
        if (onEvent) onEvent(kDatabaseChanged);
    }
}

void CModel::Tick() {
    const auto now = std::chrono::steady_clock::now();
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(now - m_lastTick).count();
    m_lastTick = now;
    const CTrack* track = Current();
    if (!track || m_state == kStopped) return;
    const int64_t speed = m_state == kPlaying ? 1 : (m_state == kFastForward ? 4 : -4);
    m_positionMs = std::max<int64_t>(0, m_positionMs + speed * elapsed);
    if (m_positionMs < static_cast<int64_t>(track->duration) * 1000) return;
    const auto& list = playlists[m_playlist];
    if (list.songRepeat == 1) {
        m_positionMs = 0;
    } else if (m_index + 1 < static_cast<int32_t>(list.tracks.size()) || list.songRepeat == 2) {
        Next();
    } else {
        Stop();
    }
}

}  // namespace vantor::itunessim
