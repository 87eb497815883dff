#include "platform/InstanceLock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "tests/server/core/CoreTestSupport.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;
using Result = CInstanceLock::Result;

TEST(InstanceLock, SecondInstanceAsksTheFirstToShow) {
    test::CTempDir dir;
    test::WriteFile(dir / "Orvex.sock", "left by a crashed run");
    CInstanceLock first;
    ASSERT_EQ(first.Acquire(dir.Path()), Result::kAcquired);

    auto asked = std::async(std::launch::async, [&] { return first.WaitForShowRequest(); });
    CInstanceLock second;
    EXPECT_EQ(second.Acquire(dir.Path()), Result::kOtherRunning);
    EXPECT_TRUE(CInstanceLock::AskToShow(dir.Path()));
    ASSERT_EQ(asked.wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(asked.get());

    // Release wakes the waiting thread and lets the next instance in.
    auto waiting = std::async(std::launch::async, [&] { return first.WaitForShowRequest(); });
    std::this_thread::sleep_for(50ms);
    first.Release();
    ASSERT_EQ(waiting.wait_for(5s), std::future_status::ready);
    EXPECT_FALSE(waiting.get());
    EXPECT_FALSE(test::Exists(dir / "Orvex.sock"));
    EXPECT_FALSE(CInstanceLock::AskToShow(dir.Path()));
    EXPECT_EQ(second.Acquire(dir.Path()), Result::kAcquired);
}

TEST(InstanceLock, UnwritableFolderIsAnError) {
    CInstanceLock lock;
    EXPECT_EQ(lock.Acquire("/nonexistent-folder/for/sure/"), Result::kError);
    EXPECT_FALSE(lock.WaitForShowRequest());
}

}  // namespace
}  // namespace vantor
