#include "protocol/TextCoding.h"
#include "server/web/ByteRanges.h"
#include "server/web/ContentTypes.h"
#include "server/web/HttpDate.h"
#include "server/web/HttpRequest.h"
#include "server/web/PathSafety.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace vantor {
namespace {

TEST(HttpParsing, PercentDecodeKeepsWhatIsNotAnEscape) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"/a%20b.html", "/a b.html"},
        {"%2e%2E", ".."},
        {"100%", "100%"},
        {"%4", "%4"},
        {"%zz1", "%zz1"},
        {"a+b", "a+b"},
        {"%3c%3F", "<?"},
        {"%%41", "%A"},
    };
    for (const Case& c : cases) EXPECT_EQ(PercentDecode(c.in), c.out) << c.in;
}

TEST(HttpParsing, QueryPiecesWithoutEqualsAreNotParameters) {
    auto params = ParseQuery("new&c=new&x=a%20b&=v&q=");
    ASSERT_EQ(params.size(), 4u);
    EXPECT_EQ(params[0], (std::pair<std::string, std::string>{"c", "new"}));
    EXPECT_EQ(params[1].second, "a b");
    EXPECT_EQ(params[2].first, "");
    EXPECT_EQ(params[3].second, "");
    EXPECT_TRUE(ParseQuery("new").empty());
}

TEST(HttpParsing, HeaderBlock) {
    CHttpRequest request;
    ASSERT_TRUE(
        ParseHeaderBlock("GET /art/a%20b.jpg?x=1&y=%3Cz HTTP/1.1\r\n"
                         "host: 10.0.0.2:3569\r\n"
                         "User-Agent: Mozilla/5.0 (iPhone) Mobile/1 AppleWebKit/2\r\n"
                         "Range: bytes=0-99,-5\r\n"
                         "Content-Length: 12\r\n"
                         "X-Other: ignored",
                         request));
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.path, "/art/a b.jpg");
    EXPECT_EQ(request.query, "x=1&y=%3Cz");
    ASSERT_EQ(request.params.size(), 2u);
    EXPECT_EQ(request.params[1].second, "<z");
    EXPECT_EQ(request.version, "HTTP/1.1");
    EXPECT_EQ(request.host, "10.0.0.2:3569");
    EXPECT_EQ(request.userAgent, "Mozilla/5.0 (iPhone) Mobile/1 AppleWebKit/2");
    EXPECT_EQ(request.ranges, (std::vector<CByteRange>{{0, 99}, {-1, 5}}));
    EXPECT_TRUE(request.hasContentLength);
    EXPECT_EQ(request.contentLength, 12);

    CHttpRequest bad;
    EXPECT_FALSE(ParseHeaderBlock("GET / HTTP/1.1\r\nContent-Length: -5", bad));
    EXPECT_FALSE(ParseHeaderBlock("GET / HTTP/1.1\r\nContent-Length: 12x", bad));
    EXPECT_FALSE(ParseHeaderBlock("", bad));
}

TEST(HttpParsing, RangeHeaderNeedsBytesPrefixAndNumbers) {
    struct Case {
        const char* value;
        bool ok;
        std::vector<CByteRange> ranges;
    } cases[] = {
        {"bytes=0-99", true, {{0, 99}}},
        {"bytes=-100", true, {{-1, 100}}},
        {"bytes=900-", true, {{900, -1}}},
        {"bytes=1-2, 5-6", true, {{1, 2}, {5, 6}}},
        {"bytes=3000000000-3000000099", true, {{3000000000LL, 3000000099LL}}},
        {"0-99", false, {}},
        {"Bytes=0-99", false, {}},
        {"bytes=-", false, {}},
        {"bytes=a-b", false, {}},
        {"bytes=5", false, {}},
    };
    for (const Case& c : cases) {
        std::vector<CByteRange> ranges;
        EXPECT_EQ(ParseRangeHeader(c.value, ranges), c.ok) << c.value;
        EXPECT_EQ(ranges, c.ranges) << c.value;
    }
}

TEST(HttpParsing, RangePlansAgainstAThousandByteFile) {
    using K = CRangePlan::Kind;
    struct Case {
        std::vector<CByteRange> ranges;
        K kind;
        int64_t length, lowest, highest;
    } cases[] = {
        {{}, K::kWhole, 1000, 0, 0},
        {{{0, 99}}, K::kPartial, 100, 0, 99},
        {{{-1, 100}}, K::kPartial, 100, 900, 999},
        {{{900, -1}}, K::kPartial, 100, 900, 999},
        {{{990, 5000}}, K::kPartial, 10, 990, 999},
        {{{-1, 5000}}, K::kPartial, 1000, 0, 999},
        {{{500, 509}, {0, 9}}, K::kPartial, 510, 0, 509},
        {std::vector<CByteRange>(5000, CByteRange{0, -1}), K::kPartial, 1000, 0, 999},
        {{{999, 999}}, K::kPartial, 1, 999, 999},
        {{{1000, -1}}, K::kUnsatisfiable, 0, 0, 0},
        {{{0, 9}, {2000, 2009}}, K::kUnsatisfiable, 0, 0, 0},
        {{{-1, 0}}, K::kUnsatisfiable, 0, 0, 0},
        {{{500, 100}}, K::kWhole, 1000, 0, 0},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        CRangePlan plan = PlanRanges(cases[i].ranges, 1000);
        EXPECT_EQ(plan.kind, cases[i].kind) << i;
        EXPECT_EQ(plan.length, cases[i].length) << i;
        if (plan.kind == K::kPartial) {
            EXPECT_EQ(plan.lowest, cases[i].lowest) << i;
            EXPECT_EQ(plan.highest, cases[i].highest) << i;
        }
    }
    // Several ranges go out as the one span their header names, never more than the file.
    CRangePlan plan = PlanRanges({{500, 509}, {0, 9}}, 1000);
    EXPECT_EQ(plan.spans, (std::vector<CFileSpan>{{0, 509}}));
}

TEST(HttpParsing, IfModifiedSinceFormats) {
    constexpr int64_t kNov6 = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT
    struct Case {
        const char* value;
        std::optional<int64_t> time;
    } cases[] = {
        {"Sun, 06 Nov 1994 08:49:37 GMT", kNov6},
        {"Sunday, 06-Nov-94 08:49:37 GMT", kNov6},
        {"Sun Nov 16 08:49:37 1994", kNov6 + 10 * 86400},
        {"sun, 06 nov 1994 08:49:37 GMT", kNov6},
        {"Thu, 01 Jan 2026 00:00:00 GMT", 1767225600},
        {"Thursday, 01-Jan-26 00:00:00 GMT", 1767225600},
        {"Sun Nov  6 08:49:37 1994", std::nullopt},
        {"Sun, 06  Nov 1994 08:49:37 GMT", std::nullopt},
        {"Sun, 06 Foo 1994 08:49:37 GMT", std::nullopt},
        {"Sun, 06 Nov 1994 25:49:37 GMT", std::nullopt},
        {"yesterday", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseIfModifiedSince(c.value), c.time) << c.value;
    EXPECT_EQ(FormatHttpDate(kNov6), "Sun, 06 Nov 1994 08:49:37 GMT");
    EXPECT_EQ(ParseIfModifiedSince(FormatHttpDate(1767225600)), 1767225600);
}

TEST(HttpParsing, ContentTypesAreCaseSensitive) {
    struct Case {
        const char* path;
        const char* type;
    } cases[] = {
        {"a.mp3", "audio/mpeg"},
        {"a.MP3", ""},
        {"x/y.tar.html", "text/html"},
        {"a.jpg", "image/jpeg"},
        {"a.js", "application/x-javascript"},
        {"a.css", "text/css"},
        {"a.xml", "text/xml"},
        {"noext", ""},
        {"a.dll", "application/octet-stream"},
        {"a.", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ContentTypeForPath(c.path), c.type) << c.path;
}

TEST(HttpParsing, UntrustedNamesStayInTheirFolder) {
    struct Case {
        const char* text;
        bool fileName;
        bool rootPath;
    } cases[] = {
        {"cover.jpg", true, false},  {"/iphone/index.html", false, true},
        {"/a b.html", false, true},  {"..", false, false},
        {"/..", false, false},       {"/iphone/../../etc/passwd", false, false},
        {"/./x", false, false},      {"../x", false, false},
        {"a/b", false, false},       {"a\\b", false, false},
        {"/a\\..\\b", false, false}, {"", false, false},
        {"/..hidden", false, true},  {"..hidden", true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsSafeFileName(c.text), c.fileName) << c.text;
        EXPECT_EQ(IsSafeRootPath(c.text), c.rootPath) << c.text;
    }
    EXPECT_FALSE(IsSafeFileName(std::string("a\0b", 3)));
}

// Links are followed only while they stay inside the served folder.
TEST(HttpParsing, FilesOpenOnlyBeneathTheirFolder) {
    namespace fs = std::filesystem;
    char pattern[] = "/tmp/vantor-beneath-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path dir = pattern;
    fs::create_directories(dir / "served/sub");
    std::ofstream(dir / "served/sub/song.mp3") << "song";
    std::ofstream(dir / "secret.txt") << "secret";
    fs::create_symlink("sub/song.mp3", dir / "served/inside.mp3");
    fs::create_symlink(dir / "secret.txt", dir / "served/outside.txt");
    fs::create_symlink("..", dir / "served/up");
    struct Case {
        const char* name;
        FileResolution result;
    } cases[] = {
        {"sub/song.mp3", FileResolution::kInside},  {"/inside.mp3", FileResolution::kInside},
        {"outside.txt", FileResolution::kOutside},  {"up/secret.txt", FileResolution::kOutside},
        {"missing.mp3", FileResolution::kMissing},
    };
    for (const Case& c : cases) {
        FileResolution result = FileResolution::kMissing;
        const int fd = OpenFileBeneath((dir / "served").string(), c.name, result);
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(fd >= 0, c.result == FileResolution::kInside) << c.name;
        if (fd >= 0) ::close(fd);
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace vantor
