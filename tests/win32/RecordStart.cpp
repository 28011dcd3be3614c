// Writes how it was started into the file named by VELLUMAX_RECORD: the window style it was
// given, its own executable and its command line, one to a line.
#include <windows.h>

#include <string>

#include "platform/win32/WideText.h"

int main() {
    wchar_t record[4096];
    if (GetEnvironmentVariableW(L"VELLUMAX_RECORD", record, 4096) == 0) return 2;
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    wchar_t self[4096];
    const DWORD selfLength = GetModuleFileNameW(nullptr, self, 4096);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : -1;
    const std::string text = std::to_string(show) + "\n" + vx::Narrow({self, selfLength}) + "\n" +
                             vx::Narrow(GetCommandLineW());
    // Written aside and moved in place, so a reader never sees half a record.
    const std::wstring part = std::wstring(record) + L".part";
    const HANDLE h =
        CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
    return MoveFileExW(part.c_str(), record, MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
