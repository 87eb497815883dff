#pragma once

#include "server/library/store/MediaDataStore.h"

#include <cstdint>
#include <string>

namespace vantor {

// Browses the library by virtual path ("\Music\Genres\Rock"), composing the store's queries.
// `path` is the response path: shortcuts (a single root entry, a single album, "Podcasts")
// rewrite it to the path actually listed. `indexing` tells whether the first update still
// runs. `total` may be null. Returns 0, 21 (empty library while indexing) or 22 (a name in
// the path is not in the library). Entries are items named by what a client appends to the
// path; folders are type 12 with id -1.
int BrowseLibrary(IMediaDataStore& store, bool indexing, MediaItemList& out, std::string& path,
                  bool returnAllMediaItems, int32_t start, int32_t count, int32_t* total);

inline constexpr const char* kAllTracksEntry = "All Tracks";

}  // namespace vantor
