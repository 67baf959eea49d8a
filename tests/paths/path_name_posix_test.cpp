// PathName with the names of a POSIX host: parts replaced, bare names resolved against the
// current folder, case-sensitive stored names and links (the split rules: path_name_test).
#include "paths/path_name.h"
#include "support/test_paths.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <initializer_list>

namespace sonarel {
namespace {

namespace fs = std::filesystem;

TEST(PathNameOnPosix, ReplacesPartsAndResolvesBareNamesAgainstTheCurrentFolder) {
    PathName path("/home/u/.profile");
    path.SetExtension("wav");
    EXPECT_EQ(path.Str(), "/home/u/.profile.wav");
    path.SetExtension(".mp3");
    path.SetBaseName("song_1");
    EXPECT_EQ(path.Str(), "/home/u/song_1.mp3");
    path.SetFileName("other.wav");
    path.SetFolder("/out.old");
    EXPECT_EQ(path.Str(), "/out.old/other.wav");
    path.SetRoot("/mnt");
    EXPECT_EQ(path.Str(), "/mnt//out.old/other.wav"); // the system reads "//" as "/"
    for (const auto& [name, trimmed] : {std::pair{"/a/b/", "/a/b"}, {"/a/b", "/a/b"}, {"/", "/"}}) {
        PathName folder(name);
        folder.RemoveTrailingBackslash();
        EXPECT_EQ(folder.Str(), trimmed);
    }
    const std::string cwd = fs::current_path().string();
    for (const auto& [name, full] : {std::pair<std::string, std::string>{"a.mp3", cwd + "/a.mp3"},
                                     {"", cwd},
                                     {".", cwd},
                                     {".mp3", cwd + "/.mp3"},
                                     {"..", fs::current_path().parent_path().string()},
                                     {"/x/a.mp3", "/x/a.mp3"},
                                     {"sub/a.mp3", "sub/a.mp3"}}) { // a folder part: as written
        EXPECT_EQ(PathName(name).Str(), full) << name;
    }
    const std::string longest(4095 - cwd.size() - 1, 'n'); // a full name stays below 4096
    EXPECT_EQ(PathName(longest).Str(), cwd + "/" + longest);
    EXPECT_EQ(PathName(longest + "n").Str(), longest + "n");
}

// A case-sensitive file system can hold names that differ only in letter case, and a
// dangling link still takes its name.
TEST(PathNameOnPosix, ExpandLongNamesPrefersAnExactMatchAndALinkTakesItsName) {
    test::ScratchDir scratch;
    for (const char* name : {"abc.mp3", "ABC.mp3", "Abc.MP3"}) {
        std::ofstream(scratch / name) << "x";
    }
    PathName exact((scratch / "Abc.MP3").string());
    ASSERT_TRUE(exact.ExpandLongNames());
    EXPECT_EQ(exact.GetFileName(), "Abc.MP3");
    PathName loose((scratch / "aBC.mp3").string());
    ASSERT_TRUE(loose.ExpandLongNames());
    EXPECT_EQ(loose.GetFileName(), "ABC.mp3"); // first in byte order
    fs::create_symlink(scratch / "gone", scratch / "dangling");
    EXPECT_TRUE(PathName((scratch / "dangling").string()).Exists());
}

} // namespace
} // namespace sonarel
