#include "paths/path_name.h"

#include "paths/path_rules.h"
#include "platform/file_system.h"

#include <cctype>
#include <optional>

namespace sonarel {

namespace {

// PATH_MAX of the host: longer names cannot be passed to open() and stat().
constexpr size_t kLongestOpenablePath = 4096;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x != y && !(x < 0x80 && y < 0x80 && std::tolower(x) == std::tolower(y))) {
            return false;
        }
    }
    return true;
}

// The entry of `folder` stored as `component`: the exact name when present,
// else the first (in byte order) that differs only in ASCII letter case.
std::optional<std::string> FindStoredName(const std::string& folder, const std::string& component) {
    if (component == "." || component == "..") {
        return component;
    }
    std::optional<std::string> best;
    bool listed = ListFolder(folder, [&](std::string_view name) {
        if (name == component) {
            best = component;
            return false;
        }
        if (EqualsIgnoringCase(name, component) && (!best || name < *best)) {
            best = std::string(name);
        }
        return true;
    });
    if (!listed && EntryExists(folder + component)) {
        // A folder we may pass through but not list: only the exact name can be checked.
        return component;
    }
    return best;
}

} // namespace

PathName::PathName(std::string_view name) {
    Assign(name);
}

PathName::PathName(std::string_view text, size_t n) : path_(text.substr(0, n)) {
}

void PathName::Assign(std::string_view name) {
    std::string folder = CurrentFolder();
    // Without a readable current folder the name is kept as given, and so is a relative name
    // whose full form would be too long for the system to open (the system resolves the
    // relative name itself, however deep the current folder lies).
    std::string full = folder.empty() ? std::string(name) : AssignPath(kHostStyle, name, folder);
    path_ = full.size() >= kLongestOpenablePath ? std::string(name) : full;
}

std::string PathName::GetRoot() const {
    return RootOf(kHostStyle, path_);
}
std::string PathName::GetFolder() const {
    return FolderOf(kHostStyle, path_);
}
std::string PathName::GetBaseName() const {
    return BaseNameOf(kHostStyle, path_);
}
std::string PathName::GetExtension() const {
    return ExtensionOf(kHostStyle, path_);
}
std::string PathName::GetFileName() const {
    return FileNameOf(kHostStyle, path_);
}
std::string PathName::GetDriveAndFolder() const {
    return DriveAndFolderOf(kHostStyle, path_);
}

void PathName::SetBaseName(std::string_view name) {
    path_ = WithBaseName(kHostStyle, path_, name);
}
void PathName::SetExtension(std::string_view ext) {
    path_ = WithExtension(kHostStyle, path_, ext);
}
void PathName::SetFileName(std::string_view name) {
    path_ = WithFileName(kHostStyle, path_, name);
}
void PathName::SetFolder(std::string_view folder) {
    path_ = WithFolder(kHostStyle, path_, folder);
}
void PathName::SetRoot(std::string_view root) {
    path_ = WithRoot(kHostStyle, path_, root);
}
void PathName::RemoveTrailingBackslash() {
    path_ = WithoutTrailingSeparator(kHostStyle, path_);
}

bool PathName::Exists() const {
    return EntryExists(path_);
}

bool PathName::IsFolder() const {
    return IsFolderEntry(path_);
}

bool PathName::CanCreate() const {
    if (Exists()) {
        return true;
    }
    if (path_.empty()) {
        return false;
    }
    // A new file only: never opens anything that appeared meanwhile.
    if (!CreateNewFile(path_)) {
        return false;
    }
    RemoveFile(path_);
    return true;
}

void PathName::MakeUnique() {
    std::string base = GetBaseName();
    for (unsigned long n = 1; Exists(); ++n) {
        SetBaseName(base + "_" + std::to_string(n));
    }
}

bool PathName::ExpandLongNames() {
    std::optional<std::string> expanded = ExpandStoredNames(kHostStyle, path_, FindStoredName);
    if (!expanded) {
        return false;
    }
    path_ = *expanded;
    return true;
}

} // namespace sonarel
