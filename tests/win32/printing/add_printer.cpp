// Test helper: makes a Windows printer NAME that prints to the printer Wine made for a CUPS
// queue (same driver, same port, so the same queue), and makes it the default.
// add-printer.exe QUEUE NAME [PORT]: PORT replaces the queue printer's own port.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int Say(const wchar_t* what, const std::wstring& name) {
    std::fwprintf(stderr, L"add-printer: %ls \"%ls\" (error %lu)\n", what, name.c_str(),
                  ::GetLastError());
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3 || argc > 4) {
        std::fwprintf(stderr, L"usage: add-printer QUEUE NAME [PORT]\n");
        return 2;
    }
    const std::wstring queue = argv[1], name = argv[2];
    HANDLE source = nullptr;
    if (!::OpenPrinterW(argv[1], &source, nullptr)) return Say(L"no printer", queue);
    DWORD needed = 0;
    ::GetPrinterW(source, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 || !::GetPrinterW(source, 2, buffer.data(), needed, &needed))
        return Say(L"cannot read", queue);
    ::ClosePrinter(source);
    PRINTER_INFO_2W info = *reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    std::wstring port = argc == 4 ? argv[3] : info.pPortName;
    std::fwprintf(stdout, L"%ls: driver \"%ls\", port \"%ls\"\n", queue.c_str(), info.pDriverName,
                  info.pPortName);
    info.pPrinterName = argv[2];
    info.pPortName = port.data();
    info.pShareName = nullptr;
    info.Attributes &= ~static_cast<DWORD>(PRINTER_ATTRIBUTE_SHARED);
    HANDLE added = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (added == nullptr && ::GetLastError() != ERROR_PRINTER_ALREADY_EXISTS)
        return Say(L"cannot add", name);
    if (added != nullptr) ::ClosePrinter(added);
    if (!::SetDefaultPrinterW(argv[2])) return Say(L"cannot make default", name);
    std::fwprintf(stdout, L"added \"%ls\" on port \"%ls\" as the default\n", name.c_str(),
                  port.c_str());
    return 0;
}
