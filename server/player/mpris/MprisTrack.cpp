#include "server/player/mpris/MprisTrack.h"

#include "protocol/TextCoding.h"
#include "server/library/ReaderRoutines.h"

#include <sys/stat.h>

#include <cctype>
#include <cmath>
#include <cstring>

namespace vantor {

namespace {

constexpr char kFileScheme[] = "file://";

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::string FileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinArtists(const std::vector<std::string>& artists) {
    std::string joined;
    for (const auto& artist : artists) {
        if (artist.empty()) continue;
        if (!joined.empty()) joined += ", ";
        joined += artist;
    }
    return joined;
}

}  // namespace

bool CMprisTrack::SameAs(const CMprisTrack& other) const {
    return trackId == other.trackId && url == other.url && title == other.title &&
           artists == other.artists && album == other.album && lengthUs == other.lengthUs &&
           artUrl == other.artUrl && userRating == other.userRating;
}

CMprisTrack TrackFromMetadata(const CBusValue& metadata) {
    CMprisTrack track;
    if (metadata.kind != CBusValue::kDict) return track;
    for (const auto& [key, value] : metadata.entries) {
        if (key == "mpris:trackid") {
            track.trackId = value.FirstText();
        } else if (key == "xesam:title") {
            track.title = value.FirstText();
        } else if (key == "xesam:artist") {
            if (value.kind == CBusValue::kTexts) track.artists = value.texts;
            if (value.kind == CBusValue::kText) track.artists = {value.text};
        } else if (key == "xesam:album") {
            track.album = value.FirstText();
        } else if (key == "xesam:genre") {
            track.genre = value.FirstText();
        } else if (key == "xesam:url") {
            track.url = value.FirstText();
        } else if (key == "mpris:artUrl") {
            track.artUrl = value.FirstText();
        } else if (key == "mpris:length") {
            track.lengthUs = value.AsInteger(-1);
        } else if (key == "xesam:trackNumber") {
            const int64_t n = value.AsInteger(0);
            track.trackNumber = n > 0 && n < 100000 ? static_cast<int32_t>(n) : 0;
        } else if (key == "xesam:userRating") {
            const double rating = value.AsReal(-1);
            track.userRating = std::isfinite(rating) ? rating : -1;
        }
    }
    return track;
}

std::string PathFromUrl(const std::string& url) {
    if (url.compare(0, std::strlen(kFileScheme), kFileScheme) != 0) return url;
    std::string rest = url.substr(std::strlen(kFileScheme));
    // "file://localhost/a" and "file:///a" name the same file.
    if (rest.compare(0, 9, "localhost") == 0) rest.erase(0, 9);
    if (rest.empty() || rest[0] != '/') return url;
    const std::string decoded = PercentDecode(rest);
    if (decoded != rest && !Exists(decoded) && Exists(rest)) return rest;
    return decoded;
}

std::string UrlFromPath(const std::string& path) {
    if (path.find("://") != std::string::npos) return path;
    static const char* hex = "0123456789ABCDEF";
    std::string url = kFileScheme;
    for (unsigned char c : path) {
        if (std::isalnum(c) || std::strchr("/-._~!$&'()*+,;=:@", c)) {
            url.push_back(static_cast<char>(c));
        } else {
            url += {'%', hex[c >> 4], hex[c & 15]};
        }
    }
    return url;
}

std::unique_ptr<CMusicItem> TrackToMusicItem(const CMprisTrack& track) {
    auto item = std::make_unique<CMusicItem>();
    item->path = PathFromUrl(track.url);
    item->name = track.title.empty() ? FileName(item->path) : track.title;
    item->artist = JoinArtists(track.artists);
    item->album = track.album;
    item->genre = ResolveGenre(track.genre);
    if (track.trackNumber > 0)
        item->trackNumber = NormalizeTrackNumber(std::to_string(track.trackNumber));
    item->length = track.lengthUs >= 0 ? static_cast<int32_t>(track.lengthUs / 1000000) : -1;
    item->rating = track.userRating >= 0
                       ? static_cast<int32_t>(std::lround(std::min(track.userRating, 1.0) * 100))
                       : 0;
    return item;
}

std::string TrackDisplayTitle(const CMprisTrack& track) {
    const std::string artist = JoinArtists(track.artists);
    if (!track.title.empty() && !artist.empty()) return artist + " - " + track.title;
    if (!track.title.empty()) return track.title;
    return FileName(PathFromUrl(track.url));
}

}  // namespace vantor
