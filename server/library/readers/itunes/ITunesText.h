#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantor::itunes {

// The plain-text scanning of iTunes library property lists. None of these build a document
// tree: they look for fixed markup in one dictionary's text.

// The text of the value element after "<key>K</key>", entities decoded; empty when missing.
std::string GetValue(std::string_view dict, std::string_view key);

// True when the element after the key is <true/>.
bool GetBool(std::string_view dict, std::string_view key);

// A track's Location as a local path, with `separator` between folders:
// file://localhost/C:/a%20b.mp3 (already percent-decoded) -> C:\a b.mp3 ('\\') or C:/a b.mp3;
// file:///Users/x.mp3 and file://localhost/Users/x.mp3 -> /Users/x.mp3;
// file://localhost//SERVER/share/x.mp3 -> //SERVER/share/x.mp3; anything that is not a file
// URL (http://...) comes back unchanged.
std::string LocationToPath(std::string_view location, char separator);

// The file's size without the lines that only record plays ("<key>Play Count</key>...",
// "<key>Play Date</key>...", whatever their indent or line end), so that listening to a song
// does not look like a library change.
int64_t SignificantSize(std::string_view text);

// SignificantSize of a text fed in pieces of any size, as a file is read.
class CSignificantSizeCounter {
public:
    void Feed(std::string_view piece);
    int64_t Size() const;

private:
    enum class Line { kIndent, kMatching, kPlay, kOther };
    void EndLine();

    int64_t m_total = 0;
    int64_t m_played = 0;
    int64_t m_lineLength = 0;  // of the line being read, so far
    Line m_line = Line::kIndent;
    size_t m_matched = 0;  // characters of the play key matched at the line's start
};

}  // namespace vantor::itunes
