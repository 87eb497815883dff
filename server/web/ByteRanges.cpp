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
    plan.kind = CRangePlan::kPartial;
    plan.lowest = plan.spans.front().first;
    plan.highest = plan.spans.front().last;
    for (const CFileSpan& span : plan.spans) {
        plan.length += span.last - span.first + 1;
        plan.lowest = std::min(plan.lowest, span.first);
        plan.highest = std::max(plan.highest, span.last);
    }
    return plan;
}

}  // namespace vantor
