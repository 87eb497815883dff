#include "server/player/CurrentMedia.h"

#include <cstdlib>

namespace vantor {

void FillCurrentMedia(const CMediaItem& item, CCurrentMedia& media) {
    media.type = item.mediaType;
    switch (item.mediaType) {
        case kMediaMusic:
            if (const auto* music = dynamic_cast<const CMusicItem*>(&item)) {
                media.artist = music->artist;
                media.album = music->album;
            }
            media.title = item.name;
            media.length = item.length;
            media.rating = item.rating;
            break;
        case kMediaVideo:
            media.title = item.name;
            media.length = item.length;
            media.rating = item.rating;
            break;
        case kMediaTV:
            if (const auto* tv = dynamic_cast<const CTVItem*>(&item)) {
                media.channel = std::atoi(tv->channel.c_str());
            }
            media.title = item.name;
            media.length = item.length;
            media.rating = item.rating;
            break;
        case kMediaRadio:
            media.title = item.name;
            break;
        default:
            break;
    }
}

void FillCurrentMedia(const CMediaItemBody& libraryItem, CCurrentMedia& media) {
    media.type = libraryItem.type;
    media.artist = libraryItem.artist;
    media.album = libraryItem.album;
    media.title = libraryItem.title;
}

std::unique_ptr<CMediaItem> MakeMediaItem(int32_t id, int32_t type, const std::string& name,
                                          const std::string& path, const std::string& artist,
                                          const std::string& album) {
    std::unique_ptr<CMediaItem> item;
    if (type == kMediaMusic) {
        auto music = std::make_unique<CMusicItem>();
        music->artist = artist;
        music->album = album;
        item = std::move(music);
    } else if (type == kMediaVideo) {
        item = std::make_unique<CVideoItem>();
    } else if (type == kMediaTV) {
        item = std::make_unique<CTVItem>();
    } else {
        item = std::make_unique<CMediaItem>(type);
    }
    item->id = id;
    item->name = name;
    item->path = path;
    return item;
}

bool IsAnnouncedMediaType(int32_t type) {
    return type == kMediaUndefined || type == kMediaMusic || type == kMediaVideo ||
           type == kMediaTV || type == kMediaRadio;
}

}  // namespace vantor
