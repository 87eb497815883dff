// The automation layer between a publishing program and its callers: the wire format, typed
// calls, per-thread proxies, events, and what a caller sees when the program stalls or goes.

#include "platform/AutomationClient.h"
#include "platform/AutomationDispatch.h"
#include "platform/AutomationWire.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowWire.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

namespace vantor {
namespace {

namespace wire = automationwire;
using Clock = std::chrono::steady_clock;

TEST(AutomationWireTest, MessagesSurviveTheRoundTripAndDamageIsRefused) {
    wire::CWireMessage call;
    call.kind = wire::kInvoke;
    call.sequence = 7;
    call.object = {0x12345678, 9};
    call.invokeKind = InvokeKind::kPut;
    call.name = "SoundVolume";
    call.values = {CVariant(true),
                   CVariant(int32_t{-3}),
                   CVariant(2.5),
                   CVariant(std::string("x\0y", 3)),
                   CVariant(CObjectRef{1, 2}),
                   CVariant{}};
    const std::string bytes = wire::Encode(call);
    wire::CWireMessage back;
    ASSERT_EQ(wire::Decode(bytes, back), wire::DecodeStatus::kOk);
    EXPECT_EQ(back.name, call.name);
    EXPECT_EQ(back.object, call.object);
    EXPECT_EQ(back.invokeKind, InvokeKind::kPut);
    EXPECT_EQ(back.values, call.values);

    // Every cut short of the whole message, and anything after it, is malformed.
    for (size_t size = 0; size < bytes.size(); ++size) {
        EXPECT_EQ(wire::Decode(bytes.substr(0, size), back), wire::DecodeStatus::kMalformed)
            << size;
    }
    EXPECT_EQ(wire::Decode(bytes + "x", back), wire::DecodeStatus::kMalformed);
    std::string badTag = bytes;
    badTag[badTag.size() - 1] = 9;  // the last value's tag
    EXPECT_EQ(wire::Decode(badTag, back), wire::DecodeStatus::kMalformed);
    std::string future = bytes;
    future[0] = 2;
    EXPECT_EQ(wire::Decode(future, back), wire::DecodeStatus::kWrongVersion);
    EXPECT_EQ(back.sequence, 7u);  // so the receiver can still answer the caller
}

// A program publishing one object, served on its own thread.
class CPublisher {
public:
    explicit CPublisher(const std::string& directory) : m_server(directory) {
        m_object.Getter("Volume", [this] { return CVariant(m_volume.load()); });
        m_object.Setter("Volume", [this](const CVariant& value) {
            int32_t volume = 0;
            if (!FromVariant(value, volume)) return kDISP_E_TYPEMISMATCH;
            m_volume = volume;
            m_server.Fire(m_object, 10, {CVariant(volume)});
            return kS_OK;
        });
        m_object.Method("Child", [this](const CVariantList&, CVariant& result) {
            result = m_server.RefOf(m_child);
            return kS_OK;
        });
        m_object.Method("Stall", [](const CVariantList&, CVariant&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(600));
            return kS_OK;
        });
        m_child.Getter("Name", [] { return CVariant(std::string("child")); });
        EXPECT_TRUE(m_server.Publish("Test.Application", m_object));
        m_thread = std::thread([this] {
            while (!m_stop) m_server.Serve(20);
        });
    }
    ~CPublisher() {
        m_stop = true;
        m_thread.join();
    }

private:
    CAutomationServer m_server;
    CDispatchObject m_object;
    CDispatchObject m_child;
    std::atomic<int32_t> m_volume{40};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class CEventLog : public IAutomationEventSink {
public:
    HRESULT OnEvent(uint32_t dispatchId, const CVariantList& arguments) override {
        std::lock_guard lock(m_mutex);
        int32_t value = 0;
        FromVariant(arguments.at(0), value);
        m_events.emplace_back(dispatchId, value);
        m_thread = std::this_thread::get_id();
        m_changed.notify_all();
        return kS_OK;
    }
    bool WaitFor(size_t count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(5),
                                  [&] { return m_events.size() >= count; });
    }
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::pair<uint32_t, int32_t>> m_events;
    std::thread::id m_thread;
};

class AutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_directory = std::filesystem::temp_directory_path() /
                      ("vantor-automation-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_directory);
        m_publisher = std::make_unique<CPublisher>(m_directory);
    }
    void TearDown() override {
        m_publisher.reset();
        SetAutomationCallTimeout(5000);
        std::filesystem::remove_all(m_directory);
    }
    CAutomationObject Create() {
        CAutomationObject app;
        EXPECT_EQ(CreateAutomationObject("Test.Application", "", app, m_directory), kS_OK);
        return app;
    }

    std::string m_directory;
    std::unique_ptr<CPublisher> m_publisher;
};

TEST_F(AutomationTest, TypedCallsObjectsAndEventsReachTheCaller) {
    CAutomationObject app = Create();
    int32_t volume = 0;
    EXPECT_EQ(app.Get("Volume", volume), kS_OK);
    EXPECT_EQ(volume, 40);
    std::string wrongType;
    EXPECT_EQ(app.Get("Volume", wrongType), kDISP_E_TYPEMISMATCH);
    EXPECT_EQ(app.Put("Volume", std::string("loud")), kDISP_E_TYPEMISMATCH);
    EXPECT_EQ(app.Call("NoSuchMember"), kDISP_E_MEMBERNOTFOUND);

    CAutomationObject child;
    std::string name;
    ASSERT_EQ(app.Call("Child", {}, child), kS_OK);
    EXPECT_EQ(child.Get("Name", name), kS_OK);
    EXPECT_EQ(name, "child");

    CEventLog log;
    uint32_t cookie = 0;
    ASSERT_EQ(AutomationAdvise(app, &log, cookie), kS_OK);
    EXPECT_EQ(app.Put("Volume", int32_t{55}), kS_OK);
    ASSERT_TRUE(log.WaitFor(1));
    EXPECT_EQ(log.m_events[0], std::make_pair(10u, 55));
    EXPECT_NE(log.m_thread, std::this_thread::get_id());
    AutomationUnadvise(cookie);
    EXPECT_EQ(app.Put("Volume", int32_t{60}), kS_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(log.m_events.size(), 1u);  // none after unsubscribing
}

TEST_F(AutomationTest, EachThreadUsesItsOwnProxyFromTheTable) {
    CAutomationObject app = Create();
    const uint32_t cookie = CGlobalInterfaceTable::Instance().Register(app);
    HRESULT onOtherThread = kS_OK;
    HRESULT fetched = kE_FAIL;
    int32_t volume = 0;
    std::thread([&] {
        int32_t ignored = 0;
        onOtherThread = app.Get("Volume", ignored);
        CAutomationObject own;
        fetched = CGlobalInterfaceTable::Instance().Get(cookie, own);
        own.Get("Volume", volume);
    }).join();
    EXPECT_EQ(onOtherThread, kRPC_E_WRONG_THREAD);
    EXPECT_EQ(fetched, kS_OK);
    EXPECT_EQ(volume, 40);
    CGlobalInterfaceTable::Instance().Revoke(cookie);
    CAutomationObject none;
    EXPECT_EQ(CGlobalInterfaceTable::Instance().Get(cookie, none), kE_INVALIDARG);
}

TEST_F(AutomationTest, AStalledProgramTimesOutAndAVanishedOneAnswersAtOnce) {
    CAutomationObject app = Create();
    SetAutomationCallTimeout(200);
    EXPECT_EQ(app.Call("Stall"), kRPC_E_TIMEOUT);
    SetAutomationCallTimeout(5000);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    int32_t volume = 0;
    EXPECT_EQ(app.Get("Volume", volume), kS_OK);  // the late answer is not taken for this one

    m_publisher.reset();
    const auto started = Clock::now();
    EXPECT_EQ(app.Get("Volume", volume), kRPC_S_SERVER_UNAVAILABLE);
    EXPECT_EQ(app.Get("Volume", volume), kRPC_S_SERVER_UNAVAILABLE);
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(2));
    CAutomationObject again;
    EXPECT_EQ(CreateAutomationObject("Test.Application", "", again, m_directory),
              kREGDB_E_CLASSNOTREG);

    // A new run of the program does not answer for the old run's objects.
    m_publisher = std::make_unique<CPublisher>(m_directory);
    EXPECT_EQ(app.Get("Volume", volume), kRPC_S_SERVER_UNAVAILABLE);
    EXPECT_EQ(Create().Get("Volume", volume), kS_OK);
}

TEST_F(AutomationTest, MalformedAndForeignMessagesAreAnsweredAndOthersKeepBeingServed) {
    CAutomationObject app = Create();
    const std::string endpoint = wire::EndpointPath(m_directory, "Test.Application");
    windowwire::CFd raw = windowwire::ConnectTo(endpoint);
    ASSERT_TRUE(raw.Valid());
    windowwire::SetTimeouts(raw.Get(), 2000);
    auto answerTo = [&](std::string payload) {
        wire::CWireMessage reply;
        std::string bytes;
        if (!windowwire::WriteFrame(raw.Get(), payload) || !windowwire::ReadFrame(raw.Get(), bytes) ||
            wire::Decode(bytes, reply) != wire::DecodeStatus::kOk) {
            return HResult(0);
        }
        return reply.result;
    };
    wire::CWireMessage call;
    call.kind = wire::kInvoke;
    call.sequence = 3;
    call.object = app.Ref();
    call.invokeKind = InvokeKind::kGet;
    call.name = "Volume";
    std::string future = wire::Encode(call);
    future[0] = 9;
    EXPECT_EQ(answerTo(future), kRPC_E_VERSION_MISMATCH);
    EXPECT_EQ(answerTo(wire::Encode(call) + "junk"), kRPC_E_INVALID_DATAPACKET);
    call.object.id = 999;
    EXPECT_EQ(answerTo(wire::Encode(call)), kRPC_E_DISCONNECTED);
    call.object = {app.Ref().instance + 1, app.Ref().id};
    EXPECT_EQ(answerTo(wire::Encode(call)), kRPC_S_SERVER_UNAVAILABLE);  // an earlier run's

    // A frame announcing more than the limit ends that connection only.
    const char huge[4] = {0, 0, 0x20, 0};
    ASSERT_EQ(::send(raw.Get(), huge, 4, MSG_NOSIGNAL), 4);
    char byte = 0;
    EXPECT_EQ(::recv(raw.Get(), &byte, 1, 0), 0);
    int32_t volume = 0;
    EXPECT_EQ(app.Get("Volume", volume), kS_OK);
}

TEST(ThreadMessagesTest, MessagesArriveInOrderUntilTheQuitAndFullQueuesRefuse) {
    auto queue = std::make_unique<CThreadMessageQueue>();
    const uint32_t id = queue->ThreadId();
    EXPECT_TRUE(PostThreadMessage(id, 1025, 7, 8));
    EXPECT_TRUE(PostThreadMessage(id, 1026));
    EXPECT_TRUE(PostThreadMessage(id, kQuitMessage));
    CThreadMessage message;
    ASSERT_TRUE(queue->Get(message));
    EXPECT_EQ(message.message, 1025u);
    EXPECT_EQ(message.wParam, 7);
    ASSERT_TRUE(queue->Get(message));
    EXPECT_EQ(message.message, 1026u);
    EXPECT_FALSE(queue->Get(message));
    for (size_t i = 0; i < CThreadMessageQueue::kMaxPending; ++i) {
        ASSERT_TRUE(PostThreadMessage(id, 1027));
    }
    EXPECT_FALSE(PostThreadMessage(id, 1027));
    queue.reset();
    EXPECT_FALSE(PostThreadMessage(id, 1027));  // its thread has gone
}

}  // namespace
}  // namespace vantor
