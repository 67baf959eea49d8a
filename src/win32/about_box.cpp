#include "win32/about_box.h"

#include "win32/resource_ids.h"
#include "win32_controls/hyperlink_button.h"

namespace sonarel {
namespace {

constexpr const wchar_t* kMakerUrl = L"https://quillon.example/sonarel";
constexpr const wchar_t* kStandardUrl = L"https://www.iso.org/standard/22412.html";

} // namespace

AboutBox::AboutBox(const ModalHooks& hooks) : hooks_(hooks) {
}

AboutBox::~AboutBox() = default;

INT_PTR AboutBox::Run(HWND owner) {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), owner,
                           Procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK AboutBox::Procedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(box, DWLP_USER, lparam);
    }
    auto* self = reinterpret_cast<AboutBox*>(GetWindowLongPtrW(box, DWLP_USER));
    return self == nullptr ? FALSE : self->Handle(box, message, wparam, lparam);
}

HyperlinkButton* AboutBox::Link(int id) const {
    return id == IDC_MAKER_LINK      ? maker_link_.get()
           : id == IDC_STANDARD_LINK ? standard_link_.get()
                                     : nullptr;
}

INT_PTR AboutBox::Handle(HWND box, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        maker_link_ =
            std::make_unique<HyperlinkButton>(GetDlgItem(box, IDC_MAKER_LINK), hooks_.openLink);
        standard_link_ =
            std::make_unique<HyperlinkButton>(GetDlgItem(box, IDC_STANDARD_LINK), hooks_.openLink);
        standard_link_->SetUrl(kStandardUrl);
        maker_link_->SetUrl(kMakerUrl);
        if (hooks_.boxShown) {
            hooks_.boxShown(box);
        }
        return TRUE;
    case WM_DRAWITEM:
        if (HyperlinkButton* link = Link(static_cast<int>(wparam))) {
            link->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
            return TRUE;
        }
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
            EndDialog(box, LOWORD(wparam));
        } else if (HyperlinkButton* link = Link(LOWORD(wparam));
                   link != nullptr && HIWORD(wparam) == BN_CLICKED) {
            link->Open();
        }
        return TRUE;
    case WM_NCDESTROY:
        maker_link_.reset();
        standard_link_.reset();
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace sonarel
