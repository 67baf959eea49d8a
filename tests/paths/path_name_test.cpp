// PathName and the real file system, with the host's separator.
#include "paths/path_name.h"
#include "support/test_paths.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace sonarel {
namespace {

namespace fs = std::filesystem;

class PathNameDiskTest : public ::testing::Test {
protected:
    // The name in the scratch folder, written with the host's separator.
    std::string In(const std::string& name) const {
        return (scratch.Path() / fs::path(name).make_preferred()).string();
    }
    void Touch(const std::string& name, const char* content = "x") const {
        fs::create_directories(fs::path(In(name)).parent_path());
        std::ofstream(In(name), std::ios::binary) << content;
    }

    test::ScratchDir scratch;
};

TEST_F(PathNameDiskTest, ExistsIsFolderAndCanCreateWithoutLeavingOrTouchingAnything) {
    Touch("keep.wav", "precious");
    fs::create_directory(scratch / "dir");
    const auto before = fs::last_write_time(In("keep.wav"));
    const struct {
        const char* name;
        bool exists;
        bool folder;
        bool can_create;
    } cases[] = {{"keep.wav", true, false, true},
                 {"dir", true, true, true},
                 {"new.wav", false, false, true},
                 {"missing/new.wav", false, false, false}};
    for (const auto& c : cases) {
        const PathName path(In(c.name));
        EXPECT_EQ(path.Exists(), c.exists) << c.name;
        EXPECT_EQ(path.IsFolder(), c.folder) << c.name;
        EXPECT_EQ(path.CanCreate(), c.can_create) << c.name;
    }
    EXPECT_FALSE(PathName().Exists());
    EXPECT_FALSE(PathName().CanCreate());
    EXPECT_EQ(test::ReadFileBytes(In("keep.wav")).size(), 8u);
    EXPECT_EQ(fs::last_write_time(In("keep.wav")), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.Path()), fs::directory_iterator()), 2);
}

TEST_F(PathNameDiskTest, ExpandLongNamesTakesTheStoredLetterCaseOrChangesNothing) {
    Touch("Music/Rock/ABC.mp3");
    const std::pair<const char*, const char*> cases[] = {
        {"music/ROCK/abc.mp3", "Music/Rock/ABC.mp3"},
        {"music/rock/", "Music/Rock/"},
        {"nothing/a.mp3", nullptr},
        {"music/b.mp3", nullptr},
        {"music/rock/*.mp3", nullptr},
        {"music/rock/?BC.mp3", nullptr},
    };
    for (const auto& [name, expanded] : cases) {
        PathName path(In(name));
        EXPECT_EQ(path.ExpandLongNames(), expanded != nullptr) << name;
        EXPECT_EQ(path.Str(), In(expanded != nullptr ? expanded : name));
    }
    const fs::path saved = fs::current_path(); // a relative name stays relative
    fs::current_path(scratch.Path());
    PathName relative("music/rock/abc.mp3");
    const bool expanded = relative.ExpandLongNames();
    fs::current_path(saved);
    EXPECT_TRUE(expanded);
    EXPECT_EQ(relative.Str(), fs::path("Music/Rock/ABC.mp3").make_preferred().string());
}

} // namespace
} // namespace sonarel
