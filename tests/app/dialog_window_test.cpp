// Initialisation, the enabled-state table, the file dialogs, drops and the close request.
#include "app/control_ids.h"
#include "app/dialog_texts.h"
#include "dialog_fixture.h"

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

using WindowTest = DialogTest;

// The enabled state of the controls that need an input.
void ExpectInputControls(FakeView& view, bool on) {
    EXPECT_EQ(view.enabled[kOutputBrowse], on);
    EXPECT_EQ(view.enabled[kDecodeButton], on);
    EXPECT_EQ(view.enabled[kOutputEdit], on);
    EXPECT_EQ(view.menuEnabled[kCommandDecode], on);
    EXPECT_EQ(view.menuEnabled[kCommandSaveAs], on);
}

TEST_F(WindowTest, FirstStartWaitsForAnInputAtTheDefaultPlace) {
    dialog->Initialize();
    EXPECT_EQ(view.position.x, 300);
    EXPECT_EQ(view.position.y, 300);
    EXPECT_EQ(view.texts[kInputEdit], fs::current_path().string());
    EXPECT_EQ(view.texts[kOutputEdit], fs::current_path().string());
    EXPECT_EQ(view.texts[kInputSizeLabel], "");
    EXPECT_EQ(view.progressText, text::kSelectInput);
    EXPECT_EQ(view.progressPosition, 0);
    EXPECT_EQ(view.progressSetup.rangeHigh, 105);
    EXPECT_EQ(view.progressSetup.step, -1);
    EXPECT_EQ(view.progressSetup.displayMode, 2);
    ExpectInputControls(view, false);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(WindowTest, SavedPlacesAreRestored) {
    settings.values["Settings/WinPosX"] = "-50";
    settings.values["Settings/WinPosY"] = "70";
    settings.values["Settings/DefaultOpenDir"] = "/in/";
    settings.values["Settings/DefaultSaveAsDir"] = FolderName(dir.Path());
    dialog->Initialize();
    EXPECT_EQ(view.position.x, 0);
    EXPECT_EQ(view.position.y, 70);
    EXPECT_EQ(view.texts[kInputEdit], "/in/");

    ASSERT_TRUE(dialog->ProbeInput(CopyFixture("cbr_44100_stereo.mp3", "a.mp3")));
    dialog->ProposeOutputName();
    EXPECT_EQ(dialog->OutputPath().Str(), Scratch("a.wav"));
    ExpectInputControls(view, true);
    EXPECT_EQ(view.focus, kOutputEdit);
}

TEST_F(WindowTest, AMissingCommandLineInputIsReported) {
    dialog->Options().inputPath.Assign(Scratch("gone.mp3"));
    dialog->Options().inputGiven = true;
    dialog->Initialize();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], Scratch("gone.mp3") + " does not exist.");
    ExpectInputControls(view, false);
}

TEST_F(WindowTest, OpenUsesTheSavedFolderAndRemembersTheChosenOne) {
    settings.values["Settings/DefaultOpenDir"] = "/music/";
    view.openResults = {std::nullopt, CopyFixture("cbr_44100_stereo.mp3", "o.mp3")};
    dialog->Initialize();
    dialog->OnCommand(kCommandOpen); // cancelled: nothing changes
    EXPECT_EQ(settings.values["Settings/DefaultOpenDir"], "/music/");
    dialog->OnCommand(kCommandOpen);
    ASSERT_EQ(view.openRequests.size(), 2u);
    EXPECT_EQ(view.openRequests[0].initialName, "/music/*.mp3");
    EXPECT_EQ(view.openRequests[0].filter, text::kOpenFilter);
    EXPECT_EQ(view.openRequests[0].options, 0x1804u);
    EXPECT_EQ(settings.values["Settings/DefaultOpenDir"], FolderName(dir.Path()));
    EXPECT_EQ(dialog->InputPath().Str(), Scratch("o.mp3"));
    ExpectInputControls(view, true);
}

TEST_F(WindowTest, SaveAsTakesTheNameAndNotesAConfirmedReplacement) {
    std::string existing = Scratch("exists.wav");
    WriteFileBytes(existing, {1});
    view.saveResults = {existing};
    dialog->Initialize();
    dialog->OnCommand(kCommandSaveAs);
    ASSERT_EQ(view.saveRequests.size(), 1u);
    EXPECT_EQ(view.saveRequests[0].defaultExtension, "wav");
    EXPECT_EQ(view.saveRequests[0].options, 6u);
    EXPECT_EQ(view.saveRequests[0].filter, text::kSaveFilter);
    EXPECT_EQ(dialog->OutputPath().Str(), existing);
    EXPECT_TRUE(dialog->SaveAsConfirmed());
    EXPECT_EQ(settings.values["Settings/DefaultSaveAsDir"], FolderName(dir.Path()));
    EXPECT_EQ(view.progressText, text::kClickDecode);
    EXPECT_TRUE(view.enabled[kDecodeButton]);
}

TEST_F(WindowTest, ADropProbesOnlyTheFirstFile) {
    dialog->Initialize();
    dialog->OnDropFiles({});
    EXPECT_TRUE(view.messages.empty());
    std::string first = CopyFixture("cbr_44100_stereo.mp3", "first.mp3");
    dialog->OnDropFiles({first, PcmWave("second.wav"), Scratch("third.mp3")});
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(dialog->InputPath().Str(), first);
}

TEST_F(WindowTest, MenuCommandsAndCloseSaveThePosition) {
    dialog->Initialize();
    dialog->OnCommand(kCommandAbout);
    EXPECT_EQ(view.aboutBoxes, 1);
    dialog->OnCancel(); // Escape while idle does nothing
    EXPECT_TRUE(view.questions.empty());

    view.position = {12, 34};
    dialog->OnCommand(kCommandExit);
    EXPECT_FALSE(view.ended); // the close request is posted, not handled at once
    ASSERT_TRUE(view.PumpUntil([this] { return view.ended; }));
    EXPECT_TRUE(dialog->HasEnded());
    EXPECT_EQ(settings.values["Settings/WinPosX"], "12");
    EXPECT_EQ(settings.values["Settings/WinPosY"], "34");
}

} // namespace
} // namespace sonarel::test
