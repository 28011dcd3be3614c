// Stands in for the word processor: appends one line to the file VELLUMAX_RECORDER_LOG
// names, with its arguments as the system splits them (separated by TAB) and the default
// printer at the moment it runs, after a "|".
// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
#include <winspool.h>
// clang-format on

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t log[4096];
    if (GetEnvironmentVariableW(L"VELLUMAX_RECORDER_LOG", log, 4096) == 0) return 2;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring line;
    for (int i = 1; i < argc; ++i) line += (i > 1 ? L"\t" : L"") + std::wstring(argv[i]);
    LocalFree(argv);
    wchar_t printer[512] = L"";
    DWORD size = 512;
    if (!GetDefaultPrinterW(printer, &size)) printer[0] = 0;
    line += L"|" + std::wstring(printer) + L"\n";
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
    utf8.pop_back();
    // One write at the end of the file, so records of quick successive runs never mix.
    HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
