#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>

#include "platform/PathUtil.h"
#include "platform/win32/ExecutableFolder.h"
#include "win32/Win32Support.h"

namespace vx {
namespace {

struct Outcome {
    std::string box;  // the text of the box it showed, empty when none
    DWORD exitCode = 0;
};

// Runs textprint.exe from beside this program, reads its box and presses OK.
Outcome RunTextPrint(const std::string& arguments) {
    const std::wstring exe = Widen(JoinPath(ExecutableFolder(), "textprint.exe", '\\'));
    std::wstring line = L"\"" + exe + L"\" " + Widen(arguments);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    Outcome out;
    if (!::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &pi))
        return {"not started"};
    while (::WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT) {
        if (HWND box = test::TopWindow(pi.dwProcessId, L"#32770", L"textprint")) {
            out.box = Narrow(test::BoxText(box));
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    }
    ::GetExitCodeProcess(pi.hProcess, &out.exitCode);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return out;
}

// Each failure ends with a box that says why and a status that is not 0. The prefix reaches no
// CUPS server, so has no printer. Without a display Wine shows no box: only the status counts.
TEST(TextPrintExe, EveryFailureIsShownInABoxAndEndsWithAnError) {
    const char* display = std::getenv("DISPLAY");
    const bool boxes = !test::UnderWine() || (display != nullptr && *display != 0);
    test::TempFolder tmp;
    tmp.file("note.txt", "hello\n");
    const std::tuple<std::string, std::string, DWORD> cases[] = {
        {"", "usage: textprint /p FILE", 2},
        {"/p", "usage: textprint /p FILE", 2},
        {"/p \"" + (tmp / "missing.txt") + "\"", "cannot read \"" + (tmp / "missing.txt"), 1},
        {"/p \"" + tmp.path() + "\"", "it is a folder", 1},
        // None, or one a test before named that does not exist.
        {"/p \"" + (tmp / "note.txt") + "\"", "default printer", 1},
    };
    for (const auto& [arguments, said, status] : cases) {
        const Outcome out = RunTextPrint(arguments);
        EXPECT_TRUE(!boxes || out.box.find(said) != std::string::npos)
            << arguments << ": " << out.box;
        EXPECT_EQ(out.exitCode, status) << arguments;
    }
}

}  // namespace
}  // namespace vx
