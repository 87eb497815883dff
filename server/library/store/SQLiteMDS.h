#pragma once

#include "server/library/sqlite/CppSQLite.h"
#include "server/library/store/MediaDataStore.h"
#include "server/library/store/ReadConnectionPool.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace vantor {

class CLogger;

// The media data store on one SQLite file. Queries open a short-lived connection each, so the
// file may be replaced between two of them; a fill keeps one connection and one transaction
// open from BeginUpdate to EndUpdate. Queries touch nothing but their own connection and run
// side by side (SQLite keeps them consistent); one recursive mutex serialises the fill and
// the opening and closing of the file.
class CSQLiteMDS : public IMediaDataStore {
public:
    static constexpr int kBusyTimeoutMs = 60000;

    CSQLiteMDS(std::string path, CLogger& logger);
    ~CSQLiteMDS() override;

    int CreateIfMissing() override;
    int Shutdown() override;
    void SetLibraryVersion(float version) override;
    int BeginUpdate() override;
    int EndUpdate() override;
    int AddAudioTrack(const CMusicItem& track) override;
    int AddVideo(const CVideoItem& video) override;
    int AddTVShow(const CTVItem& show) override;
    int AddPlaylist(const CPlaylistItem& playlist) override;
    int AddRadioStation(const CRadioStationItem& station) override;
    int32_t GetItemId(int32_t mediaType, const std::string& name) override;
    int32_t GetFolderId(int32_t mediaType, const std::string& name, int32_t parentId) override;

    int GetAudioGenres(StringArray& out, int32_t start, int32_t count, int32_t* total) override;
    int GetAudioArtists(StringArray& out, int32_t genreId, int32_t start, int32_t count,
                        int32_t* total) override;
    int GetAudioAlbums(StringArray& out, int32_t genreId, int32_t artistId, int32_t start,
                       int32_t count, int32_t* total) override;
    int GetAudioTracks(MediaItemList& out, bool includePath, int32_t genreId, int32_t artistId,
                       int32_t albumId, int32_t start, int32_t count, int32_t* total) override;
    int GetAllAudioTracks(MediaItemList& out, int32_t order, int32_t start, int32_t count,
                          int32_t* total) override;
    int GetAudioTrackByPath(const std::string& path, CMusicItem& track) override;
    int GetAudioTrack(int32_t id, CMusicItem& track) override;
    int GetMediaItem(int32_t id, std::unique_ptr<CMediaItem>& out) override;
    int GetPlaylistFolders(MediaItemList& out, int32_t parentId, int32_t start, int32_t count,
                           int32_t* total) override;
    int GetPlaylists(MediaItemList& out, int32_t parentId, int32_t start, int32_t count,
                     int32_t* total) override;
    int GetPlaylist(int32_t id, CPlaylistItem& playlist) override;
    int GetRadioStationFolders(MediaItemList& out, int32_t parentId, int32_t start, int32_t count,
                               int32_t* total) override;
    int GetRadioStations(MediaItemList& out, int32_t parentId, int32_t start, int32_t count,
                         int32_t* total) override;
    int GetRadioStation(int32_t id, CRadioStationItem& station) override;
    int GetVideoGenres(StringArray& out, int32_t start, int32_t count, int32_t* total) override;
    int GetVideos(MediaItemList& out, int32_t genreId, int32_t start, int32_t count,
                  int32_t* total) override;
    int GetVideo(int32_t id, CVideoItem& video) override;
    int GetTVSeries(StringArray& out, int32_t start, int32_t count, int32_t* total) override;
    int GetTVShows(MediaItemList& out, int32_t seriesId, int32_t start, int32_t count,
                   int32_t* total) override;
    int GetTVShow(int32_t id, CTVItem& show) override;
    bool HasMediaItems(int32_t mediaType) override;
    int Search(MediaItemList& out, const std::string& text, int32_t start, int32_t count) override;

    // Counts the rows of a list query by rewriting it; -1 when it cannot be rewritten or run.
    int32_t GetTotalCountFromQuery(const std::string& query);
    // The media type an id was stored as; 0 when it is not indexed, -1 on failure.
    int32_t GetMediaItemType(int32_t id);
    const std::string& GetPath() const { return m_path; }
    // The connections kept for queries: the old file's space is given back at once.
    void ReleaseConnections() override { m_readers.Clear(); }
    // Search reads the search index when the file has one (the default); off, it reads
    // every name, as a file without one is searched. For comparing the two.
    void UseSearchIndex(bool use) { m_useSearchIndex = use; }

    // The schema, statement by statement, as a new database is created with it.
    static std::vector<std::string> SchemaStatements(float libraryVersion);
    static std::vector<std::string> IndexStatements();

private:
    enum NameTable {
        kAudioGenres,
        kAudioArtists,
        kAudioAlbums,
        kVideoGenres,
        kTVGenres,
        kTVSeries,
        kNameTableCount
    };

    int CreateDatabase();
    void OpenDatabase();
    void CloseDatabase();
    void LoadFillLookups();
    int32_t GetOrCreateNameId(NameTable table, const std::string& name);
    // The genre/artist, genre/album and artist/album pairs of the tracks. EndUpdate.
    void AddRelations();
    int AddMediaIndexEntry(int32_t id, int32_t mediaType);
    void AddTreeItem(const CMediaItem& item, bool radio, int32_t parentId);
    int32_t LookupFieldId(const char* table, const char* field, const std::string& value,
                          const char* secondField = nullptr, int32_t secondValue = 0);
    int FillStringArray(StringArray& out, std::string query, int column, int32_t start,
                        int32_t count, int32_t* total);
    int FillResultArrayFromQuery(MediaItemList& out, int32_t mediaType, std::string query,
                                 int32_t start, int32_t count, int32_t* total);
    void OpenConnection(CppSQLiteConnection& connection) const;
    void LogError(const std::string& context, const CppSQLiteException& e);

    float m_libraryVersion = 0.0f;
    std::atomic<bool> m_useSearchIndex{true};
    int32_t m_nextItemId = 0;
    std::array<int32_t, kNameTableCount> m_nextNameId{1, 1, 1, 1, 1, 1};
    std::string m_path;
    // Connections for queries (the fill has its own, m_connection).
    CReadConnectionPool m_readers;
    std::recursive_mutex m_mutex;
    std::unique_ptr<CppSQLiteConnection> m_connection;
    CppSQLiteCommand m_mediaIndexInsert;
    CppSQLiteCommand m_trackInsert;
    std::array<CppSQLiteCommand, kNameTableCount> m_nameInsert;
    // The names a fill has written, kept in memory so that every add is a hash lookup
    // rather than a scan of an unindexed table; as many as there are distinct names.
    std::array<std::unordered_map<std::string, int32_t>, kNameTableCount> m_nameIds;
    CLogger& m_logger;
};

}  // namespace vantor
