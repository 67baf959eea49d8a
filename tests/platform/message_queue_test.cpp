// Messages between threads: numbers registered by name, and the queue of windowless programs
// (posts from any thread handled on the owner thread, in arrival order).
#include "platform/message_queue.h"

#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <vector>

namespace sonarel {
namespace {

// Threads register the same names at once, each in its own order.
TEST(RegisterMessageTest, OneNumberPerExactNameFromEveryThread) {
    std::vector<MessageId> first(200), second(200);
    std::thread other([&second] {
        for (int n = 199; n >= 0; --n) {
            second[size_t(n)] = RegisterMessage("msgConcurrent" + std::to_string(n));
        }
    });
    for (int n = 0; n < 200; ++n) {
        first[size_t(n)] = RegisterMessage("msgConcurrent" + std::to_string(n));
    }
    other.join();
    EXPECT_EQ(first, second);
    const std::set<MessageId> numbers(first.begin(), first.end());
    EXPECT_EQ(numbers.size(), 200u);
    EXPECT_GE(*numbers.begin(), kFirstRegisteredMessage);
    EXPECT_LE(*numbers.rbegin(), kLastRegisteredMessage);
    EXPECT_NE(RegisterMessage("msgconcurrent7"), first[7]); // names are exact
}

class MessageQueueTest : public ::testing::Test {
protected:
    struct Seen {
        WParam wparam;
        LParam lparam;
        std::thread::id thread;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> seen;
    MessageQueue queue{[this](MessageId id, WParam w, LParam l) -> intptr_t {
        seen.push_back({w, l, std::this_thread::get_id()});
        return static_cast<intptr_t>(id + w);
    }};
    const std::thread::id owner = std::this_thread::get_id();
};

// Posts are handled on the owner thread in the order they came; a wait without any times out;
// a handler that posts to its own queue does not keep the dispatch going. (Sends: no program
// sends across threads.)
TEST_F(MessageQueueTest, PostsAreHandledInOrderAndADispatchEnds) {
    EXPECT_EQ(queue.WaitAndDispatch(10), 0); // nothing came: timed out
    std::thread([this] {
        queue.Post(0xC000, 1, 0);
        queue.Post(0xC000, 2, 0);
    }).join();
    EXPECT_EQ(queue.WaitAndDispatch(kWaitForever), 2);
    EXPECT_EQ(seen, (std::vector<Seen>{{1, 0, owner}, {2, 0, owner}}));
    MessageQueue echo(
        [&](MessageId id, WParam w, LParam l) { return intptr_t{echo.Post(id, w, l)}; });
    echo.Post(0xC000, 0, 0);
    EXPECT_EQ(echo.DispatchPending(), 1);
    EXPECT_EQ(echo.PendingCount(), 1u);
}

} // namespace
} // namespace sonarel
