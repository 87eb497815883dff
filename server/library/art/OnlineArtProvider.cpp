#include "server/library/art/OnlineArtProvider.h"

#include "protocol/MediaItem.h"
#include "protocol/Xml.h"
#include "server/core/ConfigStore.h"
#include "server/library/art/HttpGet.h"

#include <chrono>
#include <string_view>
#include <thread>
#include <vector>

namespace vantor {

namespace {

constexpr std::string_view kSubscriptionId = "0ZT7KQ4WN2B8RX5MJ1HD";

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// Query values are sent as they are, except that characters which would break the URL
// (spaces, "&", "#", non-ASCII bytes...) are percent-encoded.
std::string QueryValue(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == '~' ||
                           c == ',' || c == '\'';
        if (plain) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0x0F]);
        }
    }
    return out;
}

std::vector<std::string> SplitWords(const std::string& text) {
    std::vector<std::string> words;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) words.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

// Offset of the first "<track " whose text holds every word, or npos.
size_t FindMatchingTrack(const std::string& lower, const std::string& lowerTitle) {
    const std::vector<std::string> words = SplitWords(lowerTitle);
    size_t cursor = 0;
    for (;;) {
        const size_t track = lower.find("<track ", cursor);
        if (track == std::string::npos) return std::string::npos;
        const size_t textStart = lower.find('>', track);
        if (textStart == std::string::npos) return std::string::npos;
        const size_t textEnd = lower.find("</track>", textStart);
        if (textEnd == std::string::npos) return std::string::npos;
        const std::string_view text(lower.data() + textStart + 1, textEnd - textStart - 1);
        bool all = true;
        for (const std::string& word : words) {
            if (text.find(word) == std::string_view::npos) {
                all = false;
                break;
            }
        }
        if (all) return track;
        cursor = textEnd;
    }
}

// Range [begin, end) of the text between open and close inside [from, to), or false.
bool FindElement(const std::string& lower, std::string_view open, std::string_view close,
                 size_t from, size_t to, size_t& begin, size_t& end) {
    const size_t start = lower.find(open, from);
    if (start == std::string::npos || start >= to) return false;
    const size_t stop = lower.find(close, start + open.size());
    if (stop == std::string::npos || stop > to) return false;
    begin = start + open.size();
    end = stop;
    return true;
}

}  // namespace

std::string FindPictureUrl(const std::string& response, const std::string& title) {
    // Offsets found in the lower-cased copy hold in the original: ASCII folding keeps lengths.
    const std::string lower = AsciiLower(response);
    size_t from = 0;
    size_t to = lower.size();

    const size_t match = FindMatchingTrack(lower, AsciiLower(title));
    if (match != std::string::npos) {
        for (;;) {
            const size_t itemEnd = lower.find("</item>", from);
            if (itemEnd == std::string::npos || itemEnd >= match) break;
            from = itemEnd + 7;
        }
        const size_t itemEnd = lower.find("</item>", match);
        if (itemEnd != std::string::npos) to = itemEnd;
    }

    size_t imageBegin = 0;
    size_t imageEnd = 0;
    if (!FindElement(lower, "<largeimage>", "</largeimage>", from, to, imageBegin, imageEnd) &&
        !FindElement(lower, "<mediumimage>", "</mediumimage>", from, to, imageBegin, imageEnd)) {
        return {};
    }
    size_t urlBegin = 0;
    size_t urlEnd = 0;
    if (!FindElement(lower, "<url>", "</url>", imageBegin, imageEnd, urlBegin, urlEnd)) return {};
    // Taken from the answer as received (not lower-cased); "&amp;" in a query must become "&".
    return XmlUnescape(std::string_view(response).substr(urlBegin, urlEnd - urlBegin));
}

COnlineArtProvider::COnlineArtProvider(CConfigStore& config) : m_config(config) {}

int COnlineArtProvider::GetAlbumArt(const CMusicItem& track, const std::string& targetPath) {
    const std::string endpoint = m_config.GetString("AlbumArtLookupURL", "");
    if (endpoint.empty() || track.artist.empty()) return -1;

    const auto pause = [this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(m_retryDelayMs));
    };
    if (track.album.empty()) return Lookup(endpoint, track.artist, "", track.name, targetPath);
    if (Lookup(endpoint, track.artist, track.album, track.name, targetPath) == 0) return 0;
    pause();
    if (Lookup(endpoint, track.artist, track.album, track.name, targetPath) == 0) return 0;
    pause();
    return Lookup(endpoint, track.artist, "", track.name, targetPath);
}

int COnlineArtProvider::Lookup(const std::string& endpoint, const std::string& artist,
                               const std::string& album, const std::string& title,
                               const std::string& targetPath) const {
    std::string url = endpoint;
    url += (url.find('?') == std::string::npos) ? '?' : '&';
    url += "Service=AWSECommerceService&SubscriptionId=";
    url += kSubscriptionId;
    url += "&Operation=ItemSearch&Keywords=&Artist=";
    url += QueryValue(AsciiLower(artist));
    if (!album.empty()) {
        url += "&Title=";
        url += QueryValue(AsciiLower(album));
        url += "&SearchIndex=Music&ResponseGroup=Small,Images";
    } else {
        url += "&SearchIndex=Music&ResponseGroup=Small,Tracks,Images";
    }

    std::string response;
    if (HttpGetText(url, response) != 0) return -1;
    const std::string pictureUrl = FindPictureUrl(response, title);
    if (pictureUrl.empty()) return -1;
    return HttpGetFile(pictureUrl, targetPath);
}

}  // namespace vantor
