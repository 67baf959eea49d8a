// The About box: dialog template 100 with the program's icon, name and version, an OK button and
// two links, one to the maker's site and one to the MPEG audio standard the decoder implements.
#pragma once

#include "win32/modal_hooks.h"

#include <windows.h>

#include <memory>

namespace sonarel {

class HyperlinkButton;

class AboutBox {
public:
    explicit AboutBox(const ModalHooks& hooks);
    ~AboutBox();
    AboutBox(const AboutBox&) = delete;
    AboutBox& operator=(const AboutBox&) = delete;

    // Modal: returns when OK or Escape ends the box.
    INT_PTR Run(HWND owner);

private:
    static INT_PTR CALLBACK Procedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam);
    INT_PTR Handle(HWND box, UINT message, WPARAM wparam, LPARAM lparam);
    HyperlinkButton* Link(int id) const;

    const ModalHooks& hooks_;
    std::unique_ptr<HyperlinkButton> maker_link_;
    std::unique_ptr<HyperlinkButton> standard_link_;
};

} // namespace sonarel
