// Documents written and read per second: a typical ten-field request and a 500-entry
// library listing, each through the full path a channel takes (wire text included).

#include <benchmark/benchmark.h>

#include <string>

#include "protocol/Messages.h"
#include "protocol/Receive.h"
#include "protocol/Xml.h"

namespace vantor {
namespace {

// requestId and nine body fields.
CMediaSearchRequest TenFieldRequest() {
    CMediaSearchRequest request(msg::MediaSearchRequest);
    request.SetRequestId(4711);
    CSearchQuery& q = request.Body();
    q.paging = {0, 50, true};
    q.type = kMediaMusic;
    q.genre = "Rock & Roll";
    q.artist = "Caf\xC3\xA9 del Mar";
    q.album = "Greatest <Hits>";
    q.title = "Night Train";
    q.isExplicit = true;
    return request;
}

CBrowseLibraryResponse LargeListing() {
    CBrowseLibraryResponse response(msg::BrowseLibraryResponse);
    response.SetRequestId(12);
    response.SetReturnCode(0);
    CLibraryListing& listing = response.Body();
    listing.paging = {0, 500, 500};
    listing.path = "\\Music\\Artists";
    for (int i = 0; i < 500; ++i) {
        std::string name = "Artist " + std::to_string(i) + " & Friends";
        listing.results.push_back({1000 + i, kMediaArtist, name, "\\Music\\Artists\\" + name});
    }
    return response;
}

std::string Wire(const CMessage& message) {
    std::string doc = message.ToXml();
    ToWireText(doc);
    return doc;
}

void Write(benchmark::State& state, const CMessage& message) {
    for (auto _ : state) {
        std::string doc = message.ToXml();
        ToWireText(doc);
        benchmark::DoNotOptimize(doc.data());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Wire(message).size()));
}

void Read(benchmark::State& state, const CMessage& message) {
    const std::string wire = Wire(message);
    for (auto _ : state) {
        CReceiveResult result = ReceiveDocument(wire, 1);
        benchmark::DoNotOptimize(result.message.get());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(wire.size()));
}

void BM_WriteTenFieldRequest(benchmark::State& state) {
    Write(state, TenFieldRequest());
}
void BM_ReadTenFieldRequest(benchmark::State& state) {
    Read(state, TenFieldRequest());
}
void BM_WriteLibraryListing500(benchmark::State& state) {
    Write(state, LargeListing());
}
void BM_ReadLibraryListing500(benchmark::State& state) {
    Read(state, LargeListing());
}

BENCHMARK(BM_WriteTenFieldRequest);
BENCHMARK(BM_ReadTenFieldRequest);
BENCHMARK(BM_WriteLibraryListing500);
BENCHMARK(BM_ReadLibraryListing500);

}  // namespace
}  // namespace vantor

BENCHMARK_MAIN();
