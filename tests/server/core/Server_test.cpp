#include "server/core/Server.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "tests/server/core/ChannelTestSupport.h"

namespace vantor {
namespace {

// Records its starts and stops in a trace shared with the test.
class CFakeService : public IService {
public:
    CFakeService(std::string name, std::vector<std::string>& trace)
        : m_name(std::move(name)), m_trace(trace) {}
    int Start() override {
        m_trace.push_back("start " + m_name);
        return 0;
    }
    void Stop() override { m_trace.push_back("stop " + m_name); }
    std::string ShortName() const override { return m_name; }
    std::string DisplayName() const override {
        return m_name == "medialib" ? "Media Library" : "Fake Player";
    }
    std::string Version() const override { return "1.0"; }
    int RequestEvent() const override { return event::LibraryRequest; }
    int ResponseEvent() const override { return event::LibraryReply; }
    int BroadcastEvent() const override { return event::LibraryBroadcast; }

private:
    std::string m_name;
    std::vector<std::string>& m_trace;
};

std::string HostName() {
    char name[HOST_NAME_MAX + 1] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Player detection must find nothing on this machine's registry.
        setenv("VANTOR_REGISTRY_DIR", (m_registry.Path()).c_str(), 1);
        m_core.log.logger.SetLevel(kLogNormal);
        m_server.SetServiceFactory(CServer::kLibraryPlace, [this](CServerContext&, int) {
            return std::make_unique<CFakeService>("medialib", m_trace);
        });
        // Like the real factory: nothing for "none" and for a player run elsewhere.
        m_server.SetServiceFactory(CServer::kPlayerPlace,
                                   [this](CServerContext&, int type) -> std::unique_ptr<IService> {
                                       m_trace.push_back("player type " + std::to_string(type));
                                       if (type == kPlayerNone || type == kPlayerMCE)
                                           return nullptr;
                                       return std::make_unique<CFakeService>("player", m_trace);
                                   });
    }
    void TearDown() override { unsetenv("VANTOR_REGISTRY_DIR"); }

    std::vector<std::string> Lines() { return m_core.log.sink.Lines(); }

    test::CTempDir m_registry;
    test::CChannelFixtureCore m_core;
    std::vector<std::string> m_trace;
    CServer m_server{m_core.context};
};

TEST_F(ServerTest, StartAndStopLogTheSequence) {
    m_core.config.SetString("PlayerType", "Winamp");
    m_server.Start();
    const std::string host = HostName();
    ASSERT_FALSE(host.empty());
    std::vector<std::string> expected = {
        "Orvex Version 1.0.3.2\r\n",
        "------------------------------------\r\n",
        "\r\n",
        "Server Name: " + host + "\r\n",
        "Starting services:\r\n",
        "Media Library 1.0\r\n",
        "Fake Player 1.0\r\n",
        "\r\n",
        "Opening communication channels\r\n",
        "Initializing XML channel (port " + std::to_string(m_core.xmlPort) + ")\r\n",
        "Initializing XML channel discovery (port " + std::to_string(m_core.discoveryPort) +
            ")\r\n",
        "Server is started\r\n",
    };
    EXPECT_EQ(Lines(), expected);
    EXPECT_NE(test::ReadFile(m_core.dir / "QRM.config").find("ServerName=" + host + "\r\n"),
              std::string::npos);

    m_core.log.sink.Clear();
    m_server.Stop();
    EXPECT_EQ(Lines(), (std::vector<std::string>{"Closing communication channels\r\n",
                                                 "Stopping services\r\n"}));
    EXPECT_EQ(m_trace, (std::vector<std::string>{"player type 4", "start medialib", "start player",
                                                 "stop medialib", "stop player"}));
}

TEST_F(ServerTest, PlayerTypeDecidesThePlayerPlace) {
    struct Case {
        const char* stored;  // nullptr: no "PlayerType" line and nothing detected
        bool playerCreated;
        bool errorLogged;
    };
    const Case cases[] = {
        {"iTunes", true, false},
        {"Winamp", true, false},
        {"MCE", false, false},
        {nullptr, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        if (c.stored)
            m_core.config.SetString("PlayerType", c.stored);
        else
            m_core.config.Remove("PlayerType");
        m_core.log.sink.Clear();
        m_server.Start();
        EXPECT_EQ(m_server.Service(CServer::kPlayerPlace) != nullptr, c.playerCreated);
        EXPECT_NE(m_server.Service(CServer::kLibraryPlace), nullptr);
        EXPECT_EQ(m_core.log.sink.Contains("ERROR: No player service specified!"), c.errorLogged);
        m_server.Stop();
        EXPECT_EQ(m_server.Service(CServer::kLibraryPlace), nullptr);
    }
}

TEST_F(ServerTest, ChangingThePlayerRestartsOnlyWhenItDiffers) {
    m_core.config.SetString("PlayerType", "Winamp");
    m_core.config.SetServerName("Den");
    m_server.Start();
    EXPECT_FALSE(m_server.ChangePlayerType(kPlayerWinamp));
    EXPECT_EQ(m_core.log.sink.Count("Orvex Version"), 1);
    EXPECT_TRUE(m_server.ChangePlayerType(kPlayerMPD));
    EXPECT_EQ(m_core.log.sink.Count("Orvex Version"), 2);
    EXPECT_EQ(m_core.log.sink.Count("Server is started"), 2);
    EXPECT_EQ(m_core.log.sink.Count("Server Name: Den\r\n"), 2);
    EXPECT_EQ(m_trace.back(), "start player");
    EXPECT_NE(std::find(m_trace.begin(), m_trace.end(), "player type 5"), m_trace.end());
}

}  // namespace
}  // namespace vantor
