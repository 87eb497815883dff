#pragma once

// Builders of the request messages the clients send, with their fields set. Each returns a
// new request without a request id (the link assigns one).

#include <cstdint>
#include <memory>
#include <string>

#include "protocol/Messages.h"

namespace vantor::client::requests {

// Any request type without fields (PlayRequest, GetVolumeRequest, PlaylistClearRequest, ...).
std::unique_ptr<CRequestMessage> Plain(int32_t type);
std::unique_ptr<CRequestMessage> SetVolume(int32_t volume);
std::unique_ptr<CRequestMessage> SetPlayPosition(int32_t seconds);
std::unique_ptr<CRequestMessage> SetPlaylistPosition(int32_t position);
std::unique_ptr<CRequestMessage> PlaylistRemove(int32_t position);
std::unique_ptr<CRequestMessage> PlaylistMove(int32_t from, int32_t to);
std::unique_ptr<CRequestMessage> PlayMedia(const CMediaSelector& selector);
// `position` -1 appends.
std::unique_ptr<CRequestMessage> PlaylistAdd(const CMediaSelector& selector, int32_t position);
std::unique_ptr<CRequestMessage> GetPlaylistItems(int32_t start, int32_t count);
std::unique_ptr<CRequestMessage> SetShuffle(bool on);
std::unique_ptr<CRequestMessage> SetRepeat(bool on);
std::unique_ptr<CRequestMessage> SetTrackRating(int32_t rating);
std::unique_ptr<CRequestMessage> SetEqPreset(const std::string& preset);
std::unique_ptr<CRequestMessage> SavePlaylist(const std::string& name);
std::unique_ptr<CRequestMessage> SetEq(const CEqSettings& settings);
std::unique_ptr<CRequestMessage> SetVideoMode(bool fullScreen);
std::unique_ptr<CRequestMessage> GetClientVersion(const std::string& platform);
std::unique_ptr<CRequestMessage> GetErrorDetails(int32_t returnCode);
// Paging: start and count -1 ask for everything; the total is always asked for.
std::unique_ptr<CRequestMessage> BrowseLibrary(const std::string& path, int32_t start,
                                               int32_t count);
std::unique_ptr<CRequestMessage> BrowseArtists(const std::string& genreName, int32_t start,
                                               int32_t count);
std::unique_ptr<CRequestMessage> Search(const CSearchQuery& query);
// A search of every field for `words`.
std::unique_ptr<CRequestMessage> SearchAny(const std::string& words, int32_t start, int32_t count);

// A selector for a library-tree path ("\Music\Artists\...").
CMediaSelector LibraryPath(const std::string& libPath);

}  // namespace vantor::client::requests
