#include "server/web/WebEventQueues.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace vantor {
namespace {

const std::string kEmpty = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<events></events>";
auto alive = [](int32_t) { return true; };

TEST(WebEventQueues, IdsAreUniqueAndCannotBeGuessedFromAnother) {
    CWebEventQueues queues;
    std::set<int32_t> ids;
    int neighbours = 0;
    int32_t previous = 0;
    for (int i = 0; i < 1000; ++i) {
        const int32_t id = queues.Create(1000);  // all in the same second
        EXPECT_GT(id, 0);
        neighbours += std::abs(static_cast<int64_t>(id) - previous) < 1000 ? 1 : 0;
        previous = id;
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 1000u);
    // Random 31-bit ids land near the one before about once in a million.
    EXPECT_LE(neighbours, 2);
}

TEST(WebEventQueues, OnlyTheNewestEventOfEachTypeWaits) {
    CWebEventQueues queues;
    int32_t id = queues.Create(100);
    EXPECT_TRUE(queues.Broadcast(81, "<VolumeChangedEvent>10</VolumeChangedEvent>", alive).empty());
    queues.Broadcast(85, "<StateChangedEvent/>", alive);
    queues.Broadcast(81, "<VolumeChangedEvent>20</VolumeChangedEvent>", alive);
    queues.Broadcast(81, "<VolumeChangedEvent>30</VolumeChangedEvent>", alive);

    auto poll = queues.Poll(id, 1, 101);
    ASSERT_EQ(poll.kind, CWebEventQueues::CPollResult::kEvents);
    EXPECT_EQ(poll.document,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<events><event><StateChangedEvent/>"
              "</event><event><VolumeChangedEvent>30</VolumeChangedEvent></event></events>");
    EXPECT_EQ(queues.Poll(12345, 1, 101).kind, CWebEventQueues::CPollResult::kNotFound);
}

TEST(WebEventQueues, HeldPollIsAnsweredOnceByBroadcastPingOrExpiry) {
    CWebEventQueues queues;
    int32_t id = queues.Create(100);

    // Answered by the next event; the one after that waits in the queue.
    EXPECT_EQ(queues.Poll(id, 7, 100).kind, CWebEventQueues::CPollResult::kHeld);
    auto answers = queues.Broadcast(81, "<A/>", alive);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].first, 7);
    EXPECT_EQ(answers[0].second,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<events><event><A/></event></events>");
    EXPECT_TRUE(queues.Broadcast(81, "<B/>", alive).empty());
    EXPECT_EQ(queues.Poll(id, 7, 101).kind, CWebEventQueues::CPollResult::kEvents);

    // Released by a ping.
    EXPECT_EQ(queues.Poll(id, 8, 102).kind, CWebEventQueues::CPollResult::kHeld);
    EXPECT_EQ(queues.ReleaseHeld(id), 8);
    EXPECT_EQ(queues.ReleaseHeld(id), -1);

    // Expired with the empty document, not before its time.
    EXPECT_EQ(queues.Poll(id, 9, 200).kind, CWebEventQueues::CPollResult::kHeld);
    EXPECT_TRUE(queues.ExpireHeld(319, 120).empty());
    answers = queues.ExpireHeld(320, 120);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], (CWebEventQueues::Answer{9, kEmpty}));
    EXPECT_FALSE(queues.HasHeldPolls());
}

TEST(WebEventQueues, DeadOrClosedConnectionsKeepTheirEvents) {
    CWebEventQueues queues;
    int32_t id = queues.Create(100);
    EXPECT_EQ(queues.Poll(id, 3, 100).kind, CWebEventQueues::CPollResult::kHeld);
    EXPECT_TRUE(queues.Broadcast(81, "<A/>", [](int32_t) { return false; }).empty());
    EXPECT_EQ(queues.Poll(id, 4, 101).kind, CWebEventQueues::CPollResult::kEvents);

    EXPECT_EQ(queues.Poll(id, 4, 102).kind, CWebEventQueues::CPollResult::kHeld);
    queues.ConnectionClosed(4);
    EXPECT_TRUE(queues.Broadcast(81, "<B/>", alive).empty());
    EXPECT_EQ(queues.Poll(id, 5, 103).kind, CWebEventQueues::CPollResult::kEvents);
}

TEST(WebEventQueues, UnpolledQueuesGoAwayAfterFiveMinutes) {
    CWebEventQueues queues;
    int32_t idle = queues.Create(100);
    int32_t busy = queues.Create(100);
    queues.Poll(busy, 1, 350);
    queues.Poll(busy, 1, 400);  // idle was last seen 300 s ago: kept
    EXPECT_EQ(queues.Count(), 2u);
    queues.Poll(busy, 1, 401);
    EXPECT_EQ(queues.Count(), 1u);
    EXPECT_EQ(queues.Poll(idle, 1, 402).kind, CWebEventQueues::CPollResult::kNotFound);
}

}  // namespace
}  // namespace vantor
