// DialogWindow's side of the window system: making the dialog, setting up its controls, and
// turning window messages into calls of the dialog logic.
#include "win32/dialog_window.h"

#include "app/control_ids.h"
#include "app/decoder_dialog.h"
#include "platform/win32/wide_text.h"
#include "win32/resource_ids.h"
#include "win32_controls/gradient_progress_bar.h"
#include "win32_controls/image_button.h"

#include <shellapi.h>
#include <string>
#include <vector>

namespace sonarel {
namespace {

constexpr COLORREF kImageKey = RGB(192, 192, 192);
constexpr int kDecodeImage = 3;
constexpr int kTooltipControls[] = {kInputBrowse, kOutputBrowse, kDecodeButton};

HIMAGELIST LoadImages(int bitmap) {
    return ImageList_LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmap), 16, 0,
                                kImageKey, IMAGE_BITMAP, LR_CREATEDIBSECTION);
}

HICON LoadProgramIcon(int metricX, int metricY) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM),
                                         IMAGE_ICON, GetSystemMetrics(metricX),
                                         GetSystemMetrics(metricY), 0));
}

} // namespace

DialogWindow::DialogWindow(ModalHooks hooks) : hooks_(std::move(hooks)) {
}

DialogWindow::~DialogWindow() {
    if (window_ != nullptr && !modal_) {
        DestroyWindow(window_);
    }
    ReleaseWindow();
}

INT_PTR DialogWindow::RunModal() {
    modal_ = true;
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DECODER), nullptr,
                           Procedure, reinterpret_cast<LPARAM>(this));
}

HWND DialogWindow::CreateModeless() {
    modal_ = false;
    HWND window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DECODER),
                                     nullptr, Procedure, reinterpret_cast<LPARAM>(this));
    if (window != nullptr) {
        ShowWindow(window, SW_SHOW);
    }
    return window;
}

INT_PTR CALLBACK DialogWindow::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<DialogWindow*>(lparam);
        SetWindowLongPtrW(window, DWLP_USER, lparam);
        self->window_ = window;
        self->target_.SetWindow(window);
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    return self == nullptr ? FALSE : self->Handle(message, wparam, lparam);
}

INT_PTR DialogWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
    if (const MessageId id = target_.FromWindowMessage(message); id != 0) {
        if (logic_ != nullptr) {
            logic_->HandleMessage(id, wparam, lparam);
        }
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        return FALSE; // the logic has placed the focus
    case WM_COMMAND:
        OnCommand(LOWORD(wparam), HIWORD(wparam));
        return TRUE;
    case WM_SYSCOMMAND:
        if ((wparam & 0xFFF0) == IDM_SYSTEM_ABOUT && logic_ != nullptr) {
            logic_->OnCommand(kCommandAbout);
            return TRUE;
        }
        return FALSE;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wparam));
        return TRUE;
    case WM_DRAWITEM:
        if (wparam == kDecodeButton && decode_button_ != nullptr) {
            decode_button_->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
            return TRUE;
        }
        return FALSE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(big_icon_);
    case WM_PAINT:
        return IsIconic(window_) ? PaintIcon() : FALSE;
    case WM_CLOSE:
        if (logic_ != nullptr) {
            logic_->OnClose();
        }
        return TRUE;
    case WM_NCDESTROY:
        ReleaseWindow();
        return FALSE;
    default:
        return FALSE;
    }
}

void DialogWindow::OnInitDialog() {
    AddSystemMenuAbout();
    big_icon_ = LoadProgramIcon(SM_CXICON, SM_CYICON);
    small_icon_ = LoadProgramIcon(SM_CXSMICON, SM_CYSMICON);
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon_));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_));
    AttachControls();
    AddTooltips();
    DragAcceptFiles(window_, TRUE);
    ::SetFocus(GetDlgItem(window_, kInputEdit));
    if (logic_ != nullptr) {
        logic_->Initialize();
    }
    if (hooks_.boxShown) {
        hooks_.boxShown(window_);
    }
}

// Minimised, the window shows its icon centred on the icon background.
INT_PTR DialogWindow::PaintIcon() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(window_, &client);
    DrawIcon(dc, (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
             (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, big_icon_);
    EndPaint(window_, &paint);
    return TRUE;
}

void DialogWindow::AttachControls() {
    progress_ = std::make_unique<GradientProgressBar>(GetDlgItem(window_, kProgressBar));
    decode_button_ = std::make_unique<ImageButton>(GetDlgItem(window_, kDecodeButton));
    normal_images_ = LoadImages(IDB_DECODE_NORMAL);
    hot_images_ = LoadImages(IDB_DECODE_HOT);
    disabled_images_ = LoadImages(IDB_DECODE_DISABLED);
    decode_button_->SetImages(kDecodeImage, normal_images_, hot_images_, disabled_images_);
}

void DialogWindow::AddSystemMenuAbout() {
    wchar_t text[128] = {};
    if (LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 128) > 0) {
        HMENU menu = GetSystemMenu(window_, FALSE);
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, IDM_SYSTEM_ABOUT, text);
    }
}

// Each tool's text is the string resource numbered like its control, loaded by the tooltip.
void DialogWindow::AddTooltips() {
    tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    for (int id : kTooltipControls) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window_;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(window_, id));
        tool.hinst = GetModuleHandleW(nullptr);
        tool.lpszText = MAKEINTRESOURCEW(id);
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
}

void DialogWindow::OnCommand(int id, int code) {
    if (logic_ == nullptr) {
        return;
    }
    if (id == IDOK) {
        // Enter: the logic decides by the focused control.
        logic_->OnOk(GetDlgCtrlID(GetFocus()));
    } else if (id == IDCANCEL) {
        logic_->OnCancel();
    } else if (code == EN_KILLFOCUS && (id == kInputEdit || id == kOutputEdit)) {
        logic_->OnEditFocusLost();
    } else if (code == BN_CLICKED) { // buttons, menu items (code 0) and posted commands
        logic_->OnCommand(id);
    }
}

void DialogWindow::OnDropFiles(HDROP drop) {
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::string> names;
    for (UINT i = 0; i < count; ++i) {
        std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
        names.push_back(Utf8FromWide(name));
    }
    DragFinish(drop);
    if (logic_ != nullptr) {
        logic_->OnDropFiles(names);
    }
}

void DialogWindow::ReleaseWindow() {
    progress_.reset();
    decode_button_.reset();
    for (HIMAGELIST* list : {&normal_images_, &hot_images_, &disabled_images_}) {
        if (*list != nullptr) {
            ImageList_Destroy(*list);
            *list = nullptr;
        }
    }
    for (HICON* icon : {&big_icon_, &small_icon_}) {
        if (*icon != nullptr) {
            DestroyIcon(*icon);
            *icon = nullptr;
        }
    }
    tooltip_ = nullptr; // destroyed with its owner
    window_ = nullptr;
    target_.SetWindow(nullptr);
}

} // namespace sonarel
