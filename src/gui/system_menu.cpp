#include "gui/system_menu.h"

#include "gui/window_texts.h"

#include <QString>
#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace sonarel {

#ifdef Q_OS_WIN

void AddSystemMenuAbout(QWidget& window) {
    HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(window.winId()), FALSE);
    if (menu == nullptr) {
        return;
    }
    const QString text = QString::fromUtf8(window_text::kSystemAboutItem);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kSystemAboutCommand, reinterpret_cast<LPCWSTR>(text.utf16()));
}

bool IsSystemAboutCommand(const QByteArray& eventType, void* message) {
    if (eventType != "windows_generic_MSG" || message == nullptr) {
        return false;
    }
    const MSG* msg = static_cast<const MSG*>(message);
    return msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == kSystemAboutCommand;
}

#else

void AddSystemMenuAbout(QWidget& /*window*/) {
}

bool IsSystemAboutCommand(const QByteArray& /*eventType*/, void* /*message*/) {
    return false;
}

#endif

} // namespace sonarel
