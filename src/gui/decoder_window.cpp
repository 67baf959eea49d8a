#include "gui/decoder_window.h"

#include "app/control_ids.h"
#include "app/decoder_dialog.h"
#include "gui/about_box.h"
#include "gui/app_icon.h"
#include "gui/qt_text.h"
#include "gui/system_menu.h"
#include "gui/window_texts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

namespace sonarel {
namespace {

std::vector<std::string> LocalFiles(const QMimeData* data) {
    std::vector<std::string> names;
    if (data == nullptr || !data->hasUrls()) {
        return names;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            names.push_back(ToStdString(url.toLocalFile()));
        }
    }
    return names;
}

} // namespace

DecoderWindow::DecoderWindow(QWidget* parent)
    : QDialog(parent), message_target_([this](MessageId id, WParam w, LParam l) {
          return DeliverMessage(id, w, l);
      }),
      decode_images_(DecodeButtonImages()) {
    hooks_.messageBox = [](QMessageBox& box) { return box.exec(); };
    hooks_.fileDialog = [](QFileDialog& dialog) -> std::optional<QString> {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return std::nullopt;
        }
        return dialog.selectedFiles().constFirst();
    };
    hooks_.aboutBox = [](AboutBox& box) { box.exec(); };
    hooks_.beep = [] { QApplication::beep(); };

    setWindowTitle(QString::fromUtf8(window_text::kCaption));
    setWindowIcon(AppIcon());
    // A main window of its own (in the task bar), with a minimise box but no resizing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setAcceptDrops(true);
    BuildLayout();
    AddSystemMenuAbout(*this);
}

DecoderWindow::~DecoderWindow() {
    logic_ = nullptr;
    for (auto& [id, control] : controls_) {
        control->removeEventFilter(this);
    }
}

QWidget* DecoderWindow::Control(int id) const {
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

QAction* DecoderWindow::MenuAction(int command) const {
    auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : found->second;
}

int DecoderWindow::FocusedControl() const {
    const QWidget* focused = QApplication::focusWidget();
    for (const auto& [id, control] : controls_) {
        if (control == focused) {
            return id;
        }
    }
    return 0;
}

void DecoderWindow::Command(int id) {
    if (logic_ != nullptr) {
        logic_->OnCommand(id);
    }
}

intptr_t DecoderWindow::DeliverMessage(MessageId id, WParam wparam, LParam lparam) {
    return logic_ != nullptr ? logic_->HandleMessage(id, wparam, lparam) : 0;
}

// Enter takes the input edit's text, or starts the decode from the output edit; Escape offers
// to cancel a running decode. Neither closes the window.
void DecoderWindow::keyPressEvent(QKeyEvent* event) {
    const bool plain = event->modifiers() == Qt::NoModifier ||
                       (event->modifiers() == Qt::KeypadModifier && event->key() == Qt::Key_Enter);
    if (!plain || logic_ == nullptr) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Enter();
        break;
    case Qt::Key_Escape:
        logic_->OnCancel();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

// A focused push button takes Enter as a click, as in any dialog; everywhere else Enter is the
// dialog's OK action, which the logic interprets by the focused control.
void DecoderWindow::Enter() {
    if (auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget())) {
        button->click();
        return;
    }
    logic_->OnOk(FocusedControl());
}

void DecoderWindow::reject() {
    if (logic_ != nullptr) {
        logic_->OnCancel();
    }
}

// The logic saves the window position, cancels a running decode and ends the dialog.
void DecoderWindow::closeEvent(QCloseEvent* event) {
    if (logic_ == nullptr) {
        QDialog::closeEvent(event);
        return;
    }
    logic_->OnClose();
    if (logic_->HasEnded()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void DecoderWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

void DecoderWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!LocalFiles(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

void DecoderWindow::dropEvent(QDropEvent* event) {
    std::vector<std::string> names = LocalFiles(event->mimeData());
    if (names.empty()) {
        return;
    }
    event->acceptProposedAction();
    if (logic_ != nullptr) {
        logic_->OnDropFiles(names);
    }
}

// Leaving an edit hands its text to the logic, as the dialog's data exchange does.
bool DecoderWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && logic_ != nullptr &&
        (watched == Control(kInputEdit) || watched == Control(kOutputEdit))) {
        logic_->OnEditFocusLost();
    }
    return QDialog::eventFilter(watched, event);
}

bool DecoderWindow::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    if (IsSystemAboutCommand(eventType, message)) {
        Command(kCommandAbout);
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}

} // namespace sonarel
