// vantorctl: the playlist and the library.

#include <algorithm>

#include "client/ctl/CtlCommands.h"
#include "client/link/Requests.h"

namespace vantor::ctl {

namespace requests = client::requests;

namespace {

// Pages as the server pages them; list answers are fetched until the total is reached.
constexpr int32_t kQueuePage = 50;
constexpr int32_t kListPage = 200;
constexpr int32_t kMaxRow = 1000000;

// A library path ("\Music\..."), or a file of this machine's player.
CMediaSelector Selector(const std::string& text) {
    CMediaSelector selector;
    if (!text.empty() && text[0] == '\\') {
        selector.libPath = text;
    } else {
        selector.path = text;
    }
    return selector;
}

bool RowArgument(const std::string& text, int32_t& row) {
    long value = 0;
    if (!NumberArgument(text, 1, kMaxRow, value, "a row")) return false;
    row = static_cast<int32_t>(value - 1);  // the server counts from 0
    return true;
}

int Simple(CtlSession& session, std::unique_ptr<CRequestMessage> request,
           const std::string& command) {
    const int status = session.Call(std::move(request));
    if (status == kExitOk) ReportDone(session, command);
    return status;
}

// Calls a list request page by page. `page` gets each response; it returns the number of
// entries the page held, and sets `total`.
template <class Response, class Build, class Page>
int FetchPages(CtlSession& session, int32_t pageSize, int32_t responseType, Build build,
               Page page) {
    int32_t start = 0;
    int32_t total = -1;
    while (true) {
        auto request = build(start, pageSize);
        std::unique_ptr<CResponseMessage> holder;
        const int status = session.Call(*request, holder);
        if (status != kExitOk) return status;
        const auto* response = client::ResponseAs<Response>(holder, responseType);
        if (!response) return kExitUsage;
        const int32_t got = page(*response, total);
        start += got;
        if (got <= 0 || total < 0 || start >= total) return kExitOk;
    }
}

}  // namespace

int QueueCommand(CtlSession& session, const Arguments&) {
    std::unique_ptr<CResponseMessage> holder;
    auto ask = requests::Plain(msg::GetPlaylistPositionRequest);
    int status = session.Call(*ask, holder);
    if (status != kExitOk) return status;
    const auto* position =
        client::ResponseAs<CPositionResponse>(holder, msg::GetPlaylistPositionResponse);
    const int32_t current = position ? position->Body().position : -1;

    std::vector<std::string> items;
    int32_t total = 0;
    status = FetchPages<CPlaylistItemsResponse>(
        session, kQueuePage, msg::GetPlaylistItemsResponse, requests::GetPlaylistItems,
        [&](const CPlaylistItemsResponse& page, int32_t& pageTotal) {
            pageTotal = page.Body().totalCount;
            total = pageTotal;
            items.insert(items.end(), page.Body().items.begin(), page.Body().items.end());
            return static_cast<int32_t>(page.Body().items.size());
        });
    if (status != kExitOk) return status;

    std::string plain;
    for (size_t i = 0; i < items.size(); ++i) {
        const bool here = static_cast<int32_t>(i) == current;
        plain += (here ? "> " : "  ") + std::to_string(i + 1) + "  " + items[i] + "\n";
    }
    if (items.empty()) plain = "(the playlist is empty)\n";
    JsonObject json;
    if (current >= 0) {
        json.Number("current", current + 1);
    } else {
        json.Null("current");
    }
    json.Number("total", std::max<int32_t>(total, static_cast<int32_t>(items.size())))
        .TextList("items", items);
    session.Out().Answer(plain, json);
    return kExitOk;
}

int JumpCommand(CtlSession& session, const Arguments& args) {
    int32_t row = 0;
    if (args.size() != 1 || !RowArgument(args[0], row)) return kExitUsage;
    return Simple(session, requests::SetPlaylistPosition(row), "jump");
}

int AddCommand(CtlSession& session, const std::string& command, const Arguments& args) {
    if (args.size() != 1) {
        Output::Error("use: " + command + " LIBPATH");
        return kExitUsage;
    }
    const CMediaSelector selector = Selector(args[0]);
    return Simple(
        session,
        command == "add" ? requests::PlaylistAdd(selector, -1) : requests::PlayMedia(selector),
        command);
}

int RemoveCommand(CtlSession& session, const Arguments& args) {
    int32_t row = 0;
    if (args.size() != 1 || !RowArgument(args[0], row)) return kExitUsage;
    return Simple(session, requests::PlaylistRemove(row), "remove");
}

int MoveCommand(CtlSession& session, const Arguments& args) {
    int32_t from = 0;
    int32_t to = 0;
    if (args.size() != 2 || !RowArgument(args[0], from) || !RowArgument(args[1], to))
        return kExitUsage;
    return Simple(session, requests::PlaylistMove(from, to), "move");
}

int ClearCommand(CtlSession& session, const Arguments&) {
    return Simple(session, requests::Plain(msg::PlaylistClearRequest), "clear");
}

int SaveCommand(CtlSession& session, const Arguments& args) {
    if (args.size() != 1 || args[0].empty()) {
        Output::Error("use: save NAME");
        return kExitUsage;
    }
    return Simple(session, requests::SavePlaylist(args[0]), "save");
}

int BrowseCommand(CtlSession& session, const Arguments& args) {
    if (args.size() > 1) {
        Output::Error("use: browse [LIBPATH]");
        return kExitUsage;
    }
    const std::string path = args.empty() ? "" : args[0];
    std::vector<JsonObject> entries;
    std::string plain;
    const int status = FetchPages<CBrowseLibraryResponse>(
        session, kListPage, msg::BrowseLibraryResponse,
        [&](int32_t start, int32_t count) { return requests::BrowseLibrary(path, start, count); },
        [&](const CBrowseLibraryResponse& page, int32_t& total) {
            total = page.Body().paging.totalCount;
            for (const CLibraryEntry& entry : page.Body().results) {
                plain += MediaTypeName(entry.type) + "\t" + entry.name + "\t" + entry.path + "\n";
                entries.push_back(JsonObject()
                                      .Text("name", entry.name)
                                      .Text("type", MediaTypeName(entry.type))
                                      .Text("path", entry.path)
                                      .Number("id", entry.id));
            }
            return static_cast<int32_t>(page.Body().results.size());
        });
    if (status != kExitOk) return status;
    if (entries.empty()) plain = "(nothing here)\n";
    session.Out().Answer(plain, JsonObject().Text("path", path).ObjectList("entries", entries));
    return kExitOk;
}

int SearchCommand(CtlSession& session, const Arguments& args) {
    std::string words;
    for (const auto& word : args) words += (words.empty() ? "" : " ") + word;
    if (words.empty()) {
        Output::Error("use: search WORDS");
        return kExitUsage;
    }
    std::vector<JsonObject> results;
    std::string plain;
    const int status = FetchPages<CMediaSearchResponse>(
        session, kListPage, msg::MediaSearchResponse,
        [&](int32_t start, int32_t count) { return requests::SearchAny(words, start, count); },
        [&](const CMediaSearchResponse& page, int32_t& total) {
            total = page.Body().paging.totalCount;
            for (const CSearchResult& result : page.Body().results) {
                plain += MediaTypeName(result.type) + "\t" + result.name + "\t" +
                         std::to_string(result.id) + "\n";
                results.push_back(JsonObject()
                                      .Text("name", result.name)
                                      .Text("type", MediaTypeName(result.type))
                                      .Number("id", result.id));
            }
            return static_cast<int32_t>(page.Body().results.size());
        });
    if (status != kExitOk) return status;
    if (results.empty()) plain = "(no matches)\n";
    session.Out().Answer(plain, JsonObject().Text("search", words).ObjectList("results", results));
    return kExitOk;
}

}  // namespace vantor::ctl
