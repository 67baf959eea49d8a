// File dialog requests of the logic turned into Qt's filters and dialog settings.
#include "app/dialog_texts.h"
#include "gui/file_dialog_setup.h"
#include "gui/file_filter.h"
#include "support/test_paths.h"

#include <QDir>
#include <QFileDialog>
#include <fstream>
#include <gtest/gtest.h>

namespace sonarel::test {
namespace {

TEST(FileFilterTest, ConvertsTheDialogsFilters) {
    EXPECT_EQ(ToQtNameFilters(text::kOpenFilter),
              QStringList({"MP3 Files (*.mp3)", "MP3 Compressed Wave (*.wav)", "All Files (*)"}));
    EXPECT_EQ(ToQtFilter(text::kSaveFilter), "WAV Files (*.wav);;All Files (*)");
}

TEST(FileFilterTest, AddsPatternsToNamesWithoutThem) {
    EXPECT_EQ(ToQtNameFilters("Audio|*.mp3;*.mp2||"), QStringList({"Audio (*.mp3 *.mp2)"}));
    EXPECT_EQ(ToQtNameFilters("Audio (old)|*.mp3||"), QStringList({"Audio (*.mp3)"}));
}

TEST(FileFilterTest, ToleratesShortAndEmptyLists) {
    EXPECT_TRUE(ToQtNameFilters("").isEmpty());
    EXPECT_TRUE(ToQtNameFilters("||").isEmpty());
    EXPECT_EQ(ToQtNameFilters("WAV|*.wav|Dangling"), QStringList({"WAV (*.wav)"}));
    EXPECT_EQ(ToQtNameFilters("WAV|*.wav"), QStringList({"WAV (*.wav)"}));
}

TEST(FileDialogSetupTest, OpenStartsInTheFolderOfAWildcardName) {
    ScratchDir scratch;
    FileDialogRequest request;
    request.initialName = (scratch.Path() / "*.mp3").string();
    request.filter = text::kOpenFilter;
    request.options = FileDialogRequest::kFileMustExist | FileDialogRequest::kPathMustExist;
    QFileDialog dialog;
    ConfigureFileDialog(dialog, request, FileDialogMode::kOpen);
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(QDir(dialog.directory()).canonicalPath(),
              QDir(QString::fromStdString(scratch.Path().string())).canonicalPath());
    EXPECT_EQ(dialog.nameFilters().size(), 3);
    EXPECT_TRUE(dialog.defaultSuffix().isEmpty());
}

TEST(FileDialogSetupTest, SaveTakesItsFolderFromAFileName) {
    ScratchDir scratch;
    std::ofstream(scratch / "old.wav") << "x";
    FileDialogRequest request;
    request.defaultExtension = "wav";
    request.initialFolder = (scratch.Path() / "old.wav").string();
    request.filter = text::kSaveFilter;
    request.options = FileDialogRequest::kOverwritePrompt | FileDialogRequest::kHideReadOnly;
    QFileDialog dialog;
    ConfigureFileDialog(dialog, request, FileDialogMode::kSave);
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.fileMode(), QFileDialog::AnyFile);
    EXPECT_EQ(dialog.defaultSuffix(), "wav");
    EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(QDir(dialog.directory()).canonicalPath(),
              QDir(QString::fromStdString(scratch.Path().string())).canonicalPath());

    request.options = 0;
    ConfigureFileDialog(dialog, request, FileDialogMode::kSave);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
}

} // namespace
} // namespace sonarel::test
