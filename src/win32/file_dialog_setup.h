// The system's open and save dialogs as the dialog logic asks for them: an OPENFILENAMEW built
// from a FileDialogRequest, with the buffers it points into.
#pragma once

#include "app/dialog_view.h"

#include <windows.h>

#include <commdlg.h>
#include <string>
#include <vector>

namespace sonarel {

class FileDialogSetup {
public:
    // The request's options are the OFN_ flags of the same values; the dialog also keeps the
    // current folder (OFN_NOCHANGEDIR), against which the program resolves typed names.
    FileDialogSetup(HWND owner, const FileDialogRequest& request);
    FileDialogSetup(const FileDialogSetup&) = delete;
    FileDialogSetup& operator=(const FileDialogSetup&) = delete;

    OPENFILENAMEW& Request() { return request_; }
    // The chosen full name in UTF-8.
    std::string ChosenName() const;

private:
    std::wstring filter_;
    std::wstring initial_folder_;
    std::wstring default_extension_;
    std::vector<wchar_t> file_;
    OPENFILENAMEW request_{};
};

} // namespace sonarel
