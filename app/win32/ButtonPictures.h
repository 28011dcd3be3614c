#pragma once

// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

namespace vx {

enum class Picture { TextPage, Folder, PdfPage };

// The button's 32 x 32 picture (scaled to the DPI) as a one-image list for BCM_SETIMAGELIST.
HIMAGELIST MakePicture(Picture picture, UINT dpi);

// An icon that is entirely transparent, so no picture shows in the title or task bar.
HICON MakeBlankIcon(int size);

}  // namespace vx
