#include "server/web/WebRoutes.h"

#include "protocol/LibraryMessages.h"
#include "protocol/PlayerMessages.h"
#include "server/core/ConfigStore.h"
#include "server/core/EventBus.h"
#include "server/core/Logger.h"
#include "server/core/ServerContext.h"
#include "server/web/HttpResponder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

namespace vantor {
namespace {

namespace fs = std::filesystem;

// Records what the routes answer instead of writing to sockets.
class CFakeResponder : public IHttpResponder {
public:
    struct Answer {
        int32_t connection;
        std::string kind;  // "content", "file", "redirect", "notfound"
        std::string status;
        std::string text;  // body, file path or location
    };

    bool SendContent(int32_t connection, std::string_view status, std::string_view,
                     std::string_view body) override {
        return Add({connection, "content", std::string(status), std::string(body)});
    }
    bool SendFile(int32_t connection, const std::string& path, const CHttpRequest&,
                  const std::string& /*folder*/) override {
        return Add({connection, "file", "", path});
    }
    bool SendRedirect(int32_t connection, const std::string& location) override {
        return Add({connection, "redirect", "", location});
    }
    bool SendNotFound(int32_t connection) override { return Add({connection, "notfound", "", ""}); }
    bool IsConnectionOpen(int32_t) const override { return true; }
    std::string HostAddress() const override { return "192.168.1.5"; }
    int Port() const override { return 3569; }

    std::vector<Answer> Take() {
        std::lock_guard lock(m_lock);
        return std::exchange(m_answers, {});
    }

private:
    bool Add(Answer answer) {
        std::lock_guard lock(m_lock);
        m_answers.push_back(std::move(answer));
        return true;
    }
    std::mutex m_lock;
    std::vector<Answer> m_answers;
};

class WebRoutesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vantor-routes-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        fs::create_directories(m_dir / "root/docs");
        fs::create_directories(m_dir / "root/empty");
        std::ofstream(m_dir / "root/docs/index.html") << "docs";
        m_config = std::make_unique<CConfigStore>(m_dir.string() + "/");
        m_context = std::make_unique<CServerContext>(CServerContext{m_logger, *m_config, m_bus});
        m_routes = std::make_unique<CWebRoutes>(*m_context, m_responder, this);
        m_routes->StartRoutes((m_dir / "root").string(), m_dir.string());
    }
    void TearDown() override {
        m_routes.reset();
        fs::remove_all(m_dir);
    }

    std::vector<CFakeResponder::Answer> Get(const std::string& target, int32_t connection = 1,
                                            const std::string& headers = "") {
        CHttpRequest request;
        EXPECT_TRUE(ParseHeaderBlock("GET " + target + " HTTP/1.1\r\n" + headers, request));
        m_routes->Dispatch(connection, request);
        return m_responder.Take();
    }

    void BroadcastVolume(int volume) {
        CVolumeEvent event(msg::VolumeChangedEvent);
        event.Body().volume = volume;
        m_routes->Broadcast(event);
    }

    fs::path m_dir;
    CLogger m_logger;
    CEventBus m_bus{m_logger};
    std::unique_ptr<CConfigStore> m_config;
    std::unique_ptr<CServerContext> m_context;
    CFakeResponder m_responder;
    std::unique_ptr<CWebRoutes> m_routes;
};

TEST_F(WebRoutesTest, StartPageAndFolderRedirects) {
    struct Case {
        std::string target, headers, location;
    } cases[] = {
        {"/",
         "Host: 10.0.0.2:3569\r\nUser-Agent: Mozilla/5.0 (iPhone; CPU iPhone OS 17_0) "
         "AppleWebKit/605.1.15 (KHTML) Mobile/15E148 Safari/604.1",
         "http://10.0.0.2:3569/iphone/"},
        {"/",
         "Host: h:1\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows CE; PPC; 240x320)",
         "http://h:1/ppc/install.html"},
        {"/", "Host: h:1\r\nUser-Agent: Mozilla/5.0 (X11; Linux x86_64)",
         "http://h:1/iphone/phone.html"},
        {"/", "", "http://192.168.1.5:3569/iphone/phone.html"},
        {"/docs", "Host: h:2", "http://h:2/docs/"},
    };
    for (const Case& c : cases) {
        auto answers = Get(c.target, 1, c.headers);
        ASSERT_EQ(answers.size(), 1u) << c.headers;
        EXPECT_EQ(answers[0].kind, "redirect");
        EXPECT_EQ(answers[0].text, c.location);
    }
    EXPECT_EQ(Get("/empty")[0].kind, "notfound");
    EXPECT_EQ(Get("/missing")[0].kind, "notfound");
    EXPECT_EQ(Get("/docs/")[0].text, (m_dir / "root/docs/index.html").string());
}

TEST_F(WebRoutesTest, NamesThatLeaveTheirFolderAreNotFound) {
    for (const char* target :
         {"/art/..", "/art/%2e%2e", "/art/a%2fb.jpg", "/art/a%5cb.jpg", "/art/",
          "/clients/../QRM.config", "/clients/%2E%2E%2FQRM.config", "/..%2fQRM.config",
          "/%2e%2e/QRM.config", "/a%5c..%5cQRM.config", "/picture/1.jpg"}) {
        auto answers = Get(target);
        ASSERT_EQ(answers.size(), 1u) << target;
        EXPECT_EQ(answers[0].kind, "notfound") << target;
    }
    EXPECT_EQ(Get("/art/cover%20a.jpg")[0].text, m_config->GetDataFolder() + "cache/cover a.jpg");
    EXPECT_EQ(Get("/clients/ppc.xml")[0].text, m_dir.string() + "/clients/ppc.xml");
    EXPECT_EQ(Get("/log/")[0].text, m_config->GetDataFolder() + "qrm.log");
    EXPECT_EQ(Get("/oldlog")[0].text, m_config->GetDataFolder() + "qrm_old.log");
}

TEST_F(WebRoutesTest, QueuesKeepTheNewestEventAndReleaseHeldPolls) {
    EXPECT_EQ(Get("/q?new")[0].kind, "notfound");
    EXPECT_EQ(Get("/q")[0].kind, "notfound");
    auto created = Get("/q?c=new");
    ASSERT_EQ(created.size(), 1u);
    const std::string id = created[0].text;
    EXPECT_NE(Get("/q?c=new")[0].text, id);  // same second, different queue

    BroadcastVolume(10);
    BroadcastVolume(20);
    BroadcastVolume(30);
    auto polled = Get("/q?c=" + id);
    ASSERT_EQ(polled.size(), 1u);
    EXPECT_EQ(polled[0].text.find("<volume>10"), std::string::npos);
    EXPECT_NE(polled[0].text.find("<volume>30</volume>"), std::string::npos);
    EXPECT_EQ(polled[0].text.find("<event>"), polled[0].text.rfind("<event>"));

    // Held, then answered on the held connection by the next broadcast.
    EXPECT_TRUE(Get("/q?c=" + id, 7).empty());
    BroadcastVolume(40);
    auto answered = m_responder.Take();
    ASSERT_EQ(answered.size(), 1u);
    EXPECT_EQ(answered[0].connection, 7);
    EXPECT_NE(answered[0].text.find("<events><event><VolumeChangedEvent>"), std::string::npos);

    // Held, then released by a ping from another connection.
    EXPECT_TRUE(Get("/q?c=" + id, 8).empty());
    auto pinged = Get("/q?c=ping&q=" + id, 9);
    ASSERT_EQ(pinged.size(), 2u);
    EXPECT_EQ(pinged[0].connection, 9);
    EXPECT_EQ(pinged[0].text, "ok");
    EXPECT_EQ(pinged[1].connection, 8);
    EXPECT_EQ(pinged[1].text, "<events><PingResponse></PingResponse></events>");
    EXPECT_EQ(Get("/q?c=12345")[0].kind, "notfound");
}

TEST_F(WebRoutesTest, HeldPollExpiresWithTheEmptyDocument) {
    const std::string id = Get("/q?c=new")[0].text;
    EXPECT_TRUE(Get("/q?c=" + id, 3).empty());
    m_routes->ExpirePolls(60);  // a 120 s hold is far off
    EXPECT_TRUE(m_responder.Take().empty());
    std::vector<CFakeResponder::Answer> answers;
    for (int i = 0; i < 50 && answers.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        m_routes->ExpirePolls(0);  // a young channel holds polls for one second
        answers = m_responder.Take();
    }
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].connection, 3);
    EXPECT_EQ(answers[0].text, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<events></events>");
}

TEST_F(WebRoutesTest, ProtocolBridgeFiresOrRefuses) {
    std::vector<std::pair<int32_t, std::string>> fired;
    m_bus.Subscribe(event::MessageReceived, &fired, [&](CEventHolder& holder) {
        fired.emplace_back(holder.message->ClientId(), holder.message->TypeName());
        EXPECT_EQ(holder.source, this);
    });
    EXPECT_TRUE(Get("/xml?m=%3C%3Fxml%20version%3D%221.0%22%3F%3E%3CGetVolumeRequest%3E%3C"
                    "requestId%3E4%3C%2FrequestId%3E%3C%2FGetVolumeRequest%3E",
                    5)
                    .empty());
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0], (std::pair<int32_t, std::string>{5, "GetVolumeRequest"}));

    auto refused =
        Get("/xml?m=%3CNoSuchRequest%3E%3CrequestId%3E9%3C%2FrequestId%3E%3C%2FNoSuch"
            "Request%3E");
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].status, "400 Bad Request");
    EXPECT_NE(refused[0].text.find("<UnrecognizedRequest>"), std::string::npos);
    EXPECT_NE(refused[0].text.find("<returnCode>10</returnCode>"), std::string::npos);
    EXPECT_EQ(Get("/xml")[0].kind, "notfound");
    EXPECT_EQ(fired.size(), 1u);
    m_bus.Unsubscribe(&fired);
}

TEST_F(WebRoutesTest, MediaAsksTheLibraryForDigitsOnly) {
    std::vector<int32_t> asked;
    // A library that knows item 12 only.
    m_bus.Subscribe(event::LibraryRequest, &asked, [&](CEventHolder& holder) {
        auto* request = dynamic_cast<CMediaItemRequest*>(holder.message.get());
        ASSERT_NE(request, nullptr);
        EXPECT_EQ(request->ClientId(), 0);
        asked.push_back(request->Body().id);
        CMediaItemResponse reply(msg::GetMediaItemResponse);
        reply.SetClientId(0);
        reply.SetRequestId(request->RequestId());
        reply.SetReturnCode(request->Body().id == 12 ? 0 : 100);
        reply.Body().path = request->Body().id == 12 ? "/music/track12.mp3" : "";
        CEventHolder answer(reply.Clone());
        m_bus.Fire(event::LibraryReply, answer, &asked);
    });
    for (const char* target : {"/media/12a", "/media/", "/media/-1", "/media/99999999999"}) {
        EXPECT_EQ(Get(target)[0].kind, "notfound") << target;
    }
    EXPECT_TRUE(asked.empty());
    auto answers = Get("/media/12");
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].kind, "file");
    EXPECT_EQ(answers[0].text, "/music/track12.mp3");
    EXPECT_EQ(Get("/media/13")[0].kind, "notfound");
    EXPECT_EQ(asked, (std::vector<int32_t>{12, 13}));
    m_bus.Unsubscribe(&asked);
}

}  // namespace
}  // namespace vantor
