#pragma once

#include "server/web/HttpRequest.h"

#include <cstdint>
#include <vector>

namespace vantor {

// A range resolved against a file: both ends inclusive and inside the file.
struct CFileSpan {
    int64_t first = 0;
    int64_t last = 0;
    bool operator==(const CFileSpan&) const = default;
};

struct CRangePlan {
    enum Kind { kWhole, kPartial, kUnsatisfiable } kind = kWhole;
    std::vector<CFileSpan> spans;  // for kPartial: one span, lowest to highest
    int64_t length = 0;            // bytes to send
    int64_t lowest = 0;            // lowest first byte, for Content-Range
    int64_t highest = 0;           // highest last byte
};

// Resolves the requested ranges against a file of the given size. No ranges: the whole
// file. A suffix range takes the last bytes; an end past the file is its last byte. A
// range that starts past the end (or an empty suffix) makes the request unsatisfiable.
// Several ranges become the single span from the lowest first byte to the highest last.
CRangePlan PlanRanges(const std::vector<CByteRange>& ranges, int64_t fileSize);

}  // namespace vantor
