// The framer's status message: sent at the end of Open, posted on a format change,
// with the cookie and the framer itself. (Here because the notifier's window is set
// through the output layer.)
#include <gtest/gtest.h>

#include <vector>

#include "io/frame_stream.h"
#include "io/memory_source.h"
#include "io/mp3_framer.h"
#include "platform/message_queue.h"

namespace sonarel {
namespace {

struct Seen {
    WParam wparam;
    LParam lparam;
    bool framer_open; // what the framer said while the message was handled
    uint16_t average;
};

TEST(FramerNotifyTest, SendsAtOpenAndPostsOnAFormatChange) {
    using namespace test;
    MemorySource source(Concat(Frames({k128}, 8), Frames({k160}, 8)));
    Mp3Framer framer;
    framer.Attach(&source, false);
    const MessageId status = RegisterMessage(kMsgMp3FramerStatusChange);
    std::vector<Seen> seen;
    MessageQueue window([&](MessageId id, WParam w, LParam l) {
        if (id == status) {
            seen.push_back({w, l, framer.IsOpen() != 0, framer.AverageBitrate()});
        }
        return intptr_t{0};
    });
    framer.SetNotifier(&window, 42, 0);

    ASSERT_EQ(framer.Open(), 0);
    // Sent, so handled before Open returns; the framer is not marked open yet.
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].wparam, 42u);
    EXPECT_EQ(seen[0].lparam, reinterpret_cast<LParam>(&framer));
    EXPECT_FALSE(seen[0].framer_open);
    EXPECT_EQ(seen[0].average, 128);

    std::vector<uint8_t> buffer(4096);
    int changes = 0;
    for (int got = 0; got >= 0;) {
        int changed = 0;
        got = framer.Read(buffer.data(), 4096, &changed);
        changes += changed;
    }
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(seen.size(), 1u); // posted: waits in the queue
    window.DispatchPending();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].wparam, 42u);
    EXPECT_EQ(seen[1].lparam, reinterpret_cast<LParam>(&framer));
}

} // namespace
} // namespace sonarel
