#pragma once

// Every message class in one include. A type without a body is a plain CRequestMessage,
// CResponseMessage or CMessage (event) with its type id set; a type with a body is a
// TBodyMessage<Kind, Body> whose fields are reached through Body():
//
//   auto request = std::make_unique<CVolumeRequest>(msg::SetVolumeRequest);
//   request->SetRequestId(7);
//   request->Body().volume = 40;
//
// Types that share a body share the class, so the type id is always passed in.
//
//   Type(s)                                          Class                  Body fields
//   GetErrorDetailsRequest                           CErrorDetailsRequest   returnCode
//   GetErrorDetailsResponse (no "returnCode")        CErrorDetailsResponse  description
//   GetClientVersionRequest                          CClientVersionRequest  type
//   GetClientVersionResponse                         CClientVersionResponse version, url,
//                                                                           parameters, checksum
//   VersionInformation (event kind)                  CVersionInformation    name, version,
//       action, parameters, updateURL, infoURL, checksum, description
//   SetPlaylistPositionRequest, PlaylistRemoveRequest,
//   SetPlayPositionRequest                           CPositionRequest       position
//   GetPlaylistPositionResponse, GetPlayPositionResponse  CPositionResponse position
//   PlaylistPositionChangedEvent, PlayPositionChangedEvent CPositionEvent   position
//   PlaylistMoveRequest                              CPlaylistMoveRequest   position, newPosition
//   SetVolumeRequest / GetVolumeResponse / VolumeChangedEvent
//                                   CVolumeRequest / CVolumeResponse / CVolumeEvent   volume
//   GetPlayingStateResponse / PlayingStateChangedEvent
//                                   CPlayingStateResponse / CPlayingStateEvent  playingState
//   GetPlaylistLengthResponse                        CPlaylistLengthResponse length
//   GetPlaylistItemsRequest                          CPlaylistItemsRequest  start, count,
//                                                                           includeTotalCount
//   GetPlaylistItemsResponse                         CPlaylistItemsResponse start, totalCount,
//                                                                           items
//   SetShuffleStateRequest / GetShuffleStateResponse / ShuffleStateChangedEvent
//                 CShuffleStateRequest / CShuffleStateResponse / CShuffleStateEvent  shuffleState
//   SetRepeatStateRequest / GetRepeatStateResponse / RepeatStateChangedEvent
//                 CRepeatStateRequest / CRepeatStateResponse / CRepeatStateEvent  repeatState
//   GetAlbumArtResponse                              CAlbumArtResponse      artURL
//   GetCurrentMediaResponse / CurrentMediaChangedEvent
//                 CCurrentMediaResponse / CCurrentMediaEvent   type, artist, album, channel,
//                                                              title, length, rating
//   SetTrackRatingRequest / GetTrackRatingResponse   CTrackRatingRequest / ...Response  rating
//   GetEqPresetsResponse                             CEqPresetsResponse     presets
//   SetEqPresetRequest                               CEqPresetRequest       preset
//   SavePlaylistRequest                              CSavePlaylistRequest   name
//   SetEqRequest / GetEqResponse / EqChangedEvent    CEqRequest / CEqResponse / CEqEvent
//                                                    (CEqSettings: enabled, autoLoad, preamp,
//                                                     bands[10])
//   SetVideoModeRequest / GetVideoModeResponse       CVideoModeRequest / ...Response
//                                                                           fullScreenEnabled
//   GetPlayerCapabilitiesResponse                    CPlayerCapabilitiesResponse supportsEQ
//   PlayMediaRequest                                 CPlayMediaRequest      (CMediaSelector) id,
//       path, libPath, mediaType, any, genre, artist, album, title
//   PlaylistAddRequest                               CPlaylistAddRequest    selector, position
//   GetMediaItemRequest                              CMediaItemRequest      id, path
//   GetMediaItemResponse                             CMediaItemResponse     id, type, artist,
//                                                                           album, title, path
//   BrowseGenresRequest, BrowsePlaylistsRequest,
//   BrowseTVSeriesRequest                            CBrowseByNameRequest   paging, name
//   BrowseArtistsRequest                             CBrowseArtistsRequest  paging, genre (id),
//                                                                           genreName, name
//   BrowseAlbumsRequest                              CBrowseAlbumsRequest   paging, genre,
//                                                           artist, name, includeTracks
//   BrowseTracksRequest                              CBrowseTracksRequest   paging, genre,
//                                                                    artist, album, title
//   BrowseFoldersRequest, BrowsePicturesRequest      CBrowseFoldersRequest  paging, parentPath
//   BrowseTVRequest                                  CBrowseTVRequest       paging, genre,
//                                                                           series, title
//   BrowseVideoRequest                               CBrowseVideoRequest    paging, genre, title
//   MediaSearchRequest                               CMediaSearchRequest    paging, type, any,
//                                 genre, artist, album, title, path, isExplicit
//   BrowseLibraryRequest                             CBrowseLibraryRequest  paging, path,
//                                                                   returnAllMediaItems
//   BrowseGenresResponse / BrowseArtistsResponse / BrowseTVSeriesResponse
//         CBrowseGenresResponse / CBrowseArtistsResponse / CBrowseTVSeriesResponse
//                                                                   paging, names
//   MediaSearchResponse                              CMediaSearchResponse   paging, results
//                                                                   (id, type, name)
//   BrowseLibraryResponse                            CBrowseLibraryResponse paging, path,
//                                                           results (id, type, name, path)
//
// Request paging is CPagingRequest (start, count, includeTotalCount); response paging is
// CPagingResponse (start, count, totalCount). Media types are MediaType values, playing
// states PlayingState values.

#include "protocol/ConnectionMessages.h"
#include "protocol/LibraryMessages.h"
#include "protocol/Message.h"
#include "protocol/MessageType.h"
#include "protocol/PlayerMessages.h"
