#include "platform/window_notifier.h"

#include <gtest/gtest.h>

#include <vector>

namespace sonarel {
namespace {

struct Message {
    bool sent;
    MessageId id;
    WParam wparam;
    LParam lparam;
    bool operator==(const Message&) const = default;
};

class RecordingTarget : public MessageTarget {
public:
    std::vector<Message> messages;
    bool Post(MessageId id, WParam wparam, LParam lparam) override {
        messages.push_back({false, id, wparam, lparam});
        return true;
    }
    intptr_t Send(MessageId id, WParam wparam, LParam lparam) override {
        messages.push_back({true, id, wparam, lparam});
        return 42;
    }
};

TEST(WindowNotifierTest, StartsWithoutAWindowAndDoesNothing) {
    WindowNotifier notifier;
    EXPECT_EQ(notifier.NotifyWindow(), nullptr);
    EXPECT_EQ(notifier.Cookie(), 0u);
    EXPECT_EQ(notifier.Interval(), 0u);
    EXPECT_FALSE(notifier.Post(0xC000, 1, 2));
    EXPECT_FALSE(notifier.PostWithCookieAsLParam(0xC000, 1));
    EXPECT_FALSE(notifier.PostWithCookieAsWParam(0xC000, 2));
    EXPECT_EQ(notifier.SendWithCookieAsWParam(0xC000, 2), 0);
}

TEST(WindowNotifierTest, FourFormsPlaceTheCookieAsDocumented) {
    RecordingTarget target;
    WindowNotifier notifier;
    notifier.SetNotifier(&target, 0xFFFFFFF0u, 500);
    EXPECT_TRUE(notifier.Post(0xC001, 5, -6));
    EXPECT_TRUE(notifier.PostWithCookieAsLParam(0xC002, 100));
    EXPECT_TRUE(notifier.PostWithCookieAsWParam(0xC003, 1234));
    EXPECT_EQ(notifier.SendWithCookieAsWParam(0xC004, 99), 42);
    std::vector<Message> expected = {
        {false, 0xC001, 5, -6},
        {false, 0xC002, 100, static_cast<LParam>(0xFFFFFFF0u)},
        {false, 0xC003, 0xFFFFFFF0u, 1234},
        {true, 0xC004, 0xFFFFFFF0u, 99},
    };
    EXPECT_EQ(target.messages, expected);
}

TEST(WindowNotifierTest, ClearingTheWindowStopsMessages) {
    RecordingTarget target;
    WindowNotifier notifier;
    notifier.SetNotifier(&target, 1, 500);
    notifier.SetNotifier(nullptr, 1, 500);
    EXPECT_FALSE(notifier.Post(0xC001, 0, 0));
    EXPECT_TRUE(target.messages.empty());
}

} // namespace
} // namespace sonarel
