#include "server/web/HttpRequestReader.h"

#include <gtest/gtest.h>

#include <string>

namespace vantor {
namespace {

using R = CHttpRequestReader;

TEST(HttpRequestReader, PipelinedAndSplitRequestsComeOutWholeAndInOrder) {
    R reader;
    CHttpRequest request;
    const std::string two =
        "GET /one HTTP/1.1\r\nHost: a\r\n\r\n"
        "POST /two HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello";
    // Feed byte by byte: nothing comes out early, everything comes out once.
    std::vector<std::string> paths;
    for (char c : two) {
        reader.Append(std::string_view(&c, 1));
        while (reader.Next(request) == R::kRequest)
            paths.push_back(request.path + ":" + request.body);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"/one:", "/two:hello"}));
    EXPECT_EQ(reader.Buffered(), 0u);

    reader.Append(two + "\r\n" + two);
    paths.clear();
    while (reader.Next(request) == R::kRequest) paths.push_back(request.path);
    EXPECT_EQ(paths, (std::vector<std::string>{"/one", "/two", "/one", "/two"}));
}

TEST(HttpRequestReader, RefusedRequestsAreNamedWithTheirStatus) {
    struct Case {
        std::string input;
        R::Result result;
        std::string_view status;
    } cases[] = {
        {"GET / HTTP/1.1\r\nX: " + std::string(70 * 1024, 'a'), R::kHeaderTooLarge, "431"},
        {"GET / HTTP/1.1\r\nX: " + std::string(70 * 1024, 'a') + "\r\n\r\n", R::kHeaderTooLarge,
         "431"},
        {"GET / HTTP/1.1\r\nX: " + std::string(60 * 1024, 'a'), R::kNeedMore, ""},
        {"POST / HTTP/1.1\r\nContent-Length: 1048577\r\n\r\n", R::kBodyTooLarge, "413"},
        {"POST / HTTP/1.1\r\nContent-Length: 1048576\r\n\r\n", R::kNeedMore, ""},
        {"POST / HTTP/1.1\r\nContent-Length: lots\r\n\r\n", R::kMalformed, "400"},
        // Two lengths would let the bytes after the first body pass for a second request.
        {"POST / HTTP/1.1\r\nContent-Length: 3\r\nContent-Length: 30\r\n\r\nabc",
         R::kUncertainLength, "400"},
        {"POST / HTTP/1.1\r\nContent-Length: 3\r\nContent-Length: 3\r\n\r\nabc", R::kRequest,
         ""},
        {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n",
         R::kUncertainLength, "400"},
        {"GET /\r\n\r\n", R::kMalformed, "400"},
        {"GET  / HTTP/1.1\r\n\r\n", R::kMalformed, "400"},
        {"G@T / HTTP/1.1\r\n\r\n", R::kMalformed, "400"},
        {"GET / FTP/1.0\r\n\r\n", R::kMalformed, "400"},
        {"\x16\x03\x01 \x02\r\n\r\n", R::kMalformed, "400"},
    };
    for (const Case& c : cases) {
        R reader;
        reader.Append(c.input);
        CHttpRequest request;
        const R::Result result = reader.Next(request);
        EXPECT_EQ(result, c.result) << c.input.substr(0, 40);
        if (!c.status.empty()) {
            EXPECT_TRUE(R::StatusFor(result).starts_with(c.status));
        }
    }
}

}  // namespace
}  // namespace vantor
