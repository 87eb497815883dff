// The monitors: what the player's events do not report (position, current media, volume),
// the current playlist's titles and the media collection's size, and the playlist position
// after events marked it as possibly moved.

#include "protocol/MessageType.h"
#include "server/player/wmp/WMPPlayer.h"

#include <cstdlib>

namespace vantor {

namespace {

constexpr int kPlayPositionThreshold = 3;

// The item for a media object: audio as a music item, anything else by its path alone.
std::unique_ptr<CMediaItem> ReadMedia(const CAutomationObject& media, std::string& url) {
    std::string name;
    std::string type;
    double duration = 0;
    if (Failed(media.Get("sourceURL", url)) || Failed(media.Get("name", name)) ||
        Failed(media.Get("duration", duration)) ||
        Failed(media.Call("getItemInfo", {std::string("MediaType")}, type))) {
        return nullptr;
    }
    std::unique_ptr<CMediaItem> item;
    if (type == "audio") {
        auto music = std::make_unique<CMusicItem>();
        std::string rating;
        media.Call("getItemInfo", {std::string("Author")}, music->artist);
        media.Call("getItemInfo", {std::string("WM/AlbumTitle")}, music->album);
        media.Call("getItemInfo", {std::string("UserRating")}, rating);
        music->rating = rating.empty() ? -1 : std::atoi(rating.c_str());
        item = std::move(music);
    } else {
        item = std::make_unique<CMediaItem>(type == "video" ? kMediaVideo : kMediaUndefined);
    }
    item->name = name;
    item->path = url;
    item->length = static_cast<int32_t>(duration);
    return item;
}

}  // namespace

void CWMPPlayer::ResetCache() {
    std::lock_guard lock(m_stateMutex);
    m_playingState = kStopped;
    m_playlistPosition = -1;
    m_playPosition = 0;
    m_volume = 0;
    m_shuffle = false;
    m_repeat = false;
    m_collectionCount = -1;
    m_currentUrl.clear();
    m_currentMedia.reset();
    m_titles.clear();
}

void CWMPPlayer::StateMonitorPass() {
    CAutomationObject player;
    if (!Control(player)) return;
    IPlayerListener* listener = Listener();

    CAutomationObject media;
    if (Failed(player.Get("currentMedia", media))) return;
    std::string url;
    std::unique_ptr<CMediaItem> item = media.IsNull() ? nullptr : ReadMedia(media, url);
    if (!media.IsNull() && !item) return;
    bool itemChanged = false;
    {
        std::lock_guard lock(m_stateMutex);
        if (url != m_currentUrl) {
            m_currentUrl = url;
            m_currentMedia = item ? item->Clone() : nullptr;
            itemChanged = true;
        }
    }
    if (itemChanged && item && listener) listener->OnCurrentMediaChanged(*item);

    CAutomationObject settings;
    int32_t volume = 0;
    if (Succeeded(player.Get("settings", settings)) && !settings.IsNull() &&
        Succeeded(settings.Get("volume", volume))) {
        bool changed = false;
        {
            std::lock_guard lock(m_stateMutex);
            changed = volume != m_volume;
            m_volume = volume;
        }
        if (changed && listener) listener->OnVolumeChanged(volume);
    }

    CAutomationObject controls;
    double position = 0;
    if (Failed(player.Get("controls", controls)) || controls.IsNull() ||
        Failed(controls.Get("currentPosition", position))) {
        return;
    }
    const auto seconds = static_cast<int32_t>(position);
    bool report = false;
    {
        std::lock_guard lock(m_stateMutex);
        report = itemChanged || std::abs(seconds - m_playPosition) > kPlayPositionThreshold;
        m_playPosition = seconds;
    }
    if (report && listener) listener->OnPlayPositionChanged(seconds);
}

void CWMPPlayer::PlaylistMonitorPass() {
    CAutomationObject player;
    if (!Control(player)) return;
    IPlayerListener* listener = Listener();

    CAutomationObject playlist;
    int32_t count = 0;
    if (Failed(CurrentPlaylist(player, playlist)) || Failed(playlist.Get("count", count))) return;
    std::vector<std::string> titles;
    titles.reserve(static_cast<size_t>(std::max(count, 0)));
    for (int32_t index = 0; index < count; ++index) {
        CAutomationObject media;
        std::string author;
        std::string title;
        if (Failed(playlist.Get("item", media, {index})) || media.IsNull() ||
            Failed(media.Call("getItemInfo", {std::string("Author")}, author)) ||
            Failed(media.Call("getItemInfo", {std::string("Title")}, title))) {
            return;
        }
        titles.push_back(author.empty() ? title : author + " - " + title);
    }
    bool changed = false;
    {
        std::lock_guard lock(m_stateMutex);
        changed = titles != m_titles;
        if (changed) m_titles = std::move(titles);
    }
    if (changed) {
        m_positionMark = true;
        if (listener) listener->OnPlaylistChanged();
    }

    CAutomationObject collection;
    CAutomationObject all;
    int32_t entries = 0;
    if (Succeeded(player.Get("mediaCollection", collection)) && !collection.IsNull() &&
        Succeeded(collection.Call("getAll", {}, all)) && !all.IsNull() &&
        Succeeded(all.Get("count", entries))) {
        bool libraryChanged = false;
        {
            std::lock_guard lock(m_stateMutex);
            libraryChanged = m_collectionCount != -1 && entries != m_collectionCount;
            m_collectionCount = entries;
        }
        if (libraryChanged && listener) listener->OnLibraryChanged();
    }
}

void CWMPPlayer::PositionMonitorPass() {
    if (!m_positionMark.exchange(false)) return;
    CAutomationObject player;
    if (!Control(player)) return;
    CAutomationObject media;
    CAutomationObject playlist;
    int32_t count = 0;
    if (Failed(player.Get("currentMedia", media)) || Failed(CurrentPlaylist(player, playlist)) ||
        Failed(playlist.Get("count", count))) {
        m_positionMark = true;  // try again at the next pass
        return;
    }
    std::string url;
    if (!media.IsNull()) media.Get("sourceURL", url);
    int32_t position = -1;
    for (int32_t index = 0; !url.empty() && index < count && position < 0; ++index) {
        CAutomationObject entry;
        std::string entryUrl;
        if (Succeeded(playlist.Get("item", entry, {index})) && !entry.IsNull() &&
            Succeeded(entry.Get("sourceURL", entryUrl)) && entryUrl == url) {
            position = index;
        }
    }
    bool changed = false;
    {
        std::lock_guard lock(m_stateMutex);
        changed = position != m_playlistPosition;
        m_playlistPosition = position;
    }
    if (changed) {
        if (IPlayerListener* listener = Listener()) listener->OnPlaylistPositionChanged(position);
    }
}

}  // namespace vantor
