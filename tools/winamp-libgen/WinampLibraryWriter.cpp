#include "tools/winamp-libgen/WinampLibraryWriter.h"

#include "protocol/TextCoding.h"
#include "protocol/Xml.h"
#include "tools/winamp-libgen/WinampTableWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace vantor::tools {

namespace {

// Column ids as the player numbers them; there is no column 13.
enum Column : uint8_t {
    kFileName = 0,
    kTitle = 1,
    kArtist = 2,
    kAlbum = 3,
    kYear = 4,
    kGenre = 5,
    kTrackNo = 7,
    kLength = 8,
    kType = 9,
    kLastUpd = 10,
    kLastPlay = 11,
    kRating = 12,
    kPlayCount = 14,
    kFileTime = 15,
    kFileSize = 16,
    kBitrate = 17,
    kExtData = 31,
    kDateAdded = 40,
};

std::vector<WinampColumn> Columns(bool oldFileSize) {
    struct Entry {
        uint8_t id;
        uint8_t type;
        const char* name;
    };
    static constexpr Entry kColumns[] = {
        {0, kWinampFileName, "filename"},
        {1, kWinampText, "title"},
        {2, kWinampText, "artist"},
        {3, kWinampText, "album"},
        {4, kWinampInteger, "year"},
        {5, kWinampText, "genre"},
        {6, kWinampText, "comment"},
        {7, kWinampInteger, "trackno"},
        {8, kWinampLength, "length"},
        {9, kWinampInteger, "type"},
        {10, kWinampDateTime, "lastupd"},
        {11, kWinampDateTime, "lastplay"},
        {12, kWinampInteger, "rating"},
        {14, kWinampInteger, "playcount"},
        {15, kWinampDateTime, "filetime"},
        {16, kWinampInteger64, "filesize"},
        {17, kWinampInteger, "bitrate"},
        {18, kWinampInteger, "disc"},
        {19, kWinampText, "albumartist"},
        {20, kWinampText, "replaygain_album_gain"},
        {21, kWinampText, "replaygain_track_gain"},
        {22, kWinampText, "publisher"},
        {23, kWinampText, "composer"},
        {24, kWinampInteger, "bpm"},
        {25, kWinampInteger, "discs"},
        {26, kWinampInteger, "tracks"},
        {27, kWinampInteger, "ispodcast"},
        {28, kWinampText, "podcastchannel"},
        {29, kWinampDateTime, "podcastpubdate"},
        {30, kWinampText, "GracenoteFileID"},
        {31, kWinampBinary, "GracenoteExtData"},
        {32, kWinampInteger, "lossless"},
        {33, kWinampText, "category"},
        {34, kWinampText, "codec"},
        {35, kWinampText, "director"},
        {36, kWinampText, "producer"},
        {37, kWinampInteger, "width"},
        {38, kWinampInteger, "height"},
        {39, kWinampText, "mimetype"},
        {40, kWinampDateTime, "dateadded"},
        {41, kWinampInteger, "cloud"},
    };
    std::vector<WinampColumn> columns;
    for (const Entry& entry : kColumns) {
        const uint8_t type =
            entry.id == kFileSize && oldFileSize ? uint8_t{kWinampInteger} : entry.type;
        columns.push_back({entry.id, type, entry.name});
    }
    return columns;
}

uint32_t Mix(uint32_t seed, uint32_t a, uint32_t b) {
    uint64_t x = (uint64_t{seed} << 32 | a) * 0x9E3779B97F4A7C15ULL + b * 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 31;
    x *= 0x94D049BB133111EBULL;
    return static_cast<uint32_t>(x >> 32);
}

// Words in four scripts; an artist's names are all in one of them.
const std::vector<std::vector<const char*>>& Words() {
    static const std::vector<std::vector<const char*>> words = {
        {"Café", "Crème", "Ångström", "Naïve", "Señor", "Über", "Fjord", "Zoë", "Brûlée", "Déjà",
         "Garçon", "Mañana", "Smörgås", "Øresund", "Piñata", "Façade"},
        {"Ночной", "Город", "Берёза", "Звезда", "Река", "Песня", "Зима", "Ветер", "Солнце",
         "Дорога", "Море", "Огонь"},
        {"Θάλασσα", "Ήλιος", "Αγάπη", "Νύχτα", "Φως", "Όνειρο", "Άνεμος", "Βροχή", "Καρδιά",
         "Ουρανός"},
        {"東京", "夜", "桜", "雨", "夢", "空", "海", "風", "星", "花", "月", "光"},
    };
    return words;
}

std::string Phrase(uint32_t seed, int script, uint32_t a, uint32_t b) {
    const auto& words = Words()[static_cast<size_t>(script)];
    const char* first = words[Mix(seed, a, b) % words.size()];
    const char* second = words[Mix(seed, b, a + 7) % words.size()];
    return std::string(first) + (script == 3 ? "の" : " ") + second;
}

const char* const kGenres[] = {"Rock",    "Jazz", "Électronique", "Поп",
                               "Έντεχνο", "演歌", "Blues",        "Hip-Hop"};

std::string Hex(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

std::string FileNameOf(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

class CLibraryBuilder {
public:
    CLibraryBuilder(const WinampLibraryOptions& options)
        : m_options(options), m_writer(Columns(options.oldFileSize), kFileName) {}

    WinampLibraryTrack MakeTrack(int k) const {
        const auto seed = m_options.seed;
        const auto n = static_cast<uint32_t>(k);
        WinampLibraryTrack track;
        for (int v = 0; v < m_options.videos; ++v) {
            track.video =
                track.video || k == (2 * v + 1) * m_options.records / (2 * m_options.videos);
        }
        const int artist = k / 20;
        const int script = artist % 4;
        track.title = Phrase(seed, script, n, 1);
        if (track.video) {
            track.genre = k % 2 == 0 ? "Documentary" : "";
            track.path = Join(Join(m_options.musicFolder, "Videos"), track.title + ".avi");
            return track;
        }
        track.artist = Phrase(seed, script, static_cast<uint32_t>(artist), 2);
        track.album = Phrase(seed, script, static_cast<uint32_t>(k / 10), 3);
        track.genre = kGenres[Mix(seed, static_cast<uint32_t>(artist), 4) % std::size(kGenres)];
        track.trackNumber = k % 10 + 1;
        // What real libraries lack here and there.
        if (k % 17 == 3) track.trackNumber = 0;
        if (k % 23 == 5) track.album.clear();
        if (k % 29 == 7) track.genre.clear();
        if (k % 37 == 11) track.artist.clear();
        char number[8] = "";
        if (track.trackNumber > 0) std::snprintf(number, sizeof number, "%02d ", track.trackNumber);
        std::string folder =
            Join(m_options.musicFolder, track.artist.empty() ? "Unknown" : track.artist);
        folder = Join(folder, track.album.empty() ? "Singles" : track.album);
        track.path = Join(folder, number + track.title + " " + std::to_string(k) + ".mp3");
        return track;
    }

    // `updated`: the record will see the updates of Update.
    void Add(int k, const WinampLibraryTrack& track, bool updated) {
        std::vector<WinampField> fields;
        fields.push_back({kFileName, kWinampFileName, Text(track.path)});
        // A title the player corrected later: the first one stays behind in the file.
        fields.push_back(
            {kTitle, kWinampText,
             Text(updated && k % 50 == 21 ? "Track " + std::to_string(k) : track.title)});
        if (!track.artist.empty()) fields.push_back({kArtist, kWinampText, Text(track.artist)});
        if (!track.album.empty()) fields.push_back({kAlbum, kWinampText, Text(track.album)});
        fields.push_back({kYear, kWinampInteger, WinampIntegerData(1990 + k % 30)});
        if (!track.genre.empty()) fields.push_back({kGenre, kWinampText, Text(track.genre)});
        if (track.trackNumber > 0)
            fields.push_back({kTrackNo, kWinampInteger, WinampIntegerData(track.trackNumber)});
        fields.push_back({kLength, kWinampLength, WinampIntegerData(120 + k % 300)});
        fields.push_back({kType, kWinampInteger, WinampIntegerData(track.video ? 1 : 0)});
        fields.push_back({kLastUpd, kWinampDateTime, WinampIntegerData(1200000000 + k)});
        fields.push_back({kFileTime, kWinampDateTime, WinampIntegerData(1100000000 + k)});
        fields.push_back({kFileSize, m_options.oldFileSize ? kWinampInteger : kWinampInteger64,
                          m_options.oldFileSize ? WinampIntegerData(3000000 + k)
                                                : WinampInteger64Data(5000000000LL + k)});
        fields.push_back({kBitrate, kWinampInteger, WinampIntegerData(192)});
        if (k % 11 == 0)
            fields.push_back({kExtData, kWinampBinary, std::string("\x01\x00\xFF\x7F\x02", 5)});
        fields.push_back({kDateAdded, kWinampDateTime, WinampIntegerData(1300000000 + k)});
        m_records.push_back(m_writer.AddRecord(fields));
    }

    // What using the player for years does to some records.
    void Update(int k, const WinampLibraryTrack& track) {
        const int record = m_records[static_cast<size_t>(k)];
        if (k % 9 == 4) {
            m_writer.UpdateField(record, {kPlayCount, kWinampInteger, WinampIntegerData(1)});
            m_writer.UpdateField(record,
                                 {kLastPlay, kWinampDateTime, WinampIntegerData(1400000000)});
            m_writer.UpdateField(record, {kPlayCount, kWinampInteger, WinampIntegerData(2)});
        }
        if (k % 25 == 7) {
            m_writer.UpdateField(record, {kRating, kWinampInteger, WinampIntegerData(3)});
            m_writer.UpdateField(record, {kRating, kWinampInteger, WinampIntegerData(5)});
        }
        if (k % 40 == 13)
            m_writer.UpdateField(record, {kFileName, kWinampFileName, Text(track.path)});
        if (k % 80 == 13)
            m_writer.UpdateField(record, {kFileName, kWinampFileName, Text(track.path)});
        if (k % 50 == 21) m_writer.UpdateField(record, {kTitle, kWinampText, Text(track.title)});
        if (k % 60 == 5) {
            m_writer.UpdateField(record,
                                 {kDateAdded, kWinampDateTime, WinampIntegerData(1500000000)}, true);
        }
        if (k % 70 == 9 && !track.artist.empty()) {
            m_writer.UpdateField(record, {kArtist, kWinampText, Text(track.artist)}, true);
            m_writer.UpdateField(record, {kArtist, kWinampText, Text(track.artist)}, true);
        }
    }

    // A record the user removed: gone from the indexes, still in the file.
    void AddDeleted(int k) {
        WinampLibraryTrack gone;
        gone.title = "Deleted " + std::to_string(k);
        gone.path = Join(m_options.musicFolder, gone.title + ".mp3");
        const size_t before = m_records.size();
        Add(k, gone, false);
        m_writer.RemoveRecord(m_records.back());
        m_records.resize(before);
    }

    bool Write(const std::string& ml) { return m_writer.Write(ml + "main.dat", ml + "main.idx"); }

    std::string Join(const std::string& folder, const std::string& name) const {
        const char separator = !folder.empty() && folder.front() == '/' ? '/' : '\\';
        return folder + separator + name;
    }

private:
    std::string Text(const std::string& text) const {
        const bool eightBit = m_options.eightBitTexts && FitsLatin1(text);
        return WinampTextData(text, eightBit ? WinampTextForm::kEightBit : WinampTextForm::kUtf16);
    }

    const WinampLibraryOptions& m_options;
    CWinampTableWriter m_writer;
    std::vector<int> m_records;  // writer's record number of each track
};

std::string PlaylistTitle(int i) {
    static const char* const kBases[] = {"Rock & Roll",   "Ann's Mix",         "Café <Live>",
                                         "Ночная музыка", "Θάλασσα και ήλιος", "夏の歌",
                                         "Road \"Trip\""};
    return std::string(kBases[static_cast<size_t>(i) % std::size(kBases)]) + " " +
           std::to_string(i + 1);
}

// An extended M3U list of some of the tracks, with CR LF: UTF-8 (`utf8`, with or without a
// byte-order mark) or 8-bit.
std::string PlaylistText(const std::vector<WinampLibraryTrack>& tracks, int first, bool empty,
                         bool utf8, bool bom) {
    std::string text = "#EXTM3U\r\n";
    for (int i = 0; !empty && i < 12 && !tracks.empty(); ++i) {
        const auto& track = tracks[static_cast<size_t>(first + i * 13) % tracks.size()];
        text += "#EXTINF:" + std::to_string(200 + i) + "," +
                (track.artist.empty() ? "" : track.artist + " - ") + track.title + "\r\n" +
                track.path + "\r\n";
    }
    if (!utf8) return Latin1Bytes(text);
    return bom ? "\xEF\xBB\xBF" + text : text;
}

bool WriteGenMl(const WinampLibraryOptions& options, const std::string& folder,
                const std::vector<WinampLibraryTrack>& tracks,
                std::vector<WinampLibraryPlaylist>& playlists) {
    std::string ini =
        "[gen_ml_config]\r\nmediaview_lastsel=1\r\ntreeItemCount=5\r\n"
        "query1_name=Audio\r\nquery1_val=type = 0\r\nquery1_mode=0\r\n"
        "query2_name_utf8=Video\r\nquery2_val_utf8=type = 1\r\nquery2_mode=1\r\n";
    if (options.genMlViews) {
        const std::string ml = folder + "Plugins/ml/";
        // An old view, 8-bit, with the trailing spaces the player leaves.
        ini += Latin1Bytes("query3_name=Café Classics   \r\n") +
               "query3_val=plf00A1.m3u  \r\nquery3_mode=32\r\n";
        // A newer one in both key forms; the 8-bit form lost its Cyrillic.
        ini +=
            "query4_name_utf8=Любимые песни \r\nquery4_val_utf8=plf00A2.m3u8\r\n"
            "query4_name=?????? ????? \r\nquery4_val=plf00A2.m3u8\r\nquery4_mode=32\r\n";
        // One whose file is gone.
        ini += "query5_name_utf8=Lost View\r\nquery5_val_utf8=plf00A3.m3u8\r\nquery5_mode=32\r\n";
        playlists.push_back({"Café Classics", ml + "plf00A1.m3u", true, true});
        playlists.push_back({"Любимые песни", ml + "plf00A2.m3u8", true, true});
        playlists.push_back({"Lost View", ml + "plf00A3.m3u8", false, true});
        if (!WriteBytes(ml + "plf00A1.m3u", PlaylistText(tracks, 0, false, false, false)) ||
            !WriteBytes(ml + "plf00A2.m3u8", PlaylistText(tracks, 1, false, true, true))) {
            return false;
        }
    }
    return WriteBytes(folder + "Plugins/gen_ml.ini", ini);
}

}  // namespace

bool WriteWinampPlaylistsXml(const std::string& path,
                             const std::vector<WinampLibraryPlaylist>& playlists) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-16\"?><playlists playlists=\"" +
                      std::to_string(playlists.size()) + "\">";
    uint32_t n = 0;
    for (const WinampLibraryPlaylist& playlist : playlists) {
        ++n;
        const std::string guid = "{" + Hex(Mix(7, n, 1), 8) + "-" + Hex(Mix(7, n, 2) & 0xFFFF, 4) +
                                 "-4" + Hex(Mix(7, n, 3) & 0xFFF, 3) + "-8" +
                                 Hex(Mix(7, n, 4) & 0xFFF, 3) + "-" + Hex(Mix(7, n, 5), 8) +
                                 Hex(Mix(7, n, 6) & 0xFFFF, 4) + "}";
        // The player escapes the apostrophe too.
        std::string title = XmlEscape(playlist.name);
        ReplaceAll(title, "'", "&apos;");
        xml += "<playlist filename=\"" + XmlEscape(FileNameOf(playlist.path)) + "\" title=\"" +
               title + "\" id=\"" + guid + "\" songs=\"12\" seconds=\"" +
               std::to_string(2400 + 10 * n) + "\"/>";
    }
    xml += "</playlists>";
    return WriteBytes(path, "\xFF\xFE" + Utf8ToUtf16(xml, false));
}

bool WriteWinampLibrary(const WinampLibraryOptions& options, const std::string& folderPath,
                        WinampLibraryContent* content) {
    const std::string folder =
        folderPath.empty() || folderPath.back() == '/' ? folderPath : folderPath + "/";
    const std::string ml = folder + "Plugins/ml/";
    std::error_code error;
    std::filesystem::create_directories(ml, error);
    if (error) return false;

    CLibraryBuilder builder(options);
    std::vector<WinampLibraryTrack> tracks;
    // Most records, then a few years of plays and corrections, then the newest records.
    const int early = options.records - options.records / 10;
    for (int k = 0; k < options.records; ++k) {
        if (k == early) {
            for (int u = 0; u < early; ++u) builder.Update(u, tracks[static_cast<size_t>(u)]);
        }
        if (k % 500 == 250) builder.AddDeleted(k);
        tracks.push_back(builder.MakeTrack(k));
        builder.Add(k, tracks.back(), k < early);
    }
    if (!builder.Write(ml)) return false;

    std::vector<WinampLibraryPlaylist> playlists;
    const std::string listFolder = options.modernPlaylists ? ml + "playlists/" : ml;
    for (int i = 0; i < options.playlists; ++i) {
        const std::string file =
            "plf" + Hex(0x1A2B + static_cast<uint32_t>(i) * 7, 4) + (i % 5 == 2 ? ".m3u" : ".m3u8");
        WinampLibraryPlaylist playlist{PlaylistTitle(i), listFolder + file, i % 16 != 9, false};
        if (playlist.exists && !WriteBytes(playlist.path, PlaylistText(tracks, i, i % 7 == 3,
                                                                       i % 5 != 2, i % 3 != 0))) {
            return false;
        }
        playlists.push_back(std::move(playlist));
    }
    if (!WriteWinampPlaylistsXml(listFolder + "playlists.xml", playlists)) return false;
    if (!WriteGenMl(options, folder, tracks, playlists)) return false;
    if (content != nullptr) {
        content->tracks = std::move(tracks);
        content->playlists = std::move(playlists);
    }
    return true;
}

std::vector<WinampLibraryTrack> WinampLibraryTracks(const WinampLibraryOptions& options) {
    CLibraryBuilder builder(options);
    std::vector<WinampLibraryTrack> tracks;
    for (int k = 0; k < options.records; ++k) tracks.push_back(builder.MakeTrack(k));
    return tracks;
}

bool WriteWinampPathsIni(const std::string& winampDir, const std::string& iniDir) {
    return WriteBytes(winampDir + "/paths.ini", "[Winamp]\r\ninidir=" + iniDir + "\r\n");
}

}  // namespace vantor::tools
