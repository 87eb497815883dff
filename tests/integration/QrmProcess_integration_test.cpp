// The QRM program as a whole: its log, its signals, discovery, a second instance, --help.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <regex>
#include <string>

#include "tests/support/QrmProcess.h"
#include "tests/support/TestClients.h"

namespace vantor {
namespace {

using namespace std::string_literals;
using test::CQrmProcess;

std::string HostName() {
    char name[HOST_NAME_MAX + 1] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

// The lines of a log text without their CR LF.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

TEST(QrmProcessTest, StartsAndStopsWithTheExpectedLog) {
    CQrmProcess qrm;
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    // The banner, then one line per service (whichever this build has), an empty line and
    // the channels.
    const std::vector<std::string> banner = {"Orvex Version 1.0.3.2",
                                             "------------------------------------", "",
                                             "Server Name: " + HostName(), "Starting services:"};
    std::vector<std::string> lines = Lines(qrm.LogText());
    ASSERT_GE(lines.size(), banner.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + banner.size()), banner);
    auto channels = std::find(lines.begin(), lines.end(), "Opening communication channels");
    ASSERT_NE(channels, lines.end());
    EXPECT_EQ(*(channels - 1), "");
    ASSERT_LT(channels + 2, lines.end());
    EXPECT_EQ(*(channels + 1),
              "Initializing XML channel (port " + std::to_string(qrm.XmlPort()) + ")");
    EXPECT_EQ(*(channels + 2), "Initializing XML channel discovery (port " +
                                   std::to_string(qrm.DiscoveryPort()) + ")");
    EXPECT_NE(std::find(channels, lines.end(), "Server is started"), lines.end());
    EXPECT_NE(test::ReadFileText(qrm.DataDir() + "QRM.config").find("ServerName=" + HostName()),
              std::string::npos);

    int status = qrm.Stop();
    ASSERT_TRUE(WIFEXITED(status)) << qrm.StdioText();
    EXPECT_EQ(WEXITSTATUS(status), 0) << qrm.StdioText();
    std::string log = qrm.LogText();
    size_t closing = log.find("Closing communication channels\r\n");
    size_t stopping = log.find("Stopping services\r\n");
    EXPECT_NE(closing, std::string::npos);
    EXPECT_NE(stopping, std::string::npos);
    EXPECT_LT(closing, stopping);
    EXPECT_EQ(log.find("did not exit"), std::string::npos);
}

TEST(QrmProcessTest, AnswersDiscoveryWithItsAddresses) {
    CQrmProcess qrm;
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    test::CUdpTestClient client;
    for (const std::string& ignored : {"\x01\x00\xFE"s, "\x02\x00\xFF"s, "\x01"s}) {
        ASSERT_TRUE(client.SendTo(qrm.DiscoveryPort(), ignored));
        EXPECT_FALSE(client.Receive(300).has_value());
    }
    ASSERT_TRUE(client.SendTo(qrm.DiscoveryPort(), "\x01\x00\xFF\x41\x42"s));
    auto reply = client.Receive(5000);
    ASSERT_TRUE(reply.has_value());
    ASSERT_GE(reply->size(), 3u);
    EXPECT_EQ(reply->substr(0, 2), "\x01\x00"s);
    std::string text = reply->substr(3);
    EXPECT_EQ(static_cast<unsigned char>((*reply)[2]), text.size() % 256);
    EXPECT_TRUE(std::regex_match(text, std::regex(R"((\d+\.\d+\.\d+\.\d+)(,\d+\.\d+\.\d+\.\d+)*)")))
        << text;
    EXPECT_EQ(qrm.Stop(), 0) << qrm.StdioText();
}

TEST(QrmProcessTest, HangUpRestartsOnlyWhenThePlayerChanged) {
    CQrmProcess qrm;
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    const std::string configPath = qrm.DataDir() + "QRM.config";

    ASSERT_TRUE(qrm.Signal(SIGHUP));
    ASSERT_TRUE(qrm.WaitForLog("Configuration reloaded"));
    EXPECT_EQ(qrm.CountInLog("Orvex Version"), 1);

    // No player type any more, and none to detect: the effective type changes to none.
    std::string config = test::ReadFileText(configPath);
    size_t at = config.find("PlayerType=MCE\r\n");
    ASSERT_NE(at, std::string::npos);
    config.erase(at, std::string("PlayerType=MCE\r\n").size());
    ASSERT_TRUE(test::WriteFileText(configPath, config));
    ASSERT_TRUE(qrm.Signal(SIGHUP));
    ASSERT_TRUE(qrm.WaitForLog("Server is started", 20000, 2));
    EXPECT_EQ(qrm.CountInLog("Orvex Version"), 2);
    EXPECT_EQ(qrm.CountInLog("Stopping services"), 1);

    // Still serving after the restart.
    test::CXmlTestClient client;
    ASSERT_TRUE(client.Connect(qrm.XmlPort()));
    ASSERT_TRUE(client.SendDocument("<GetErrorDetailsRequest></GetErrorDetailsRequest>"));
    bool answered = false;
    while (auto doc = client.ReadDocument()) {
        if (doc->starts_with("<GetErrorDetailsResponse>")) {
            answered = true;
            break;
        }
    }
    EXPECT_TRUE(answered);
    EXPECT_EQ(qrm.Stop(), 0);
}

TEST(QrmProcessTest, SecondInstanceAsksTheFirstAndLeaves) {
    CQrmProcess qrm;
    ASSERT_TRUE(qrm.Start()) << qrm.StdioText();
    std::string output;
    int code = test::RunProgram({test::QrmBinaryPath(), "--headless", "--data-dir", qrm.DataDir()},
                                &output);
    EXPECT_EQ(code, 0) << output;
    EXPECT_TRUE(qrm.WaitForLog("asked to show the server window"));
    EXPECT_EQ(qrm.CountInLog("Orvex Version"), 1);
    EXPECT_TRUE(qrm.IsRunning());
    EXPECT_EQ(qrm.Stop(), 0) << qrm.StdioText();
}

TEST(QrmProcessTest, HelpExplainsOptionsFolderAndPorts) {
    std::string output;
    EXPECT_EQ(test::RunProgram({test::QrmBinaryPath(), "--help"}, &output), 0);
    for (const char* part : {"--headless", "--data-dir DIR", "QRM.config", "Ports\\XMLChannel",
                             "Ports\\XMLChannelDiscover", "Ports\\HTTPChannel", "3567"})
        EXPECT_NE(output.find(part), std::string::npos) << part;
    EXPECT_EQ(test::RunProgram({test::QrmBinaryPath(), "--bogus"}, &output), 2);
}

}  // namespace
}  // namespace vantor
