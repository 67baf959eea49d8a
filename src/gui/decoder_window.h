// The desktop program's main window: the fixed-size dialog with the input and output groups, the
// progress bar that doubles as the status line, the Decode/Cancel button and the menu. It shows
// what the dialog logic (DecoderDialog) tells it through DialogView and hands the user's actions
// and the pump's messages back to that logic; it decides nothing itself.
#pragma once

#include "app/dialog_view.h"
#include "controls/decode_button_images.h"
#include "gui/dialog_units.h"
#include "gui/qt_message_target.h"

#include <QDialog>
#include <QMessageBox>
#include <functional>
#include <map>
#include <optional>

class QAction;
class QFileDialog;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;

namespace sonarel {

class AboutBox;
class DecoderDialog;
class GradientProgressBar;
class ImageButton;

class DecoderWindow : public QDialog, public DialogView {
    Q_OBJECT

public:
    // How the window runs its modal dialogs and plays its sound. Each defaults to the real
    // thing; tests replace them to answer the dialogs the way a user would.
    struct ModalHooks {
        std::function<int(QMessageBox&)> messageBox;                    // the button chosen
        std::function<std::optional<QString>(QFileDialog&)> fileDialog; // the chosen file
        std::function<void(AboutBox&)> aboutBox;
        std::function<void()> beep;
    };

    explicit DecoderWindow(QWidget* parent = nullptr);
    ~DecoderWindow() override;

    // The logic that receives the window's events and the pump's messages; null detaches it
    // (do so before the logic goes away).
    void SetLogic(DecoderDialog* logic) { logic_ = logic; }
    ModalHooks& Hooks() { return hooks_; }

    // The control or menu action with a control/command ID (app/control_ids.h); null if none.
    QWidget* Control(int id) const;
    QAction* MenuAction(int command) const;
    // The ID of the control with the keyboard focus, 0 when it is none of them.
    int FocusedControl() const;

    // DialogView.
    void SetControlText(int id, const std::string& text) override;
    std::string GetControlText(int id) const override;
    void EnableControl(int id, bool enabled) override;
    void EnableMenuItem(int id, bool enabled) override;
    void SetFocus(int id) override;
    void SetupProgress(const ProgressSetup& setup) override;
    void SetProgressPosition(int position) override;
    void SetProgressText(const std::string& text) override;
    std::string GetProgressText() const override;
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& question) override;
    std::optional<std::string> ShowOpenDialog(const FileDialogRequest& request) override;
    std::optional<std::string> ShowSaveDialog(const FileDialogRequest& request) override;
    std::vector<std::string> ShowOpenFilesDialog(const FileDialogRequest& request) override;
    void ShowAbout() override;
    void Beep() override;
    void EndDialog(int result) override;
    WindowPosition GetWindowPosition() const override;
    void MoveWindow(WindowPosition position) override;
    MessageTarget* GetMessageTarget() override { return &message_target_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape reaches QDialog as a rejection; the logic decides what it means.
    void reject() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void BuildLayout();
    void CreateMenu();
    QAction* AddCommand(QMenu* menu, const char* text, int command);
    void CreateControls(QWidget* client, const DialogUnits& units);
    void CreateInputGroup(QWidget* client, const DialogUnits& units);
    void CreateOutputGroup(QWidget* client, const DialogUnits& units);
    QLineEdit* AddEdit(QWidget* client, int id, const QRect& rect);
    QPushButton* AddButton(QWidget* client, int id, const char* text, const char* tip,
                           const QRect& rect);
    QLabel* AddLabel(QWidget* client, int id, const char* text, const QRect& rect,
                     Qt::Alignment alignment = Qt::AlignLeft);
    void Command(int id);
    void Enter();
    intptr_t DeliverMessage(MessageId id, WParam wparam, LParam lparam);
    int RunMessageBox(const std::string& text, QMessageBox::Icon icon,
                      QMessageBox::StandardButtons buttons);
    std::optional<std::string> RunFileDialog(const FileDialogRequest& request, bool save);

    DecoderDialog* logic_ = nullptr;
    ModalHooks hooks_;
    QtMessageTarget message_target_;
    DecodeButtonImageSet decode_images_;
    std::map<int, QWidget*> controls_;
    std::map<int, QAction*> actions_;
    QMenuBar* menu_bar_ = nullptr;
    GradientProgressBar* progress_bar_ = nullptr;
    ImageButton* decode_button_ = nullptr;
};

} // namespace sonarel
