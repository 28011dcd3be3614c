// windows.h first: the other system headers build on it.
// clang-format off
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>
// clang-format on

#include <cstdio>

#include "win32/Win32Support.h"

int main(int argc, char** argv) {
    // Started by a test as the program under test: one line in one write, so never seen half.
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
        const bool ok = file != nullptr && std::fwrite(line.data(), 1, line.size(), file) != 0;
        return ok && std::fclose(file) == 0 ? 0 : 3;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
