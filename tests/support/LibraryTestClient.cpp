#include "tests/support/LibraryTestClient.h"

#include "protocol/Xml.h"

#include <chrono>
#include <thread>

namespace vantor::test {

std::string CLibraryTestClient::Ask(const std::string& request, const std::string& responseRoot) {
    if (!m_client.SendDocument(request)) return {};
    for (int i = 0; i < 20; ++i) {
        auto doc = m_client.ReadDocument(30000);
        if (!doc) return {};
        if (GetRootElementName(*doc) == responseRoot) return *doc;
        m_seen.push_back(*doc);
    }
    return {};
}

std::string CLibraryTestClient::Browse(const std::string& path, int start, int count,
                                       bool returnAllMediaItems) {
    std::string request =
        "<BrowseLibraryRequest><requestId>" + std::to_string(++m_requestId) + "</requestId>";
    if (start >= 0) request += "<start>" + std::to_string(start) + "</start>";
    if (count >= 0) request += "<count>" + std::to_string(count) + "</count>";
    if (returnAllMediaItems) request += "<returnAllMediaItems>true</returnAllMediaItems>";
    request += "<path>" + XmlEscape(path) + "</path></BrowseLibraryRequest>";
    return Ask(request, "BrowseLibraryResponse");
}

std::vector<CLibraryTestClient::Entry> CLibraryTestClient::BrowseAll(const std::string& path,
                                                                     bool returnAllMediaItems,
                                                                     int pageSize) {
    std::vector<Entry> all;
    for (int start = 0;; start += pageSize) {
        std::vector<Entry> page = Results(Browse(path, start, pageSize, returnAllMediaItems));
        all.insert(all.end(), page.begin(), page.end());
        if (static_cast<int>(page.size()) < pageSize) return all;
    }
}

bool CLibraryTestClient::WaitUntilIndexed() {
    for (int i = 0; i < 1200; ++i) {
        if (GetElementInt(Browse("\\"), "returnCode") == 0) {
            while (m_client.ReadDocument(1000)) {
            }
            m_seen.clear();
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

int CLibraryTestClient::CountArriving(const std::string& root, int timeoutMs) {
    int count = 0;
    for (const std::string& doc : m_seen) count += GetRootElementName(doc) == root ? 1 : 0;
    m_seen.clear();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        if (left.count() <= 0) return count;
        auto doc = m_client.ReadDocument(static_cast<int>(left.count()));
        if (doc && GetRootElementName(*doc) == root) ++count;
    }
}

std::vector<CLibraryTestClient::Entry> CLibraryTestClient::Results(const std::string& doc) {
    std::vector<Entry> entries;
    size_t cursor = 0;
    for (;;) {
        std::string item = GetElementTextAt(doc, "result", cursor);
        if (item.empty()) break;
        entries.push_back({GetElementInt(item, "id"), GetElementText(item, "type"),
                           GetElementText(item, "name"), GetElementText(item, "path")});
    }
    return entries;
}

std::vector<std::string> CLibraryTestClient::Names(const std::string& doc) {
    std::vector<std::string> names;
    for (const Entry& e : Results(doc)) names.push_back(e.name);
    return names;
}

}  // namespace vantor::test
