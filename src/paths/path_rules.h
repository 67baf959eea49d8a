// Pure string rules for splitting and joining file names, in two styles: the
// host's (POSIX: '/' only, no drive letters) and the Windows style (drive
// letters, network names, '\' written, both '\' and '/' recognised). Nothing
// here touches the file system.
#pragma once

#include "platform/host.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace sonarel {

struct PathStyle {
    bool windows;      // drives, network names and '\' as separators
    char separator;    // written when joining
    bool dot_files;    // a leading dot belongs to the name (".profile" has no extension)
    size_t part_limit; // longest folder, base name or extension; 0: no limit
};

// Windows: parts are cut to 255 characters as the C runtime's split does.
inline constexpr PathStyle kWindowsStyle{true, '\\', false, 255};
// POSIX: no cut (a cut would silently name another file); the system refuses
// over-long names itself.
inline constexpr PathStyle kPosixStyle{false, '/', true, 0};
// The rules of the system the program runs on.
inline constexpr PathStyle kHostStyle = kWindowsHost ? kWindowsStyle : kPosixStyle;

struct PathParts {
    std::string drive;     // "C:" or empty
    std::string folder;    // up to and including the last separator
    std::string base_name; // between folder and extension
    std::string extension; // from the last dot of the name, dot included
};

bool IsSeparator(const PathStyle& style, char c);
PathParts SplitPath(const PathStyle& style, std::string_view path);
std::string JoinPath(const PathStyle& style, const PathParts& parts);

std::string RootOf(const PathStyle& style, std::string_view path);
std::string FolderOf(const PathStyle& style, std::string_view path);
std::string BaseNameOf(const PathStyle& style, std::string_view path);
std::string ExtensionOf(const PathStyle& style, std::string_view path);
std::string FileNameOf(const PathStyle& style, std::string_view path);
std::string DriveAndFolderOf(const PathStyle& style, std::string_view path);

std::string WithBaseName(const PathStyle& style, std::string_view path, std::string_view name);
std::string WithExtension(const PathStyle& style, std::string_view path, std::string_view ext);
std::string WithFileName(const PathStyle& style, std::string_view path, std::string_view name);
std::string WithFolder(const PathStyle& style, std::string_view path, std::string_view folder);
std::string WithRoot(const PathStyle& style, std::string_view path, std::string_view root);
std::string WithoutTrailingSeparator(const PathStyle& style, std::string_view path);

// The assignment rule: a name with a folder part stays as it is; a bare file
// name is placed in current_folder ("." and ".." name that folder and its
// parent); anything else (empty, a bare drive, only an extension) becomes
// current_folder.
std::string AssignPath(const PathStyle& style, std::string_view name,
                       std::string_view current_folder);

// Finds the name under which the folder `folder` stores the entry `component`;
// `folder` is the expanded path so far, ending with a separator, or empty for
// the current folder. Returns nothing when there is no such entry.
using StoredNameLookup = std::function<std::optional<std::string>(const std::string& folder,
                                                                  const std::string& component)>;

// Replaces every folder component and the file name of path by its stored
// name; the root is kept as written. Empty components (doubled separators)
// are dropped. Nothing when a component is missing.
std::optional<std::string> ExpandStoredNames(const PathStyle& style, std::string_view path,
                                             const StoredNameLookup& lookup);

} // namespace sonarel
