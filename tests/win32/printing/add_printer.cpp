// add-printer.exe QUEUE NAME: a default printer NAME on the driver and port (so the CUPS queue)
// of Wine's printer for QUEUE, kept until the process is ended.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cwchar>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fwprintf(stderr, L"usage: add-printer QUEUE NAME\n");
        return 2;
    }
    HANDLE source = nullptr;
    DWORD needed = 0;
    std::vector<BYTE> buffer(8192);
    if (!::OpenPrinterW(argv[1], &source, nullptr) ||
        !::GetPrinterW(source, 2, buffer.data(), 8192, &needed))
        return std::fwprintf(stderr, L"add-printer: cannot read \"%ls\" (error %lu)\n", argv[1],
                             ::GetLastError()) > 0;
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
    if (added == nullptr || !::ClosePrinter(added) || !::SetDefaultPrinterW(argv[2]))
        return std::fwprintf(stderr, L"add-printer: cannot add \"%ls\" (error %lu)\n", argv[2],
                             ::GetLastError()) > 0;
    std::fwprintf(stdout, L"added \"%ls\" on port \"%ls\" as the default\n", argv[2],
                  info.pPortName);
    std::fflush(stdout);
    // The session's first spooler user deletes printers on a queue's port named after no queue,
    // and keeps later processes from doing it again while it runs.
    ::Sleep(INFINITE);
    return 0;
}
