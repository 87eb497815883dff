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

TEST(HttpRequestReader, OversizedInputIsRefused) {
    struct Case {
        std::string input;
        R::Result result;
    } cases[] = {
        {"GET / HTTP/1.1\r\nX: " + std::string(70 * 1024, 'a'), R::kHeaderTooLarge},
        {"GET / HTTP/1.1\r\nX: " + std::string(70 * 1024, 'a') + "\r\n\r\n", R::kHeaderTooLarge},
        {"GET / HTTP/1.1\r\nX: " + std::string(60 * 1024, 'a'), R::kNeedMore},
        {"POST / HTTP/1.1\r\nContent-Length: 1048577\r\n\r\n", R::kBodyTooLarge},
        {"POST / HTTP/1.1\r\nContent-Length: 1048576\r\n\r\n", R::kNeedMore},
        {"POST / HTTP/1.1\r\nContent-Length: lots\r\n\r\n", R::kMalformed},
    };
    for (const Case& c : cases) {
        R reader;
        reader.Append(c.input);
        CHttpRequest request;
        EXPECT_EQ(reader.Next(request), c.result) << c.input.substr(0, 40);
    }
}

}  // namespace
}  // namespace vantor
