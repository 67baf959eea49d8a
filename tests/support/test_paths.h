// Where tests find their data: the shared conformance streams beside the checkout,
// the project's own fixtures and a scratch folder per test program.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace sonarel::test {

// Folder of the conformance streams; empty when ../shared is not there.
std::filesystem::path VectorsDir();

// Folder of the project's committed fixtures (tests/fixtures).
std::filesystem::path FixturesDir();

// Folder of the built programs (build/bin).
std::filesystem::path BinDir();

// A built program by its name without the host's suffix (".exe" on Windows).
std::string ProgramPath(const std::string& name);

// A fresh, empty scratch folder that is removed with the returned guard.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// A folder's name as the program stores it: ending in the host's separator.
inline std::string FolderName(const std::filesystem::path& folder) {
    return folder.string() + static_cast<char>(std::filesystem::path::preferred_separator);
}

std::vector<unsigned char> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes);

// A long input: a one-second fixture of tests/fixtures/mp3 over and over (half an hour by
// default); returns its name.
std::string WriteLongInput(const std::filesystem::path& path, int seconds = 1800,
                           const std::string& fixture = "cbr_44100_stereo.mp3");

} // namespace sonarel::test
