#include "win32/file_dialog_setup.h"

#include "platform/win32/wide_text.h"

#include <algorithm>

namespace sonarel {
namespace {

// Long names: the buffer takes the longest path the system allows.
constexpr size_t kNameCapacity = 32768;

} // namespace

FileDialogSetup::FileDialogSetup(HWND owner, const FileDialogRequest& request)
    : filter_(WideFromUtf8(request.filter)), initial_folder_(WideFromUtf8(request.initialFolder)),
      default_extension_(WideFromUtf8(request.defaultExtension)), file_(kNameCapacity, L'\0') {
    // "Name|pattern|...||" becomes the system's "Name\0pattern\0...\0\0".
    std::replace(filter_.begin(), filter_.end(), L'|', L'\0');
    const std::wstring initialName = WideFromUtf8(request.initialName);
    std::copy_n(initialName.begin(), std::min(initialName.size(), kNameCapacity - 1),
                file_.begin());
    request_.lStructSize = sizeof request_;
    request_.hwndOwner = owner;
    request_.lpstrFilter = filter_.empty() ? nullptr : filter_.c_str();
    request_.nFilterIndex = 1;
    request_.lpstrFile = file_.data();
    request_.nMaxFile = static_cast<DWORD>(file_.size());
    request_.lpstrInitialDir = initial_folder_.empty() ? nullptr : initial_folder_.c_str();
    request_.lpstrDefExt = default_extension_.empty() ? nullptr : default_extension_.c_str();
    request_.Flags = request.options | OFN_EXPLORER | OFN_NOCHANGEDIR;
}

std::string FileDialogSetup::ChosenName() const {
    return Utf8FromWide(file_.data());
}

} // namespace sonarel
