// An owner-drawn push button with a 16-pixel image at its left and its caption beside it: flat
// until the mouse is over it, then raised, sunken while pressed. The images come from three
// image lists (normal, highlighted, disabled) and one index shared by them.
//
// It takes over a button made elsewhere (a BS_OWNERDRAW button of the dialog template); its
// parent passes the button's WM_DRAWITEM on to DrawItem.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace sonarel {

class ImageButton {
public:
    explicit ImageButton(HWND window);
    ~ImageButton();
    ImageButton(const ImageButton&) = delete;
    ImageButton& operator=(const ImageButton&) = delete;

    // Lists may be null: no image in the states that use them. They stay the caller's.
    void SetImages(int index, HIMAGELIST normal, HIMAGELIST hot, HIMAGELIST disabled);
    void DrawItem(const DRAWITEMSTRUCT& item);

    bool Hover() const { return hover_; }
    HWND Window() const { return window_; }

private:
    enum class Look { kNormal, kDisabled, kPressed, kHot, kFocused };

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR id, DWORD_PTR self);
    void OnMouseMove();
    Look LookOf(UINT state);
    void DrawBorders(HDC dc, const RECT& rect, Look look) const;
    void DrawCaption(HDC dc, RECT rect, bool disabled) const;

    HWND window_;
    bool hover_ = false;
    int image_index_ = 0;
    HIMAGELIST normal_images_ = nullptr;
    HIMAGELIST hot_images_ = nullptr;
    HIMAGELIST disabled_images_ = nullptr;
};

// The disabled look shared by the owner-drawn buttons: the caption in the highlight colour, then
// again one pixel up and left in the shadow colour.
void DrawEngravedText(HDC dc, const wchar_t* text, RECT rect, UINT format);

} // namespace sonarel
