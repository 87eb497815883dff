#include "server/library/ReaderRoutines.h"

#include "protocol/TextCoding.h"
#include "server/library/readers/itunes/ITunesText.h"
#include "server/library/store/TextFolding.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(ReaderRoutines, TrackNumbers) {
    const std::pair<const char*, const char*> cases[] = {
        {"7", "07"}, {"12/15", "12"}, {"123", "12"}, {" 3 ", "03"},         {"", ""},
        {"x", "00"}, {"1 2", "12"},   {"0", "00"},   {"-2147483649", "02"}, {"4294967296", "42"}};
    for (const auto& [in, out] : cases) EXPECT_EQ(NormalizeTrackNumber(in), out) << in;
}

TEST(ReaderRoutines, Genres) {
    const std::pair<const char*, const char*> cases[] = {
        {"(17)", "Rock"},      {"(17)Indie", "Indie"}, {"17", "Rock"},     {"  Jazz  ", "Jazz"},
        {"(abc)", "(abc)"},    {"()", "()"},           {"(10)", "NewAge"}, {"125", "DanceHall"},
        {"126", ""},           {"99999999999999", ""}, {"(22", "(22"},     {"1980s", "1980s"},
        {"(78)", "Rock&Roll"}, {"0", "Blues"}};
    for (const auto& [in, out] : cases) EXPECT_EQ(ResolveGenre(in), out) << in;
}

TEST(TextFolding, SortNamesFoldCaseAcrossScripts) {
    const std::pair<const char*, const char*> cases[] = {
        {"Ωmega", "ωmega"},          {"ЁЛКА", "ёлка"},   {"ÀÉÎÕÜ", "àéîõü"},     {"ŁÓDŹ", "łódź"},
        {"Ἀθῆναι", "ἀθῆναι"},        {"ԱՐԱՄ", "արամ"},   {"ＡＢＣ", "ａｂｃ"},   {"東京", "東京"},
        {"The Beatles", "beatles"},  {"  the  ", "the"}, {"Theatre", "theatre"}, {"THE END", "end"},
        {"\xFF\xFE A", "\xFF\xFE a"}};
    for (const auto& [in, out] : cases) EXPECT_EQ(MakeSortName(in), out) << in;
}

TEST(ITunesText, LocationsToPaths) {
    struct Case {
        const char* location;
        char separator;
        const char* path;
    };
    const Case cases[] = {
        {"file://localhost/C:/Music/a b.mp3", '\\', "C:\\Music\\a b.mp3"},
        {"file://localhost/Volumes/x.mp3", '\\', "\\Volumes\\x.mp3"},
        {"file://localhost/C:/Music/a b.mp3", '/', "C:/Music/a b.mp3"},
        {"file:///Users/ann/x.mp3", '/', "/Users/ann/x.mp3"},
        {"file://localhost/Users/ann/x.mp3", '/', "/Users/ann/x.mp3"},
        {"file://localhost//SERVER/share/x.mp3", '\\', "\\\\SERVER\\share\\x.mp3"},
        {"file:////SERVER/share/x.mp3", '/', "//SERVER/share/x.mp3"},
        {"file:///C:/Music/", '/', "C:/Music"},
        {"http://host.invalid/a%20b.mp3", '\\', "http://host.invalid/a%20b.mp3"},
        {"", '/', ""}};
    for (const Case& c : cases)
        EXPECT_EQ(itunes::LocationToPath(c.location, c.separator), c.path) << c.location;
}

TEST(ITunesText, ValuesAndDecoding) {
    const std::string dict =
        "<key>Name</key><string>A &#38; B &lt;&#x26;&gt; &quot;q&quot; &#233;&amp;amp; "
        "&bogus;</string>\n"
        "<key>Sort Name</key><string>wrong</string>\n"
        "<key>Podcast</key><true/>\n<key>Movie</key><false/>\n<key>TV Show</key><TRUE/>\n"
        "<key>Empty</key><string></string>\n";
    EXPECT_EQ(itunes::GetValue(dict, "Name"), "A & B <&> \"q\" \xC3\xA9&amp; &bogus;");
    EXPECT_EQ(itunes::GetValue(dict, "Empty"), "");
    EXPECT_EQ(itunes::GetValue(dict, "Missing"), "");
    EXPECT_TRUE(itunes::GetBool(dict, "Podcast"));
    EXPECT_TRUE(itunes::GetBool(dict, "TV Show"));
    EXPECT_FALSE(itunes::GetBool(dict, "Movie"));
    EXPECT_FALSE(itunes::GetBool(dict, "Missing"));
    EXPECT_EQ(PercentDecode("%41%4a%4A %zz 100% %E6%9D%B1"), "AJJ %zz 100% \xE6\x9D\xB1");
}

TEST(ITunesText, SignificantSizeIgnoresPlayLines) {
    const std::string base = "<dict>\n\t\t\t<key>Name</key><string>x</string>\n";
    struct Case {
        std::string text;
        int64_t size;
    };
    const std::string playLf = "\t\t\t<key>Play Count</key><integer>3</integer>\n";
    const std::string playCrlf = "\t\t\t<key>Play Date UTC</key><date>2024</date>\r\n";
    const Case cases[] = {
        {base, static_cast<int64_t>(base.size())},
        {base + playLf, static_cast<int64_t>(base.size())},
        {base + playCrlf + playLf, static_cast<int64_t>(base.size())},
        {base + "<key>Play Count</key><integer>3</integer>", static_cast<int64_t>(base.size())},
        {base + "\t<key>Player</key><string>p</string>\n", static_cast<int64_t>(base.size() + 37)},
        {base + "\t<string><key>Play </key></string>\n", static_cast<int64_t>(base.size() + 35)}};
    for (const Case& c : cases) {
        EXPECT_EQ(itunes::SignificantSize(c.text), c.size);
        // A file is fed in blocks: any cut must give the same size.
        for (size_t cut = 0; cut <= c.text.size(); ++cut) {
            itunes::CSignificantSizeCounter counter;
            counter.Feed(std::string_view(c.text).substr(0, cut));
            counter.Feed(std::string_view(c.text).substr(cut));
            EXPECT_EQ(counter.Size(), c.size) << "cut at " << cut;
        }
    }
}

}  // namespace
}  // namespace vantor
