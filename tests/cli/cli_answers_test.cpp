// sonarel-cli's answer to each use of its command line: the status, the message, and what
// becomes of an output that is already there (replaced only when allowed, never when it is
// not a WAVE file), and of a wrong use: no file written.
#include "app/version.h"
#include "cli/exit_codes.h"
#include "cli_fixture.h"

namespace sonarel::test {
namespace {

using namespace std::string_literals;
using namespace cli;

const std::string kRiff = "RIFF\x10\0\0\0WAVE"s;
const std::string kNotWave = "{out.wav} exists and is not a WAVE file: it is kept (-overwrite "
                             "replaces it)\n";

using CliAnswers = CliTest;

TEST_F(CliAnswers, EachUseGetsItsStatusMessageAndOutput) {
    WriteFileBytes(dir / "c.txt", {'n', 'o', 't', 'e'});
    ExpectAnswers({
        {"--h", kExitDone, "  18  the output exists and is not a WAVE file"},
        {"--VER", kExitDone, "sonarel-cli " SONAREL_VERSION "\n"},
        {"-overwrite", kExitUsage, "no input file given"},
        {"-input={in} -output={out.wav} {c.txt}", kExitUsage, "unexpected argument '{c.txt}'"},
        {"-- {in} {out.wav}", kExitUsage, "unknown switch '--'"}, // a lone "-" is standard input
        {"-automatic {in} {out.wav}", kExitUsage, "unknown switch '-automatic'"},
        {"{in} -o {out.wav}", kExitUsage, "ambiguous switch '-o': -output or -overwrite?"},
        {"{in} -OUT {out.wav}", kExitUsage, "'-OUT' needs a name: -output=NAME"},
        {"-yes=no {in} {out.wav}", kExitUsage, "'-yes=no' takes no value"},
        // A beginning that fits one switch alone is that switch: -OV replaces without asking.
        {"-OV --in={in} -ou={out.wav}", kExitDone, "Done!", kRiff, kWave},
        // A WAVE file's head (either form), or an empty file: the question decides.
        {"{in} {out.wav}", kExitDeclined, "Overwrite {out.wav}? No", kRiff, kKept},
        {"{in} {out.wav}", kExitDeclined, "Overwrite {out.wav}? No", "RF64\xff\xff\xff\xffWAVE"s,
         kKept},
        {"{in} {out.wav}", kExitDeclined, "Overwrite {out.wav}? No", ""s, kKept},
        {"-yes {in} {out.wav}", kExitDone, "Done!", kRiff, kWave},
        // Not a WAVE file: kept even with -yes; only -overwrite replaces it.
        {"-yes {in} {out.wav}", kExitOutputNotWave, kNotWave, "keep"s, kKept},
        {"-play -yes {in} {out.wav}", kExitOutputNotWave, kNotWave, "keep"s, kKept},
        {"-yes {in} {out.wav}", kExitOutputNotWave, kNotWave, "RIFF\x10\0\0\0AVI LIST"s, kKept},
        {"--OVERWRITE {in} {out.wav}", kExitDone, "Done!", "keep"s, kWave},
    });
    EXPECT_EQ(std::filesystem::file_size(dir / "c.txt"), 4u);
}

} // namespace
} // namespace sonarel::test
