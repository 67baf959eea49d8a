// sonarel: the desktop program. One fixed-size window; the program ends when it closes.
#include "app/decode_pipeline.h"
#include "app/decoder_command_line.h"
#include "app/decoder_dialog.h"
#include "app/settings_store.h"
#include "gui/app_icon.h"
#include "gui/decoder_window.h"
#include "gui/qt_settings_store.h"
#include "gui/screenshot.h"
#include "platform/registered_message.h"

#include <QApplication>

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

int Run(int argc, char** argv) {
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
    return 0;
}

} // namespace
} // namespace sonarel

int main(int argc, char** argv) {
    return sonarel::Run(argc, argv);
}
