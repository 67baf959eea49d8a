// One process converting 500 files in a row through one dialog and one pipeline, as the
// program reuses them: every conversion ends "Done!" with a complete file, and the resident
// memory after the last one is no larger than after the 50th (beyond a generous margin).
// Under AddressSanitizer the memory comparison is skipped (its quarantine holds freed memory
// on purpose); LeakSanitizer then checks at exit that nothing was lost.
#include "app/control_ids.h"
#include "app/dialog_texts.h"
#include "dialog_fixture.h"

#include <fstream>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define SONAREL_UNDER_ASAN 1
#else
#define SONAREL_UNDER_ASAN 0
#endif

namespace sonarel::test {
namespace {

using LongRun = DialogTest;

// Resident set size of this process in bytes.
uint64_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    uint64_t size = 0;
    uint64_t resident = 0;
    statm >> size >> resident;
    return resident * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

TEST_F(LongRun, FiveHundredConversionsInOneProcessKeepTheirMemory) {
    Unattended();
    const std::vector<std::string> fixtures = {
        "cbr_8000_mono.mp3",    "cbr_11025_stereo.mp3",      "cbr_16000_mono.mp3",
        "cbr_22050_stereo.mp3", "cbr_24000_mono.mp3",        "cbr_32000_stereo.mp3",
        "cbr_44100_mono.mp3",   "cbr_48000_stereo.mp3",      "crc_22050_mono.mp3",
        "vbr_44100_stereo.mp3", "riff_mp3_22050_stereo.wav",
    };
    auto input = [&fixtures](int i) {
        return (FixturesDir() / "mp3" / fixtures[static_cast<size_t>(i) % fixtures.size()])
            .string();
    };
    ReadyWith(input(0), Scratch("out.wav"));
    uint64_t after50 = 0;
    for (int i = 0; i < 500; ++i) {
        view.texts[kInputEdit] = input(i);
        ASSERT_TRUE(Convert()) << "conversion " << i;
        ASSERT_EQ(dialog->Outcome(), DialogOutcome::kDone) << "conversion " << i;
        ASSERT_EQ(view.progressText, text::kDone);
        if (i % 50 == 49) {
            SCOPED_TRACE("conversion " + std::to_string(i));
            WaveFile wave = CheckedWave(Scratch("out.wav"));
            EXPECT_GT(wave.dataSize, 0u);
        }
        if (i == 49) {
            after50 = ResidentBytes();
        }
    }
    EXPECT_TRUE(view.messages.empty());
    uint64_t after500 = ResidentBytes();
    RecordProperty("rss_after_50", std::to_string(after50));
    RecordProperty("rss_after_500", std::to_string(after500));
    if (!SONAREL_UNDER_ASAN) {
        // A leak of even one decoder chunk (2 KB) per conversion would add 900 KB.
        EXPECT_LT(after500, after50 + 768 * 1024)
            << "resident memory grew from " << after50 << " to " << after500 << " bytes";
    }
}

} // namespace
} // namespace sonarel::test
