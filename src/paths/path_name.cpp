#include "paths/path_name.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <optional>

#include "paths/path_rules.h"

namespace sonarel {

namespace {

// PATH_MAX of the host: longer names cannot be passed to open() and stat().
constexpr size_t kLongestOpenablePath = 4096;

std::string CurrentFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string() : folder.string();
}

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
    std::string dir = folder.empty() ? std::string(".") : folder;
    DIR* stream = opendir(dir.c_str());
    if (stream == nullptr) {
        // A folder we may pass through but not list: only the exact name can be checked.
        struct stat info;
        if (lstat((folder + component).c_str(), &info) == 0) {
            return component;
        }
        return std::nullopt;
    }
    std::optional<std::string> best;
    while (const dirent* entry = readdir(stream)) {
        std::string_view name = entry->d_name;
        if (name == component) {
            best = component;
            break;
        }
        if (EqualsIgnoringCase(name, component) && (!best || name < *best)) {
            best = std::string(name);
        }
    }
    closedir(stream);
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
    struct stat info;
    return !path_.empty() && lstat(path_.c_str(), &info) == 0;
}

bool PathName::IsFolder() const {
    struct stat info;
    return !path_.empty() && stat(path_.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PathName::CanCreate() const {
    if (Exists()) {
        return true;
    }
    if (path_.empty()) {
        return false;
    }
    // O_EXCL: fails rather than open anything that appeared meanwhile.
    int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        return false;
    }
    close(fd);
    unlink(path_.c_str());
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
