// File dialog requests of the logic turned into Qt's filters and dialog settings (the window's
// own filters: tests/gui/window_test.cpp).
#include "gui/file_dialog_setup.h"
#include "gui/file_filter.h"
#include "support/test_paths.h"

#include <QFileDialog>
#include <gtest/gtest.h>

namespace sonarel::test {
namespace {

TEST(FileFilterTest, ConvertsFilterListsToQtNameFilters) {
    const std::pair<std::string, QStringList> kFilters[] = {
        {"Audio (old)|*.mp3;*.mp2||", {"Audio (*.mp3 *.mp2)"}},
        {"WAV|*.wav|Dangling", {"WAV (*.wav)"}},
        {"||", {}}};
    for (const auto& [filter, expected] : kFilters) {
        EXPECT_EQ(ToQtNameFilters(filter), expected) << filter;
    }
}

// A dialog starts in the folder of a wildcard name or of a file given as the folder, and
// selects a file given by name.
TEST(FileDialogSetupTest, StartsInTheFolderOfAWildcardOrAFileName) {
    ScratchDir scratch;
    WriteFileBytes(scratch / "old.wav", {'x'});
    const QString folder = QDir(QString::fromStdString(scratch.Path().string())).canonicalPath();
    QFileDialog dialog;
    ConfigureFileDialog(dialog, {"", (scratch / "*.mp3").string(), "", "", 0},
                        FileDialogMode::kOpen);
    EXPECT_EQ(dialog.directory().canonicalPath(), folder);
    dialog.setDirectory(QDir::rootPath());
    ConfigureFileDialog(dialog, {"wav", "", (scratch / "old.wav").string(), "", 0},
                        FileDialogMode::kSave);
    EXPECT_EQ(dialog.directory().canonicalPath(), folder);
    ConfigureFileDialog(dialog, {"", (scratch / "new.mp3").string(), "", "", 0},
                        FileDialogMode::kOpen);
    EXPECT_EQ(QFileInfo(dialog.selectedFiles().value(0)).fileName(), "new.mp3");
}

} // namespace
} // namespace sonarel::test
