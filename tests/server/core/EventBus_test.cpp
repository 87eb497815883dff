#include "server/core/EventBus.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/server/core/CoreTestSupport.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;

class EventBusTest : public ::testing::Test {
protected:
    test::CCapturedLogger m_log;
    CEventBus m_bus{m_log.logger};
    std::string m_trace;  // what the handlers saw, in order
    std::mutex m_traceMutex;

    CEventBus::Handler Tracer(const std::string& tag) {
        return [this, tag](CEventHolder&) {
            std::lock_guard<std::mutex> lock(m_traceMutex);
            m_trace += tag;
        };
    }
    void Fire(int id, const void* source) {
        CEventHolder holder(std::make_unique<CMessage>());
        m_bus.Fire(id, holder, source);
    }
};

TEST_F(EventBusTest, UndefinedIdsAreLoggedAndIgnored) {
    const int a = 0;
    for (int id : {0, 22, -1}) {
        SCOPED_TRACE(id);
        m_log.sink.Clear();
        m_bus.Subscribe(id, &a, Tracer("x"));
        EXPECT_EQ(m_log.sink.Count("ERROR: Attempted to add listener for undefined event\r\n"), 1);
        Fire(id, nullptr);
        EXPECT_EQ(m_log.sink.Count("ERROR: Undefined event was fired!\r\n"), 1);
    }
    for (int id = event::kFirstId; id <= event::kLastId; ++id) Fire(id, nullptr);
    EXPECT_EQ(m_trace, "");
}

TEST_F(EventBusTest, ListenersRunInOrderWithTheirSourceFilter) {
    const int listenerA = 0, listenerB = 0, listenerC = 0;
    const int channel = 0, otherChannel = 0;
    m_bus.Subscribe(event::MessageReceived, &listenerA, Tracer("A"));
    m_bus.Subscribe(event::MessageReceived, &listenerB, Tracer("B"), &channel);
    m_bus.Subscribe(event::PlayerRequest, &listenerC, Tracer("C"));
    m_bus.Subscribe(event::MessageReceived, &listenerC, Tracer("c"));
    Fire(event::MessageReceived, &channel);
    m_trace += "|";
    Fire(event::MessageReceived, &otherChannel);
    m_trace += "|";
    Fire(event::PlayerRequest, nullptr);
    EXPECT_EQ(m_trace, "ABc|Ac|C");

    m_bus.Unsubscribe(&listenerC);
    m_trace.clear();
    Fire(event::MessageReceived, &channel);
    Fire(event::PlayerRequest, &channel);
    EXPECT_EQ(m_trace, "AB");
}

TEST_F(EventBusTest, HolderCarriesSourceAndAHandlerMayTakeTheMessage) {
    const int taker = 0, later = 0, source = 0;
    std::unique_ptr<CMessage> kept;
    bool laterSawMessage = true;
    const void* seenSource = nullptr;
    m_bus.Subscribe(event::PlayerResponse, &taker, [&](CEventHolder& holder) {
        seenSource = holder.source;
        kept = holder.Take();
    });
    m_bus.Subscribe(event::PlayerResponse, &later,
                    [&](CEventHolder& holder) { laterSawMessage = holder.message != nullptr; });
    auto message = std::make_unique<CMessage>();
    message->SetClientId(7);
    CEventHolder holder(std::move(message));
    m_bus.Fire(event::PlayerResponse, holder, &source);
    EXPECT_EQ(seenSource, &source);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->ClientId(), 7);
    EXPECT_FALSE(laterSawMessage);
    EXPECT_FALSE(holder.message);
}

TEST_F(EventBusTest, SequenceIdsStartAtOne) {
    EXPECT_EQ(m_bus.NextSequenceId(), 1);
    EXPECT_EQ(m_bus.NextSequenceId(), 2);
    CEventBus other(m_log.logger);
    EXPECT_EQ(other.NextSequenceId(), 1);
}

TEST_F(EventBusTest, HandlersMaySubscribeUnsubscribeAndFire) {
    const int first = 0, second = 0, added = 0, third = 0;
    m_bus.Subscribe(event::ConnectionAdded, &first, [&](CEventHolder&) {
        m_trace += "1";
        m_bus.Unsubscribe(&first);
        m_bus.Unsubscribe(&second);  // has not run yet in this firing: it must not
        m_bus.Subscribe(event::ConnectionAdded, &added, Tracer("+"));
        Fire(event::ConnectionRemoved, nullptr);
    });
    m_bus.Subscribe(event::ConnectionAdded, &second, Tracer("2"));
    m_bus.Subscribe(event::ConnectionRemoved, &third, Tracer("r"));
    Fire(event::ConnectionAdded, nullptr);
    EXPECT_EQ(m_trace, "1r");  // a listener added during a firing waits for the next
    Fire(event::ConnectionAdded, nullptr);
    EXPECT_EQ(m_trace, "1r+");
}

TEST_F(EventBusTest, UnsubscribeWaitsForHandlersRunningOnOtherThreads) {
    const int listener = 0;
    std::atomic<bool> entered{false}, finished{false};
    m_bus.Subscribe(event::LibraryReply, &listener, [&](CEventHolder&) {
        entered = true;
        std::this_thread::sleep_for(200ms);
        finished = true;
    });
    std::thread firing([&] { Fire(event::LibraryReply, nullptr); });
    while (!entered) std::this_thread::sleep_for(1ms);
    m_bus.Unsubscribe(&listener);
    EXPECT_TRUE(finished);
    firing.join();
}

TEST_F(EventBusTest, ConcurrentSubscribeFireAndUnsubscribe) {
    std::atomic<int> calls{0};
    std::atomic<bool> stop{false};
    const int permanent = 0;
    m_bus.Subscribe(event::PlayerBroadcast, &permanent, [&](CEventHolder&) { ++calls; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&] {
            while (!stop) Fire(event::PlayerBroadcast, nullptr);
        });
    }
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            int tokens[10];
            for (int round = 0; round < 100; ++round) {
                int& token = tokens[round % 10];
                m_bus.Subscribe(event::PlayerBroadcast, &token, [&](CEventHolder&) { ++calls; });
                m_bus.Subscribe(event::PlayerResponse, &token, [](CEventHolder&) {});
                m_bus.NextSequenceId();
                if (round % 2 == t) m_bus.Unsubscribe(&token);
            }
        });
    }
    threads[2].join();
    threads[3].join();
    stop = true;
    threads[0].join();
    threads[1].join();
    EXPECT_GT(calls, 0);
    EXPECT_EQ(m_bus.NextSequenceId(), 201);
}

}  // namespace
}  // namespace vantor
