// File dialog requests of the logic turned into Qt's dialog settings (the filters the window's
// dialogs show: tests/gui/window_test.cpp).
#include "gui/file_dialog_setup.h"
#include "support/test_paths.h"

#include <QFileDialog>
#include <gtest/gtest.h>

namespace sonarel::test {
namespace {

// A dialog starts in the folder of a file given as the folder, and selects a file given by
// name. (A wildcard name's folder: the window's Open.)
TEST(FileDialogSetupTest, StartsInTheFolderOfAFileName) {
    ScratchDir scratch;
    WriteFileBytes(scratch / "old.wav", {'x'});
    const QString folder = QDir(QString::fromStdString(scratch.Path().string())).canonicalPath();
    QFileDialog dialog;
    ConfigureFileDialog(dialog, {"wav", "", (scratch / "old.wav").string(), "", 0},
                        FileDialogMode::kSave);
    EXPECT_EQ(dialog.directory().canonicalPath(), folder);
    ConfigureFileDialog(dialog, {"", (scratch / "new.mp3").string(), "", "", 0},
                        FileDialogMode::kOpen);
    EXPECT_EQ(QFileInfo(dialog.selectedFiles().value(0)).fileName(), "new.mp3");
}

} // namespace
} // namespace sonarel::test
