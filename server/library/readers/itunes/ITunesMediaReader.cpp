#include "server/library/readers/itunes/ITunesMediaReader.h"

#include "platform/DataFolder.h"
#include "protocol/MediaItem.h"
#include "protocol/TextCoding.h"
#include "protocol/Xml.h"
#include "server/core/ConfigStore.h"
#include "server/core/Logger.h"
#include "server/library/ReaderRoutines.h"
#include "server/library/readers/common/FileWindow.h"
#include "server/library/readers/itunes/ITunesText.h"
#include "server/library/store/TextFolding.h"


namespace vantor {

namespace {

constexpr char kSeparator = '/';

constexpr std::string_view kPlaylistsKey = "<key>Playlists</key>";

// The significant size of the file, read in blocks; -1 when it cannot be read.
int64_t SignificantSizeOfFile(const std::string& path) {
    CFileWindow file;
    if (!file.Open(path)) return -1;
    itunes::CSignificantSizeCounter counter;
    uint64_t done = 0;
    while (!file.AtEndOfFile()) {
        const uint64_t end = file.ReadUpTo(done + CFileWindow::kBlockSize);
        counter.Feed(file.Text(done, end));
        file.Discard(end);
        done = end;
    }
    return counter.Size();
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
    const int64_t size = SignificantSizeOfFile(Path());
    if (size < 0) return;
    if (size != m_significantSize.load()) {
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
    const int64_t significantSize = SignificantSizeOfFile(path);
    CFileWindow file;
    if (significantSize < 0 || !file.Open(path)) {
        m_logger.LogCritical("ERROR: Unable to open CITunesMediaReader XML file:\r\n\t%s",
                             path.c_str());
        return 1;
    }
    m_logger.LogDetailed("Reading iTunes XML file: %s", path.c_str());
    m_significantSize.store(significantSize);
    Parse(file);
    if (file.Truncated()) {
        m_logger.LogNormal("iTunes XML file: an entry longer than %d MiB was cut short: %s",
                           static_cast<int>(CFileWindow::kDefaultMaxWindow >> 20), path.c_str());
    }
    return 0;
}

// The file is read front to back once; only the entry being read is held.
void CITunesMediaReader::Parse(CFileWindow& file) {
    constexpr uint64_t npos = CFileWindow::npos;
    const uint64_t tracksKey = file.Find("<key>Tracks</key>", 0, true);
    if (tracksKey == npos) return;
    // The track section runs from the tracks key to the playlists key; some libraries have
    // no playlists at all, and their tracks run to the end of the file.
    uint64_t playlistsKey = npos;
    uint64_t pos = tracksKey;
    while (!IsStopping()) {
        file.Discard(pos);
        const uint64_t open = file.Find("<dict>", pos);
        if (open == npos) break;
        playlistsKey = file.Find(kPlaylistsKey, pos, false, open);
        if (playlistsKey != npos) break;
        uint64_t close = file.Find("</dict>", open);
        // A dictionary cut off by the playlists key (or the end) ends there.
        playlistsKey = file.Find(kPlaylistsKey, open, false, close);
        if (playlistsKey != npos) close = playlistsKey;
        ReadTrack(file.Text(open + 6, close == npos ? file.End() : close));
        if (close == npos || close == playlistsKey) break;
        pos = close;
    }
    m_playlists.clear();
    if (playlistsKey != npos && !IsStopping()) {
        ReadPlaylists(file, playlistsKey);
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

void CITunesMediaReader::ReadPlaylists(CFileWindow& file, uint64_t section) {
    constexpr uint64_t npos = CFileWindow::npos;
    uint64_t pos = section;
    while (!IsStopping()) {
        const uint64_t open = file.Find("<dict>", pos, true);
        if (open == npos) break;
        const uint64_t close = file.Find("</dict>", open);
        const uint64_t array = file.Find("<array>", open, false, close);
        std::string entry;
        if (array != npos) {
            // The entry lists its items and ends after them. The items are not read: only
            // what comes before them is kept, and the list is skipped without holding it.
            entry = DecodeDictionary(file.Text(open, array));
            const uint64_t arrayEnd = file.Find("</array>", array, true);
            pos = arrayEnd == npos ? file.End() : arrayEnd + 8;
        } else {
            // No items of its own (folders, empty and smart playlists): its own dictionary
            // ends it, not the array that closes the playlist list.
            pos = close == npos ? file.End() : close + 7;
            entry = DecodeDictionary(file.Text(open, pos));
        }
        file.Discard(pos);
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
