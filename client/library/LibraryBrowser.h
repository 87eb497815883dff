#pragma once

// The library browser: which listing is shown, its rows in pages of 50 with a mark for each
// page received, the history of levels opened (with selection and scroll position), the
// search listing, the breadcrumb, a refresh when the library changed, and the requests of
// the library rows' context menu. Toolkit-free: a window layer shows what it is told
// through LibraryView and forwards the link's library answers; pointer, keys or touch
// drive the same operations.
//
// Threads: one thread (the window's) makes every call, the link's answers included (a
// window layer posts them from the receive thread first). The view is called back from
// inside the browser's operations.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "client/library/LibraryPaths.h"
#include "protocol/Messages.h"

namespace vantor::client {

class ServerLink;

// What the browser shows through the window layer.
class LibraryView {
public:
    virtual ~LibraryView() = default;
    // A new listing replaces the list: its title and row count (rows arrive by pages).
    virtual void ShowListing(const std::string& title, int32_t rowCount) = 0;
    // Rows start..start+count-1 are there now (read them with Row()).
    virtual void ShowRows(int32_t start, int32_t count) = 0;
    // Selects the row (-1: none) and scrolls so that `firstVisible` is the top row.
    virtual void RestoreView(int32_t selectedRow, int32_t firstVisible) = 0;
    // The search field's text ("Search" when it is put back).
    virtual void SetSearchText(const std::string& text) = 0;
    // The list's selected row (-1 for none) and its top row in view.
    virtual int32_t SelectedRow() const = 0;
    virtual int32_t FirstVisibleRow() const = 0;
};

class LibraryBrowser {
public:
    // Request ids of the browser's own requests start here (its answers are told apart by
    // them; the link's own counter stays far below).
    static constexpr int32_t kFirstRequestId = 1 << 29;

    LibraryBrowser(ServerLink& link, LibraryView& view);
    LibraryBrowser(const LibraryBrowser&) = delete;
    LibraryBrowser& operator=(const LibraryBrowser&) = delete;

    // Shows the current listing again, or the top of the tree when nothing was shown yet.
    void ShowCurrent();
    // Opens a container row; false for rows that are media (or not received).
    bool Open(int32_t row);
    // Back to the previous level; false when there is none.
    bool Back();
    // The breadcrumb drop-down's entries and the choice of one.
    std::vector<std::string> Breadcrumb() const { return BreadcrumbEntries(m_path); }
    void BrowseToBreadcrumb(size_t entry);
    // The search field after its 1500 ms of quiet: empty leaves a search listing, any
    // text other than "Search" is searched.
    void SearchFieldSettled(const std::string& text);
    // The library changed on the server: the current listing is asked for again.
    void OnLibraryChanged();
    // Context menu of a library row: "Play now", "Add to queue". False when there is no
    // such row.
    bool PlayNow(int32_t row);
    bool AddToQueue(int32_t row);
    // Disconnected: nothing shown, no history.
    void Reset();

    // The link's answers (forwarded on the browser's thread). False when the answer was
    // not one of the browser's or belongs to a level left since.
    bool OnListing(const CBrowseLibraryResponse& response);
    bool OnSearchResults(const CMediaSearchResponse& response);

    // The row, or null while its page has not arrived (its page is then asked for, once).
    const LibraryRow* Row(int32_t row);
    // Asks for the page holding `row` unless it is there or on its way.
    void NeedRow(int32_t row);

    int32_t RowCount() const { return m_rowCount; }
    int32_t PageCount() const { return static_cast<int32_t>(m_pageLoaded.size()); }
    bool PageLoaded(int32_t page) const;
    const std::string& Path() const { return m_path; }
    const std::string& Title() const { return m_title; }
    bool InSearch() const { return m_inSearch; }
    size_t HistoryDepth() const { return m_history.size(); }
    // Pages asked for since the start (listings and their further pages).
    int32_t PageRequests() const { return m_pageRequests; }

private:
    struct Level {
        std::string path;
        bool search = false;
        std::string searchText;
        int32_t selected = -1;
        int32_t firstVisible = 0;
    };
    struct Pending {
        uint64_t generation = 0;
        int32_t start = 0;
        bool replaces = false;  // the answer replaces the listing (else it fills a page)
    };

    static Level PathLevel(const std::string& path);
    Level CurrentLevel() const;
    // Sends the request for a level's listing; the answer replaces what is shown and then
    // selects and scrolls as `restore` says.
    void Request(const Level& level, std::optional<std::pair<int32_t, int32_t>> restore);
    void RequestPage(int32_t start, bool replaces);
    int32_t NextId();
    std::optional<Pending> TakePending(int32_t requestId);
    void Replace(const std::string& path, bool search, int32_t total, int32_t returnCode);
    void ApplyRestore();

    ServerLink& m_link;
    LibraryView& m_view;

    std::string m_path;
    std::string m_title;
    bool m_inSearch = false;
    std::string m_searchText;
    bool m_shown = false;

    int32_t m_rowCount = 0;
    std::map<int32_t, LibraryRow> m_rows;
    std::vector<bool> m_pageLoaded;
    std::set<int32_t> m_pageAsked;  // first rows of pages asked for
    std::vector<Level> m_history;

    uint64_t m_generation = 0;  // a new listing asked for makes older answers stale
    std::map<int32_t, Pending> m_pending;
    int32_t m_nextId = kFirstRequestId;
    int32_t m_pageRequests = 0;
    std::optional<std::pair<int32_t, int32_t>> m_restore;
    Level m_requested;  // the level whose listing is on its way
};

}  // namespace vantor::client
