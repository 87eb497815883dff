#include "tools/itunes-sim/LibraryXmlWriter.h"

#include <fstream>

namespace vantor::itunessim {

namespace {

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string FileUrl(const std::string& path) {
    std::string url = "file://localhost";
    for (char c : path) {
        if (c == ' ') {
            url += "%20";
        } else {
            url += c;
        }
    }
    return url;
}

}  // namespace

bool WriteLibraryXml(const CModel& model, const std::string& path) {
    std::ofstream out(path, std::ios::trunc);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n<dict>\n"
           "\t<key>Major Version</key><integer>1</integer>\n"
           "\t<key>Tracks</key>\n\t<dict>\n";
    for (const auto& [id, track] : model.tracks) {
        out << "\t\t<key>" << id << "</key>\n\t\t<dict>\n"
            << "\t\t\t<key>Track ID</key><integer>" << id << "</integer>\n"
            << "\t\t\t<key>Name</key><string>" << Escape(track.name) << "</string>\n";
        if (track.videoKind != 0) {
            out << "\t\t\t<key>Kind</key><string>MPEG-4 video file</string>\n"
                << "\t\t\t<key>Has Video</key><true/>\n"
                << "\t\t\t<key>Movie</key><true/>\n";
        } else {
            out << "\t\t\t<key>Kind</key><string>MPEG audio file</string>\n"
                << "\t\t\t<key>Artist</key><string>" << Escape(track.artist) << "</string>\n"
                << "\t\t\t<key>Album</key><string>" << Escape(track.album) << "</string>\n"
                << "\t\t\t<key>Genre</key><string>" << Escape(track.genre) << "</string>\n"
                << "\t\t\t<key>Track Number</key><integer>" << track.trackNumber << "</integer>\n";
        }
        out << "\t\t\t<key>Total Time</key><integer>" << track.duration * 1000 << "</integer>\n"
            << "\t\t\t<key>Location</key><string>" << Escape(FileUrl(track.location))
            << "</string>\n\t\t</dict>\n";
    }
    out << "\t</dict>\n\t<key>Playlists</key>\n\t<array>\n";
    for (int32_t id : model.sources.front().playlists) {
        const CPlaylist& playlist = model.playlists.at(id);
        out << "\t\t<dict>\n\t\t\t<key>Name</key><string>" << Escape(playlist.name)
            << "</string>\n\t\t\t<key>Playlist ID</key><integer>" << id
            << "</integer>\n\t\t\t<key>Playlist Items</key>\n\t\t\t<array>\n";
        for (int32_t track : playlist.tracks) {
            out << "\t\t\t\t<dict><key>Track ID</key><integer>" << track << "</integer></dict>\n";
        }
        out << "\t\t\t</array>\n\t\t</dict>\n";
    }
    out << "\t</array>\n</dict>\n</plist>\n";
    return out.good();
}

}  // namespace vantor::itunessim
