#include "server/library/readers/itunes/ITunesMediaReader.h"

#include "platform/DataFolder.h"
#include "protocol/MediaItem.h"
#include "protocol/TextCoding.h"
#include "protocol/Xml.h"
#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/library/ReaderRoutines.h"
#include "server/library/readers/itunes/ITunesText.h"
#include "server/library/store/TextFolding.h"

#include <fstream>

namespace vantor {

namespace {

constexpr char kSeparator = '/';

// One read into a string of the file's size: libraries run to hundreds of megabytes.
bool ReadWholeFile(const std::string& path, std::string& text) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return false;
    std::streamoff size = file.tellg();
    if (size < 0) return false;
    text.resize(static_cast<size_t>(size));
    file.seekg(0);
    file.read(text.data(), size);
    text.resize(static_cast<size_t>(file.gcount()));
    return true;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of(kSeparator);
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
    size_t slash = path.find_last_of(kSeparator);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// One dictionary as the values are read from it: percent escapes decoded over the whole
// text (names carry them too), then the text taken as UTF-8.
std::string DecodeDictionary(std::string_view dict) {
    std::string text = PercentDecode(dict);
    FromWireText(text);
    return text;
}

bool Contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

CITunesMediaReader::CITunesMediaReader(CLogger& logger, CConfigStore& config, std::string path)
    : m_logger(logger), m_config(config), m_defaultPath(path.empty()), m_monitor(logger) {
    m_path = m_defaultPath ? DefaultPath(config) : std::move(path);
    StartMonitor();
}

CITunesMediaReader::~CITunesMediaReader() {
    m_monitor.Stop();
}

std::string CITunesMediaReader::DefaultPath(CConfigStore& config) {
    std::string path = config.GetString("Paths\\DefaultITunesXML", "");
    if (path.empty()) {
        path = GetMusicFolder() + "/iTunes/iTunes Music Library.xml";
        config.SetString("Paths\\DefaultITunesXML", path);
    }
    return path;
}

std::string CITunesMediaReader::Path() const {
    std::lock_guard<std::mutex> lock(m_pathMutex);
    return m_path;
}

void CITunesMediaReader::StartMonitor() {
    m_monitor.Start(FolderOf(Path()), [this] { CheckForChange(); });
}

void CITunesMediaReader::CheckForChange() {
    std::string text;
    if (!ReadWholeFile(Path(), text)) return;
    if (itunes::SignificantSize(text) != m_significantSize.load()) {
        IMediaReaderOwner* owner = Owner();
        if (owner != nullptr) owner->StartUpdate();
    }
}

int CITunesMediaReader::Read() {
    ClearStop();
    if (m_defaultPath) {
        std::string path = DefaultPath(m_config);
        bool changed = false;
        {
            std::lock_guard<std::mutex> lock(m_pathMutex);
            changed = path != m_path;
            m_path = path;
        }
        if (changed) StartMonitor();
    }
    std::string path = Path();
    std::string text;
    if (!ReadWholeFile(path, text)) {
        m_logger.LogCritical("ERROR: Unable to open CITunesMediaReader XML file:\r\n\t%s",
                             path.c_str());
        return 1;
    }
    m_logger.LogDetailed("Reading iTunes XML file: %s", path.c_str());
    m_significantSize.store(itunes::SignificantSize(text));
    Parse(text);
    return 0;
}

void CITunesMediaReader::Parse(const std::string& text) {
    size_t tracksKey = text.find("<key>Tracks</key>");
    if (tracksKey == std::string::npos || text.find("<dict>") == std::string::npos) return;
    // Some libraries have no playlists at all: the tracks then run to the end of the file.
    size_t playlistsKey = text.find("<key>Playlists</key>", tracksKey);
    size_t sectionEnd = playlistsKey == std::string::npos ? text.size() : playlistsKey;
    std::string_view section = std::string_view(text).substr(0, sectionEnd);

    size_t pos = tracksKey;
    while (!IsStopping()) {
        size_t open = section.find("<dict>", pos);
        if (open == std::string_view::npos) break;
        size_t close = section.find("</dict>", open);
        if (close == std::string_view::npos) close = section.size();
        ReadTrack(section.substr(open + 6, close - open - 6));
        pos = close;
    }
    m_playlists.clear();
    if (playlistsKey != std::string::npos && !IsStopping()) {
        ReadPlaylists(std::string_view(text).substr(playlistsKey));
        AddPlaylistTree();
    }
}

void CITunesMediaReader::ReadTrack(std::string_view raw) {
    IMediaReaderOwner* owner = Owner();
    if (owner == nullptr) return;
    std::string kind = Utf8ToLower(itunes::GetValue(raw, "Kind"));
    std::string dict = DecodeDictionary(raw);
    // Kinds are missing or in the user's language in many libraries; the flags are not.
    bool video = Contains(kind, "movie") || Contains(kind, "video") ||
                 itunes::GetBool(dict, "Has Video") || itunes::GetBool(dict, "Movie") ||
                 itunes::GetBool(dict, "TV Show");
    std::string path = itunes::LocationToPath(itunes::GetValue(dict, "Location"), kSeparator);
    std::string genre = itunes::GetValue(dict, "Genre");
    if (genre.empty()) genre = kUnknownGenre;

    if (video) {
        if (path.empty()) return;
        std::string name = itunes::GetValue(dict, "Name");
        if (name.empty()) name = FileNameOf(path);
        if (itunes::GetBool(dict, "TV Show")) {
            CTVItem show;
            show.name = std::move(name);
            show.genre = std::move(genre);
            show.series = itunes::GetValue(dict, "Series");
            if (show.series.empty()) show.series = itunes::GetValue(dict, "Artist");
            if (show.series.empty()) show.series = "Single Run";
            show.path = std::move(path);
            owner->AddItem(show);
        } else {
            CVideoItem item;
            item.name = std::move(name);
            item.genre = std::move(genre);
            item.path = std::move(path);
            owner->AddItem(item);
        }
        return;
    }

    CMusicItem track;
    track.name = itunes::GetValue(dict, "Name");
    if (track.name.empty()) return;
    track.artist = itunes::GetValue(dict, "Artist");
    track.album = itunes::GetValue(dict, "Album");
    std::string number = itunes::GetValue(dict, "Track Number");
    std::string rawGenre = itunes::GetValue(dict, "Genre");
    if (itunes::GetBool(dict, "Podcast")) rawGenre = "Podcast";
    track.genre = rawGenre.empty() ? std::string(kUnknownGenre) : ResolveGenre(rawGenre);
    if (track.artist.empty()) track.artist = kUnknownArtist;
    if (track.album.empty()) track.album = kUnknownAlbum;
    track.trackNumber = number.empty() ? std::string("00") : NormalizeTrackNumber(number);
    track.path = std::move(path);
    owner->AddItem(track);
}

void CITunesMediaReader::ReadPlaylists(std::string_view section) {
    size_t pos = 0;
    while (!IsStopping()) {
        size_t open = section.find("<dict>", pos);
        if (open == std::string_view::npos) break;
        size_t close = section.find("</dict>", open);
        size_t array = section.find("<array>", open);
        size_t end = 0;
        if (array != std::string_view::npos && (close == std::string_view::npos || array < close)) {
            // The entry lists its items: it ends after them.
            size_t arrayEnd = section.find("</array>", array);
            end = arrayEnd == std::string_view::npos ? section.size() : arrayEnd + 8;
        } else {
            // No items of its own (folders, empty and smart playlists): its own dictionary
            // ends it, not the array that closes the playlist list.
            end = close == std::string_view::npos ? section.size() : close + 7;
        }
        std::string entry = DecodeDictionary(section.substr(open, end - open));
        pos = end;
        auto node = std::make_unique<PlaylistNode>();
        node->name = itunes::GetValue(entry, "Name");
        if (node->name.empty()) continue;
        node->folder = itunes::GetBool(entry, "Folder");
        node->persistentId = itunes::GetValue(entry, "Playlist Persistent ID");
        node->parentId = itunes::GetValue(entry, "Parent Persistent ID");
        m_playlists.push_back(std::move(node));
    }
}

namespace {

using Node = CITunesMediaReader::PlaylistNode;

Node* FindNode(std::vector<std::unique_ptr<Node>>& nodes, const std::string& id, const Node* skip) {
    for (auto& node : nodes) {
        if (node.get() == skip) continue;  // never below itself
        if (node->persistentId == id) return node.get();
        if (Node* found = FindNode(node->children, id, skip)) return found;
    }
    return nullptr;
}

std::unique_ptr<CPlaylistItem> ToPlaylistItem(const Node& node) {
    auto item = std::make_unique<CPlaylistItem>();
    item->name = node.name;
    for (const auto& child : node.children) item->children.push_back(ToPlaylistItem(*child));
    return item;
}

}  // namespace

void CITunesMediaReader::BuildPlaylistTree(std::vector<std::unique_ptr<PlaylistNode>>& nodes) {
    size_t i = 0;
    while (i < nodes.size()) {
        Node* node = nodes[i].get();
        Node* parent = node->parentId.empty() ? nullptr : FindNode(nodes, node->parentId, node);
        if (parent == nullptr) {
            ++i;
            continue;
        }
        parent->children.push_back(std::move(nodes[i]));
        nodes.erase(nodes.begin() + static_cast<long>(i));
    }
}

void CITunesMediaReader::AddPlaylistTree() {
    BuildPlaylistTree(m_playlists);
    IMediaReaderOwner* owner = Owner();
    if (owner == nullptr) return;
    for (const auto& node : m_playlists) {
        if (IsStopping()) break;
        owner->AddItem(*ToPlaylistItem(*node));
    }
}

}  // namespace vantor
