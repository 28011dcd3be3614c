// textprint: the word processor on Linux. "textprint /p FILE" prints a text file on the
// user's default printer without asking, as a searchable PDF titled with the file's name.
// "textprint --pdf OUT FILE" writes that PDF to OUT instead.
#include <cups/cups.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/InstallLayout.h"
#include "textprint/TextToPdf.h"

namespace {

// Said on the terminal, and in a box where there is a display to show one. The box comes
// from a helper beside us, so printing itself never loads a widget toolkit.
int Fail(const char* self, const std::string& message) {
    std::fprintf(stderr, "textprint: %s\n", message.c_str());
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((x11 != nullptr && *x11 != 0) || (wayland != nullptr && *wayland != 0)) {
        // Found from our own executable, wherever we were started from.
        char exe[4096];
        const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
        std::string alert = n > 0 ? std::string(exe, static_cast<std::size_t>(n)) : self;
        const std::size_t slash = alert.rfind('/');
        alert = vx::InstallLayout::For(slash == std::string::npos ? "." : alert.substr(0, slash))
                    .helperFolder +
                "/textprint-alert";
        if (::access(alert.c_str(), X_OK) == 0) {
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::execl(alert.c_str(), "textprint-alert", message.c_str(),
                        static_cast<char*>(nullptr));
                ::_exit(127);
            }
        }
    }
    return 1;
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The page size the printer offers as its default; A4 when it names none.
vx::PageSetup PageFor(cups_dest_t* dest) {
    vx::PageSetup page;
    cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
    cups_size_t size;
    if (info != nullptr && cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, 0, &size) &&
        size.width > 2540 && size.length > 2540) {
        page.width = size.width * 72.0 / 2540.0;
        page.height = size.length * 72.0 / 2540.0;
    }
    cupsFreeDestInfo(info);
    return page;
}

vx::PdfResult WritePdf(const std::string& path, const vx::PageSetup& page, std::FILE* out,
                       std::string& error) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        error = "cannot read \"" + path + "\": " + std::strerror(errno);
        return {};
    }
    errno = 0;
    vx::PdfResult result = vx::TextToPdf(in, BaseName(path), page, out);
    if (!result.ok)
        error = "cannot turn \"" + path + "\" into a PDF" +
                (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string());
    std::fclose(in);
    if (!result.missing.empty())
        std::fprintf(stderr, "textprint: no installed font has %s; printed as boxes in \"%s\"\n",
                     vx::DescribeMissing(result.missing).c_str(), path.c_str());
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--pdf") == 0) {
        std::FILE* out = std::fopen(argv[2], "wb");
        if (out == nullptr)
            return Fail(argv[0],
                        std::string("cannot write \"") + argv[2] + "\": " + std::strerror(errno));
        std::string error;
        const vx::PdfResult result = WritePdf(argv[3], vx::PageSetup{}, out, error);
        struct stat st {};
        const bool regular = ::fstat(::fileno(out), &st) == 0 && S_ISREG(st.st_mode);
        const bool closed = std::fclose(out) == 0;
        if (!result.ok || !closed) {
            if (regular) ::unlink(argv[2]);  // half a PDF would pass for a whole one
            return Fail(argv[0], error.empty() ? "cannot write the PDF" : error);
        }
        return 0;
    }
    if (argc != 3 || std::strcmp(argv[1], "/p") != 0) {
        std::fprintf(stderr, "usage: textprint /p FILE\n       textprint --pdf OUT FILE\n");
        return 2;
    }
    const std::string path = argv[2];
    // The default printer is read first: it is only lent to us while the run starts jobs.
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (dest == nullptr)
        return Fail(argv[0], std::string("there is no default printer: ") + cupsLastErrorString());
    const std::string printer = dest->name;

    const char* tmp = std::getenv("TMPDIR");
    std::string spool =
        std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/textprint-XXXXXX";
    const int fd = ::mkstemp(spool.data());
    std::FILE* out = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (out == nullptr) {
        cupsFreeDests(1, dest);
        return Fail(argv[0], std::string("cannot write a print file: ") + std::strerror(errno));
    }
    std::string error;
    const vx::PdfResult result = WritePdf(path, PageFor(dest), out, error);
    const bool written = std::fclose(out) == 0 && result.ok;

    int job = 0;
    if (written) {
        const std::string title = BaseName(path);
        job = cupsPrintFile2(CUPS_HTTP_DEFAULT, printer.c_str(), spool.c_str(), title.c_str(), 0,
                             nullptr);
    }
    ::unlink(spool.c_str());
    cupsFreeDests(1, dest);
    if (!written) return Fail(argv[0], error.empty() ? "cannot write a print file" : error);
    if (job == 0)
        return Fail(argv[0],
                    "\"" + printer + "\" did not take \"" + path + "\": " + cupsLastErrorString());
    return 0;
}
