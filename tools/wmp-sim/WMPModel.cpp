#include "tools/wmp-sim/WMPModel.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace vantor::wmpsim {

namespace {

constexpr const char* kVideoClass = "{DB9830BD-3AB3-4FAB-8A37-1A995F7FF74B}";
constexpr const char* kRecordedTvClass = "{BA7F258A-62F7-47A9-B21F-4651C42A000E}";
constexpr unsigned char kArtJpeg[] = {0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 'J',  'F',
                                      'I',  'F',  0x00, 0x01, 0x01, 0x00, 0x00, 0x01,
                                      0x00, 0x01, 0x00, 0x00, 0xff, 0xd9};

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void WriteAlbumArt(const CEntry& entry) {
    const std::string url = entry.Attribute("SourceURL");
    const std::string id = entry.Attribute("WM/WMCollectionID");
    const size_t slash = url.rfind('/');
    if (id.empty() || slash == std::string::npos || !IsFolder(url.substr(0, slash))) return;
    const std::string art = url.substr(0, slash + 1) + "AlbumArt_" + id + "_Large.jpg";
    if (::access(art.c_str(), F_OK) == 0) return;
    std::ofstream out(art, std::ios::binary);
    out.write(reinterpret_cast<const char*>(kArtJpeg), sizeof(kArtJpeg));
}

std::vector<std::map<std::string, std::string>> DemoEntries(const std::string& music) {
    std::vector<std::map<std::string, std::string>> demo;
    const char* albums[][3] = {{"Ada Lovetone", "Signal Lines", "Electronic"},
                               {"The Brass Orchard", "Harvest Time", "Jazz"},
                               {"Mira Calloway", "Paper Boats", "(13)"}};
    const char* titles[] = {"Opening", "Crossing", "Closing"};
    int collection = 1;
    for (const auto& album : albums) {
        int number = 1;
        for (const char* title : titles) {
            const std::string folder = music + "/" + album[0] + "/" + album[1];
            demo.push_back(
                {{"MediaType", "audio"},
                 {"Title", title},
                 {"Author", album[0]},
                 {"WM/AlbumTitle", album[1]},
                 {"WM/Genre", album[2]},
                 {"WM/TrackNumber", std::to_string(number)},
                 {"UserRating", std::to_string(number * 25)},
                 {"Duration", std::to_string(170 + 10 * number)},
                 {"WM/WMCollectionID", "{0000" + std::to_string(collection) + "}"},
                 {"SourceURL", folder + "/" + std::to_string(number) + " " + title + ".wma"}});
            ++number;
        }
        ++collection;
    }
    demo.push_back({{"MediaType", "video"},
                    {"Title", "Lighthouse Keepers"},
                    {"WM/Genre", "Documentary"},
                    {"SourceURL", music + "/Videos/Lighthouse Keepers.wmv"}});
    demo.push_back({{"MediaType", "video"},
                    {"Title", "News"},
                    {"WM/SubTitle", "Late Edition"},
                    {"WM/Genre", "News"},
                    {"WM/MediaOriginalChannel", "4"},
                    {"WM/MediaStationName", "Channel Four"},
                    {"RecordingTime", "2026-12-01 22:00"},
                    {"WM/MediaClassPrimaryID", kVideoClass},
                    {"WM/MediaClassSecondaryID", kRecordedTvClass},
                    {"SourceURL", music + "/Recorded TV/News.dvr-ms"}});
    demo.push_back({{"MediaType", "playlist"},
                    {"Title", "Evening Mix"},
                    {"Items", "1,4,7"},
                    {"SourceURL", music + "/Playlists/Evening Mix.wpl"}});
    demo.push_back({{"MediaType", "photo"},
                    {"Title", "Harbour"},
                    {"SourceURL", music + "/Pictures/Harbour.jpg"}});
    return demo;
}

}  // namespace

void CModel::Load(const std::string& collectionFile, const std::string& musicFolder) {
    std::vector<std::map<std::string, std::string>> blocks;
    if (collectionFile.empty()) {
        blocks = DemoEntries(musicFolder);
    } else {
        std::ifstream in(collectionFile);
        std::string line;
        blocks.emplace_back();
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) {
                if (!blocks.back().empty()) blocks.emplace_back();
                continue;
            }
            if (const size_t eq = line.find('='); eq != std::string::npos) {
                blocks.back()[line.substr(0, eq)] = line.substr(eq + 1);
            }
        }
        if (blocks.back().empty()) blocks.pop_back();
    }
    for (auto& attributes : blocks) {
        CEntry entry;
        entry.id = m_nextId++;
        entry.attributes = std::move(attributes);
        WriteAlbumArt(entry);
        entries.emplace(entry.id, std::move(entry));
    }
    // Playlist entries list the ids of their items ("Items=1,4,7").
    std::vector<int32_t> audio;
    for (const auto& [id, entry] : entries) {
        if (entry.Attribute("MediaType") == "audio") audio.push_back(id);
        if (entry.Attribute("MediaType") == "playlist") {
            std::vector<int32_t> items;
            const std::string list = entry.Attribute("Items");
            for (size_t pos = 0; pos < list.size();) {
                const size_t comma = std::min(list.find(',', pos), list.size());
                const int32_t item = std::atoi(list.substr(pos, comma - pos).c_str());
                if (entries.contains(item)) items.push_back(item);
                pos = comma + 1;
            }
            playlists[entry.Attribute("Title")] = std::move(items);
        }
    }
    m_current = audio;
    m_currentName = "All Music";
}

int32_t CModel::EntryFor(const std::string& url) {
    for (const auto& [id, entry] : entries) {
        if (entry.Attribute("SourceURL") == url) return id;
    }
    CEntry entry;
    entry.id = m_nextId++;
    const size_t slash = url.find_last_of("/\\");
    std::string name = url.substr(slash == std::string::npos ? 0 : slash + 1);
    if (const size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    entry.attributes = {{"SourceURL", url}, {"Title", name}, {"MediaType", "audio"}};
    const int32_t id = entry.id;
    entries.emplace(id, std::move(entry));
    if (onEvent) onEvent(kMediaCollectionChange, 0, {});
    return id;
}

const CEntry* CModel::CurrentEntry() const {
    if (m_index < 0 || m_index >= static_cast<int32_t>(m_current.size())) return nullptr;
    auto it = entries.find(m_current[static_cast<size_t>(m_index)]);
    return it == entries.end() ? nullptr : &it->second;
}

int32_t CModel::Duration(const CEntry& entry) const {
    const int32_t seconds = std::atoi(entry.Attribute("Duration").c_str());
    return seconds > 0 ? seconds : 200;
}

void CModel::SetPosition(double seconds) {
    const CEntry* entry = CurrentEntry();
    if (!entry) return;
    m_positionMs = static_cast<int64_t>(std::clamp(seconds, 0.0, double(Duration(*entry))) * 1000);
    if (onEvent) onEvent(kPositionChange, static_cast<int32_t>(seconds), {});
}

bool CModel::Mode(const std::string& name) const {
    return name == "shuffle" ? m_shuffle : (name == "loop" ? m_loop : false);
}

void CModel::SetMode(const std::string& name, bool on) {
    bool& mode = name == "shuffle" ? m_shuffle : m_loop;
    if (mode != on) {
        mode = on;
        if (onEvent) onEvent(kModeChange, on ? 1 : 0, name);
    }
}

void CModel::SetState(State state) {
    if (m_state != state) {
        m_state = state;
        m_lastTick = std::chrono::steady_clock::now();
        if (onEvent) onEvent(kPlayStateChange, state, {});
    }
}

void CModel::ChangeItem(int32_t index) {
    m_index = index;
    m_positionMs = 0;
    if (onEvent) onEvent(kCurrentItemChange, index, {});
}

void CModel::PlaylistChanged() {
    if (onEvent) onEvent(kCurrentPlaylistChange, 0, {});
}

void CModel::Play() {
    if (!CurrentEntry()) {
        if (m_current.empty()) return;
        ChangeItem(0);
    }
    SetState(kPlaying);
}

void CModel::Pause() {
    if (m_state == kPlaying) SetState(kPaused);
}

void CModel::Stop() {
    m_positionMs = 0;
    SetState(kStopped);
}

void CModel::Scan(State state) {
    if (CurrentEntry()) SetState(state);
}

void CModel::Next() {
    if (m_current.empty()) return;
    ChangeItem((m_index + 1) % static_cast<int32_t>(m_current.size()));
}

void CModel::Previous() {
    if (m_current.empty()) return;
    const auto size = static_cast<int32_t>(m_current.size());
    ChangeItem((m_index - 1 + size) % size);
}

void CModel::PlayIndex(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(m_current.size())) return;
    ChangeItem(index);
    SetState(kPlaying);
}

void CModel::SetCurrent(const std::string& name, std::vector<int32_t> ids) {
    m_current = std::move(ids);
    m_currentName = name;
    m_index = -1;
    PlaylistChanged();
}

void CModel::Insert(int32_t index, int32_t id) {
    const auto size = static_cast<int32_t>(m_current.size());
    if (index < 0 || index > size) index = size;
    m_current.insert(m_current.begin() + index, id);
    if (m_index >= index) ++m_index;
    PlaylistChanged();
}

void CModel::RemoveAt(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(m_current.size())) return;
    m_current.erase(m_current.begin() + index);
    if (index < m_index) {
        --m_index;
    } else if (index == m_index) {
        Stop();
        m_index = -1;
    }
    PlaylistChanged();
}

void CModel::Move(int32_t from, int32_t to) {
    const auto size = static_cast<int32_t>(m_current.size());
    if (from < 0 || from >= size || to < 0 || to >= size || from == to) return;
    const int32_t id = m_current[static_cast<size_t>(from)];
    m_current.erase(m_current.begin() + from);
    m_current.insert(m_current.begin() + to, id);
    if (m_index == from) {
        m_index = to;
    } else if (from < m_index && to >= m_index) {
        --m_index;
    } else if (from > m_index && to <= m_index) {
        ++m_index;
    }
    PlaylistChanged();
}

void CModel::Clear() {
    Stop();
    m_current.clear();
    m_index = -1;
    PlaylistChanged();
}

void CModel::Tick() {
    const auto now = std::chrono::steady_clock::now();
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(now - m_lastTick).count();
    m_lastTick = now;
    const CEntry* entry = CurrentEntry();
    if (!entry || (m_state != kPlaying && m_state != kScanForward && m_state != kScanReverse)) {
        return;
    }
    const int64_t speed = m_state == kPlaying ? 1 : (m_state == kScanForward ? 5 : -5);
    m_positionMs = std::max<int64_t>(0, m_positionMs + speed * elapsed);
    if (m_positionMs < static_cast<int64_t>(Duration(*entry)) * 1000) return;
    if (m_index + 1 < static_cast<int32_t>(m_current.size()) || m_loop) {
        Next();
    } else {
        Stop();
    }
}

}  // namespace vantor::wmpsim
