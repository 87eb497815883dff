#include "tools/itunes-gen/ITunesLibraryWriter.h"

#include <array>
#include <cstdio>
#include <random>
#include <vector>

namespace vantor::tools {

namespace {

// Words names are made of; a few carry characters real libraries are full of.
const std::array<const char*, 40> kWords = {
    "Love",        "Night",   "City",     "Blue",     "Fire",   "Dream",  "Rain",   "Heart",
    "Road",        "Summer",  "Shadow",   "Light",    "River",  "Golden", "Wild",   "Silent",
    "Electric",    "Ocean",   "Midnight", "Stone",    "Glass",  "Paper",  "Velvet", "Echo",
    "Café",        "Ёлка",    "東京",     "Ωmega",    "Señor",  "Naïve",  "Björk",  "Straße",
    "Rock & Roll", "<Intro>", "Don't",    "Tokyo 夜", "Москва", "Ελλάδα", "🎸 Jam",  "Zürich"};

const std::array<const char*, 14> kGenres = {
    "Rock", "Pop",     "Jazz", "Classical", "Electronic", "Hip-Hop", "Soundtrack",
    "(17)", "(13)Pop", "20",   "Reggae",    "R&B",        "Folk",    "Metal"};

const std::array<const char*, 6> kAudioKinds = {
    "MPEG audio file", "AAC audio file",     "Purchased AAC audio file",
    "MPEG-Audiodatei", "Fichier audio MPEG", "Apple Lossless audio file"};

const std::array<const char*, 4> kVideoKinds = {"MPEG-4 video file", "QuickTime movie file",
                                                "Arq. vídeo MPEG-4", "Protected MPEG-4 video file"};

struct Writer {
    std::string& out;
    const char* eol;
    // With a file, the text goes out in pieces: a million tracks make 1.4 GB.
    std::FILE* file = nullptr;
    bool failed = false;

    void Line(int indent, const std::string& text) {
        out.append(static_cast<size_t>(indent), '\t');
        out += text;
        out += eol;
        if (file != nullptr && out.size() >= kFlushSize) Flush();
    }
    void Flush() {
        if (file == nullptr) return;
        if (std::fwrite(out.data(), 1, out.size(), file) != out.size()) failed = true;
        out.clear();
    }
    static constexpr size_t kFlushSize = 1 << 20;
    void Key(int indent, const char* key, const std::string& element) {
        Line(indent, std::string("<key>") + key + "</key>" + element);
    }
    void String(int indent, const char* key, const std::string& value) {
        Key(indent, key, "<string>" + value + "</string>");
    }
    void Integer(int indent, const char* key, long long value) {
        Key(indent, key, "<integer>" + std::to_string(value) + "</integer>");
    }
    void True(int indent, const char* key) { Key(indent, key, "<true/>"); }
    void False(int indent, const char* key) { Key(indent, key, "<false/>"); }
};

// Two words for album `number`, the same every time.
std::string AlbumWords(int number) {
    const size_t n = static_cast<size_t>(number);
    return std::string(kWords[(n * 7) % kWords.size()]) + " " + kWords[(n * 11 + 3) % kWords.size()];
}

// iTunes writes '&' and '<' as numeric references, '>' as an entity.
std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&#38;";
                break;
            case '<':
                out += "&#60;";
                break;
            case '>':
                out += "&#62;";
                break;
            case '"':
                out += "&#34;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// Locations percent-escape spaces and bytes outside ASCII, as file URLs do.
std::string UrlPath(const std::string& text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (c == ' ' || c >= 0x80 || c == '%' || c == '#' || c == '?') {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string FileName(const std::string& text) {
    std::string out;
    for (char c : text)
        out += (c == '/' || c == '\\' || c == ':' || c == '<' || c == '>') ? '_' : c;
    return out;
}

std::string PersistentId(std::mt19937& random) {
    static const char* hex = "0123456789ABCDEF";
    std::string id;
    for (int i = 0; i < 16; ++i) id += hex[random() % 16];
    return id;
}

struct Generator {
    const ITunesLibraryOptions& options;
    std::mt19937 random;
    ITunesLibraryCounts counts;

    std::string Words(int n) {
        std::string text;
        for (int i = 0; i < n; ++i) {
            if (i > 0) text += ' ';
            text += kWords[random() % kWords.size()];
        }
        return text;
    }
    std::string Location(const std::string& relative) {
        if (options.windowsPaths) {
            return "file://localhost/C:/Users/Listener/Music/iTunes/iTunes%20Media/" +
                   UrlPath(relative);
        }
        return "file:///Users/listener/Music/iTunes/iTunes%20Media/" + UrlPath(relative);
    }
};

}  // namespace

namespace {

ITunesLibraryCounts Write(const ITunesLibraryOptions& options, Writer& w) {
    Generator gen{options, std::mt19937(options.seed), {}};
    auto& random = gen.random;

    w.Line(0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    w.Line(0,
           "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">");
    w.Line(0, "<plist version=\"1.0\">");
    w.Line(0, "<dict>");
    w.Integer(1, "Major Version", 1);
    w.Integer(1, "Minor Version", 1);
    w.Key(1, "Date", "<date>2026-11-30T18:04:11Z</date>");
    w.String(1, "Application Version", "12.13.1.3");
    w.Integer(1, "Features", 5);
    w.True(1, "Show Content Ratings");
    w.String(1, "Music Folder", gen.Location(""));
    w.String(1, "Library Persistent ID", PersistentId(random));
    w.Key(1, "Tracks", "");
    w.Line(1, "<dict>");

    // Artists own a few albums of about a dozen tracks; the pools grow with the library.
    int artistCount = std::max(1, options.tracks / 12);
    std::vector<std::string> artists;
    for (int i = 0; i < artistCount; ++i)
        artists.push_back(gen.Words(1 + static_cast<int>(random() % 2)) + " " + std::to_string(i));
    std::vector<int> trackIds;
    int trackId = 1000;
    for (int i = 0; i < options.tracks; ++i, trackId += 2) {
        int roll = static_cast<int>(random() % 100);
        bool podcast = roll < 4;
        bool movie = roll >= 4 && roll < 7;
        bool tv = roll >= 7 && roll < 10;
        int artistIndex = static_cast<int>(random() % static_cast<unsigned>(artistCount));
        const std::string& artist = artists[static_cast<size_t>(artistIndex)];
        int albumIndex = static_cast<int>(random() % 3);
        // An album's name belongs to the album, so that its dozen tracks share it. (The
        // draw is still made, so that everything else comes out as it always did.)
        gen.Words(2);
        const int albumNumber = artistIndex * 3 + albumIndex;
        std::string album = AlbumWords(albumNumber) + " " + std::to_string(albumNumber);
        std::string name = gen.Words(1 + static_cast<int>(random() % 3));
        if (random() % 50 == 0) name += "\xC2\xA0";  // a trailing non-breaking space
        if (random() % 40 == 0) name += "  ";
        bool noName = random() % 200 == 0;
        bool noLocation = random() % 60 == 0;
        bool noAlbum = random() % 25 == 0;
        bool noTrackNumber = random() % 15 == 0;
        bool noKind = random() % 30 == 0;
        int number = 1 + static_cast<int>(random() % 14);
        long long playCount = static_cast<long long>(random() % 40);

        w.Key(2, std::to_string(trackId).c_str(), "");
        w.Line(2, "<dict>");
        w.Integer(3, "Track ID", trackId);
        if (!noName) w.String(3, "Name", Escape(name));
        std::string relative;
        if (movie || tv) {
            std::string series = "Series " + std::to_string(artistIndex % 20);
            if (tv) {
                if (random() % 3 != 0) w.String(3, "Artist", Escape(artist));
                if (random() % 2 == 0) w.String(3, "Series", Escape(series));
                w.Integer(3, "Season", 1 + static_cast<int>(random() % 5));
                w.Integer(3, "Episode Order", number);
            }
            w.String(3, "Genre", tv ? "Drama" : "Action & Adventure");
            if (!noKind) w.String(3, "Kind", kVideoKinds[random() % kVideoKinds.size()]);
            w.Integer(3, "Size", 2147483648LL + static_cast<long long>(random() % 1000000));
            w.Integer(3, "Total Time", 2700000 + static_cast<long long>(random() % 3000000));
            w.True(3, "Has Video");
            if (movie) w.True(3, "Movie");
            if (tv) w.True(3, "TV Show");
            relative =
                (tv ? "TV Shows/" : "Movies/") + FileName(name) + " " + std::to_string(i) + ".m4v";
            // A video without a name is listed under its file name; one without a file is not.
            if (noLocation)
                ++gen.counts.skipped;
            else if (tv)
                ++gen.counts.tvShows;
            else
                ++gen.counts.videos;
        } else {
            w.String(3, "Artist", Escape(artist));
            w.String(3, "Album Artist", Escape(artist));
            if (!noAlbum) w.String(3, "Album", Escape(album));
            w.String(3, "Genre", Escape(podcast ? "Talk" : kGenres[random() % kGenres.size()]));
            if (!noKind) w.String(3, "Kind", kAudioKinds[random() % kAudioKinds.size()]);
            w.Integer(3, "Size", 3000000 + static_cast<long long>(random() % 9000000));
            w.Integer(3, "Total Time", 120000 + static_cast<long long>(random() % 300000));
            w.Integer(3, "Disc Number", 1);
            w.Integer(3, "Disc Count", 1);
            if (!noTrackNumber) w.Integer(3, "Track Number", number);
            w.Integer(3, "Track Count", 14);
            if (podcast) w.True(3, "Podcast");
            relative = "Music/" + FileName(artist) + "/" + FileName(album) + "/" +
                       std::to_string(number) + " " + FileName(name) + ".mp3";
            if (noName) {
                ++gen.counts.skipped;
            } else {
                ++gen.counts.music;
                if (podcast) ++gen.counts.podcasts;
            }
        }
        w.Integer(3, "Year", 1960 + static_cast<int>(random() % 66));
        w.Key(3, "Date Modified", "<date>2025-03-14T09:26:53Z</date>");
        w.Key(3, "Date Added", "<date>2024-01-02T03:04:05Z</date>");
        w.Integer(3, "Bit Rate", 256);
        w.Integer(3, "Sample Rate", 44100);
        if (playCount + options.playCountOffset > 0) {
            w.Integer(3, "Play Count", playCount + options.playCountOffset);
            // Play dates are seconds since 1904 and no longer fit 31 bits.
            w.Integer(3, "Play Date", 3786825600LL + playCount * 86400 + options.playCountOffset);
            w.Key(3, "Play Date UTC",
                  "<date>2026-0" + std::to_string(1 + (playCount + options.playCountOffset) % 9) +
                      "-01T12:00:00Z</date>");
        }
        if (random() % 20 == 0) w.Integer(3, "Skip Count", -1);
        w.String(3, "Persistent ID", PersistentId(random));
        w.String(3, "Track Type", noLocation ? "URL" : "File");
        if (podcast && random() % 2 == 0) {
            w.String(
                3, "Location",
                "http://podcasts.example.invalid/feed/" + std::to_string(i) + ".mp3?x=1&#38;y=2");
        } else if (!noLocation) {
            w.String(3, "Location", Escape(gen.Location(relative)));
        }
        w.Integer(3, "File Folder Count", 5);
        w.Integer(3, "Library Folder Count", 1);
        w.Line(2, "</dict>");
        trackIds.push_back(trackId);
    }
    w.Line(1, "</dict>");

    if (options.includePlaylists) {
        w.Key(1, "Playlists", "");
        w.Line(1, "<array>");
        auto playlist = [&](const std::string& name, const std::string& id,
                            const std::string& parent, bool folder, int firstItem, int items,
                            bool master) {
            w.Line(2, "<dict>");
            w.String(3, "Name", Escape(name));
            if (master) {
                w.True(3, "Master");
                w.False(3, "Visible");
            }
            w.Integer(3, "Playlist ID", 100000 + gen.counts.playlists);
            w.String(3, "Playlist Persistent ID", id);
            if (!parent.empty()) w.String(3, "Parent Persistent ID", parent);
            if (folder) w.True(3, "Folder");
            w.True(3, "All Items");
            if (items > 0) {
                w.Key(3, "Playlist Items", "");
                w.Line(3, "<array>");
                for (int k = 0; k < items && !trackIds.empty(); ++k) {
                    w.Line(4, "<dict>");
                    w.Integer(5, "Track ID",
                              trackIds[static_cast<size_t>(firstItem + k) % trackIds.size()]);
                    w.Line(4, "</dict>");
                }
                w.Line(3, "</array>");
            }
            w.Line(2, "</dict>");
            ++gen.counts.playlists;
        };
        int all = static_cast<int>(trackIds.size());
        playlist("Library", PersistentId(random), "", false, 0, all, true);
        playlist("Music", PersistentId(random), "", false, 0, std::min(all, 50), false);
        playlist("Movies", PersistentId(random), "", false, 0, 0, false);
        // Folders nest three levels; one child is written before its parent.
        std::string top = PersistentId(random);
        std::string middle = PersistentId(random);
        std::string deep = PersistentId(random);
        playlist("Late child 🎧", PersistentId(random), deep, false, 3, 5, false);
        playlist("Collections", top, "", true, 0, 0, false);
        playlist("Decades & Eras", middle, top, true, 0, 0, false);
        playlist("Nineties", deep, middle, true, 0, 0, false);
        playlist("Road trip", PersistentId(random), top, false, 7, 12, false);
        int extra = std::max(2, options.tracks / 500);
        for (int p = 0; p < extra; ++p) {
            playlist("Mix " + gen.Words(1) + " " + std::to_string(p), PersistentId(random),
                     p % 3 == 0 ? middle : "", false, p * 11, p % 4 == 0 ? 0 : 20, false);
        }
        w.Line(1, "</array>");
    }
    w.Line(0, "</dict>");
    w.Line(0, "</plist>");
    w.Flush();
    return gen.counts;
}

}  // namespace

ITunesLibraryCounts WriteITunesLibrary(const ITunesLibraryOptions& options, std::string& out) {
    out.clear();
    out.reserve(static_cast<size_t>(options.tracks) * 1400 + 4096);
    Writer w{out, options.crlf ? "\r\n" : "\n"};
    return Write(options, w);
}

bool WriteITunesLibraryFile(const ITunesLibraryOptions& options, const std::string& path,
                            ITunesLibraryCounts* counts) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    std::string text;
    text.reserve(Writer::kFlushSize * 2);
    Writer w{text, options.crlf ? "\r\n" : "\n", file};
    ITunesLibraryCounts made = Write(options, w);
    if (counts != nullptr) *counts = made;
    return std::fclose(file) == 0 && !w.failed;
}

}  // namespace vantor::tools
