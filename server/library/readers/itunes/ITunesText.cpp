#include "server/library/readers/itunes/ITunesText.h"

#include "protocol/TextCoding.h"

namespace vantor::itunes {

namespace {

// Decodes the reference at text[pos] ('&'); returns its length, 0 when it is not one.
size_t DecodeReference(std::string_view text, size_t pos, std::string& out) {
    static const struct {
        std::string_view name;
        char value;
    } kNamed[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    for (const auto& named : kNamed) {
        if (text.substr(pos, named.name.size()) == named.name) {
            out += named.value;
            return named.name.size();
        }
    }
    if (pos + 1 >= text.size() || text[pos + 1] != '#') return 0;
    size_t i = pos + 2;
    bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
    if (hex) ++i;
    char32_t value = 0;
    size_t digits = 0;
    for (; i < text.size() && digits < 8; ++i, ++digits) {
        int digit =
            hex ? HexDigitValue(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0) break;
        value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
    }
    if (digits == 0 || i >= text.size() || text[i] != ';') return 0;
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) value = 0xFFFD;
    AppendUtf8(value, out);
    return i + 1 - pos;
}

}  // namespace

std::string DecodeEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        size_t amp = text.find('&', pos);
        if (amp == std::string_view::npos) {
            out.append(text.substr(pos));
            break;
        }
        out.append(text.substr(pos, amp - pos));
        size_t used = DecodeReference(text, amp, out);
        if (used == 0) {
            out += '&';
            used = 1;
        }
        pos = amp + used;
    }
    return out;
}

namespace {

size_t FindKeyEnd(std::string_view dict, std::string_view key) {
    std::string marker = "<key>";
    marker.append(key);
    marker += "</key>";
    size_t at = dict.find(marker);
    return at == std::string_view::npos ? at : at + marker.size();
}

}  // namespace

std::string GetValue(std::string_view dict, std::string_view key) {
    size_t after = FindKeyEnd(dict, key);
    if (after == std::string_view::npos) return std::string();
    size_t open = dict.find('>', after);
    if (open == std::string_view::npos) return std::string();
    size_t close = dict.find('<', open + 1);
    if (close == std::string_view::npos) return std::string();
    return DecodeEntities(dict.substr(open + 1, close - open - 1));
}

bool GetBool(std::string_view dict, std::string_view key) {
    size_t after = FindKeyEnd(dict, key);
    if (after == std::string_view::npos) return false;
    size_t open = dict.find('<', after);
    if (open == std::string_view::npos) return false;
    size_t slash = dict.find('/', open);
    if (slash == std::string_view::npos) return false;
    std::string_view element = dict.substr(open + 1, slash - open - 1);
    if (element.size() != 4) return false;
    std::string lowered;
    for (char c : element) lowered += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return lowered == "true";
}

std::string LocationToPath(std::string_view location, char separator) {
    if (location.substr(0, 5) != "file:") return std::string(location);
    std::string path(location.substr(5));
    if (path.compare(0, 11, "//localhost") == 0) {
        path.erase(0, 11);
    } else if (path.compare(0, 3, "///") == 0) {
        // An empty host: "file:///Users/x" names "/Users/x", not "//Users/x" or "Users/x".
        path.erase(0, 2);
    }
    // Any other host keeps its "//host/share" form, as a network path.
    if (!path.empty() && path.back() == '/') path.pop_back();
    if (path.size() > 2 && path[2] == ':') path.erase(0, 1);
    for (char& c : path) {
        if (c == '/') c = separator;
    }
    return path;
}

int64_t SignificantSize(std::string_view text) {
    int64_t played = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        end = end == std::string_view::npos ? text.size() : end + 1;
        size_t first = pos;
        while (first < end && (text[first] == ' ' || text[first] == '\t')) ++first;
        if (text.compare(first, 10, "<key>Play ") == 0) played += static_cast<int64_t>(end - pos);
        pos = end;
    }
    return static_cast<int64_t>(text.size()) - played;
}

}  // namespace vantor::itunes
