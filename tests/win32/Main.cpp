// windows.h first: the other system headers build on it.
// clang-format off
#include <gtest/gtest.h>
#include <windows.h>
#include <process.h>
#include <winspool.h>
// clang-format on

#include <cstdio>

#include "win32/Win32Support.h"

int main(int argc, char** argv) {
    // Started as a program under test (by the launcher test, or by vellumax.exe as its word
    // processor): appends a line with the window style given, the executable, the command line
    // and the default printer, in one write, so that a reader never sees half of one.
    if (const wchar_t* record = _wgetenv(L"VELLUMAX_RECORD")) {
        STARTUPINFOW startup{};
        GetStartupInfoW(&startup);
        wchar_t printer[512] = L"";
        DWORD size = 512;
        GetDefaultPrinterW(printer, &size);
        const std::string line =
            std::to_string((startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow
                                                                         : -1) +
            '|' + vx::Narrow(vx::test::Self()) + '|' + vx::Narrow(GetCommandLineW()) + '|' +
            vx::Narrow(printer) + '\n';
        FILE* file = _wfopen(record, L"ab");  // written out whole at the close
        return file != nullptr && std::fwrite(line.data(), 1, line.size(), file) == line.size() &&
                       std::fclose(file) == 0
                   ? 0
                   : 3;
    }
    // Wine reports names that start with "." as hidden unless ShowDotFiles is on; Windows does
    // not, and the folder walk must be seen as on Windows. Wine reads the setting when a process
    // starts, so the first run pins it and starts the tests again.
    wchar_t dots[8] = L"";
    DWORD size = sizeof dots;
    RegGetValueW(HKEY_CURRENT_USER, L"Software\\Wine", L"ShowDotFiles", RRF_RT_REG_SZ, nullptr,
                 dots, &size);
    if (vx::test::UnderWine() && dots[0] != L'Y') {
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine", L"ShowDotFiles", REG_SZ, L"Y", 4);
        return static_cast<int>(_spawnv(_P_WAIT, argv[0], argv));
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
