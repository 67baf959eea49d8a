#include "gui/file_dialog_setup.h"

#include "gui/file_filter.h"
#include "gui/qt_text.h"

#include <QFileDialog>
#include <QFileInfo>

namespace sonarel {
namespace {

bool IsWildcard(const QString& name) {
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

// The initial name may be a folder followed by a wildcard ("/music/*.mp3"): the folder is where
// the dialog starts, and the wildcard is left to the filters.
void ApplyInitialName(QFileDialog& dialog, const QString& name) {
    QFileInfo info(name);
    dialog.setDirectory(info.absolutePath());
    if (!IsWildcard(info.fileName())) {
        dialog.selectFile(info.fileName());
    }
}

// The folder may be given as a file's name; the dialog then starts in that file's folder.
void ApplyInitialFolder(QFileDialog& dialog, const QString& folder) {
    QFileInfo info(folder);
    dialog.setDirectory(info.isDir() ? info.absoluteFilePath() : info.absolutePath());
}

} // namespace

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request,
                         FileDialogMode mode) {
    const bool save = mode == FileDialogMode::kSave;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    const bool mustExist = (request.options & FileDialogRequest::kFileMustExist) != 0;
    dialog.setFileMode(mustExist && !save ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite,
                     (request.options & FileDialogRequest::kOverwritePrompt) == 0);
    dialog.setNameFilters(ToQtNameFilters(request.filter));
    dialog.setDefaultSuffix(ToQString(request.defaultExtension));
    if (!request.initialFolder.empty()) {
        ApplyInitialFolder(dialog, ToQString(request.initialFolder));
    }
    if (!request.initialName.empty()) {
        ApplyInitialName(dialog, ToQString(request.initialName));
    }
}

} // namespace sonarel
