#pragma once

// The system's Open dialog and folder browser, for a window that draws itself with Win32.

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/Services.h"

namespace vx {

// The Open dialog's file buffer as the dialog result: its parts up to the closing double NUL,
// still NUL-separated, for SplitDialogResult to make paths of.
std::string DialogResult(std::wstring_view buffer);

// "Description|pattern|..." as the dialog wants it: NUL-separated, ending in two NULs.
std::wstring DialogFilter(const std::string& filter);

// GetOpenFileNameW with the settings and a 30000-character buffer; empty on cancel and
// on a selection too long for the buffer.
std::string ShowOpenDialog(HWND owner, const OpenDialogSettings& settings);

// SHBrowseForFolderW for file-system folders; empty on cancel or an item without a path.
std::string ShowFolderBrowser(HWND owner, const std::string& prompt);

}  // namespace vx
