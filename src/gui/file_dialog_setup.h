// Turns the logic's file dialog request into a configured QFileDialog.
#pragma once

#include "app/dialog_view.h"

class QFileDialog;

namespace sonarel {

enum class FileDialogMode { kOpen, kSave };

// Sets the accept and file modes, the name filters, the default suffix, the overwrite prompt
// and the starting folder (and file, when the initial name names one rather than a wildcard).
// The title stays Qt's default for the mode.
void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request,
                         FileDialogMode mode);

} // namespace sonarel
