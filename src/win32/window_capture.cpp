#include "win32/window_capture.h"

#include "platform/win32/wide_text.h"
#include "win32/dialog_window.h"
#include "win32/png_file.h"

#include <cstdio>
#include <vector>

namespace sonarel {
namespace {

constexpr UINT_PTR kCaptureTimer = 0x5343;
// Time for the window to be shown and painted before it is copied.
constexpr UINT kSettleMs = 700;

std::string mainFile;
std::string aboutFile;
DialogWindow* capturedWindow = nullptr;

std::string Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    const DWORD size = GetEnvironmentVariableW(name, value, MAX_PATH);
    return size == 0 || size >= MAX_PATH ? std::string() : Utf8FromWide(value);
}

void Save(HWND window, const std::string& file) {
    if (!CaptureWindow(window, file)) {
        std::fprintf(stderr, "could not save %s\n", file.c_str());
    }
}

void CALLBACK CaptureAbout(HWND box, UINT /*message*/, UINT_PTR timer, DWORD /*time*/) {
    KillTimer(box, timer);
    Save(box, aboutFile);
    EndDialog(box, IDOK);
}

void CALLBACK CaptureMain(HWND window, UINT /*message*/, UINT_PTR timer, DWORD /*time*/) {
    KillTimer(window, timer);
    if (!mainFile.empty()) {
        Save(window, mainFile);
    }
    if (!aboutFile.empty()) {
        capturedWindow->Hooks().boxShown = [](HWND box) {
            SetTimer(box, kCaptureTimer, kSettleMs, CaptureAbout);
        };
        capturedWindow->ShowAbout();
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
}

} // namespace

bool CaptureWindow(HWND window, const std::string& pngName) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC windowDc = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(windowDc);
    HBITMAP bitmap = CreateCompatibleBitmap(windowDc, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint8_t> bgrx(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    const int rows =
        GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), bgrx.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, windowDc);
    if (rows != height) {
        return false;
    }
    std::vector<uint8_t> rgb;
    rgb.reserve(bgrx.size() / 4 * 3);
    for (size_t i = 0; i < bgrx.size(); i += 4) {
        rgb.insert(rgb.end(), {bgrx[i + 2], bgrx[i + 1], bgrx[i]});
    }
    return WritePng(pngName, width, height, rgb);
}

void ScheduleScreenshots(DialogWindow& window) {
    mainFile = Environment(L"SONAREL_SCREENSHOT");
    aboutFile = Environment(L"SONAREL_ABOUT_SCREENSHOT");
    if (mainFile.empty() && aboutFile.empty()) {
        return;
    }
    capturedWindow = &window;
    window.Hooks().boxShown = [](HWND main) {
        SetTimer(main, kCaptureTimer, kSettleMs, CaptureMain);
    };
}

} // namespace sonarel
