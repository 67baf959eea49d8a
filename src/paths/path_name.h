// The file name object for input and output files and remembered folders:
// one path string with the host's split and join rules, file-system probes,
// unique names and stored-name expansion.
//
// On this host a path has no drive and no network root (GetRoot is always
// empty), '/' is the only separator, and there is no 260-character limit:
// paths are as long as the system allows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sonarel {

class PathName {
public:
    PathName() = default;
    // Stores name by the assignment rule (see Assign).
    explicit PathName(std::string_view name);
    // Stores the first n characters of text unchanged.
    PathName(std::string_view text, size_t n);
    PathName(const PathName&) = default;
    PathName& operator=(const PathName&) = default;
    virtual ~PathName() = default;

    // A name with a folder part is stored as it is; a bare file name is
    // resolved against the current folder; an empty name (or only an
    // extension) gives the current folder itself.
    void Assign(std::string_view name);

    const std::string& Str() const { return path_; }
    const char* CStr() const { return path_.c_str(); }
    size_t Length() const { return path_.size(); }
    bool IsEmpty() const { return path_.empty(); }

    std::string GetRoot() const;
    std::string GetFolder() const;
    std::string GetBaseName() const;
    std::string GetExtension() const;
    std::string GetFileName() const;
    std::string GetDriveAndFolder() const;

    void SetBaseName(std::string_view name);
    void SetExtension(std::string_view ext); // "wav" and ".wav" both give ".wav"
    void SetFileName(std::string_view name);
    void SetFolder(std::string_view folder);
    void SetRoot(std::string_view root);
    // Removes one trailing separator ('/' here), except from "/" itself.
    void RemoveTrailingBackslash();

    // Something (file, folder, even a dangling link) has this name.
    bool Exists() const;
    // The name is a folder (or a link to one).
    bool IsFolder() const;
    // True for an existing name; otherwise tries to create a new file there and
    // removes it again. Never leaves a file behind, never opens an existing one.
    bool CanCreate() const;
    // Appends "_1", "_2", ... to the base name until the name is free.
    void MakeUnique();
    // Replaces each component by the name stored on disk, matched without
    // regard to letter case when no exact match exists. False, path unchanged,
    // when a component is missing.
    bool ExpandLongNames();

private:
    std::string path_;
};

} // namespace sonarel
