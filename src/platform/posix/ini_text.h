// Value and line syntax of the INI files that Qt's QSettings writes on Linux, so that the
// console and the desktop program read each other's settings files.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sonarel::ini {

// The string held by the text after "name=". A doubled leading '@' stands for one; a typed
// value (a single leading '@' and a closing ')', such as @Invalid()) is no string and gives
// nothing.
std::optional<std::string> UnescapeValue(std::string_view text);

// A parsed line: a section header, a "name=value" entry, or anything else (blank, comment).
struct Line {
    enum class Kind { kOther, kSection, kEntry };
    Kind kind = Kind::kOther;
    std::string name;  // section or value name, blanks trimmed
    std::string value; // raw text after '=' (entries only)
};

Line ParseLine(std::string_view line);

} // namespace sonarel::ini
