// sonarel: the desktop program. One fixed-size window; the program ends when it closes.
// --help and --version answer on stdout before any window system is reached.
#include "app/decode_pipeline.h"
#include "app/decoder_command_line.h"
#include "app/decoder_dialog.h"
#include "app/version.h"
#include "gui/app_icon.h"
#include "gui/decoder_window.h"
#include "gui/qt_settings_store.h"
#include "gui/screenshot.h"
#include "platform/registered_message.h"
#include "platform/settings_store.h"

#include <QApplication>
#include <cstdio>
#include <string_view>

namespace sonarel {
namespace {

// Every name the program's parts notify with gets its number before any window exists.
void RegisterProgramMessages() {
    RegisterMessage(kMsgMp3FramerStatusChange);
    RegisterMessage(kMsgAudioPlayerTime);
    RegisterMessage(kMsgPcmPumpThreadStart);
    RegisterMessage(kMsgPcmPumpThreadStop);
    RegisterMessage(kMsgPcmPumpThreadProgress);
}

constexpr const char* kUsage =
    "Usage: sonarel [options] [INPUT [OUTPUT]]\n"
    "       sonarel [options] [-input=INPUT] [-output=OUTPUT]\n"
    "\n"
    "Opens the Sonarel MP3 Decoder window, which converts an MPEG audio Layer III file\n"
    "into a 16-bit PCM WAVE file. The console converter is sonarel-cli.\n"
    "\n"
    "Options (matched by their beginning, in any letter case; others are ignored):\n"
    "  -input=NAME    the input file\n"
    "  -output=NAME   the output file or folder\n"
    "  -auto          start the conversion at once and close the window when it is done\n"
    "  -exit          close the window after a conversion that finished\n"
    "  -overwrite     with -auto: replace an existing output file without asking\n"
    "  -nobeep        no sound when a conversion ends\n"
    "  --help         this text\n"
    "  --version      the program's version\n"
    "Qt's own options (-platform, -style, ...) are taken as well.\n";

// --help or --version anywhere on the command line: prints and returns true.
bool AnswerInformationSwitch(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-help" || arg == "-h" || arg == "-?") {
            std::fputs(kUsage, stdout);
            return true;
        }
        if (arg == "--version" || arg == "-version") {
            std::printf("sonarel %s\n", SONAREL_VERSION);
            return true;
        }
    }
    return false;
}

int Run(int argc, char** argv) {
    if (AnswerInformationSwitch(argc, argv)) {
        return 0;
    }
    RegisterProgramMessages();
    // Qt takes its own options (-platform, -style, ...) out of argv; the rest are ours.
    QApplication app(argc, argv);
    // The window's close ends the program, also when a message box was the last window shown.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(AppIcon());

    DecodePipeline pipeline;
    // The application name defaults to the executable's base name.
    QSettingsStore settings(QString::fromUtf8(settings::kCompany),
                            QCoreApplication::applicationName());
    DecoderWindow window;
    DecoderDialog dialog(window, settings, pipeline);
    DecoderCommandLine(dialog.Options()).Parse(argc, argv);
    window.SetLogic(&dialog);

    dialog.Initialize();
    if (!dialog.HasEnded()) {
        ScheduleScreenshots(window);
        window.exec();
    }
    window.SetLogic(nullptr);
    return dialog.ProgramExitCode();
}

} // namespace
} // namespace sonarel

int main(int argc, char** argv) {
    return sonarel::Run(argc, argv);
}
