#include "platform/posix/ini_settings_store.h"

#include "platform/posix/ini_text.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace sonarel {
namespace {

using ini::Line;

// Index range [first, end) of the lines that belong to a section (after its header), or
// first == npos when the section is absent.
struct SectionRange {
    size_t header = std::string::npos;
    size_t end = 0;
};

SectionRange FindSection(const std::vector<std::string>& lines, const std::string& section) {
    SectionRange range;
    for (size_t i = 0; i < lines.size(); ++i) {
        Line line = ini::ParseLine(lines[i]);
        if (line.kind != Line::Kind::kSection) {
            continue;
        }
        if (range.header != std::string::npos) {
            range.end = i;
            return range;
        }
        if (line.name == section) {
            range.header = i;
        }
    }
    range.end = lines.size();
    return range;
}

// Index of the entry line within the range, or npos.
size_t FindEntry(const std::vector<std::string>& lines, SectionRange range,
                 const std::string& name) {
    for (size_t i = range.header + 1; i < range.end; ++i) {
        Line line = ini::ParseLine(lines[i]);
        if (line.kind == Line::Kind::kEntry && line.name == name) {
            return i;
        }
    }
    return std::string::npos;
}

bool ParseInt(const std::string& text, int& value) {
    errno = 0;
    char* end = nullptr;
    long parsed = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || errno != 0 || parsed < INT32_MIN || parsed > INT32_MAX) {
        return false;
    }
    while (*end == ' ' || *end == '\t') {
        ++end;
    }
    if (*end != '\0') {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

} // namespace

IniSettingsStore::IniSettingsStore(std::filesystem::path file) : file_(std::move(file)) {
}

std::filesystem::path IniSettingsStore::UserFile(const std::string& company,
                                                 const std::string& application) {
    std::filesystem::path base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else if (home != nullptr && home[0] != '\0') {
        base = std::filesystem::path(home) / ".config";
    } else {
        return {};
    }
    return base / company / (application + ".conf");
}

int IniSettingsStore::ReadInt(const std::string& section, const std::string& name, int fallback) {
    std::string raw;
    if (!FindRaw(section, name, raw)) {
        return fallback;
    }
    std::optional<std::string> text = ini::UnescapeValue(raw);
    int value = 0;
    return text && ParseInt(*text, value) ? value : fallback;
}

std::string IniSettingsStore::ReadString(const std::string& section, const std::string& name,
                                         const std::string& fallback) {
    std::string raw;
    if (!FindRaw(section, name, raw)) {
        return fallback;
    }
    return ini::UnescapeValue(raw).value_or(fallback);
}

// Plain C files rather than streams: the stream classes would bring the whole locale
// machinery into the converter's memory.
std::vector<std::string> IniSettingsStore::LoadLines() const {
    std::vector<std::string> lines;
    std::FILE* in = std::fopen(file_.c_str(), "rb");
    if (in == nullptr) {
        return lines;
    }
    std::string line;
    bool pending = false; // a last line without a newline
    for (int c; (c = std::fgetc(in)) != EOF;) {
        if (c != '\n') {
            line.push_back(static_cast<char>(c));
            pending = true;
            continue;
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        line.clear();
        pending = false;
    }
    if (pending) {
        if (line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    std::fclose(in);
    return lines;
}

bool IniSettingsStore::FindRaw(const std::string& section, const std::string& name,
                               std::string& raw) const {
    std::vector<std::string> lines = LoadLines();
    SectionRange range = FindSection(lines, section);
    if (range.header == std::string::npos) {
        return false;
    }
    size_t at = FindEntry(lines, range, name);
    if (at == std::string::npos) {
        return false;
    }
    raw = ini::ParseLine(lines[at]).value;
    return true;
}

} // namespace sonarel
