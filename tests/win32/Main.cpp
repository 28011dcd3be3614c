#include <gtest/gtest.h>
#include <process.h>

#include <fstream>

#include "win32/Win32Support.h"

int main(int argc, char** argv) {
    // Started by the launcher test: record the window style given, the executable and the
    // command line, moved in place whole so that a reader never sees half of it.
    if (const wchar_t* record = _wgetenv(L"VELLUMAX_RECORD")) {
        STARTUPINFOW startup{};
        GetStartupInfoW(&startup);
        const std::wstring part = std::wstring(record) + L".part";
        std::ofstream(std::filesystem::path(part), std::ios::binary)
            << ((startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : -1) << "\n"
            << vx::Narrow(vx::test::Self()) << "\n"
            << vx::Narrow(GetCommandLineW());
        return MoveFileExW(part.c_str(), record, MOVEFILE_REPLACE_EXISTING) ? 0 : 3;
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
