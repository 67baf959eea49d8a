// The Windows program's main window: dialog template 102 run by the system's dialog manager,
// with the gradient progress bar, the image button for Decode/Cancel, the menu, tooltips, the
// system menu's About item and dropped files. It shows what the dialog logic (DecoderDialog)
// tells it through DialogView and hands the user's actions and the pump's messages back to that
// logic; it decides nothing itself.
#pragma once

#include "app/dialog_view.h"
#include "win32/modal_hooks.h"
#include "win32/window_message_target.h"

#include <windows.h>

#include <commctrl.h>
#include <memory>

namespace sonarel {

class DecoderDialog;
class GradientProgressBar;
class ImageButton;

class DialogWindow : public DialogView {
public:
    explicit DialogWindow(ModalHooks hooks = ModalHooks::System());
    ~DialogWindow() override;
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // The logic that receives the window's events; it is initialised when the window is made.
    void SetLogic(DecoderDialog* logic) { logic_ = logic; }
    ModalHooks& Hooks() { return hooks_; }

    // Runs the dialog until the logic ends it (DialogBoxParamW).
    INT_PTR RunModal();
    // Makes the dialog without waiting (CreateDialogParamW); the caller runs the messages. The
    // window is destroyed when the logic ends it.
    HWND CreateModeless();
    HWND Window() const { return window_; }
    const GradientProgressBar* ProgressBar() const { return progress_.get(); }

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
    void ShowAbout() override;
    void Beep() override;
    void EndDialog(int result) override;
    WindowPosition GetWindowPosition() const override;
    void MoveWindow(WindowPosition position) override;
    MessageTarget* GetMessageTarget() override { return &target_; }

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    INT_PTR Handle(UINT message, WPARAM wparam, LPARAM lparam);
    void OnInitDialog();
    void AttachControls();
    void AddSystemMenuAbout();
    void AddTooltips();
    void OnCommand(int id, int code);
    void OnDropFiles(HDROP drop);
    INT_PTR PaintIcon();
    void ReleaseWindow();
    std::optional<std::string> RunFileDialog(const FileDialogRequest& request, bool save);

    ModalHooks hooks_;
    WindowMessageTarget target_;
    DecoderDialog* logic_ = nullptr;
    HWND window_ = nullptr;
    bool modal_ = false;
    std::unique_ptr<GradientProgressBar> progress_;
    std::unique_ptr<ImageButton> decode_button_;
    HIMAGELIST normal_images_ = nullptr;
    HIMAGELIST hot_images_ = nullptr;
    HIMAGELIST disabled_images_ = nullptr;
    HWND tooltip_ = nullptr;
    HICON big_icon_ = nullptr;
    HICON small_icon_ = nullptr;
};

} // namespace sonarel
