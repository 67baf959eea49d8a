#include "paths/path_rules.h"

namespace sonarel {

namespace {

std::string Cut(std::string_view text, size_t limit) {
    if (limit != 0 && text.size() > limit) {
        text = text.substr(0, limit);
    }
    return std::string(text);
}

size_t DriveLength(const PathStyle& style, std::string_view path) {
    return style.windows && path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

size_t LastSeparator(const PathStyle& style, std::string_view text) {
    for (size_t i = text.size(); i > 0; --i) {
        if (IsSeparator(style, text[i - 1])) {
            return i - 1;
        }
    }
    return std::string_view::npos;
}

// Where the extension of a file name starts; npos when it has none. Text is
// UTF-8 on the host, whose multi-byte sequences never contain '.' or '/'.
size_t ExtensionStart(const PathStyle& style, std::string_view name) {
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return dot;
    }
    // ".profile", "." and "..": the leading dot belongs to the name.
    if (style.dot_files && (dot == 0 || name == "..")) {
        return std::string_view::npos;
    }
    return dot;
}

std::string ParentFolder(const PathStyle& style, std::string_view folder) {
    size_t root_end = DriveLength(style, folder);
    if (root_end < folder.size() && IsSeparator(style, folder[root_end])) {
        ++root_end;
    }
    std::string_view trimmed = folder;
    while (trimmed.size() > root_end && IsSeparator(style, trimmed.back())) {
        trimmed.remove_suffix(1);
    }
    size_t sep = LastSeparator(style, trimmed);
    if (sep == std::string_view::npos || sep + 1 <= root_end) {
        return std::string(trimmed.substr(0, root_end));
    }
    return std::string(trimmed.substr(0, sep));
}

} // namespace

bool IsSeparator(const PathStyle& style, char c) {
    return c == '/' || (style.windows && c == '\\');
}

PathParts SplitPath(const PathStyle& style, std::string_view path) {
    PathParts parts;
    size_t drive = DriveLength(style, path);
    parts.drive = std::string(path.substr(0, drive));
    std::string_view rest = path.substr(drive);
    size_t sep = LastSeparator(style, rest);
    size_t name_start = sep == std::string_view::npos ? 0 : sep + 1;
    parts.folder = Cut(rest.substr(0, name_start), style.part_limit);
    std::string_view name = rest.substr(name_start);
    size_t dot = ExtensionStart(style, name);
    if (dot == std::string_view::npos) {
        parts.base_name = Cut(name, style.part_limit);
    } else {
        parts.base_name = Cut(name.substr(0, dot), style.part_limit);
        parts.extension = Cut(name.substr(dot), style.part_limit);
    }
    return parts;
}

std::string JoinPath(const PathStyle& style, const PathParts& parts) {
    std::string out = parts.drive;
    out += parts.folder;
    if (!parts.folder.empty() && !IsSeparator(style, parts.folder.back())) {
        out += style.separator;
    }
    out += parts.base_name;
    if (!parts.extension.empty()) {
        if (parts.extension.front() != '.') {
            out += '.';
        }
        out += parts.extension;
    }
    return out;
}

std::string RootOf(const PathStyle& style, std::string_view path) {
    if (!style.windows) {
        return std::string();
    }
    bool network = path.size() >= 2 && IsSeparator(style, path[0]) && IsSeparator(style, path[1]);
    if (!network) {
        return std::string(path.substr(0, DriveLength(style, path)));
    }
    size_t server_end = 2;
    while (server_end < path.size() && !IsSeparator(style, path[server_end])) {
        ++server_end;
    }
    if (server_end == path.size()) {
        return std::string(); // a server without a share
    }
    size_t share_end = server_end + 1;
    while (share_end < path.size() && !IsSeparator(style, path[share_end])) {
        ++share_end;
    }
    std::string_view root = path.substr(0, share_end);
    while (!root.empty() && IsSeparator(style, root.back())) {
        root.remove_suffix(1);
    }
    return std::string(root);
}

std::string FolderOf(const PathStyle& style, std::string_view path) {
    std::string root = RootOf(style, path);
    return SplitPath(style, path.substr(root.size())).folder;
}

std::string BaseNameOf(const PathStyle& style, std::string_view path) {
    return SplitPath(style, path).base_name;
}

std::string ExtensionOf(const PathStyle& style, std::string_view path) {
    return SplitPath(style, path).extension;
}

std::string FileNameOf(const PathStyle& style, std::string_view path) {
    PathParts parts = SplitPath(style, path);
    return parts.base_name + parts.extension;
}

std::string DriveAndFolderOf(const PathStyle& style, std::string_view path) {
    PathParts parts = SplitPath(style, path);
    return parts.drive + parts.folder;
}

std::string WithBaseName(const PathStyle& style, std::string_view path, std::string_view name) {
    PathParts parts = SplitPath(style, path);
    parts.base_name = std::string(name);
    return JoinPath(style, parts);
}

std::string WithExtension(const PathStyle& style, std::string_view path, std::string_view ext) {
    PathParts parts = SplitPath(style, path);
    parts.extension = std::string(ext);
    return JoinPath(style, parts);
}

std::string WithFileName(const PathStyle& style, std::string_view path, std::string_view name) {
    PathParts parts = SplitPath(style, path);
    PathParts named = SplitPath(style, name);
    parts.base_name = named.base_name;
    parts.extension = named.extension;
    return JoinPath(style, parts);
}

std::string WithFolder(const PathStyle& style, std::string_view path, std::string_view folder) {
    PathParts parts = SplitPath(style, path);
    size_t drive = DriveLength(style, folder);
    parts.drive = std::string(folder.substr(0, drive));
    parts.folder = std::string(folder.substr(drive));
    return JoinPath(style, parts);
}

std::string WithRoot(const PathStyle& style, std::string_view path, std::string_view root) {
    std::string out(root);
    // An empty root adds nothing: a separator alone would turn the folder's
    // leading separator into a network name on Windows.
    if (!out.empty() && !IsSeparator(style, out.back())) {
        out += style.separator;
    }
    return out + FolderOf(style, path) + FileNameOf(style, path);
}

std::string WithoutTrailingSeparator(const PathStyle& style, std::string_view path) {
    if (path.empty()) {
        return std::string();
    }
    bool trailing = style.windows ? path.back() == '\\' : (path.back() == '/' && path.size() > 1);
    if (trailing) {
        path.remove_suffix(1);
    }
    return std::string(path);
}

std::string AssignPath(const PathStyle& style, std::string_view name,
                       std::string_view current_folder) {
    if (name == ".") {
        return std::string(current_folder);
    }
    if (name == "..") {
        return ParentFolder(style, current_folder);
    }
    PathParts parts = SplitPath(style, name);
    if (!parts.folder.empty()) {
        return std::string(name);
    }
    if (parts.base_name.empty()) {
        return std::string(current_folder);
    }
    std::string out(current_folder);
    if (!out.empty() && !IsSeparator(style, out.back())) {
        out += style.separator;
    }
    return out + std::string(name.substr(parts.drive.size()));
}

std::optional<std::string> ExpandStoredNames(const PathStyle& style, std::string_view path,
                                             const StoredNameLookup& lookup) {
    std::string out = RootOf(style, path);
    std::string folder = FolderOf(style, path);
    size_t i = 0;
    if (!folder.empty() && IsSeparator(style, folder[0])) {
        out += style.separator;
        i = 1;
    }
    while (i < folder.size()) {
        size_t end = i;
        while (end < folder.size() && !IsSeparator(style, folder[end])) {
            ++end;
        }
        if (end > i) {
            std::optional<std::string> found = lookup(out, folder.substr(i, end - i));
            if (!found) {
                return std::nullopt;
            }
            out += *found;
            out += style.separator;
        }
        i = end + 1;
    }
    std::string file_name = FileNameOf(style, path);
    if (!file_name.empty()) {
        std::optional<std::string> found = lookup(out, file_name);
        if (!found) {
            return std::nullopt;
        }
        out += *found;
    }
    return out;
}

} // namespace sonarel
