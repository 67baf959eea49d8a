#include "platform/posix/ini_text.h"

namespace sonarel::ini {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return (c | 0x20) - 'a' + 10;
}

// Escape letters of C that Qt writes and reads; the control character for each.
char ControlFor(char letter) {
    switch (letter) {
    case 'a':
        return '\a';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'v':
        return '\v';
    default:
        return 0;
    }
}

// Decodes one escape sequence starting after the backslash at text[i]; returns the index of
// the first character after it.
size_t DecodeEscape(std::string_view text, size_t i, std::string& out) {
    char c = text[i];
    if (c == 'x') {
        unsigned value = 0;
        ++i;
        while (i < text.size() && IsHexDigit(text[i])) {
            value = value * 16 + static_cast<unsigned>(HexValue(text[i++]));
        }
        out += static_cast<char>(value & 0xFF);
        return i;
    }
    if (c >= '0' && c <= '7') {
        unsigned value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '7') {
            value = value * 8 + static_cast<unsigned>(text[i++] - '0');
        }
        out += static_cast<char>(value & 0xFF);
        return i;
    }
    char control = ControlFor(c);
    out += control != 0 ? control : c; // \\ \" \' \? and anything unknown stand for themselves
    return i + 1;
}

} // namespace

std::optional<std::string> UnescapeValue(std::string_view text) {
    text = Trim(text);
    // Quotes only protect what they enclose; a comma outside quotes is kept as text rather
    // than splitting the value into a list, since every value here is a single string.
    std::string out;
    for (size_t i = 0; i < text.size();) {
        char c = text[i];
        if (c == '"') {
            ++i;
        } else if (c == '\\' && i + 1 < text.size()) {
            i = DecodeEscape(text, i + 1, out);
        } else {
            out += c;
            ++i;
        }
    }
    if (out.starts_with("@@")) {
        return out.substr(1);
    }
    if (out.starts_with("@") && out.ends_with(")")) {
        return std::nullopt; // a typed value such as @ByteArray(...) or @Invalid()
    }
    return out;
}

Line ParseLine(std::string_view line) {
    Line result;
    std::string_view text = Trim(line);
    if (text.empty() || text.front() == ';' || text.front() == '#') {
        return result;
    }
    if (text.front() == '[') {
        size_t close = text.find(']');
        if (close != std::string_view::npos) {
            result.kind = Line::Kind::kSection;
            result.name = std::string(Trim(text.substr(1, close - 1)));
        }
        return result;
    }
    size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return result;
    }
    result.kind = Line::Kind::kEntry;
    result.name = std::string(Trim(text.substr(0, equals)));
    result.value = std::string(text.substr(equals + 1));
    return result;
}

} // namespace sonarel::ini
