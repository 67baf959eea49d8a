// The file-system questions the program asks, one implementation per host. Names are UTF-8
// strings on every host (converted to the system's wide names on Windows).
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace sonarel {

// The current folder, or an empty string when it cannot be read.
std::string CurrentFolder();

// Something (file, folder, even a dangling link) has this name.
bool EntryExists(const std::string& path);
// The name is a folder (or a link to one).
bool IsFolderEntry(const std::string& path);
// Size of the regular file with this name; false when the name is no regular file.
bool RegularFileSize(const std::string& path, uint64_t& size);

// Creates a new, empty file and closes it; false when the name exists or cannot be created.
bool CreateNewFile(const std::string& path);
// Removes a file; false when it could not.
bool RemoveFile(const std::string& path);

// Calls visit with the name of each entry of folder ("" is the current folder), until visit
// returns false. False when the folder cannot be listed.
bool ListFolder(const std::string& folder, const std::function<bool(std::string_view)>& visit);

// Opens path for binary reading when it is a regular file (never waiting on a named pipe) and
// stores its length in size; null otherwise.
std::FILE* OpenRegularFile(const std::string& path, uint64_t& size);

// Reads up to size bytes from the start of the file; the count read, or -1 when it cannot be
// opened.
long ReadFileHead(const std::string& path, char* buffer, size_t size);

// The names that stand for standard input and output wherever a file name is expected: files
// of their own on Linux, recognised by name on Windows.
inline constexpr std::string_view kStandardInputPath = "/dev/stdin";
inline constexpr std::string_view kStandardOutputPath = "/dev/stdout";

// The name is the very file that standard output writes to (kStandardOutputPath included).
bool IsStandardOutputFile(const std::string& path);

} // namespace sonarel
