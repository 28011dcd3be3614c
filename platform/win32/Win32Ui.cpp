#include "platform/win32/Win32Ui.h"

#include "platform/win32/WideText.h"
#include "platform/win32/Win32Dialogs.h"

namespace vx {

void Win32Ui::messageBox(const std::string& text, BoxIcon icon, const std::string& caption) {
    UINT style = MB_OK;
    if (icon == BoxIcon::Critical) style |= MB_ICONERROR;
    if (icon == BoxIcon::Warning) style |= MB_ICONWARNING;
    MessageBoxW(owner_, Widen(text).c_str(), Widen(caption).c_str(), style);
}

std::string Win32Ui::openFileDialog(const OpenDialogSettings& settings) {
    return ShowOpenDialog(owner_, settings);
}

std::string Win32Ui::browseForFolder(const std::string& prompt) {
    return ShowFolderBrowser(owner_, prompt);
}

void Win32Ui::yield() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The main loop ends the program; leave the quit for it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

Point Win32Ui::cursorPos() {
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
}

Size Win32Ui::screenSize() {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void Win32Ui::terminate() {
    ExitProcess(0);
}

}  // namespace vx
