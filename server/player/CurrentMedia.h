#pragma once

#include "protocol/LibraryMessages.h"
#include "protocol/MediaItem.h"
#include "protocol/PlayerMessages.h"

namespace vantor {

// Fills what a GetCurrentMediaResponse or CurrentMediaChangedEvent tells about an item the
// player reported: the type always; then by type the texts, channel, length and rating that
// type has. Types other than undefined, music, video, tv and radio add nothing.
void FillCurrentMedia(const CMediaItem& item, CCurrentMedia& media);

// The same from the library's answer about an item (type and the three texts).
void FillCurrentMedia(const CMediaItemBody& libraryItem, CCurrentMedia& media);

// A media item to hand to the player, built from a library answer or a search/listing entry.
std::unique_ptr<CMediaItem> MakeMediaItem(int32_t id, int32_t type, const std::string& name,
                                          const std::string& path, const std::string& artist = "",
                                          const std::string& album = "");

// Types whose change is announced (the others have nothing a client shows).
bool IsAnnouncedMediaType(int32_t type);

}  // namespace vantor
