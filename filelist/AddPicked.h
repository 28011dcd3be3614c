#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "filelist/FileList.h"
#include "platform/Services.h"

namespace vx {

// The Open dialog's result: one full path, or a folder followed by names, each part
// separated by NUL. Gives the full paths in the dialog's order.
std::vector<std::string> SplitDialogResult(std::string_view result, char separator);

// The settings the "Add Text Files" command shows the Open dialog with.
OpenDialogSettings AddFilesDialogSettings();

// "Add Text Files": every file picked in the Open dialog is appended to the list.
void AddPickedFiles(FileList& list, Ui& ui, char separator);

}  // namespace vx
