// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
// clang-format on

#include "app/win32/Form1.h"
#include "app/window/StartUp.h"
#include "convert/RunConversion.h"
#include "platform/InstallLayout.h"
#include "platform/win32/ExecutableFolder.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Launcher.h"
#include "platform/win32/Win32Printers.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32StateRecord.h"
#include "platform/win32/Win32Ui.h"

#ifndef VELLUMAX_HOME_PAGE
#define VELLUMAX_HOME_PAGE ""
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    // Drops and the folder browser need OLE on this thread.
    if (FAILED(OleInitialize(nullptr))) return 1;
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    const std::string programFolder = vx::ExecutableFolder();
    vx::Win32FileSystem fileSystem;
    vx::Win32Registry registry;
    vx::Win32Printers printers;
    vx::Win32Launcher launcher;
    vx::Win32StateRecord record(vx::Win32StateRecord::StandardFile("borrowed-printer"));
    vx::Win32Ui ui;

    vx::Platform platform;
    platform.fileSystem = &fileSystem;
    platform.registry = &registry;
    platform.printers = &printers;
    platform.launcher = &launcher;
    platform.ui = &ui;
    platform.programFolder = programFolder;
    platform.executableFolder = programFolder;
    platform.homePage = vx::HomePageUrl(VELLUMAX_HOME_PAGE, vx::InstallLayout::For(programFolder));
    platform.random = [r = vx::RandomFromClock()] { return r; };
    platform.stateRecord = &record;

    vx::Form1 form(platform, instance);
    if (!form.Create()) return 1;
    ui.setOwner(form.Handle());
    // A run that did not finish last time left its record: undo it before anything else.
    vx::PutBackUnfinishedRun(printers, record, ui);
    form.Show(show);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (form.PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
