#pragma once

// Bodies and message classes of library browsing and search. Every list request starts
// with the paging request block, every list response with the paging response block.
// Library-tree paths are backslash-separated ("\Music\Genres\Rock").

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/Message.h"
#include "protocol/MessageType.h"
#include "protocol/PagingBlocks.h"

namespace vantor {

// GetMediaItemRequest: by library id (when set) or by path (when not empty).
struct CMediaItemQuery {
    int32_t id = -1;
    std::string path;
    bool operator==(const CMediaItemQuery&) const = default;
};

// GetMediaItemResponse.
struct CMediaItemBody {
    int32_t id = -1;
    int32_t type = kMediaUndefined;
    std::string artist;
    std::string album;
    std::string title;
    std::string path;
    std::string trackNumber;  // "07" style; written only when the library has one
    bool operator==(const CMediaItemBody&) const = default;
};

// BrowseGenresRequest, BrowsePlaylistsRequest, BrowseTVSeriesRequest.
struct CNameQuery {
    CPagingRequest paging;
    std::string name;
    bool operator==(const CNameQuery&) const = default;
};

// BrowseArtistsRequest: genre is a library id, genreName a name.
struct CArtistQuery {
    CPagingRequest paging;
    int32_t genre = -1;
    std::string genreName;
    std::string name;
    bool operator==(const CArtistQuery&) const = default;
};

struct CAlbumQuery {
    CPagingRequest paging;
    std::string genre;
    std::string artist;
    std::string name;
    bool includeTracks = false;
    bool operator==(const CAlbumQuery&) const = default;
};

struct CTrackQuery {
    CPagingRequest paging;
    std::string genre;
    std::string artist;
    std::string album;
    std::string title;
    bool operator==(const CTrackQuery&) const = default;
};

// BrowseFoldersRequest, BrowsePicturesRequest.
struct CFolderQuery {
    CPagingRequest paging;
    std::string parentPath;
    bool operator==(const CFolderQuery&) const = default;
};

struct CTVQuery {
    CPagingRequest paging;
    std::string genre;
    std::string series;
    std::string title;
    bool operator==(const CTVQuery&) const = default;
};

struct CVideoQuery {
    CPagingRequest paging;
    std::string genre;
    std::string title;
    bool operator==(const CVideoQuery&) const = default;
};

// MediaSearchRequest: "type" is written only when not undefined.
struct CSearchQuery {
    CPagingRequest paging;
    int32_t type = kMediaUndefined;
    std::string any;
    std::string genre;
    std::string artist;
    std::string album;
    std::string title;
    std::string path;
    bool isExplicit = false;
    bool operator==(const CSearchQuery&) const = default;
};

// BrowseLibraryRequest: path is always written, even empty.
struct CLibraryQuery {
    CPagingRequest paging;
    std::string path;
    bool returnAllMediaItems = false;
    bool operator==(const CLibraryQuery&) const = default;
};

inline constexpr char kGenreElement[] = "genre";
inline constexpr char kArtistElement[] = "artist";
inline constexpr char kSeriesElement[] = "series";

// BrowseGenresResponse, BrowseArtistsResponse, BrowseTVSeriesResponse: one element per
// name, named after what is listed.
template <const char* Element>
struct TNameList {
    CPagingResponse paging;
    std::vector<std::string> names;
    bool operator==(const TNameList&) const = default;
};
using CGenreList = TNameList<kGenreElement>;
using CArtistList = TNameList<kArtistElement>;
using CSeriesList = TNameList<kSeriesElement>;

// One entry of a MediaSearchResponse; its "id" is written whenever set, 0 included.
struct CSearchResult {
    int32_t id = -1;
    int32_t type = kMediaUndefined;
    std::string name;
    bool operator==(const CSearchResult&) const = default;
};

struct CSearchResults {
    CPagingResponse paging;
    std::vector<CSearchResult> results;
    bool operator==(const CSearchResults&) const = default;
};

// One entry of a BrowseLibraryResponse; its "id" is written only when above 0, so an
// entry with id 0 reads back as -1.
struct CLibraryEntry {
    int32_t id = -1;
    int32_t type = kMediaUndefined;
    std::string name;
    std::string path;
    bool operator==(const CLibraryEntry&) const = default;
};

// BrowseLibraryResponse. Fields are found anywhere in the document, so an empty top-level
// path (written "<path/>", never found) reads back as the first entry's path.
struct CLibraryListing {
    CPagingResponse paging;
    std::string path;
    std::vector<CLibraryEntry> results;
    bool operator==(const CLibraryListing&) const = default;
};

void WriteFields(std::string& out, const CMediaItemQuery& body);
void ReadFields(const std::string& doc, CMediaItemQuery& body);
void WriteFields(std::string& out, const CMediaItemBody& body);
void ReadFields(const std::string& doc, CMediaItemBody& body);
void WriteFields(std::string& out, const CNameQuery& body);
void ReadFields(const std::string& doc, CNameQuery& body);
void WriteFields(std::string& out, const CArtistQuery& body);
void ReadFields(const std::string& doc, CArtistQuery& body);
void WriteFields(std::string& out, const CAlbumQuery& body);
void ReadFields(const std::string& doc, CAlbumQuery& body);
void WriteFields(std::string& out, const CTrackQuery& body);
void ReadFields(const std::string& doc, CTrackQuery& body);
void WriteFields(std::string& out, const CFolderQuery& body);
void ReadFields(const std::string& doc, CFolderQuery& body);
void WriteFields(std::string& out, const CTVQuery& body);
void ReadFields(const std::string& doc, CTVQuery& body);
void WriteFields(std::string& out, const CVideoQuery& body);
void ReadFields(const std::string& doc, CVideoQuery& body);
void WriteFields(std::string& out, const CSearchQuery& body);
void ReadFields(const std::string& doc, CSearchQuery& body);
void WriteFields(std::string& out, const CLibraryQuery& body);
void ReadFields(const std::string& doc, CLibraryQuery& body);
void WriteFields(std::string& out, const CSearchResults& body);
void ReadFields(const std::string& doc, CSearchResults& body);
void WriteFields(std::string& out, const CLibraryListing& body);
void ReadFields(const std::string& doc, CLibraryListing& body);

void WriteNameList(std::string& out, std::string_view element, const CPagingResponse& paging,
                   const std::vector<std::string>& names);
void ReadNameList(const std::string& doc, std::string_view element, CPagingResponse& paging,
                  std::vector<std::string>& names);

template <const char* Element>
void WriteFields(std::string& out, const TNameList<Element>& body) {
    WriteNameList(out, Element, body.paging, body.names);
}

template <const char* Element>
void ReadFields(const std::string& doc, TNameList<Element>& body) {
    ReadNameList(doc, Element, body.paging, body.names);
}

using CMediaItemRequest = TBodyMessage<CRequestMessage, CMediaItemQuery>;
using CMediaItemResponse = TBodyMessage<CResponseMessage, CMediaItemBody>;
// BrowseGenresRequest, BrowsePlaylistsRequest, BrowseTVSeriesRequest.
using CBrowseByNameRequest = TBodyMessage<CRequestMessage, CNameQuery>;
using CBrowseArtistsRequest = TBodyMessage<CRequestMessage, CArtistQuery>;
using CBrowseAlbumsRequest = TBodyMessage<CRequestMessage, CAlbumQuery>;
using CBrowseTracksRequest = TBodyMessage<CRequestMessage, CTrackQuery>;
// BrowseFoldersRequest, BrowsePicturesRequest.
using CBrowseFoldersRequest = TBodyMessage<CRequestMessage, CFolderQuery>;
using CBrowseTVRequest = TBodyMessage<CRequestMessage, CTVQuery>;
using CBrowseVideoRequest = TBodyMessage<CRequestMessage, CVideoQuery>;
using CMediaSearchRequest = TBodyMessage<CRequestMessage, CSearchQuery>;
using CBrowseLibraryRequest = TBodyMessage<CRequestMessage, CLibraryQuery>;
using CBrowseGenresResponse = TBodyMessage<CResponseMessage, CGenreList>;
using CBrowseArtistsResponse = TBodyMessage<CResponseMessage, CArtistList>;
using CBrowseTVSeriesResponse = TBodyMessage<CResponseMessage, CSeriesList>;
using CMediaSearchResponse = TBodyMessage<CResponseMessage, CSearchResults>;
using CBrowseLibraryResponse = TBodyMessage<CResponseMessage, CLibraryListing>;

}  // namespace vantor
