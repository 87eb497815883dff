#include "server/web/ByteRanges.h"

#include <algorithm>

namespace vantor {

CRangePlan PlanRanges(const std::vector<CByteRange>& ranges, int64_t fileSize) {
    CRangePlan plan;
    if (ranges.empty()) {
        plan.length = fileSize;
        return plan;
    }
    for (const CByteRange& range : ranges) {
        CFileSpan span;
        if (range.start < 0) {
            int64_t count = std::min(range.end, fileSize);
            if (count <= 0) return CRangePlan{CRangePlan::kUnsatisfiable, {}, 0, 0, 0};
            span.first = fileSize - count;
            span.last = fileSize - 1;
        } else {
            if (range.start >= fileSize) return CRangePlan{CRangePlan::kUnsatisfiable, {}, 0, 0, 0};
            span.first = range.start;
            span.last = range.end < 0 || range.end >= fileSize ? fileSize - 1 : range.end;
            // "bytes=500-100" is not a range a client can mean; send the whole file.
            if (span.last < span.first) {
                plan = CRangePlan{};
                plan.length = fileSize;
                return plan;
            }
        }
        plan.spans.push_back(span);
    }
    // Several ranges are answered with the one span from the lowest start to the highest
    // end: its bytes are exactly what the Content-Range header names, and the body can
    // never be larger than the file, however many ranges a request lists.
    plan.kind = CRangePlan::kPartial;
    plan.lowest = plan.spans.front().first;
    plan.highest = plan.spans.front().last;
    for (const CFileSpan& span : plan.spans) {
        plan.lowest = std::min(plan.lowest, span.first);
        plan.highest = std::max(plan.highest, span.last);
    }
    plan.spans.assign(1, CFileSpan{plan.lowest, plan.highest});
    plan.length = plan.highest - plan.lowest + 1;
    return plan;
}

}  // namespace vantor
