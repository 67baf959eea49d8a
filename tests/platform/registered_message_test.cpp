#include "platform/registered_message.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

namespace sonarel {
namespace {

TEST(RegisterMessageTest, SameNameSameNumberDistinctNamesDistinctNumbers) {
    MessageId start = RegisterMessage(kMsgPcmPumpThreadStart);
    MessageId stop = RegisterMessage(kMsgPcmPumpThreadStop);
    EXPECT_EQ(RegisterMessage("msgPcmPumpThreadStart"), start);
    EXPECT_NE(start, stop);
    EXPECT_NE(RegisterMessage("msgpcmpumpthreadstart"), start); // names are exact
}

TEST(RegisterMessageTest, NumbersLieInTheRegisteredRange) {
    for (std::string_view name :
         {kMsgPcmPumpThreadStart, kMsgPcmPumpThreadProgress, kMsgPcmPumpThreadStop,
          kMsgMp3FramerStatusChange, kMsgAudioPlayerTime}) {
        MessageId id = RegisterMessage(name);
        EXPECT_GE(id, kFirstRegisteredMessage);
        EXPECT_LE(id, kLastRegisteredMessage);
    }
}

TEST(RegisterMessageTest, EmptyNameGetsNoNumber) {
    EXPECT_EQ(RegisterMessage(""), 0u);
}

TEST(RegisterMessageTest, ThreadsRegisteringTogetherAgree) {
    constexpr int kThreads = 4;
    constexpr int kNames = 200;
    std::vector<std::vector<MessageId>> seen(kThreads, std::vector<MessageId>(kNames));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &seen] {
            for (int i = 0; i < kNames; ++i) {
                // Each thread walks all names in its own order (steps coprime to kNames).
                static constexpr int kSteps[kThreads] = {1, 3, 7, 9};
                int n = (i * kSteps[t]) % kNames;
                seen[t][n] = RegisterMessage("msgConcurrent" + std::to_string(n));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::set<MessageId> distinct(seen[0].begin(), seen[0].end());
    EXPECT_EQ(distinct.size(), static_cast<size_t>(kNames));
    for (int t = 1; t < kThreads; ++t) {
        EXPECT_EQ(seen[t], seen[0]);
    }
}

} // namespace
} // namespace sonarel
