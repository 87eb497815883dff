#include "client/display/PlayerTexts.h"

#include <cstdio>

#include "protocol/TextCoding.h"

namespace vantor::client {

std::string TitleLine(const CCurrentMedia& media) {
    std::string text = media.artist.empty() ? media.title : media.artist + " - " + media.title;
    const int32_t length = media.length;
    if (length <= 0) return text;
    const int32_t hours = length / 3600;
    const int32_t minutes = length / 60 % 60;
    const int32_t seconds = length % 60;
    char suffix[48];
    if (hours > 0) {
        std::snprintf(suffix, sizeof suffix, " (%d:%02d:%02d)", hours, minutes, seconds);
    } else {
        std::snprintf(suffix, sizeof suffix, " (%d:%02d)", minutes, seconds);
    }
    return text + suffix;
}

std::string WithoutAccents(const std::string& text) {
    // Base letters of U+00C0..U+00FF; '\0' keeps the character as it is.
    static const char kBase[] =
        "AAAAAAACEEEEIIII"
        "\0NOOOOO\0\0UUUU\0\0\0"
        "aaaaaaaceeeeiiii"
        "\0nooooo\0\0uuuu\0\0\0";
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        char32_t cp = 0;
        const size_t length = DecodeUtf8(text, pos, cp);
        if (length == 0) {
            out.push_back(text[pos++]);
            continue;
        }
        if (cp >= 0xC0 && cp <= 0xFF && kBase[cp - 0xC0] != '\0') {
            out.push_back(kBase[cp - 0xC0]);
        } else {
            out.append(text, pos, length);
        }
        pos += length;
    }
    return out;
}

std::string TimeText(int64_t positionMs, int32_t lengthSeconds, bool remaining) {
    const bool countDown = remaining && lengthSeconds > 0;
    int64_t shown = positionMs;
    if (countDown) {
        shown = static_cast<int64_t>(lengthSeconds) * 1000 - positionMs;
        if (shown < 0) shown = 0;
    }
    const int64_t totalSeconds = shown / 1000;
    const int64_t hours = totalSeconds / 3600;
    const int64_t minutes = totalSeconds / 60 % 60;
    const int64_t seconds = totalSeconds % 60;
    char text[48];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%s%lld:%02lld:%02lld", countDown ? "-" : "",
                      static_cast<long long>(hours), static_cast<long long>(minutes),
                      static_cast<long long>(seconds));
    } else {
        std::snprintf(text, sizeof text, "%s%02lld:%02lld", countDown ? "-" : "",
                      static_cast<long long>(minutes), static_cast<long long>(seconds));
    }
    return text;
}

}  // namespace vantor::client
