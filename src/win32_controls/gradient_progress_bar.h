// A progress control that paints itself: the filled part a colour ramp from a left to a right
// colour with a shaded look, the empty part a flat background, and a line of text over both:
// the window text when there is one (the dialog's status line), otherwise the percentage.
// Painting goes through an off-screen bitmap, so nothing flickers.
//
// It takes over a progress control made elsewhere (the dialog template's) by subclassing it; the
// control's own messages keep working: PBM_SETPOS, PBM_SETRANGE32, PBM_GETPOS, WM_SETTEXT.
#pragma once

#include <windows.h>

#include <optional>

namespace sonarel {

// Vertical shading of the bar; any other value is flat.
constexpr int kQuarticShading = 1;
constexpr int kLinearShading = 2;

class GradientProgressBar {
public:
    explicit GradientProgressBar(HWND window);
    ~GradientProgressBar();
    GradientProgressBar(const GradientProgressBar&) = delete;
    GradientProgressBar& operator=(const GradientProgressBar&) = delete;

    // False, changing nothing, outside the range. A position below the current one moves down
    // by the step per call unless the step is -1 (direct positioning).
    bool SetPos(int pos);
    bool SetRange(int lower, int upper);
    // Renders the filled bar for the control's present size.
    void SetColours(COLORREF left, COLORREF right);
    bool SetStep(int step);
    void ShowText(bool on);
    void SetMode(int mode) { mode_ = mode; }
    void SetBordered();

    int Pos() const { return pos_; }
    HWND Window() const { return window_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR id, DWORD_PTR self);
    std::optional<LRESULT> Handle(UINT message, WPARAM wparam, LPARAM lparam);
    void RenderBarImage();
    void Paint();
    void PaintText(HDC dc, const RECT& client);
    void Invalidate(bool erase) { InvalidateRect(window_, nullptr, erase ? TRUE : FALSE); }

    HWND window_;
    HDC image_dc_ = nullptr;
    HBITMAP bar_image_ = nullptr;
    HGDIOBJ previous_image_ = nullptr;
    int mode_ = kQuarticShading;
    bool show_text_ = false;
    COLORREF text_colour_ = RGB(0, 0, 0);
    HFONT font_;
    COLORREF back_colour_;
    int step_ = -1;
    COLORREF right_colour_ = RGB(0, 0, 255);
    COLORREF left_colour_ = RGB(255, 0, 0);
    int lower_ = 0;
    int upper_ = 100;
    int pos_ = 100;
};

} // namespace sonarel
