#include "client/library/LibraryBrowser.h"

#include <algorithm>

#include "client/link/Requests.h"
#include "client/link/ServerLink.h"
#include "protocol/ResultCodes.h"

namespace vantor::client {

namespace {

LibraryRow RowOf(const CLibraryEntry& entry) {
    LibraryRow row{entry.id, entry.type, entry.name};
    if (entry.name.empty() && !entry.path.empty() && entry.path.size() < 10 &&
        std::all_of(entry.path.begin(), entry.path.end(),
                    [](char c) { return c >= '0' && c <= '9'; }))
        row.number = std::stoi(entry.path);
    return row;
}

}  // namespace

LibraryBrowser::Level LibraryBrowser::PathLevel(const std::string& path) {
    Level level;
    level.path = path;
    return level;
}

LibraryBrowser::LibraryBrowser(ServerLink& link, LibraryView& view) : m_link(link), m_view(view) {}

bool LibraryBrowser::PageLoaded(int32_t page) const {
    return page >= 0 && page < PageCount() && m_pageLoaded[static_cast<size_t>(page)];
}

int32_t LibraryBrowser::NextId() {
    const int32_t id = m_nextId++;
    if (m_nextId >= (1 << 30)) m_nextId = kFirstRequestId;
    return id;
}

LibraryBrowser::Level LibraryBrowser::CurrentLevel() const {
    Level level = m_requested;
    if (m_shown) {
        level.path = m_path;
        level.search = m_inSearch;
        level.searchText = m_inSearch ? m_searchText : "";
    }
    level.selected = m_view.SelectedRow();
    level.firstVisible = std::max(0, m_view.FirstVisibleRow());
    return level;
}

void LibraryBrowser::Request(const Level& level,
                             std::optional<std::pair<int32_t, int32_t>> restore) {
    ++m_generation;
    m_pending.clear();
    m_pageAsked.clear();
    m_requested = level;
    m_restore = restore;
    const int32_t id = NextId();
    std::unique_ptr<CRequestMessage> request;
    int32_t start = 0;
    if (level.search) {
        request = requests::SearchAny(level.searchText, 0, -1);
    } else {
        // Coming back to a level asks for the page that was in view.
        if (restore) start = restore->second / kLibraryPageSize * kLibraryPageSize;
        request = requests::BrowseLibrary(level.path, start, kLibraryPageSize);
    }
    request->SetRequestId(id);
    m_pending[id] = Pending{m_generation, start, true};
    if (m_link.SendAsync(std::move(request)) != kLinkOk) m_pending.erase(id);
}

void LibraryBrowser::RequestPage(int32_t start, bool replaces) {
    const int32_t id = NextId();
    auto request = requests::BrowseLibrary(m_path, start, kLibraryPageSize);
    request->SetRequestId(id);
    m_pending[id] = Pending{m_generation, start, replaces};
    m_pageAsked.insert(start);
    ++m_pageRequests;
    if (m_link.SendAsync(std::move(request)) != kLinkOk) {
        m_pending.erase(id);
        m_pageAsked.erase(start);
    }
}

std::optional<LibraryBrowser::Pending> LibraryBrowser::TakePending(int32_t requestId) {
    auto found = m_pending.find(requestId);
    if (found == m_pending.end()) return std::nullopt;
    Pending pending = found->second;
    m_pending.erase(found);
    if (pending.generation != m_generation) return std::nullopt;
    return pending;
}

void LibraryBrowser::ShowCurrent() {
    if (!m_shown && m_pending.empty()) {
        Request(PathLevel(kLibraryTop), std::nullopt);
        return;
    }
    const Level level = CurrentLevel();
    Request(level, std::make_pair(level.selected, level.firstVisible));
}

bool LibraryBrowser::Open(int32_t row) {
    const LibraryRow* found = Row(row);
    if (!found || !CanOpen(*found)) return false;
    const std::string path = OpenPath(m_path, *found, m_inSearch);
    m_history.push_back(CurrentLevel());
    if (m_inSearch) m_view.SetSearchText(kSearchPlaceholder);
    Request(PathLevel(path), std::nullopt);
    return true;
}

bool LibraryBrowser::Back() {
    if (m_history.empty()) return false;
    const Level level = m_history.back();
    m_history.pop_back();
    if (level.search) {
        m_view.SetSearchText(level.searchText);
    } else if (m_inSearch || m_requested.search) {
        m_view.SetSearchText(kSearchPlaceholder);
    }
    Request(level, std::make_pair(level.selected, level.firstVisible));
    return true;
}

void LibraryBrowser::BrowseToBreadcrumb(size_t entry) {
    const std::string path = BreadcrumbPath(m_path, entry);
    m_history.push_back(CurrentLevel());
    if (m_inSearch || m_requested.search) m_view.SetSearchText(kSearchPlaceholder);
    Request(PathLevel(path), std::nullopt);
}

void LibraryBrowser::SearchFieldSettled(const std::string& text) {
    const bool searching = m_requested.search;
    if (text.empty()) {
        if (searching) Back();
        return;
    }
    if (text == kSearchPlaceholder) return;
    if (searching && text == m_requested.searchText) return;
    if (!searching) m_history.push_back(CurrentLevel());
    Level level;
    level.path = kSearchPathPrefix + text;
    level.search = true;
    level.searchText = text;
    Request(level, std::nullopt);
}

void LibraryBrowser::OnLibraryChanged() {
    if (!m_shown) return;
    const Level level = CurrentLevel();
    Request(level, std::make_pair(level.selected, level.firstVisible));
}

bool LibraryBrowser::PlayNow(int32_t row) {
    const LibraryRow* found = Row(row);
    if (!found || found->info) return false;
    return m_link.PlayMedia(RowSelector(m_path, *found)) == kLinkOk;
}

bool LibraryBrowser::AddToQueue(int32_t row) {
    const LibraryRow* found = Row(row);
    if (!found || found->info) return false;
    return m_link.PlaylistAdd(RowSelector(m_path, *found)) == kLinkOk;
}

void LibraryBrowser::Reset() {
    ++m_generation;
    m_pending.clear();
    m_pageAsked.clear();
    m_history.clear();
    m_rows.clear();
    m_pageLoaded.clear();
    m_rowCount = 0;
    m_path.clear();
    m_title = kMediaLibraryTitle;
    m_inSearch = false;
    m_searchText.clear();
    m_shown = false;
    m_requested = Level{};
    m_restore.reset();
    m_view.ShowListing(m_title, 0);
    m_view.SetSearchText(kSearchPlaceholder);
}

void LibraryBrowser::Replace(const std::string& path, bool search, int32_t total,
                             int32_t returnCode) {
    m_rows.clear();
    m_pageAsked.clear();
    m_path = path;
    while (m_path.size() > 1 && m_path.back() == '\\') m_path.pop_back();
    m_title = ListingTitle(m_path);
    m_inSearch = search;
    m_searchText = search ? m_requested.searchText : "";
    m_shown = true;
    if (returnCode == kResultLibraryIndexing) {
        m_rowCount = 1;
        LibraryRow info;
        info.type = kMediaInfo;
        info.name = kIndexingText;
        info.info = true;
        m_rows[0] = info;
    } else {
        m_rowCount = std::max(0, total);
    }
    const int32_t pages = std::max(1, (m_rowCount + kLibraryPageSize - 1) / kLibraryPageSize);
    m_pageLoaded.assign(static_cast<size_t>(pages), false);
    if (returnCode == kResultLibraryIndexing) m_pageLoaded[0] = true;
    m_view.ShowListing(m_title, m_rowCount);
}

void LibraryBrowser::ApplyRestore() {
    if (!m_restore) return;
    const auto [selected, firstVisible] = *m_restore;
    m_restore.reset();
    m_view.RestoreView(selected < m_rowCount ? selected : -1,
                       std::min(firstVisible, std::max(0, m_rowCount - 1)));
}

bool LibraryBrowser::OnListing(const CBrowseLibraryResponse& response) {
    const std::optional<Pending> pending = TakePending(response.RequestId());
    if (!pending) return false;
    const CLibraryListing& body = response.Body();
    const auto received = static_cast<int32_t>(body.results.size());
    if (pending->replaces) {
        // The server may answer for another path than asked (a single album, Podcasts).
        const std::string path =
            body.path.empty() || body.path.rfind("\\", 0) != 0 ? m_requested.path : body.path;
        Replace(path, false, std::max(body.paging.totalCount, pending->start + received),
                response.ReturnCode());
        if (response.ReturnCode() == kResultLibraryIndexing) {
            m_view.ShowRows(0, 1);
            ApplyRestore();
            return true;
        }
    }
    const int32_t start = pending->start;
    m_pageAsked.erase(start);
    int32_t stored = 0;
    for (int32_t i = 0; i < received && start + i < m_rowCount; ++i, ++stored)
        m_rows[start + i] = RowOf(body.results[static_cast<size_t>(i)]);
    const int32_t page = start / kLibraryPageSize;
    if (page < PageCount()) m_pageLoaded[static_cast<size_t>(page)] = true;
    if (stored > 0) m_view.ShowRows(start, stored);
    if (pending->replaces) ApplyRestore();
    return true;
}

bool LibraryBrowser::OnSearchResults(const CMediaSearchResponse& response) {
    const std::optional<Pending> pending = TakePending(response.RequestId());
    if (!pending) return false;
    const std::vector<CSearchResult>& results = response.Body().results;
    Replace(kSearchPathPrefix + m_requested.searchText, true, static_cast<int32_t>(results.size()),
            response.ReturnCode());
    for (size_t i = 0; i < results.size(); ++i) {
        LibraryRow row{results[i].id, results[i].type, results[i].name};
        m_rows[static_cast<int32_t>(i)] = row;
    }
    std::fill(m_pageLoaded.begin(), m_pageLoaded.end(), true);
    if (!results.empty()) m_view.ShowRows(0, static_cast<int32_t>(results.size()));
    ApplyRestore();
    return true;
}

const LibraryRow* LibraryBrowser::Row(int32_t row) {
    if (row < 0 || row >= m_rowCount) return nullptr;
    auto found = m_rows.find(row);
    if (found != m_rows.end()) return &found->second;
    NeedRow(row);
    return nullptr;
}

void LibraryBrowser::NeedRow(int32_t row) {
    if (row < 0 || row >= m_rowCount || m_inSearch) return;
    const int32_t start = row / kLibraryPageSize * kLibraryPageSize;
    if (PageLoaded(start / kLibraryPageSize) || m_pageAsked.count(start)) return;
    RequestPage(start, false);
}

}  // namespace vantor::client
