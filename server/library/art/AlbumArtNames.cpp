#include "server/library/art/AlbumArtNames.h"

#include "protocol/Xml.h"

#include <array>

namespace vantor {

namespace {

// Removes every span from the last opening mark to the closing mark after it, until no
// complete span is left.
void RemoveSpansFromLast(std::string& text, char open, char close) {
    for (;;) {
        const size_t start = text.rfind(open);
        if (start == std::string::npos) return;
        const size_t end = text.find(close, start + 1);
        if (end == std::string::npos) return;
        text.erase(start, end - start + 1);
    }
}

// One left-to-right pass, as the cache names of earlier runs were made that way: four
// spaces become two, not one.
void FoldDoubleSpaces(std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        out.push_back(text[i]);
        if (text[i] == ' ' && i + 1 < text.size() && text[i + 1] == ' ') ++i;
    }
    text.swap(out);
}

bool IsTrimmedSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void Trim(std::string& text) {
    size_t begin = 0;
    while (begin < text.size() && IsTrimmedSpace(text[begin])) ++begin;
    size_t end = text.size();
    while (end > begin && IsTrimmedSpace(text[end - 1])) --end;
    text = text.substr(begin, end - begin);
}

constexpr std::array<std::string_view, 6> kStopWords = {"the", "of", "to", "in", "this", "i"};

bool IsStopWord(std::string_view word) {
    for (std::string_view stop : kStopWords) {
        if (word == stop) return true;
    }
    return false;
}

}  // namespace

std::string CleanName(std::string_view text, bool removeParentheses) {
    std::string out(text);
    if (removeParentheses) RemoveSpansFromLast(out, '(', ')');
    RemoveSpansFromLast(out, '[', ']');
    FoldDoubleSpaces(out);
    Trim(out);
    return out;
}

std::string RemoveStopWords(const std::string& title) {
    // A word is exactly what lies between two spaces (or an end of the text).
    std::string out;
    size_t start = 0;
    bool first = true;
    while (start <= title.size()) {
        size_t end = title.find(' ', start);
        if (end == std::string::npos) end = title.size();
        const std::string_view word(title.data() + start, end - start);
        if (!IsStopWord(word)) {
            if (!first) out.push_back(' ');
            out.append(word);
            first = false;
        }
        start = end + 1;
    }
    FoldDoubleSpaces(out);
    Trim(out);
    return out.empty() ? title : out;
}

std::string RemoveForbiddenFileChars(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        switch (c) {
            case '\\':
            case '/':
            case ':':
            case '*':
            case '?':
            case '"':
            case '<':
            case '>':
            case '|':
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

std::string MakeAlbumArtFileName(const std::string& artist, const std::string& album,
                                 const std::string& title) {
    std::string key = artist + " - " + (album.empty() ? title : album);
    ToWireText(key);
    return RemoveForbiddenFileChars(key) + ".jpg";
}

}  // namespace vantor
