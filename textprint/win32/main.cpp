// textprint.exe: the word processor on Windows. "textprint /p FILE" prints a text file on the
// user's default printer without asking, the file's name as the document's name, with the
// same decoding and layout as textprint on Linux. Every failure is shown in a box and ends
// the program with a non-zero status.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "platform/win32/WideText.h"
#include "textprint/TextDecoder.h"
#include "textprint/TextFile.h"
#include "textprint/TextLayout.h"
#include "textprint/win32/GdiPages.h"
#include "textprint/win32/WinTextFile.h"

namespace {

constexpr int kUsage = 2;

int Fail(const std::string& message, int status = 1) {
    std::fprintf(stderr, "textprint: %s\n", message.c_str());
    std::fflush(stderr);
    ::MessageBoxW(nullptr, vx::Widen(message).c_str(), L"textprint",
                  MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    return status;
}

std::wstring BaseName(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::string Last(const char* what) {
    return std::string(what) + ": " + vx::SystemMessage(static_cast<long>(::GetLastError()));
}

// The default printer's name; empty with `error` saying why when there is none.
std::wstring DefaultPrinter(std::string& error) {
    DWORD size = 0;
    ::GetDefaultPrinterW(nullptr, &size);
    std::wstring name(size, L'\0');
    if (size == 0 || !::GetDefaultPrinterW(name.data(), &size)) {
        error = Last("there is no default printer");
        return {};
    }
    name.resize(std::wcslen(name.c_str()));
    return name;
}

// Owns the file, the device context and the document, so every way out closes them.
struct Job {
    std::FILE* in = nullptr;
    HDC dc = nullptr;
    bool started = false;
    // A document that cannot be finished is dropped before a box waits for the user.
    void abort() {
        if (started) ::AbortDoc(dc);
        started = false;
    }
    ~Job() {
        abort();
        if (dc != nullptr) ::DeleteDC(dc);
        if (in != nullptr) std::fclose(in);
    }
};

int Print(const std::wstring& path) {
    const std::string shown = "\"" + vx::Narrow(path) + "\"";
    Job job;
    std::string error;
    if ((job.in = vx::OpenTextFileW(path, error)) == nullptr) return Fail(error);
    // The whole file is read once before the printer is asked, so a file that cannot be read
    // leaves no job behind.
    vx::TextFile text(job.in);
    if (!text.detect()) return Fail("cannot read " + shown + ": " + text.error());

    const std::wstring printer = DefaultPrinter(error);
    if (printer.empty()) return Fail(error);
    const std::string printerShown = "\"" + vx::Narrow(printer) + "\"";
    job.dc = ::CreateDCW(L"WINSPOOL", printer.c_str(), nullptr, nullptr);
    if (job.dc == nullptr)
        return Fail(Last(("the default printer " + printerShown + " cannot be reached").c_str()));

    const std::wstring title = BaseName(path);
    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = title.c_str();
    if (::StartDocW(job.dc, &doc) <= 0)
        return Fail(Last((printerShown + " did not take " + shown).c_str()));
    job.started = true;

    vx::GdiPages pages(job.dc);
    vx::TextLayout layout(pages.columns(), pages.rows(), pages);
    const bool read = text.readInto(layout);
    if (!read || !pages.ok()) {
        job.abort();
        return Fail(!read ? "cannot read " + shown + ": " + text.error()
                          : printerShown + " did not take " + shown + ": " + pages.error());
    }
    job.started = false;
    if (::EndDoc(job.dc) <= 0) return Fail(Last((printerShown + " did not take " + shown).c_str()));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wcscmp(argv[1], L"/p") == 0) return Print(argv[2]);
    return Fail("usage: textprint /p FILE", kUsage);
}
