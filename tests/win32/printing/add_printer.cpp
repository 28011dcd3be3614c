// Test helper: add-printer.exe QUEUE NAME makes a Windows printer NAME that prints to the
// printer Wine made for a CUPS queue (same driver, same port, so the same queue), makes it the
// default, and keeps it there until the process is ended.
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
    if (argc != 3) {
        std::fwprintf(stderr, L"usage: add-printer QUEUE NAME\n");
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
    // One left by an earlier run may be on another port: it goes.
    PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (::OpenPrinterW(argv[2], &source, &all)) {
        ::DeletePrinter(source);
        ::ClosePrinter(source);
    }
    PRINTER_INFO_2W info = *reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    info.pPrinterName = argv[2];
    info.pShareName = nullptr;
    info.Attributes &= ~static_cast<DWORD>(PRINTER_ATTRIBUTE_SHARED);
    HANDLE added = ::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (added == nullptr) return Say(L"cannot add", name);
    ::ClosePrinter(added);
    if (!::SetDefaultPrinterW(argv[2])) return Say(L"cannot make default", name);
    std::fwprintf(stdout, L"added \"%ls\" on port \"%ls\" as the default\n", name.c_str(),
                  info.pPortName);
    std::fflush(stdout);
    // The first process of a session to load the spooler matches the printers to the CUPS
    // queues and deletes those on a queue's port that no queue is named after, as this one is.
    // It holds that off for later processes while it runs, so this one stays until ended.
    ::Sleep(INFINITE);
    return 0;
}
