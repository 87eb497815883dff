#include "server/library/readers/wmp/WMPMediaReader.h"

#include "platform/AutomationClient.h"
#include "protocol/MediaItem.h"
#include "server/core/Logger.h"
#include "server/library/ReaderRoutines.h"

#include <cctype>

namespace vantor {

namespace {

constexpr const char* kVideoClass = "DB9830BD-3AB3-4FAB-8A37-1A995F7FF74B";
constexpr const char* kRecordedTvClass = "BA7F258A-62F7-47A9-B21F-4651C42A000E";

std::string ClassId(const std::string& value) {
    std::string id;
    for (char c : value) {
        if (c != '{' && c != '}')
            id += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return id;
}

// An attribute the player does not return leaves the field empty.
std::string Info(const CAutomationObject& media, const char* name) {
    std::string value;
    if (Failed(media.Call("getItemInfo", {std::string(name)}, value))) value.clear();
    return value;
}

void ReadAudio(const CAutomationObject& media, CMusicItem& track) {
    const std::string genre = Info(media, "WM/Genre");
    track.genre = genre.empty() ? "Unknown Genre" : ResolveGenre(genre);
    track.artist = Info(media, "Author");
    track.album = Info(media, "WM/AlbumTitle");
    track.name = Info(media, "Title");
    const std::string number = Info(media, "WM/TrackNumber");
    track.trackNumber = number.empty() ? "00" : NormalizeTrackNumber(number);
    if (track.artist.empty()) track.artist = "Unknown Artist";
    if (track.album.empty()) track.album = "Unknown Album";
}

void ReadTv(const CAutomationObject& media, CTVItem& show) {
    show.genre = Info(media, "WM/Genre");
    show.name = Info(media, "Title");
    const std::string subtitle = Info(media, "WM/SubTitle");
    if (!subtitle.empty()) {
        show.series = show.name;
        show.name = subtitle;
    }
    show.description = Info(media, "SubTitleDescription");
    show.channel = Info(media, "WM/MediaOriginalChannel");
    show.recordTime = Info(media, "RecordingTime");
    show.parentalRating = Info(media, "WM/ParentalRating");
    show.channelName = Info(media, "WM/MediaStationName");
    if (show.genre.empty()) show.genre = "Unknown Genre";
    if (show.series.empty()) show.series = "Single Run";
}

}  // namespace

CWMPMediaReader::CWMPMediaReader(CLogger& logger, std::string program, std::string directory)
    : m_logger(logger), m_program(std::move(program)), m_directory(std::move(directory)) {}

bool CWMPMediaReader::IsRecordedTv(const std::string& primaryClass,
                                   const std::string& secondaryClass) {
    return ClassId(primaryClass) == kVideoClass && ClassId(secondaryClass) == kRecordedTvClass;
}

int CWMPMediaReader::Read() {
    ClearStop();
    CAutomationObject player;
    HRESULT hr = CreateAutomationObject("WMPlayer.OCX", m_program, player, m_directory);
    CAutomationObject collection;
    CAutomationObject all;
    int32_t count = 0;
    if (Succeeded(hr)) hr = player.Get("mediaCollection", collection);
    if (Succeeded(hr)) hr = collection.Call("getAll", {}, all);
    if (Succeeded(hr)) hr = all.Get("count", count);
    if (Failed(hr)) {
        // Not an error of the server: Media Center setups may have no player to read.
        m_logger.LogDetailed("Windows Media Player library not read [0x%08x]",
                             static_cast<uint32_t>(hr));
        return hr;
    }
    IMediaReaderOwner* owner = Owner();
    for (int32_t index = 0; index < count && !IsStopping(); ++index) {
        CAutomationObject media;
        std::string url;
        if (Failed(all.Get("item", media, {index})) || media.IsNull() ||
            Failed(media.Get("sourceURL", url))) {
            continue;
        }
        const std::string type = Info(media, "MediaType");
        std::unique_ptr<CMediaItem> item;
        if (type == "audio") {
            auto track = std::make_unique<CMusicItem>();
            ReadAudio(media, *track);
            item = std::move(track);
        } else if (type == "video" && IsRecordedTv(Info(media, "WM/MediaClassPrimaryID"),
                                                   Info(media, "WM/MediaClassSecondaryID"))) {
            auto show = std::make_unique<CTVItem>();
            ReadTv(media, *show);
            item = std::move(show);
        } else if (type == "video") {
            auto video = std::make_unique<CVideoItem>();
            const std::string genre = Info(media, "WM/Genre");
            video->genre = genre.empty() ? "Unknown Genre" : genre;
            video->name = Info(media, "Title");
            item = std::move(video);
        } else if (type == "playlist") {
            item = std::make_unique<CPlaylistItem>();
            item->name = Info(media, "Title");
        } else {
            continue;
        }
        item->path = url;
        if (owner) owner->AddItem(*item);
    }
    return 0;
}

}  // namespace vantor
