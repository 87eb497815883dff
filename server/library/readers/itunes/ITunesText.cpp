#include "server/library/readers/itunes/ITunesText.h"

#include "protocol/TextCoding.h"

namespace vantor::itunes {

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
    return DecodeXmlEntities(dict.substr(open + 1, close - open - 1));
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
    CSignificantSizeCounter counter;
    counter.Feed(text);
    return counter.Size();
}

namespace {
constexpr std::string_view kPlayKey = "<key>Play ";
}  // namespace

void CSignificantSizeCounter::Feed(std::string_view piece) {
    m_total += static_cast<int64_t>(piece.size());
    size_t i = 0;
    while (i < piece.size()) {
        if (m_line == Line::kPlay || m_line == Line::kOther) {
            // Decided: only the line's end matters now.
            const size_t newline = piece.find('\n', i);
            const size_t end = newline == std::string_view::npos ? piece.size() : newline + 1;
            m_lineLength += static_cast<int64_t>(end - i);
            i = end;
            if (newline != std::string_view::npos) EndLine();
            continue;
        }
        const char c = piece[i++];
        ++m_lineLength;
        if (m_line == Line::kIndent && (c == ' ' || c == '\t')) continue;
        m_line = Line::kMatching;
        if (c == kPlayKey[m_matched]) {
            if (++m_matched == kPlayKey.size()) m_line = Line::kPlay;
        } else {
            m_line = Line::kOther;
            if (c == '\n') EndLine();
        }
    }
}

void CSignificantSizeCounter::EndLine() {
    if (m_line == Line::kPlay) m_played += m_lineLength;
    m_lineLength = 0;
    m_line = Line::kIndent;
    m_matched = 0;
}

int64_t CSignificantSizeCounter::Size() const {
    // A last line without a line end counts like any other.
    return m_total - m_played - (m_line == Line::kPlay ? m_lineLength : 0);
}

}  // namespace vantor::itunes
