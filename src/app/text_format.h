// printf-style formatting into a std::string, for the dialog's texts with %s and %d.
#pragma once

#include <string>

namespace sonarel {

std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace sonarel
