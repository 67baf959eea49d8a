// DecoderWindow's side of DialogView: what the dialog logic asks of its window.
#include "controls/gradient_progress_bar.h"
#include "gui/about_box.h"
#include "gui/decoder_window.h"
#include "gui/file_dialog_setup.h"
#include "gui/qt_text.h"
#include "gui/window_texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>

namespace sonarel {
namespace {

QColor FromRgb(unsigned rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb & 0xFFFFFFu));
}

} // namespace

void DecoderWindow::SetControlText(int id, const std::string& text) {
    QWidget* control = Control(id);
    const QString value = ToQString(text);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(value);
    } else if (control == progress_bar_) {
        progress_bar_->SetText(value);
    }
}

std::string DecoderWindow::GetControlText(int id) const {
    QWidget* control = Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        return ToStdString(edit->text());
    }
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return ToStdString(label->text());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        return ToStdString(button->text());
    }
    if (control == progress_bar_) {
        return ToStdString(progress_bar_->Text());
    }
    return {};
}

void DecoderWindow::EnableControl(int id, bool enabled) {
    if (QWidget* control = Control(id)) {
        control->setEnabled(enabled);
    }
}

void DecoderWindow::EnableMenuItem(int id, bool enabled) {
    if (QAction* action = MenuAction(id)) {
        action->setEnabled(enabled);
    }
}

void DecoderWindow::SetFocus(int id) {
    if (QWidget* control = Control(id)) {
        control->setFocus(Qt::OtherFocusReason);
    }
}

void DecoderWindow::SetupProgress(const ProgressSetup& setup) {
    progress_bar_->SetColours(FromRgb(setup.leftColour), FromRgb(setup.rightColour));
    progress_bar_->SetRange(setup.rangeLow, setup.rangeHigh);
    progress_bar_->SetStep(setup.step);
    progress_bar_->SetMode(setup.displayMode);
    progress_bar_->SetBordered(true);
    progress_bar_->ShowText(setup.showText);
}

void DecoderWindow::SetProgressPosition(int position) {
    progress_bar_->SetPos(position);
}

void DecoderWindow::SetProgressText(const std::string& text) {
    progress_bar_->SetText(ToQString(text));
}

std::string DecoderWindow::GetProgressText() const {
    return ToStdString(progress_bar_->Text());
}

int DecoderWindow::RunMessageBox(const std::string& text, QMessageBox::Icon icon,
                                 QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, QString::fromUtf8(window_text::kCaption), ToQString(text), buttons, this);
    box.setTextFormat(Qt::PlainText);
    return hooks_.messageBox(box);
}

void DecoderWindow::ShowMessage(const std::string& text) {
    RunMessageBox(text, QMessageBox::Warning, QMessageBox::Ok);
}

bool DecoderWindow::AskYesNo(const std::string& question) {
    return RunMessageBox(question, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

std::optional<std::string> DecoderWindow::RunFileDialog(const FileDialogRequest& request,
                                                        bool save) {
    QFileDialog dialog(this);
    ConfigureFileDialog(dialog, request, save ? FileDialogMode::kSave : FileDialogMode::kOpen);
    std::optional<QString> chosen = hooks_.fileDialog(dialog);
    if (!chosen || chosen->isEmpty()) {
        return std::nullopt;
    }
    return ToStdString(QDir::toNativeSeparators(*chosen));
}

std::optional<std::string> DecoderWindow::ShowOpenDialog(const FileDialogRequest& request) {
    return RunFileDialog(request, false);
}

// Open with several files selectable. A scripted answer (tests) names one file, which then
// is the choice.
std::vector<std::string> DecoderWindow::ShowOpenFilesDialog(const FileDialogRequest& request) {
    QFileDialog dialog(this);
    ConfigureFileDialog(dialog, request, FileDialogMode::kOpen);
    if (dialog.fileMode() == QFileDialog::ExistingFile) {
        dialog.setFileMode(QFileDialog::ExistingFiles);
    }
    std::optional<QString> chosen = hooks_.fileDialog(dialog);
    if (!chosen || chosen->isEmpty()) {
        return {};
    }
    QStringList selected = dialog.selectedFiles();
    if (!selected.contains(*chosen)) {
        selected = QStringList{*chosen};
    }
    std::vector<std::string> names;
    for (const QString& name : selected) {
        names.push_back(ToStdString(QDir::toNativeSeparators(name)));
    }
    return names;
}

std::optional<std::string> DecoderWindow::ShowSaveDialog(const FileDialogRequest& request) {
    return RunFileDialog(request, true);
}

void DecoderWindow::ShowAbout() {
    AboutBox box(this);
    hooks_.aboutBox(box);
}

void DecoderWindow::Beep() {
    hooks_.beep();
}

void DecoderWindow::EndDialog(int result) {
    done(result);
}

WindowPosition DecoderWindow::GetWindowPosition() const {
    const QPoint topLeft = frameGeometry().topLeft();
    return {topLeft.x(), topLeft.y()};
}

void DecoderWindow::MoveWindow(WindowPosition position) {
    move(position.x, position.y);
    raise();
}

} // namespace sonarel
