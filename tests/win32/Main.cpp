#include <gtest/gtest.h>

#include "win32/Win32Support.h"

namespace {

bool ShowDotFiles() {
    wchar_t value[8];
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Wine", L"ShowDotFiles", RRF_RT_REG_SZ,
                        nullptr, value, &size) == ERROR_SUCCESS &&
           (value[0] == L'Y' || value[0] == L'y');
}

}  // namespace

int main(int argc, char** argv) {
    // Wine reports names that start with "." as hidden unless ShowDotFiles is on; Windows does
    // not, and the folder walk must be seen as on Windows. Wine reads the setting when a process
    // starts, so the first run pins it and starts the tests again.
    if (vx::test::UnderWine() && !ShowDotFiles()) {
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine", L"ShowDotFiles", REG_SZ, L"Y",
                        2 * sizeof(wchar_t));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION again{};
        if (!CreateProcessW(nullptr, GetCommandLineW(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &again))
            return 1;
        WaitForSingleObject(again.hProcess, INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(again.hProcess, &code);
        return static_cast<int>(code);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
