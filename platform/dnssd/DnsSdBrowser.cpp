#include "platform/dnssd/DnsSdBrowser.h"

#include "platform/dnssd/AvahiLoop.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/address.h>
#include <avahi-common/malloc.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace vantor {

namespace {

using Clock = std::chrono::steady_clock;

// A hostile network can announce without end: resolving is bounded too.
constexpr int kMaxPendingResolvers = 16;

struct BrowseState {
    std::vector<CDnsSdEndpoint> found;
    size_t maxResults = 0;
    int pending = 0;
    bool allForNow = false;
    bool failed = false;
};

void OnResolved(AvahiServiceResolver* resolver, AvahiIfIndex, AvahiProtocol,
                AvahiResolverEvent event, const char* name, const char*, const char*, const char*,
                const AvahiAddress* address, uint16_t port, AvahiStringList* txt,
                AvahiLookupResultFlags, void* userdata) {
    auto* state = static_cast<BrowseState*>(userdata);
    if (event == AVAHI_RESOLVER_FOUND && address && state->found.size() < state->maxResults) {
        CDnsSdEndpoint endpoint;
        endpoint.name = name ? name : "";
        char text[AVAHI_ADDRESS_STR_MAX] = {};
        avahi_address_snprint(text, sizeof text, address);
        endpoint.address = text;
        endpoint.port = port;
        for (AvahiStringList* t = txt; t; t = avahi_string_list_get_next(t)) {
            endpoint.txt.emplace_back(reinterpret_cast<const char*>(avahi_string_list_get_text(t)),
                                      avahi_string_list_get_size(t));
        }
        MergeEndpoints(state->found, {endpoint});
    }
    --state->pending;
    avahi_service_resolver_free(resolver);
}

void OnBrowse(AvahiServiceBrowser* browser, AvahiIfIndex interface, AvahiProtocol protocol,
              AvahiBrowserEvent event, const char* name, const char* type, const char* domain,
              AvahiLookupResultFlags, void* userdata) {
    auto* state = static_cast<BrowseState*>(userdata);
    switch (event) {
        case AVAHI_BROWSER_NEW:
            if (state->pending >= kMaxPendingResolvers) return;
            if (avahi_service_resolver_new(avahi_service_browser_get_client(browser), interface,
                                           protocol, name, type, domain, AVAHI_PROTO_INET,
                                           static_cast<AvahiLookupFlags>(0), OnResolved, state)) {
                ++state->pending;
            }
            return;
        case AVAHI_BROWSER_ALL_FOR_NOW:
            state->allForNow = true;
            return;
        case AVAHI_BROWSER_FAILURE:
            state->failed = true;
            return;
        default:
            return;
    }
}

void OnClient(AvahiClient*, AvahiClientState, void*) {}

struct ClientFree {
    void operator()(AvahiClient* c) const { avahi_client_free(c); }
};

}  // namespace

std::string CDnsSdEndpoint::Txt(const std::string& key) const {
    for (const auto& record : txt) {
        if (record.size() > key.size() && record.compare(0, key.size(), key) == 0 &&
            record[key.size()] == '=') {
            return record.substr(key.size() + 1);
        }
    }
    return "";
}

size_t MergeEndpoints(std::vector<CDnsSdEndpoint>& list, const std::vector<CDnsSdEndpoint>& found) {
    size_t added = 0;
    for (const auto& endpoint : found) {
        const bool known = std::any_of(list.begin(), list.end(), [&](const CDnsSdEndpoint& e) {
            return e.address == endpoint.address && e.port == endpoint.port;
        });
        if (known) continue;
        list.push_back(endpoint);
        ++added;
    }
    return added;
}

bool DnsSdDaemonRunning() {
    CAvahiLoop loop;
    if (!loop.IsValid()) return false;
    int error = 0;
    std::unique_ptr<AvahiClient, ClientFree> client(
        avahi_client_new(loop.Poll(), static_cast<AvahiClientFlags>(0), OnClient, nullptr, &error));
    return client && avahi_client_get_state(client.get()) == AVAHI_CLIENT_S_RUNNING;
}

std::vector<CDnsSdEndpoint> BrowseDnsSd(const std::string& type, int timeoutMs,
                                        size_t maxResults) {
    BrowseState state;
    state.maxResults = maxResults;
    CAvahiLoop loop;
    if (!loop.IsValid()) return {};
    int error = 0;
    // Without a daemon this fails at once, which is what a client wants here.
    std::unique_ptr<AvahiClient, ClientFree> client(
        avahi_client_new(loop.Poll(), static_cast<AvahiClientFlags>(0), OnClient, nullptr, &error));
    if (!client) return {};
    AvahiServiceBrowser* browser = avahi_service_browser_new(
        client.get(), AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, type.c_str(), nullptr,
        static_cast<AvahiLookupFlags>(0), OnBrowse, &state);
    if (!browser) return {};
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!state.failed && !(state.allForNow && state.pending == 0) &&
           state.found.size() < maxResults) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || !loop.Iterate(static_cast<int>(left))) break;
    }
    // Resolvers still running are freed with the client.
    avahi_service_browser_free(browser);
    client.reset();
    return state.found;
}

}  // namespace vantor
