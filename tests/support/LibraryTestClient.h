#pragma once

// A client of the media library over the XML channel, for the tests that index a player's
// library in the real QRM and browse it. Not thread-safe.

#include "tests/support/TestClients.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantor::test {

class CLibraryTestClient {
public:
    struct Entry {
        int32_t id = -1;
        std::string type;
        std::string name;
        std::string path;
    };

    bool Connect(int port) { return m_client.Connect(port); }
    void Close() { m_client.Close(); }

    // Sends a request and returns the first document with the expected root, keeping the
    // broadcasts that arrive in between (Seen()); empty on timeout.
    std::string Ask(const std::string& request, const std::string& responseRoot);
    // BrowseLibraryRequest with the next request id; start and count -1 leave them out.
    std::string Browse(const std::string& path, int start = -1, int count = -1,
                       bool returnAllMediaItems = false);
    // Every entry of a listing, fetched in pages of `pageSize`.
    std::vector<Entry> BrowseAll(const std::string& path, bool returnAllMediaItems,
                                 int pageSize = 500);
    // The first indexing runs in the background; until it ends the root answers 21.
    // Afterwards whatever the server announced meanwhile is read and dropped.
    bool WaitUntilIndexed();
    // Documents with this root among those set aside and those arriving within the time.
    int CountArriving(const std::string& root, int timeoutMs);

    static std::vector<Entry> Results(const std::string& doc);
    static std::vector<std::string> Names(const std::string& doc);

    std::vector<std::string>& Seen() { return m_seen; }
    CXmlTestClient& Xml() { return m_client; }

private:
    CXmlTestClient m_client;
    std::vector<std::string> m_seen;
    int m_requestId = 0;
};

}  // namespace vantor::test
