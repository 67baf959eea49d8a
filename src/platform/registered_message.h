// Process-wide message numbers, handed out by name the way registered window
// messages are: every unit registers the names it uses and all copies agree.
#pragma once

#include <cstdint>
#include <string_view>

namespace sonarel {

using MessageId = uint32_t;
using WParam = uintptr_t;
using LParam = intptr_t;

// First and last number handed out; the range of registered window messages.
inline constexpr MessageId kFirstRegisteredMessage = 0xC000;
inline constexpr MessageId kLastRegisteredMessage = 0xFFFF;

// Returns the number for name: the same number for the same name (compared
// exactly, case included) and distinct numbers for distinct names, from any
// thread. Returns 0 for an empty name or when all 16384 numbers are taken.
MessageId RegisterMessage(std::string_view name);

// The names the program's pump, framer and player notify with.
inline constexpr std::string_view kMsgPcmPumpThreadStart = "msgPcmPumpThreadStart";
inline constexpr std::string_view kMsgPcmPumpThreadProgress = "msgPcmPumpThreadProgress";
inline constexpr std::string_view kMsgPcmPumpThreadStop = "msgPcmPumpThreadStop";
inline constexpr std::string_view kMsgMp3FramerStatusChange = "msgMp3FramerStatusChange";
inline constexpr std::string_view kMsgAudioPlayerTime = "msgAudioPlayerTime";

} // namespace sonarel
