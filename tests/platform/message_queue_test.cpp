#include "platform/message_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

namespace sonarel {
namespace {

struct Seen {
    MessageId id;
    WParam wparam;
    LParam lparam;
    std::thread::id thread;
};

class MessageQueueTest : public ::testing::Test {
protected:
    std::vector<Seen> seen;
    MessageQueue queue{[this](MessageId id, WParam w, LParam l) -> intptr_t {
        seen.push_back({id, w, l, std::this_thread::get_id()});
        return static_cast<intptr_t>(w) * 10;
    }};
};

TEST_F(MessageQueueTest, PostedMessagesWaitForDispatchAndArriveInOrder) {
    EXPECT_TRUE(queue.Post(0xC000, 1, -1));
    EXPECT_TRUE(queue.Post(0xC001, 2, -2));
    EXPECT_TRUE(queue.Post(0xC000, 3, -3));
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(queue.PendingCount(), 3u);
    EXPECT_EQ(queue.DispatchPending(), 3);
    ASSERT_EQ(seen.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(seen[i].wparam, i + 1);
        EXPECT_EQ(seen[i].lparam, -static_cast<LParam>(i + 1));
    }
    EXPECT_EQ(queue.DispatchPending(), 0);
}

TEST_F(MessageQueueTest, PostsFromAWorkerAreHandledOnTheOwnerThread) {
    std::thread worker([this] {
        for (WParam i = 0; i < 100; ++i) {
            queue.Post(0xC000, i, 0);
        }
    });
    worker.join();
    EXPECT_EQ(queue.DispatchPending(), 100);
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].wparam, i);
        EXPECT_EQ(seen[i].thread, std::this_thread::get_id());
    }
}

TEST_F(MessageQueueTest, SendFromTheOwnerCallsTheHandlerDirectly) {
    EXPECT_EQ(queue.Send(0xC000, 4, 0), 40);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(queue.PendingCount(), 0u);
}

TEST_F(MessageQueueTest, SendFromAnotherThreadWaitsForTheOwner) {
    queue.Post(0xC000, 1, 0);
    std::atomic<bool> returned{false};
    auto result = std::async(std::launch::async, [&] {
        intptr_t r = queue.Send(0xC001, 7, 0);
        returned = true;
        return r;
    });
    // The sender cannot finish before the owner dispatches.
    while (queue.PendingCount() < 2) {
        std::this_thread::yield();
    }
    EXPECT_FALSE(returned.load());
    EXPECT_EQ(queue.DispatchPending(), 2);
    EXPECT_EQ(result.get(), 70);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].wparam, 1u); // the earlier post first
    EXPECT_EQ(seen[1].wparam, 7u);
    EXPECT_EQ(seen[1].thread, std::this_thread::get_id());
}

TEST_F(MessageQueueTest, WaitAndDispatchTimesOutOrWakesOnArrival) {
    EXPECT_EQ(queue.WaitAndDispatch(10), 0);
    std::thread worker([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        queue.Post(0xC000, 9, 0);
    });
    EXPECT_EQ(queue.WaitAndDispatch(kWaitForever), 1);
    worker.join();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].wparam, 9u);
}

TEST_F(MessageQueueTest, HandlerPostingToItselfDoesNotStarveTheCaller) {
    MessageQueue* self = nullptr;
    int calls = 0;
    MessageQueue echo([&](MessageId id, WParam w, LParam l) -> intptr_t {
        ++calls;
        self->Post(id, w, l);
        return 0;
    });
    self = &echo;
    echo.Post(0xC000, 0, 0);
    EXPECT_EQ(echo.DispatchPending(), 1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(echo.PendingCount(), 1u);
}

TEST(MessageQueueLifetimeTest, DestructionReleasesAWaitingSender) {
    auto queue =
        std::make_unique<MessageQueue>([](MessageId, WParam, LParam) -> intptr_t { return 5; });
    auto result = std::async(std::launch::async, [&] { return queue->Send(0xC000, 0, 0); });
    while (queue->PendingCount() == 0) {
        std::this_thread::yield();
    }
    queue.reset();
    EXPECT_EQ(result.get(), 0);
}

TEST(MessageQueueLifetimeTest, AnotherThreadCanBecomeTheOwner) {
    std::vector<std::thread::id> handled_on;
    MessageQueue queue([&](MessageId, WParam, LParam) -> intptr_t {
        handled_on.push_back(std::this_thread::get_id());
        return 1;
    });
    queue.Post(0xC000, 0, 0);
    std::thread::id owner;
    std::thread thread([&] {
        queue.BindToCurrentThread();
        owner = std::this_thread::get_id();
        queue.DispatchPending();
        EXPECT_EQ(queue.Send(0xC000, 0, 0), 1); // direct call now
    });
    thread.join();
    ASSERT_EQ(handled_on.size(), 2u);
    EXPECT_EQ(handled_on[0], owner);
    EXPECT_EQ(handled_on[1], owner);
}

} // namespace
} // namespace sonarel
