#pragma once

// What PlayMediaRequest and PlaylistAddRequest point at: a library id, a file path, a
// library-tree path, or a query over the library's fields.

#include <cstdint>
#include <string>

#include "protocol/MessageType.h"

namespace vantor {

struct CMediaSelector {
    int32_t id = -1;
    std::string path;
    std::string libPath;
    int32_t mediaType = kMediaUndefined;
    std::string any;
    std::string genre;
    std::string artist;
    std::string album;
    std::string title;

    bool operator==(const CMediaSelector&) const = default;
};

// Writes exactly one form, first that applies: "id", "path", "libPath", else the query
// ("mediaType" always, then the non-empty texts).
void WriteFields(std::string& out, const CMediaSelector& selector);
// Reads every field. The media type comes from "mediaType", as written, or else from
// "type", the name older servers read, so clients of either kind are understood.
void ReadFields(const std::string& doc, CMediaSelector& selector);

}  // namespace vantor
