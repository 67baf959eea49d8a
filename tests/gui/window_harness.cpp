#include "window_harness.h"

#include "controls/gradient_progress_bar.h"
#include "gui/about_box.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

namespace sonarel::test {

QString HarnessApplicationName() {
    return QStringLiteral("sonarel-window-test");
}

WindowHarness::WindowHarness() {
    QSettings(QStringLiteral("Quillon"), HarnessApplicationName()).clear();
    settings_ =
        std::make_unique<QSettingsStore>(QStringLiteral("Quillon"), HarnessApplicationName());
    window_ = std::make_unique<DecoderWindow>();
    dialog_ = std::make_unique<DecoderDialog>(*window_, *settings_, pipeline_);
    window_->SetLogic(dialog_.get());
    DecoderWindow::ModalHooks& hooks = window_->Hooks();
    hooks.messageBox = [this](QMessageBox& box) { return AnswerMessageBox(box); };
    hooks.fileDialog = [this](QFileDialog& dialog) { return AnswerFileDialog(dialog); };
    hooks.aboutBox = [this](AboutBox& box) {
        ++aboutBoxes;
        aboutCaption = box.windowTitle();
    };
    hooks.beep = [this] { ++beeps; };
}

// The logic goes first (it stops a running pump), then the window it talks to.
WindowHarness::~WindowHarness() {
    dialog_.reset();
    window_->SetLogic(nullptr);
    window_.reset();
}

void WindowHarness::Start() {
    dialog_->Initialize();
    window_->show();
    QCoreApplication::processEvents();
}

int WindowHarness::AnswerMessageBox(QMessageBox& box) {
    boxCaptions << box.windowTitle();
    if (onMessageBox) {
        onMessageBox(box.text());
    }
    if ((box.standardButtons() & QMessageBox::Yes) == 0) {
        messages.push_back(box.text().toStdString());
        return QMessageBox::Ok;
    }
    questions.push_back(box.text().toStdString());
    bool yes = false;
    if (!answers.empty()) {
        yes = answers.front();
        answers.pop_front();
    }
    return yes ? QMessageBox::Yes : QMessageBox::No;
}

std::optional<QString> WindowHarness::AnswerFileDialog(QFileDialog& dialog) {
    FileDialogSeen seen;
    seen.save = dialog.acceptMode() == QFileDialog::AcceptSave;
    seen.nameFilters = dialog.nameFilters();
    seen.defaultSuffix = dialog.defaultSuffix();
    seen.directory = dialog.directory().absolutePath();
    seen.existingFileOnly = dialog.fileMode() == QFileDialog::ExistingFile ||
                            dialog.fileMode() == QFileDialog::ExistingFiles;
    seen.confirmsOverwrite = !dialog.testOption(QFileDialog::DontConfirmOverwrite);
    fileDialogs.push_back(seen);
    if (files.empty() || !files.front()) {
        if (!files.empty()) {
            files.pop_front();
        }
        return std::nullopt;
    }
    QString chosen = QString::fromStdString(files.front()->string());
    files.pop_front();
    return chosen;
}

QString WindowHarness::Text(int id) const {
    QWidget* control = window_->Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        return edit->text();
    }
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        return button->text();
    }
    return {};
}

bool WindowHarness::IsEnabled(int id) const {
    return window_->Control(id)->isEnabled();
}

bool WindowHarness::IsMenuEnabled(int command) const {
    return window_->MenuAction(command)->isEnabled();
}

QString WindowHarness::ProgressText() const {
    return window_->ProgressBar()->Text();
}

int WindowHarness::ProgressPos() const {
    return window_->ProgressBar()->Pos();
}

void WindowHarness::Trigger(int command) {
    window_->MenuAction(command)->trigger();
}

void WindowHarness::Click(int id) {
    auto* button = qobject_cast<QAbstractButton*>(window_->Control(id));
    QTest::mouseClick(button, Qt::LeftButton);
}

bool WindowHarness::WaitForDecodeEnd(int timeout_ms) {
    return QTest::qWaitFor([this] { return !dialog_->IsDecoding(); }, timeout_ms);
}

} // namespace sonarel::test
