// DialogWindow's side of DialogView: what the dialog logic asks of its window.
#include "app/control_ids.h"
#include "platform/win32/wide_text.h"
#include "win32/about_box.h"
#include "win32/dialog_window.h"
#include "win32/file_dialog_setup.h"
#include "win32_controls/gradient_progress_bar.h"
#include "win32_controls/window_text.h"

namespace sonarel {
namespace {

COLORREF FromRgb(unsigned rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

} // namespace

void DialogWindow::SetControlText(int id, const std::string& text) {
    SetWindowTextW(GetDlgItem(window_, id), WideFromUtf8(text).c_str());
}

std::string DialogWindow::GetControlText(int id) const {
    return Utf8FromWide(WindowText(GetDlgItem(window_, id)));
}

void DialogWindow::EnableControl(int id, bool enabled) {
    EnableWindow(GetDlgItem(window_, id), enabled ? TRUE : FALSE);
}

void DialogWindow::EnableMenuItem(int id, bool enabled) {
    ::EnableMenuItem(GetMenu(window_), static_cast<UINT>(id),
                     MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

// Through the dialog manager, so that the default button follows the focus.
void DialogWindow::SetFocus(int id) {
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window_, id)), TRUE);
}

// The border and the mode come first: the colours render the bar's image for the size and in
// the mode the control has at that time.
void DialogWindow::SetupProgress(const ProgressSetup& setup) {
    progress_->SetBordered();
    progress_->SetMode(setup.displayMode);
    progress_->SetColours(FromRgb(setup.leftColour), FromRgb(setup.rightColour));
    progress_->SetRange(setup.rangeLow, setup.rangeHigh);
    progress_->SetStep(setup.step);
    progress_->ShowText(setup.showText);
}

void DialogWindow::SetProgressPosition(int position) {
    progress_->SetPos(position);
}

void DialogWindow::SetProgressText(const std::string& text) {
    SetControlText(kProgressBar, text);
}

std::string DialogWindow::GetProgressText() const {
    return GetControlText(kProgressBar);
}

void DialogWindow::ShowMessage(const std::string& text) {
    hooks_.messageBox(window_, WideFromUtf8(text), MB_OK | MB_ICONWARNING);
}

bool DialogWindow::AskYesNo(const std::string& question) {
    return hooks_.messageBox(window_, WideFromUtf8(question), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

std::optional<std::string> DialogWindow::RunFileDialog(const FileDialogRequest& request,
                                                       bool save) {
    FileDialogSetup setup(window_, request);
    if (!hooks_.fileDialog(setup.Request(), save)) {
        return std::nullopt;
    }
    return setup.ChosenName();
}

std::optional<std::string> DialogWindow::ShowOpenDialog(const FileDialogRequest& request) {
    return RunFileDialog(request, false);
}

std::optional<std::string> DialogWindow::ShowSaveDialog(const FileDialogRequest& request) {
    return RunFileDialog(request, true);
}

void DialogWindow::ShowAbout() {
    AboutBox(hooks_).Run(window_);
}

void DialogWindow::Beep() {
    hooks_.beep();
}

void DialogWindow::EndDialog(int result) {
    if (modal_) {
        ::EndDialog(window_, result);
    } else {
        DestroyWindow(window_);
    }
}

WindowPosition DialogWindow::GetWindowPosition() const {
    RECT rect{};
    GetWindowRect(window_, &rect);
    return {rect.left, rect.top};
}

void DialogWindow::MoveWindow(WindowPosition position) {
    SetWindowPos(window_, HWND_TOP, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

} // namespace sonarel
