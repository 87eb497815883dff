#include "tools/winamp-sim/SimPlayer.h"

#include <algorithm>
#include <fstream>

namespace vantor::winampsim {

namespace {

bool IsVideoFile(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) {
        return false;
    }
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == "avi" || ext == "mp4" || ext == "mkv" || ext == "wmv" || ext == "mpg";
}

}  // namespace

CTrack TrackForFile(const std::string& path) {
    CTrack track;
    track.path = path;
    track.video = IsVideoFile(path);
    return track;
}

std::vector<CTrack> ReadPlaylistFile(const std::string& path) {
    std::vector<CTrack> tracks;
    std::ifstream in(path);
    std::string line;
    CTrack pending;
    bool havePending = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.rfind("#EXTINF:", 0) == 0) {
            const size_t comma = line.find(',');
            pending = CTrack();
            havePending = true;
            pending.tagged = true;
            pending.lengthSeconds = std::atoi(line.c_str() + 8);
            const std::string text = comma == std::string::npos ? "" : line.substr(comma + 1);
            const size_t dash = text.find(" - ");
            if (dash == std::string::npos) {
                pending.title = text;
            } else {
                pending.artist = text.substr(0, dash);
                pending.title = text.substr(dash + 3);
            }
        } else if (line.rfind("#EXTALB:", 0) == 0) {
            pending.album = line.substr(8);
        } else if (!line.empty() && line[0] != '#') {
            CTrack track = havePending ? pending : TrackForFile(line);
            track.path = line;
            track.video = IsVideoFile(line);
            tracks.push_back(std::move(track));
            havePending = false;
            pending = CTrack();
        }
    }
    return tracks;
}

void CSimPlayer::AddKnownTrack(CTrack track) {
    std::string path = track.path;
    m_known[path] = std::move(track);
}

CTrack CSimPlayer::TrackFor(const std::string& path) const {
    auto known = m_known.find(path);
    return known != m_known.end() ? known->second : TrackForFile(path);
}

std::string CSimPlayer::DisplayTitle(const CTrack& track) {
    if (track.tagged) {
        return track.artist.empty() ? track.title : track.artist + " - " + track.title;
    }
    std::string name = track.path.substr(track.path.find_last_of("/\\") + 1);
    return name.substr(0, name.rfind('.'));
}

void CSimPlayer::Add(CTrack track, int32_t index) {
    CEntry entry;
    entry.pathAddress = m_memory.Store(track.path);
    entry.titleAddress = m_memory.Store(DisplayTitle(track));
    entry.track = std::move(track);
    if (index < 0 || index >= Length()) {
        m_entries.push_back(std::move(entry));
    } else {
        m_entries.insert(m_entries.begin() + index, std::move(entry));
        if (index <= m_position && Length() > 1) {
            ++m_position;
        }
    }
}

void CSimPlayer::Remove(int32_t index) {
    if (index < 0 || index >= Length()) {
        return;
    }
    m_memory.Free(m_entries[index].pathAddress);
    m_memory.Free(m_entries[index].titleAddress);
    m_entries.erase(m_entries.begin() + index);
    if (index < m_position) {
        --m_position;
    } else if (index == m_position && m_position >= Length()) {
        m_position = std::max(0, Length() - 1);
        if (m_entries.empty()) {
            m_state = kStopped;
        }
    }
}

void CSimPlayer::Clear() {
    while (!m_entries.empty()) {
        Remove(Length() - 1);
    }
    m_position = 0;
    m_state = kStopped;
    fullScreen = false;
}

void CSimPlayer::SetPosition(int32_t index) {
    if (index >= 0 && index < Length()) {
        m_position = index;
    }
}

const CTrack* CSimPlayer::Current() const {
    return m_entries.empty() ? nullptr : &m_entries[m_position].track;
}

void CSimPlayer::SetCurrentRating(int32_t stars) {
    if (!m_entries.empty()) {
        m_entries[m_position].track.rating = std::clamp(stars, 0, 5);
    }
}

const CTrack* CSimPlayer::FindByPath(const std::string& path) const {
    for (const CEntry& entry : m_entries) {
        if (entry.track.path == path) {
            return &entry.track;
        }
    }
    return nullptr;
}

RemoteAddress CSimPlayer::PathAddress(int32_t index) const {
    return index >= 0 && index < Length() ? m_entries[index].pathAddress : 0;
}

RemoteAddress CSimPlayer::TitleAddress(int32_t index) const {
    return index >= 0 && index < Length() ? m_entries[index].titleAddress : 0;
}

std::string CSimPlayer::WindowTitle() const {
    const CTrack* track = Current();
    if (!track) {
        return "Winamp 5.63";
    }
    std::string title = std::to_string(m_position + 1) + ". " + DisplayTitle(*track) + " - Winamp";
    if (m_state == kPaused) {
        title += " [Paused]";
    } else if (m_state == kStopped) {
        title += " [Stopped]";
    }
    return title;
}

void CSimPlayer::StartAt(int32_t milliseconds) {
    m_baseMs = std::max(0, milliseconds);
    m_startedAt = Clock::now();
}

void CSimPlayer::Play() {
    if (m_entries.empty()) {
        return;
    }
    if (m_state == kPaused) {
        m_state = kPlaying;
        m_startedAt = Clock::now();
        return;
    }
    m_state = kPlaying;
    StartAt(0);
}

void CSimPlayer::Pause() {
    if (m_state == kPlaying) {
        m_baseMs = PlayPositionMs();
        m_state = kPaused;
    } else if (m_state == kPaused) {
        m_state = kPlaying;
        m_startedAt = Clock::now();
    }
}

void CSimPlayer::Stop() {
    m_state = kStopped;
    m_baseMs = 0;
    fullScreen = false;
}

void CSimPlayer::Next() {
    if (m_entries.empty()) {
        return;
    }
    if (m_position + 1 < Length()) {
        ++m_position;
    } else if (repeat) {
        m_position = 0;
    } else {
        return;
    }
    if (m_state != kStopped) {
        m_state = kPlaying;
        StartAt(0);
    }
}

void CSimPlayer::Previous() {
    if (m_entries.empty()) {
        return;
    }
    if (m_position > 0) {
        --m_position;
    } else if (repeat) {
        m_position = Length() - 1;
    }
    if (m_state != kStopped) {
        m_state = kPlaying;
        StartAt(0);
    }
}

void CSimPlayer::Skip(int32_t milliseconds) {
    if (m_state != kStopped) {
        JumpTo(PlayPositionMs() + milliseconds);
    }
}

int32_t CSimPlayer::PlayPositionMs() const {
    if (m_state == kStopped) {
        return -1;
    }
    if (m_state == kPaused) {
        return m_baseMs;
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_startedAt).count();
    return m_baseMs + static_cast<int32_t>(elapsed);
}

bool CSimPlayer::JumpTo(int32_t milliseconds) {
    if (m_state == kStopped) {
        return false;
    }
    m_baseMs = std::max(0, milliseconds);
    m_startedAt = Clock::now();
    return true;
}

void CSimPlayer::Tick() {
    const CTrack* track = Current();
    if (m_state != kPlaying || !track || PlayPositionMs() < track->lengthSeconds * 1000) {
        return;
    }
    if (m_position + 1 < Length() || repeat) {
        m_position = (m_position + 1) % Length();
        StartAt(0);
    } else {
        Stop();
    }
}

}  // namespace vantor::winampsim
