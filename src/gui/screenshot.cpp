#include "gui/screenshot.h"

#include "gui/about_box.h"
#include "gui/decoder_window.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

namespace sonarel {
namespace {

// Time for the window system to map and paint a window before it is grabbed.
constexpr int kSettleMs = 500;

void Save(QWidget& widget, const QString& file) {
    QCoreApplication::processEvents();
    if (!widget.grab().save(file, "PNG")) {
        std::fprintf(stderr, "could not save %s\n", qPrintable(file));
    }
}

void GrabAboutThenClose(DecoderWindow& window, const QString& file) {
    auto* box = new AboutBox(&window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
    QTimer::singleShot(kSettleMs, &window, [&window, box, file] {
        Save(*box, file);
        box->close();
        window.close();
    });
}

} // namespace

void ScheduleScreenshots(DecoderWindow& window) {
    const QString mainFile = qEnvironmentVariable("SONAREL_SCREENSHOT");
    const QString aboutFile = qEnvironmentVariable("SONAREL_ABOUT_SCREENSHOT");
    if (mainFile.isEmpty() && aboutFile.isEmpty()) {
        return;
    }
    QTimer::singleShot(kSettleMs, &window, [&window, mainFile, aboutFile] {
        if (!mainFile.isEmpty()) {
            Save(window, mainFile);
        }
        if (aboutFile.isEmpty()) {
            window.close();
        } else {
            GrabAboutThenClose(window, aboutFile);
        }
    });
}

} // namespace sonarel
