#include "server/web/FileSender.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace vantor {
namespace {

namespace fs = std::filesystem;

class FileSenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vantor-filesender-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_content.resize(1000);
        for (size_t i = 0; i < m_content.size(); ++i)
            m_content[i] = static_cast<char>('a' + i % 26);
        std::ofstream(m_dir / "song.mp3", std::ios::binary) << m_content;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Sends the file and splits what was written into header and body. With spans, the
    // file's bytes go through the span function (as a socket sends them without a copy)
    // instead of being read and written in chunks.
    FileSendResult Send(const std::string& name, CHttpRequest request, std::string& header,
                        std::string& body, bool spans = false) {
        std::string out;
        auto write = [&](std::string_view bytes) {
            out.append(bytes);
            return true;
        };
        auto span = [&](std::string_view prefix, int fd, int64_t offset, int64_t length) {
            out.append(prefix);
            std::string bytes(static_cast<size_t>(length), '\0');
            if (::pread(fd, bytes.data(), bytes.size(), offset) != length) return false;
            out.append(bytes);
            return true;
        };
        const std::string path = (m_dir / name).string();
        FileSendResult result = spans ? SendHttpFile(path, request, 1767225600, write, span)
                                      : SendHttpFile(path, request, 1767225600, write);
        size_t end = out.find("\r\n\r\n");
        header = out.substr(0, end + 4);
        body = end == std::string::npos ? "" : out.substr(end + 4);
        return result;
    }

    fs::path m_dir;
    std::string m_content;
};

TEST_F(FileSenderTest, RangesConditionsAndMissingFiles) {
    struct Case {
        const char* range;
        const char* ifModifiedSince;
        const char* status;
        const char* contentRange;  // nullptr: none expected
        size_t first, count;
    } cases[] = {
        {"", "", "200 OK", nullptr, 0, 1000},
        {"bytes=0-99", "", "206 Partial Content", "bytes 0-99/1000", 0, 100},
        {"bytes=-100", "", "206 Partial Content", "bytes 900-999/1000", 900, 100},
        {"bytes=900-", "", "206 Partial Content", "bytes 900-999/1000", 900, 100},
        {"0-99", "", "200 OK", nullptr, 0, 1000},
        {"bytes=1000-", "", "416 Range Not Satisfiable", "bytes */1000", 0, 0},
        {"", "Sun, 06 Nov 2101 08:49:37 GMT", "304 Not Modified", nullptr, 0, 0},
        {"", "Sun, 06 Nov 1994 08:49:37 GMT", "200 OK", nullptr, 0, 1000},
        {"", "Sun, 06  Nov 2101 08:49:37 GMT", "200 OK", nullptr, 0, 1000},
    };
    for (bool spans : {false, true})
        for (const Case& c : cases) {
            SCOPED_TRACE(spans ? "file spans" : "chunks");
            std::string block = std::string("GET /x HTTP/1.1\r\nRange: ") + c.range +
                                "\r\nIf-Modified-Since: " + c.ifModifiedSince;
            CHttpRequest request;
            ASSERT_TRUE(ParseHeaderBlock(block, request));
            std::string header, body;
            ASSERT_EQ(Send("song.mp3", request, header, body, spans), FileSendResult::kSent)
                << c.range;
            EXPECT_EQ(header.rfind(std::string("HTTP/1.1 ") + c.status + "\r\n", 0), 0u) << header;
            if (c.contentRange) {
                EXPECT_NE(header.find(std::string("Content-Range: ") + c.contentRange + "\r\n"),
                          std::string::npos)
                    << header;
            } else {
                EXPECT_EQ(header.find("Content-Range"), std::string::npos) << header;
            }
            if (std::string(c.status).rfind("416", 0) == 0) continue;
            EXPECT_EQ(body, m_content.substr(c.first, c.count)) << c.range;
            if (c.count > 0) {
                EXPECT_NE(header.find("Content-Length: " + std::to_string(c.count) + "\r\n"),
                          std::string::npos);
                EXPECT_NE(header.find("Content-Type: audio/mpeg\r\n"), std::string::npos);
            }
        }

    std::string header, body;
    EXPECT_EQ(Send("missing.mp3", CHttpRequest{}, header, body), FileSendResult::kNotFound);
    EXPECT_EQ(Send("", CHttpRequest{}, header, body), FileSendResult::kNotFound);  // a folder
}

TEST_F(FileSenderTest, SeveralRangesGoOutAsTheSpanTheirHeaderNamesAndAnEmptyFileIsAHeader) {
    std::ofstream(m_dir / "empty.mp3", std::ios::binary);
    for (bool spans : {false, true}) {
        SCOPED_TRACE(spans ? "file spans" : "chunks");
        CHttpRequest request;
        ASSERT_TRUE(ParseHeaderBlock("GET / HTTP/1.1\r\nRange: bytes=500-509,0-9", request));
        std::string header, body;
        ASSERT_EQ(Send("song.mp3", request, header, body, spans), FileSendResult::kSent);
        EXPECT_NE(header.find("Content-Length: 510\r\nContent-Range: bytes 0-509/1000\r\n"),
                  std::string::npos);
        EXPECT_EQ(body, m_content.substr(0, 510));

        ASSERT_EQ(Send("empty.mp3", CHttpRequest{}, header, body, spans), FileSendResult::kSent);
        EXPECT_NE(header.find("Content-Length: 0\r\n"), std::string::npos) << header;
        EXPECT_EQ(body, "");
    }
}

TEST_F(FileSenderTest, HugeSparseFileIsSentInBoundedChunks) {
    constexpr int64_t kSize = 3LL * 1024 * 1024 * 1024 + 123;
    const fs::path big = m_dir / "big.bin";
    { std::ofstream(big, std::ios::binary) << ""; }
    ASSERT_EQ(::truncate(big.c_str(), kSize), 0);
    {
        // One marked byte near the end to check the offset is 64-bit all the way.
        std::fstream f(big, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(kSize - 2);
        f.put('Z');
    }
    CHttpRequest request;
    ASSERT_TRUE(
        ParseHeaderBlock("GET / HTTP/1.1\r\nRange: bytes=-3,3221225000-3221225099", request));
    std::string out;
    size_t largestWrite = 0;
    auto collect = [&](std::string_view bytes) {
        out.append(bytes);
        largestWrite = std::max(largestWrite, bytes.size());
        return true;
    };
    ASSERT_EQ(SendHttpFile(big.string(), request, 0, collect), FileSendResult::kSent);
    EXPECT_NE(
        out.find(
            "Content-Length: 595\r\nContent-Range: bytes 3221225000-3221225594/3221225595\r\n"),
        std::string::npos)
        << out.substr(0, 300);
    EXPECT_EQ(out.substr(out.size() - 3), std::string("\0Z\0", 3));

    // The whole file: the header names the 64-bit size; every write stays one chunk big.
    out.clear();
    int writes = 0;
    EXPECT_EQ(SendHttpFile(big.string(), CHttpRequest{}, 0,
                           [&](std::string_view bytes) {
                               collect(bytes);
                               return ++writes < 40;  // the peer goes away after 40 writes
                           }),
              FileSendResult::kWriteFailed);
    EXPECT_NE(out.find("Content-Length: 3221225595\r\n"), std::string::npos);
    EXPECT_LE(largestWrite, 256u * 1024);
}

TEST_F(FileSenderTest, WriteFailureStopsTheSend) {
    int calls = 0;
    EXPECT_EQ(SendHttpFile((m_dir / "song.mp3").string(), CHttpRequest{}, 0,
                           [&](std::string_view) {
                               ++calls;
                               return false;
                           }),
              FileSendResult::kWriteFailed);
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace vantor
