// sonarel.exe: the Windows desktop program. One dialog; the program ends when it closes.
#include "app/decode_pipeline.h"
#include "app/decoder_command_line.h"
#include "app/decoder_dialog.h"
#include "platform/settings_store.h"
#include "platform/win32/wide_text.h"
#include "win32/dialog_window.h"
#include "win32/resource_ids.h"
#include "win32/window_capture.h"

#include <windows.h>

#include <commctrl.h>
#include <memory>
#include <shellapi.h>
#include <string>
#include <vector>

namespace sonarel {
namespace {

// The arguments as the system splits them, in UTF-8.
std::vector<std::string> Arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(Utf8FromWide(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

// The executable's base name, under which the settings are kept.
std::string ProgramName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    name = name.substr(name.find_last_of(L"\\/") + 1);
    return Utf8FromWide(name.substr(0, name.rfind(L'.')));
}

std::string CompanyName() {
    wchar_t text[64] = {};
    LoadStringW(GetModuleHandleW(nullptr), IDS_COMPANY, text, 64);
    return text[0] != 0 ? Utf8FromWide(text) : settings::kCompany;
}

int Run() {
    const INITCOMMONCONTROLSEX controls{
        sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    DecodePipeline pipeline;
    std::unique_ptr<SettingsStore> settings = OpenUserSettings(CompanyName(), ProgramName());
    DialogWindow window;
    DecoderDialog dialog(window, *settings, pipeline);
    const std::vector<std::string> arguments = Arguments();
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    DecoderCommandLine(dialog.Options()).Parse(static_cast<int>(argv.size()), argv.data());
    window.SetLogic(&dialog);
    ScheduleScreenshots(window);
    window.RunModal();
    window.SetLogic(nullptr);
    return dialog.ProgramExitCode();
}

} // namespace
} // namespace sonarel

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
    return sonarel::Run();
}
