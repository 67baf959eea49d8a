// UTF-8, the program's text everywhere, to and from the wide text of the Windows API.
#pragma once

#include <string>
#include <string_view>

namespace sonarel {

std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

} // namespace sonarel
