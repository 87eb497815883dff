// Feeds arbitrary bytes, cut into arbitrary pieces, to the HTTP request reader as a hostile
// browser would send them, and plans every request's ranges against a file, checking what
// the channel relies on: bodies as long as their length says, bounded buffers, and ranges
// that never reach outside the file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "server/web/ByteRanges.h"
#include "server/web/HttpRequestReader.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckPlan(const vantor::CHttpRequest& request, int64_t fileSize) {
    const vantor::CRangePlan plan = vantor::PlanRanges(request.ranges, fileSize);
    if (plan.kind == vantor::CRangePlan::kWhole) {
        Check(plan.length == fileSize);
        return;
    }
    if (plan.kind == vantor::CRangePlan::kUnsatisfiable) return;
    Check(plan.spans.size() == 1);
    Check(plan.lowest >= 0 && plan.lowest <= plan.highest && plan.highest < fileSize);
    Check(plan.spans[0].first == plan.lowest && plan.spans[0].last == plan.highest);
    Check(plan.length == plan.highest - plan.lowest + 1 && plan.length <= fileSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // The first bytes choose how the stream is cut and how large the file is.
    const size_t piece = 1 + data[0] % 64;
    const int64_t fileSize = static_cast<int64_t>(data[1]) * 37;
    std::string_view stream(reinterpret_cast<const char*>(data) + 2, size - 2);

    vantor::CHttpRequestReader reader;
    size_t fed = 0;
    while (fed < stream.size()) {
        const std::string_view part = stream.substr(fed, piece);
        fed += part.size();
        reader.Append(part);
        while (true) {
            vantor::CHttpRequest request;
            const auto result = reader.Next(request);
            if (result == vantor::CHttpRequestReader::kNeedMore) break;
            if (result != vantor::CHttpRequestReader::kRequest) {
                Check(!vantor::CHttpRequestReader::StatusFor(result).empty());
                return 0;  // the channel answers and closes the connection here
            }
            Check(!request.uncertainLength);
            Check(static_cast<int64_t>(request.body.size()) ==
                  (request.hasContentLength ? request.contentLength : 0));
            Check(request.body.size() <= vantor::CHttpRequestReader::kMaxBodyBytes);
            CheckPlan(request, fileSize);
        }
        // What waits in the buffer is bounded by one request's header and body.
        Check(reader.Buffered() <= vantor::CHttpRequestReader::kMaxHeaderBytes +
                                       vantor::CHttpRequestReader::kMaxBodyBytes + piece + 4);
    }
    return 0;
}
