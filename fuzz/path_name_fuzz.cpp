// The file-name string operations in both styles (Windows-style drive letters, network
// names and backslashes; the host's POSIX rules) and the PathName object's pure
// operations. Nothing here touches the file system except reading the current folder.
//
// The input is split at its first two zero bytes into a path, an argument (a new name,
// extension, folder or root) and a folder to resolve bare names against.
#include "fuzz_support.h"
#include "paths/path_name.h"
#include "paths/path_rules.h"

#include <string>
#include <string_view>

namespace {

using namespace sonarel;
using sonarel::fuzz::Check;

struct Pieces {
    std::string_view path;
    std::string_view argument;
    std::string_view folder;
};

Pieces Split(const uint8_t* data, size_t size) {
    std::string_view all(reinterpret_cast<const char*>(data), size);
    Pieces pieces;
    size_t first = all.find('\0');
    pieces.path = all.substr(0, first);
    if (first == std::string_view::npos) {
        return pieces;
    }
    std::string_view rest = all.substr(first + 1);
    size_t second = rest.find('\0');
    pieces.argument = rest.substr(0, second);
    if (second != std::string_view::npos) {
        pieces.folder = rest.substr(second + 1);
    }
    return pieces;
}

bool HasSeparator(const PathStyle& style, const std::string& text) {
    for (char c : text) {
        if (IsSeparator(style, c)) {
            return true;
        }
    }
    return false;
}

bool WithinLimit(const PathStyle& style, std::string_view path) {
    return style.part_limit == 0 || path.size() <= style.part_limit;
}

// Splitting cuts nothing away and joining puts it back together unchanged.
void CheckSplitAndJoin(const PathStyle& style, std::string_view path) {
    PathParts parts = SplitPath(style, path);
    Check(!HasSeparator(style, parts.base_name) && !HasSeparator(style, parts.extension));
    Check(parts.extension.empty() || parts.extension[0] == '.');
    Check(parts.folder.empty() || IsSeparator(style, parts.folder.back()) ||
          !WithinLimit(style, path));
    if (WithinLimit(style, path)) {
        Check(parts.drive + parts.folder + parts.base_name + parts.extension == path);
        Check(JoinPath(style, parts) == path);
        Check(WithExtension(style, path, parts.extension) == path);
        Check(WithBaseName(style, path, parts.base_name) == path);
        Check(FileNameOf(style, path) == parts.base_name + parts.extension);
    }
}

void Exercise(const PathStyle& style, const Pieces& in) {
    CheckSplitAndJoin(style, in.path);
    std::string root = RootOf(style, in.path);
    Check(root.size() <= in.path.size() && std::string_view(in.path).starts_with(root));
    FolderOf(style, in.path);
    DriveAndFolderOf(style, in.path);
    WithFileName(style, in.path, in.argument);
    WithFolder(style, in.path, in.argument);
    WithRoot(style, in.path, in.argument);
    WithoutTrailingSeparator(style, in.path);
    std::string assigned = AssignPath(style, in.path, in.folder);
    CheckSplitAndJoin(style, assigned);
    std::string with_ext = WithExtension(style, in.path, in.argument);
    CheckSplitAndJoin(style, with_ext);
    // The lookup names each component after its own text, so the walk covers every
    // component without a file system.
    ExpandStoredNames(style, in.path,
                      [&style](const std::string& folder, const std::string& component) {
                          Check(!component.empty() && !HasSeparator(style, component));
                          return folder.size() % 7 == 3 ? std::optional<std::string>()
                                                        : std::optional<std::string>(component);
                      });
}

// The object's own operations (host rules), without its probes.
void ExerciseObject(const Pieces& in) {
    PathName name(in.path, in.path.size());
    Check(name.Str() == in.path);
    name.GetRoot();
    name.GetFolder();
    name.GetDriveAndFolder();
    Check(name.GetFileName() == name.GetBaseName() + name.GetExtension());
    PathName copy = name;
    copy.SetBaseName(in.argument);
    copy = name;
    copy.SetExtension(in.argument);
    copy = name;
    copy.SetFileName(in.argument);
    copy = name;
    copy.SetFolder(in.argument);
    copy = name;
    copy.SetRoot(in.argument);
    copy.RemoveTrailingBackslash();
    copy.Assign(in.argument);
    Check(!copy.IsEmpty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Pieces pieces = Split(data, size);
    Exercise(kWindowsStyle, pieces);
    Exercise(kHostStyle, pieces);
    ExerciseObject(pieces);
    return 0;
}
