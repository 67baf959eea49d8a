// A window's text as the wide string the drawing calls take.
#pragma once

#include <windows.h>

#include <string>

namespace sonarel {

std::wstring WindowText(HWND window);

} // namespace sonarel
