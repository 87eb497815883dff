#include "server/library/art/AlbumArtNames.h"

#include <gtest/gtest.h>

#include <string>

namespace vantor {
namespace {

struct CleanCase {
    const char* input;
    bool parentheses;
    const char* expected;
};

TEST(AlbumArtNamesTest, CleanNameRemovesMarkedSpans) {
    const CleanCase cases[] = {
        {"Song (Live) [Remastered]", true, "Song"},
        {"Greatest Hits [Disc 2]", false, "Greatest Hits"},
        {"Sly (and the Family)", false, "Sly (and the Family)"},
        {"A (b (c) d) e", true, "A e"},
        {"Open (paren", true, "Open (paren"},
        {"Two (x) (y) spans", true, "Two  spans"},  // one folding pass
        {"  padded [x]  ", false, "padded"},
        {"a    b", false, "a  b"},
        {"[all]", true, ""},
    };
    for (const CleanCase& c : cases) {
        EXPECT_EQ(CleanName(c.input, c.parentheses), c.expected) << c.input;
    }
}

TEST(AlbumArtNamesTest, StopWordsAreLowerCaseWholeWords) {
    const std::pair<const char*, const char*> cases[] = {
        {"In The End", "In The End"},
        {"in the end", "end"},
        {"the", "the"},
        {"Theory of this", "Theory"},
        {"i am the walrus", "am walrus"},
        {"inside thermal", "inside thermal"},
        {"to the of in", "to the of in"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(RemoveStopWords(input), expected) << input;
    }
}

TEST(AlbumArtNamesTest, FileNameFromArtistAndAlbumOrTitle) {
    struct Case {
        const char* artist;
        const char* album;
        const char* title;
        const char* expected;
    };
    const Case cases[] = {
        {"A", "B", "T", "A - B.jpg"},
        {"A", "", "Song", "A - Song.jpg"},
        {"AC/DC", "Live: 1992", "T", "ACDC - Live 1992.jpg"},
        {"x", "a\\b*c?d\"e<f>g|h", "T", "x - abcdefgh.jpg"},
        {"Björk", "Début", "T", "Björk - Début.jpg"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MakeAlbumArtFileName(c.artist, c.album, c.title), c.expected) << c.expected;
    }
    // A Latin-1 byte (from an 8-bit tag) becomes its UTF-8 form in the file name.
    EXPECT_EQ(MakeAlbumArtFileName("Bj\xF6rk", "B", "T"), "Bj\xC3\xB6rk - B.jpg");
}

}  // namespace
}  // namespace vantor
