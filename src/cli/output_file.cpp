#include "cli/output_file.h"

#include "app/dialog_texts.h"
#include "app/text_format.h"
#include "platform/file_system.h"

#include <cstring>

namespace sonarel::cli {
namespace {

constexpr size_t kWaveHeadBytes = 12;

bool IsWaveHead(const char* head) {
    const bool riff = std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RF64", 4) == 0;
    return riff && std::memcmp(head + 8, "WAVE", 4) == 0;
}

} // namespace

bool HoldsData(const std::string& name) {
    uint64_t size = 0;
    return RegularFileSize(name, size) && size > 0;
}

bool HoldsOtherThanWave(const std::string& name) {
    if (!HoldsData(name)) {
        return false;
    }
    char head[kWaveHeadBytes] = {};
    const long got = ReadFileHead(name, head, sizeof head);
    return got != static_cast<long>(sizeof head) || !IsWaveHead(head);
}

bool RefusesToReplace(const std::string& question, const std::string& output) {
    return question == FormatText(text::kAskOverwrite, output.c_str()) &&
           HoldsOtherThanWave(output);
}

std::string NotWaveMessage(const std::string& name) {
    return name + " exists and is not a WAVE file: it is kept (-overwrite replaces it)";
}

} // namespace sonarel::cli
