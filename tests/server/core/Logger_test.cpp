#include "server/core/Logger.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "tests/server/core/CoreTestSupport.h"

namespace vantor {
namespace {

using test::CCaptureSink;
using test::CTempDir;
using test::Exists;
using test::ReadFile;
using test::WriteFile;

TEST(Logger, LevelFiltersLines) {
    for (int loggerLevel = kLogCritical; loggerLevel <= kLogVerbose; ++loggerLevel) {
        CCaptureSink sink;
        CLogger logger;
        logger.AddSink(&sink);
        logger.SetLevel(loggerLevel);
        logger.LogCritical("c");
        logger.LogNormal("n");
        logger.LogDetailed("d");
        logger.LogVerbose("v");
        logger.Log(2, "%s", "x");
        std::string seen;
        for (const std::string& line : sink.Lines()) seen += line.substr(0, 1);
        const std::string expected =
            std::string("cndv").substr(0, loggerLevel + 1) + (loggerLevel >= 2 ? "x" : "");
        EXPECT_EQ(seen, expected) << "logger level " << loggerLevel;
    }
}

TEST(Logger, FormatsLinesWithCrLfAndOptionalTimestamp) {
    CCaptureSink sink;
    CLogger logger;
    EXPECT_EQ(logger.GetLevel(), kLogNormal);
    logger.AddSink(&sink);
    logger.LogNormal("Initializing XML channel (port %d)", 4000);
    logger.LogNormal("%s", "");
    const std::string longText(3000, 'a');
    logger.LogNormal("[%s]", longText.c_str());
    logger.SetTimestamps(true);
    logger.LogNormal("stamped");
    const auto lines = sink.Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Initializing XML channel (port 4000)\r\n");
    EXPECT_EQ(lines[1], "\r\n");
    EXPECT_EQ(lines[2], "[" + longText + "]\r\n");
    EXPECT_TRUE(std::regex_match(lines[3], std::regex(R"(\[\d\d:\d\d:\d\d\] stamped\r\n)")))
        << lines[3];
}

TEST(Logger, HasFiveSinkPlaces) {
    CLogger logger;
    CCaptureSink sinks[6];
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(logger.AddSink(&sinks[i]));
    EXPECT_TRUE(logger.AddSink(&sinks[2]));  // already present
    EXPECT_FALSE(logger.AddSink(&sinks[5]));
    logger.RemoveSink(&sinks[1]);
    EXPECT_TRUE(logger.AddSink(&sinks[5]));
    logger.LogCritical("once");
    EXPECT_EQ(sinks[0].Count("once"), 1);
    EXPECT_EQ(sinks[1].Count("once"), 0);
    EXPECT_EQ(sinks[2].Count("once"), 1);  // added twice, written once
    EXPECT_EQ(sinks[5].Count("once"), 1);
}

TEST(LogFile, OldPathInsertsBeforeTheLastDot) {
    EXPECT_EQ(CLogFile::OldPath("/data/qrm.log"), "/data/qrm_old.log");
    EXPECT_EQ(CLogFile::OldPath("/data/a.b.c"), "/data/a.b_old.c");
    EXPECT_EQ(CLogFile::OldPath("/da.ta/qrm"), "/da.ta/qrm_old");
    EXPECT_EQ(CLogFile::OldPath("qrm"), "qrm_old");
}

TEST(LogFile, RotatesWhenTheFileReachesFiveMegabytes) {
    CTempDir dir;
    CLogFile file;
    file.SetPath(dir / "qrm.log");
    const long long limit = CLogFile::kRotateSize;
    ASSERT_EQ(limit, 5242880);
    file.Write(std::string(static_cast<size_t>(limit - 2), 'a'), 1);
    file.Write("b", 1);
    EXPECT_EQ(std::filesystem::file_size(dir / "qrm.log"), static_cast<uintmax_t>(limit - 1));
    EXPECT_FALSE(Exists(dir / "qrm_old.log"));
    file.Write("c", 1);  // reaches the limit exactly
    EXPECT_FALSE(Exists(dir / "qrm.log"));
    EXPECT_EQ(std::filesystem::file_size(dir / "qrm_old.log"), static_cast<uintmax_t>(limit));
    file.Write("next\r\n", 1);
    EXPECT_EQ(ReadFile(dir / "qrm.log"), "next\r\n");
}

TEST(LogFile, StartWithAnExistingLogRotatesIt) {
    CTempDir dir;
    WriteFile(dir / "qrm.log", "previous run\r\n");
    WriteFile(dir / "qrm_old.log", "the run before\r\n");
    CLogger logger;
    CLogFile file;
    file.SetPath(dir / "qrm.log");
    logger.AddSink(&file);
    logger.LogNormal("Server is started");
    EXPECT_EQ(ReadFile(dir / "qrm.log"), "Server is started\r\n");
    EXPECT_EQ(ReadFile(dir / "qrm_old.log"), "previous run\r\n");
    logger.RemoveSink(&file);

    CLogFile silent;  // no path: writes nothing
    silent.Write("lost", 0);
    EXPECT_EQ(silent.GetPath(), "");
}

TEST(LogFile, LinesFromManyThreadsStayWhole) {
    CTempDir dir;
    CLogger logger;
    CLogFile file;
    file.SetPath(dir / "qrm.log");
    logger.AddSink(&file);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&logger, t] {
            for (int i = 0; i < 200; ++i) logger.LogNormal("thread %d line %03d end", t, i);
        });
    }
    for (std::thread& thread : threads) thread.join();
    logger.RemoveSink(&file);
    const std::string content = ReadFile(dir / "qrm.log");
    const std::regex line(R"(thread \d line \d{3} end\r\n)");
    size_t count = 0;
    for (std::sregex_iterator it(content.begin(), content.end(), line), end; it != end; ++it) {
        ++count;
    }
    EXPECT_EQ(count, 800u);
    EXPECT_EQ(content.size(), 800u * std::string("thread 0 line 000 end\r\n").size());
}

}  // namespace
}  // namespace vantor
