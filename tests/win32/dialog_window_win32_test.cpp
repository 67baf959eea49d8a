// The Windows program's dialog driven with window messages, as the system would deliver a user's
// clicks, typing and drops; message boxes, file dialogs, links and the beep answered by the
// window's hooks. Also the program itself run unattended next to the console converter.
#include "app/control_ids.h"
#include "app/decode_pipeline.h"
#include "app/decoder_dialog.h"
#include "platform/settings_store.h"
#include "platform/win32/wide_text.h"
#include "support/test_paths.h"
#include "win32/dialog_window.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <shlobj.h>
#include <string>
#include <vector>

namespace sonarel {
namespace {

namespace fs = std::filesystem;

constexpr const wchar_t* kSettingsKey = L"Software\\Quillon\\sonarel-win32-test";

// A message box of the process: a dialog without the main window's input edit. Answered OK.
BOOL CALLBACK AnswerMessageBox(HWND window, LPARAM process) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(process) && IsWindowVisible(window) &&
        GetDlgItem(window, IDOK) != nullptr && GetDlgItem(window, kInputEdit) == nullptr) {
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

// Runs a program with its arguments, answering its message boxes with OK, and returns its exit
// code (-1 when it did not end within two minutes).
DWORD RunProgram(const fs::path& program, const std::wstring& arguments) {
    std::wstring line = L"\"" + program.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return static_cast<DWORD>(-1);
    }
    DWORD code = static_cast<DWORD>(-1);
    for (int tick = 0; tick < 1200; ++tick) {
        if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process.hProcess, &code);
            break;
        }
        EnumWindows(AnswerMessageBox, static_cast<LPARAM>(process.dwProcessId));
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// The WAVE file the console converter writes for input.
std::vector<unsigned char> ConsoleWave(const fs::path& input, const fs::path& output) {
    RunProgram(test::BinDir() / "sonarel-cli.exe",
               L"-overwrite \"" + input.wstring() + L"\" \"" + output.wstring() + L"\"");
    return test::ReadFileBytes(output);
}

class DialogWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        settings_->WriteString(settings::kSection, settings::kDefaultSaveAsDir, Folder());
        fs::copy_file(test::FixturesDir() / "mp3" / "cbr_44100_stereo.mp3", Input());
        fs::copy_file(test::FixturesDir() / "mp3" / "id3v2_300k.mp3", scratch_ / "long.mp3");
        ModalHooks& hooks = window_.Hooks();
        hooks.messageBox = [this](HWND, const std::wstring& text, UINT flags) {
            asked_.push_back(Utf8FromWide(text));
            const int answer = answers_.empty() ? IDYES : answers_.front();
            if (!answers_.empty()) {
                answers_.pop_front();
            }
            return (flags & MB_YESNO) != 0 ? answer : IDOK;
        };
        hooks.fileDialog = [this](OPENFILENAMEW& request, bool save) {
            request_ = request;
            filter_.assign(request.lpstrFilter, request.lpstrFilter + 80);
            defaultExtension_ = request.lpstrDefExt != nullptr ? request.lpstrDefExt : L"";
            wcscpy(request.lpstrFile, (save ? chosenOutput_ : chosenInput_).wstring().c_str());
            return true;
        };
        hooks.beep = [this] { ++beeps_; };
        hooks.openLink = [this](HWND, const std::wstring& target) { links_.push_back(target); };
        hooks.boxShown = [this](HWND box) {
            if (box != window_.Window()) {
                OnAboutShown(box);
            }
        };
        window_.SetLogic(&dialog_);
        dialog_window_ = window_.CreateModeless();
        ASSERT_NE(dialog_window_, nullptr);
    }

    void TearDown() override {
        window_.SetLogic(nullptr); // the window outlives the logic
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    }

    std::string Folder() const { return test::FolderName(scratch_.Path()); }
    fs::path Input() const { return scratch_ / "song.mp3"; }
    HWND Control(int id) const { return GetDlgItem(dialog_window_, id); }
    std::string Text(int id) const {
        wchar_t text[1024] = {};
        GetWindowTextW(Control(id), text, 1024);
        return Utf8FromWide(text);
    }
    void SetText(int id, const fs::path& text) {
        SendMessageW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.wstring().c_str()));
    }
    // A click as the button itself reports it (nothing happens while it is disabled).
    void Click(int id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
    void MenuCommand(int id) { SendMessageW(dialog_window_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    int Position() const {
        return static_cast<int>(SendMessageW(Control(kProgressBar), PBM_GETPOS, 0, 0));
    }

    // Handles the window's messages until the running conversion has ended.
    void RunUntilStopped() {
        const ULONGLONG deadline = GetTickCount64() + 60000;
        MSG message;
        while (dialog_.IsDecoding() && GetTickCount64() < deadline) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&message);
            }
        }
    }

    // Enabled: input edit, input Browse, output edit, output Browse, Decode, menu Decode and
    // Save As; with the Decode button's caption.
    void ExpectState(const char* state, const std::string& states, const char* caption) {
        SCOPED_TRACE(state);
        HMENU menu = GetMenu(dialog_window_);
        auto menuEnabled = [menu](int id) {
            return (GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED) == 0;
        };
        std::string seen;
        for (int id : {kInputEdit, kInputBrowse, kOutputEdit, kOutputBrowse, kDecodeButton}) {
            seen += IsWindowEnabled(Control(id)) ? '1' : '0';
        }
        seen += menuEnabled(kCommandDecode) && menuEnabled(kCommandSaveAs) ? '1' : '0';
        EXPECT_EQ(seen, states);
        EXPECT_EQ(Text(kDecodeButton), caption);
    }

    void OnAboutShown(HWND box) {
        wchar_t caption[64] = {};
        GetWindowTextW(box, caption, 64);
        aboutCaptions_.push_back(Utf8FromWide(caption));
        for (int link : {1010, 1011}) {
            SendMessageW(box, WM_COMMAND, MAKEWPARAM(link, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, link)));
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }

    test::ScratchDir scratch_;
    std::unique_ptr<SettingsStore> settings_ = OpenUserSettings("Quillon", "sonarel-win32-test");
    DialogWindow window_;
    DecodePipeline pipeline_;
    DecoderDialog dialog_{window_, *settings_, pipeline_};
    HWND dialog_window_ = nullptr;

    fs::path chosenInput_;
    fs::path chosenOutput_;
    OPENFILENAMEW request_{};
    std::wstring filter_;
    std::wstring defaultExtension_;
    std::deque<int> answers_;
    std::vector<std::string> asked_;
    std::vector<std::wstring> links_;
    std::vector<std::string> aboutCaptions_;
    int beeps_ = 0;
};

TEST_F(DialogWindowTest, OpenProbeDecodeToTheConsolesBytesThenCloseSavesTheSettings) {
    ExpectState("no input", "110000", "&Decode");
    EXPECT_EQ(Text(kProgressBar), "Select MP3 file to decode");
    wchar_t about[64] = {};
    GetMenuStringW(GetSystemMenu(dialog_window_, FALSE), 16, about, 64, MF_BYCOMMAND);
    EXPECT_STREQ(about, L"&About Sonarel MP3 Decoder...");

    chosenInput_ = Input();
    Click(kInputBrowse);
    EXPECT_EQ(request_.Flags, 0x1804u | OFN_EXPLORER | OFN_NOCHANGEDIR);
    EXPECT_EQ(filter_.substr(0, 37), std::wstring(L"MP3 Files (*.mp3)\0*.mp3\0MP3 Compressed", 37));
    EXPECT_EQ(Text(kInputFormatText), "MP3: 128 kbit/sec, 44100 Hz, Stereo");
    EXPECT_EQ(Text(kOutputFormatText), "PCM: 44100 Hz, 16 Bit, Stereo");
    EXPECT_EQ(Text(kInputSizeLabel), "17,135 bytes");
    EXPECT_EQ(Text(kOutputSizeLabel), "184,376 bytes");
    EXPECT_EQ(Text(kOutputEdit), Folder() + "song.wav");
    EXPECT_EQ(Text(kProgressBar), "Select output file name (or click Decode)");
    ExpectState("ready", "111111", "&Decode");

    Click(kDecodeButton);
    ExpectState("running", "000010", "&Cancel");
    EXPECT_EQ(Position(), 5);
    RunUntilStopped();
    ExpectState("done", "111111", "&Decode");
    EXPECT_EQ(Text(kProgressBar), "Done!");
    EXPECT_EQ(Position(), 105);
    EXPECT_EQ(beeps_, 1);
    EXPECT_TRUE(asked_.empty());
    // The full bar as painted: its middle row runs from yellow at the left end to red.
    HWND bar = Control(kProgressBar);
    UpdateWindow(bar);
    RECT client;
    GetClientRect(bar, &client);
    HDC dc = GetDC(bar);
    const LONG middle = client.bottom / 2;
    const COLORREF left = GetPixel(dc, 0, middle);
    const COLORREF right = GetPixel(dc, client.right - 1, middle);
    ReleaseDC(bar, dc);
    EXPECT_EQ(left, RGB(255, 255, 0));
    EXPECT_EQ(right & 0xFF00FF, RGB(255, 0, 0));
    EXPECT_LT(GetGValue(right), 16);
    EXPECT_EQ(test::ReadFileBytes(scratch_ / "song.wav"),
              ConsoleWave(Input(), scratch_ / "cli.wav"));

    RECT rect;
    GetWindowRect(dialog_window_, &rect);
    SendMessageW(dialog_window_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(dialog_window_));
    EXPECT_EQ(settings_->ReadInt(settings::kSection, settings::kWinPosX, -1), rect.left);
    EXPECT_EQ(settings_->ReadInt(settings::kSection, settings::kWinPosY, -1), rect.top);
    EXPECT_EQ(settings_->ReadString(settings::kSection, settings::kDefaultOpenDir, ""), Folder());
}

TEST_F(DialogWindowTest, DropCancelSaveAsAndTheQuestionBeforeReplacingAFile) {
    const std::wstring names = (scratch_ / "long.mp3").wstring() + L'\0' + Input().wstring();
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + (names.size() + 2) * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(GlobalLock(drop));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(files + 1));
    GlobalUnlock(drop);
    SendMessageW(dialog_window_, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    EXPECT_EQ(Text(kInputEdit), (scratch_ / "long.mp3").string());
    EXPECT_EQ(Text(kOutputEdit), Folder() + "long.wav");

    Click(kDecodeButton);
    answers_ = {IDYES};
    SendMessageW(dialog_window_, WM_COMMAND, IDCANCEL, 0); // Escape while running
    EXPECT_EQ(asked_, std::vector<std::string>{"Cancel decode?"});
    RunUntilStopped();
    EXPECT_EQ(Text(kProgressBar), "Cancelled!");
    ExpectState("cancelled", "111111", "&Decode");

    chosenOutput_ = scratch_ / "chosen.wav";
    MenuCommand(kCommandSaveAs);
    EXPECT_EQ(request_.Flags, 6u | OFN_EXPLORER | OFN_NOCHANGEDIR);
    EXPECT_EQ(defaultExtension_, L"wav");
    EXPECT_EQ(Text(kOutputEdit), chosenOutput_.string());
    EXPECT_EQ(Text(kProgressBar), "Click Decode");
    EXPECT_EQ(settings_->ReadString(settings::kSection, settings::kDefaultSaveAsDir, ""), Folder());

    // A typed name of an existing file is not replaced without a Yes.
    test::WriteFileBytes(scratch_ / "typed.wav", {'k', 'e', 'e', 'p'});
    SetText(kOutputEdit, scratch_ / "typed.wav");
    answers_ = {IDNO};
    MenuCommand(kCommandDecode);
    EXPECT_EQ(asked_.back(), "Overwrite " + (scratch_ / "typed.wav").string() + "?");
    EXPECT_FALSE(dialog_.IsDecoding());
    EXPECT_EQ(test::ReadFileBytes(scratch_ / "typed.wav").size(), 4u);

    // A typed input is taken when the focus leaves its edit.
    SendMessageW(dialog_window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(kInputEdit)),
                 TRUE);
    SetText(kInputEdit, Input());
    SendMessageW(dialog_window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(kOutputEdit)),
                 TRUE);
    EXPECT_EQ(dialog_.InputPath().Str(), Input().string());
}

TEST_F(DialogWindowTest, AboutBoxFromBothMenusOpensItsLinksThroughTheHook) {
    SendMessageW(dialog_window_, WM_SYSCOMMAND, 16, 0);
    MenuCommand(kCommandAbout);
    EXPECT_EQ(aboutCaptions_, std::vector<std::string>(2, "About Sonarel MP3 Decoder"));
    ASSERT_EQ(links_.size(), 4u); // each box's two links
    EXPECT_TRUE(links_[0] != links_[1] && links_[2] == links_[0] && links_[3] == links_[1]);
}

// Unattended: the same bytes as the console converter and exit code 0; a conversion that
// cannot start ends the program (once its message is answered) with exit code 1.
TEST(DesktopProgram, AutoExitWritesTheConsolesBytesOrFailsWithItsExitCode) {
    test::ScratchDir scratch;
    const fs::path input = scratch / "in.mp3";
    fs::copy_file(test::FixturesDir() / "mp3" / "vbr_44100_stereo.mp3", input);
    fs::copy_file(test::FixturesDir() / "wave" / "python_pcm_stereo.wav", scratch / "pcm.wav");
    const fs::path output = scratch / "gui.wav";
    test::WriteFileBytes(output, {'o', 'l', 'd'});
    auto run = [&](const fs::path& from) {
        return RunProgram(test::BinDir() / "sonarel.exe",
                          L"/auto /exit /nobeep /overwrite \"/input=" + from.wstring() +
                              L"\" \"/output=" + output.wstring() + L"\"");
    };
    EXPECT_EQ(run(input), 0u);
    EXPECT_EQ(test::ReadFileBytes(output), ConsoleWave(input, scratch / "cli.wav"));
    EXPECT_EQ(run(scratch / "pcm.wav"), 1u);
}

} // namespace
} // namespace sonarel
