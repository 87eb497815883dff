#pragma once

#include "server/library/sqlite/CppSQLite.h"
#include "server/library/store/SQLiteMDS.h"
#include "tests/server/library/LibraryTestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace vantor::test {

inline CMusicItem Track(const std::string& title, const std::string& artist,
                        const std::string& album, const std::string& genre,
                        const std::string& trackNumber = "01", const std::string& path = "") {
    CMusicItem track;
    track.name = title;
    track.artist = artist;
    track.album = album;
    track.genre = genre;
    track.trackNumber = trackNumber;
    track.path = path.empty() ? "/music/" + artist + "/" + title + ".mp3" : path;
    return track;
}

inline std::unique_ptr<CPlaylistItem> Playlist(
    const std::string& name, std::vector<std::unique_ptr<CPlaylistItem>> children = {}) {
    auto item = std::make_unique<CPlaylistItem>();
    item->name = name;
    item->children = std::move(children);
    return item;
}

// A store on a fresh file in its own folder, opened for a fill.
struct StoreFixture {
    StoreFixture() : store(folder.File("library.db"), log.logger) {
        store.SetLibraryVersion(3.1f);
        store.CreateIfMissing();
    }
    void Fill(const std::vector<CMusicItem>& tracks) {
        store.BeginUpdate();
        for (const CMusicItem& track : tracks) store.AddAudioTrack(track);
        store.EndUpdate();
    }
    // Runs a query on the file and returns its rows, columns joined with '|'.
    std::vector<std::string> Rows(const std::string& sql) {
        CppSQLiteConnection db;
        db.Open(store.GetPath());
        CppSQLiteCursor cursor = db.ExecQuery(sql);
        std::vector<std::string> rows;
        while (!cursor.Eof()) {
            std::string row;
            for (int i = 0; i < cursor.NumFields(); ++i) {
                if (i > 0) row += '|';
                row += cursor.FieldValue(i);
            }
            rows.push_back(row);
            cursor.NextRow();
        }
        return rows;
    }
    std::string One(const std::string& sql) {
        auto rows = Rows(sql);
        return rows.empty() ? std::string("<none>") : rows.front();
    }

    TempFolder folder;
    TestLogger log;
    CSQLiteMDS store;
};

inline std::vector<std::string> Names(const MediaItemList& items) {
    std::vector<std::string> names;
    for (const auto& item : items) names.push_back(item->name);
    return names;
}

}  // namespace vantor::test
