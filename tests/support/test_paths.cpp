#include "support/test_paths.h"

#include "platform/host.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <random>
#include <unistd.h>

namespace sonarel::test {

namespace fs = std::filesystem;

namespace {

// A folder the build names, in the host's own form: under Wine "/work/x" becomes
// "Z:\work\x", which the programs take as a name rather than a '/' switch.
fs::path BuildFolder(const char* name) {
    return fs::absolute(fs::path(name)).make_preferred();
}

} // namespace

fs::path VectorsDir() {
    fs::path dir = BuildFolder(SONAREL_SHARED_DIR) / "vectors";
    std::error_code ec;
    return fs::is_directory(dir, ec) ? dir : fs::path();
}

fs::path FixturesDir() {
    return BuildFolder(SONAREL_SOURCE_DIR) / "tests" / "fixtures";
}

fs::path BinDir() {
    return BuildFolder(SONAREL_BIN_DIR);
}

std::string ProgramPath(const std::string& name) {
    return (BinDir() / (name + (kWindowsHost ? ".exe" : ""))).string();
}

ScratchDir::ScratchDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    path_ = fs::temp_directory_path() / ("sonarel-test-" + std::to_string(getpid()) + "-" +
                                         std::to_string(counter++) + "-" + std::to_string(rd()));
    fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::vector<unsigned char> ReadFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::string WriteLongInput(const fs::path& path, int seconds, const std::string& fixture) {
    const std::vector<unsigned char> one = ReadFileBytes(FixturesDir() / "mp3" / fixture);
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < seconds; ++i) {
        out.write(reinterpret_cast<const char*>(one.data()),
                  static_cast<std::streamsize>(one.size()));
    }
    return path.string();
}

} // namespace sonarel::test
