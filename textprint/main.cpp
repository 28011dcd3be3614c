// textprint: the word processor on Linux. "textprint /p FILE" prints a text file on the
// user's default printer without asking, as a searchable PDF titled with the file's name.
// "textprint --pdf OUT FILE" writes that PDF to OUT instead. Run by CUPS as a filter
// (JOB USER TITLE COPIES OPTIONS [FILE]) it writes the job's PDF on standard output.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <tuple>

#include "platform/InstallLayout.h"
#include "platform/posix/LpOptions.h"
#include "platform/posix/SmallFile.h"
#include "textprint/CupsLibrary.h"
#include "textprint/Files.h"
#include "textprint/TextDecoder.h"
#include "textprint/TextToPdf.h"

namespace {

bool asFilter = false;  // CUPS reads "ERROR:" lines from a filter's standard error

// The box for failures: a helper found from our own executable, wherever we were started from.
std::string AlertProgram(const char* self) {
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    const std::string path = n > 0 ? std::string(exe, static_cast<std::size_t>(n)) : self;
    const std::size_t slash = path.rfind('/');
    return vx::InstallLayout::For(slash == std::string::npos ? "." : path.substr(0, slash))
               .helperFolder +
           "/textprint-alert";
}

// Said on the terminal, and in a box where there is a display to show one. The box comes
// from a helper, so printing itself never loads a widget toolkit.
int Fail(const char* self, const std::string& message) {
    std::fprintf(stderr, "%s%s\n", asFilter ? "ERROR: " : "textprint: ", message.c_str());
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (!asFilter && ((x11 != nullptr && *x11 != 0) || (wayland != nullptr && *wayland != 0))) {
        const std::string alert = AlertProgram(self);
        if (::access(alert.c_str(), X_OK) == 0 && ::fork() == 0) {
            ::execl(alert.c_str(), "textprint-alert", message.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    return 1;
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void Warn(const std::string& message) {
    std::fprintf(stderr, "%s%s\n", asFilter ? "WARNING: " : "textprint: ", message.c_str());
}

// The locale's name as the C library takes it for characters: LC_ALL, LC_CTYPE, then LANG.
std::string SystemLocale() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"})
        if (const char* value = std::getenv(name); value != nullptr && *value != 0) return value;
    return "";
}

// Writes the PDF of the open text file `in` (read from `name`) to `out`; `error` says why not.
bool WritePdf(std::FILE* in, const std::string& name, const std::string& title,
              const vx::PageSetup& page, std::FILE* out, std::string& error) {
    const vx::PdfResult result =
        vx::TextToPdf(in, vx::DisplayName(title), page, out, SystemLocale());
    const std::string shown = "\"" + vx::DisplayName(name) + "\"";
    if (!result.ok) error = "cannot turn " + shown + " into a PDF: " + result.error;
    if (!result.missing.empty())
        Warn("no installed font has " + vx::DescribeMissing(result.missing) +
             "; printed as boxes in " + shown);
    if (!result.broken.empty())
        Warn("no installed font joins " + vx::DescribeClusters(result.broken) +
             "; printed with dotted circles in " + shown);
    if (result.droppedMarks > 0)
        Warn("left out " + std::to_string(result.droppedMarks) + " combining marks past " +
             std::to_string(vx::TextLayout::kMarksKept) + " on one character in " + shown);
    return result.ok;
}

int ToPdfFile(const char* self, const std::string& outPath, const std::string& path) {
    std::string error;
    std::FILE* in = vx::OpenTextFile(path, error);
    if (in == nullptr) return Fail(self, error);
    vx::OutputFile output;
    std::FILE* out = output.open(outPath, in, error);
    const bool ok = out != nullptr &&
                    WritePdf(in, path, BaseName(path), vx::PageSetup{}, out, error) &&
                    output.commit(error);
    std::fclose(in);
    return ok ? 0 : Fail(self, error);
}

const char* Option(const cups_dest_t* dest, const char* name) {
    for (int i = 0; i < dest->num_options; ++i)
        if (std::strcmp(dest->options[i].name, name) == 0) return dest->options[i].value;
    return nullptr;
}

// The user's own media for the printer, else the printer's default; A4 when neither names a
// known size. The library's own default lookup never asks the printer and says US Letter.
vx::PageSetup PageFor(const vx::CupsLibrary& cups, cups_dest_t* dest, cups_dinfo_t* info) {
    vx::PageSetup page;
    const char* media = Option(dest, "media");
    if (media == nullptr) {
        ipp_attribute_t* given = cups.findDestDefault(CUPS_HTTP_DEFAULT, dest, info, "media");
        media = given != nullptr ? cups.ippGetString(given, 0, nullptr) : nullptr;
    }
    const pwg_media_t* size = nullptr;
    if (media != nullptr && (size = cups.mediaForPwg(media)) == nullptr)
        size = cups.mediaForPpd(media);  // as lpoptions users name them: A4, Letter
    if (size != nullptr && size->width > 2540 && size->length > 2540) {
        // Whole points, as page sizes are named everywhere else (A4 is 595 x 842).
        page.width = std::round(size->width * 72.0 / 2540.0);
        page.height = std::round(size->length * 72.0 / 2540.0);
    }
    return page;
}

using Clock = std::chrono::steady_clock;

// How long a job waits for a printing system that is restarting: an upgrade or a crash
// takes seconds, and the user may have started many files at once.
constexpr auto kServerWait = std::chrono::seconds(30);
constexpr auto kServerPoll = std::chrono::milliseconds(250);

// Whether the printing system answers at all. When it does not, the library's calls fail
// saying that the printer does not exist.
bool ServerAnswers(const vx::CupsLibrary& cups) {
    http_t* http = cups.connect(cups.server(), cups.port(), nullptr, AF_UNSPEC, cups.encryption(),
                                1, 5000, nullptr);
    if (http != nullptr) cups.close(http);
    return http != nullptr;
}

// True, after a pause, while the printing system is down and the deadline is not reached.
bool WaitForServer(const vx::CupsLibrary& cups, Clock::time_point deadline) {
    if (ServerAnswers(cups) || Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kServerPoll);
    return true;
}

// The default the user has now, found as the library finds it while the server is down:
// LPDEST, PRINTER, then the user's lpoptions and the system's. Empty when only the server
// knows it.
std::string DefaultNow() {
    for (const char* name : {"LPDEST", "PRINTER"})
        if (const char* v = std::getenv(name); v != nullptr && *v != 0 && std::strcmp(v, "lp") != 0)
            return v;
    const char* home = std::getenv("HOME");
    const char* root = std::getenv("CUPS_SERVERROOT");
    for (const std::string& file :
         {std::string(home != nullptr ? home : "") + "/.cups/lpoptions",
          std::string(root != nullptr ? root : "/etc/cups") + "/lpoptions"})
        if (auto d = vx::lpoptions::DefaultOf(vx::ReadSmallFile(file, 1 << 20).value_or(""));
            !d.empty())
            return d;
    return "";
}

// Sends the PDF in `pdf` as one job; false, with `why`, when the printer did not take all of
// it. The printer's details are passed in, as the library's one-call submission asks for them
// again. A job cut off by a printing system that went away is sent again once it is back,
// after its half is cancelled: left, that half would sit in the queue for a quarter of an hour.
bool Submit(const vx::CupsLibrary& cups, cups_dest_t* dest, cups_dinfo_t* info,
            const std::string& title, const char* format, std::FILE* pdf, std::string& why) {
    const Clock::time_point deadline = Clock::now() + kServerWait;  // a long text took its time
    for (int attempt = 1;; ++attempt) {
        int job = 0;
        while (cups.createDestJob(CUPS_HTTP_DEFAULT, dest, info, &job, title.c_str(), 0, nullptr) >
               IPP_STATUS_OK_CONFLICTING) {
            why = cups.lastErrorString();
            if (!WaitForServer(cups, deadline)) return false;
        }
        std::clearerr(pdf);
        const bool started =
            std::fseek(pdf, 0, SEEK_SET) == 0 &&
            cups.startDestDocument(CUPS_HTTP_DEFAULT, dest, info, job, title.c_str(), format, 0,
                                   nullptr, 1) == HTTP_STATUS_CONTINUE;
        bool whole = started;
        char buffer[1 << 16];
        for (std::size_t n; whole && (n = std::fread(buffer, 1, sizeof buffer, pdf)) > 0;)
            whole = cups.writeRequestData(CUPS_HTTP_DEFAULT, buffer, n) == HTTP_STATUS_CONTINUE;
        whole = whole && std::ferror(pdf) == 0;
        // A started document is finished even when it failed, or the connection stays
        // mid-request.
        if (started &&
            cups.finishDestDocument(CUPS_HTTP_DEFAULT, dest, info) <= IPP_STATUS_OK_CONFLICTING &&
            whole)
            return true;
        why = cups.lastErrorString();  // what the cancel below says is not the reason
        // The printer's own refusal (a client error) is final.
        const bool cut = cups.lastError() >= IPP_STATUS_ERROR_INTERNAL || !ServerAnswers(cups);
        ipp_status_t cancelled;
        while ((cancelled = cups.cancelDestJob(CUPS_HTTP_DEFAULT, dest, job)) >=
                   IPP_STATUS_ERROR_INTERNAL &&
               cut && WaitForServer(cups, deadline)) {
        }
        // A job sent whole that can no longer be cancelled was taken before the cut.
        if (cut && whole && cancelled == IPP_STATUS_ERROR_NOT_POSSIBLE) return true;
        if (!cut || cancelled >= IPP_STATUS_ERROR_INTERNAL || attempt == 3) return false;
    }
}

int Print(const char* self, const std::string& path) {
    std::string error;
    std::FILE* in = vx::OpenTextFile(path, error);
    if (in == nullptr) return Fail(self, error);
    vx::CupsLibrary cups;
    if (!cups.load(error)) {
        std::fclose(in);
        return Fail(self, error);
    }
    // The default printer is read first: it is only lent to us while the run starts jobs.
    // While the server is down, the one it was then is waited for, not the one put back since.
    const std::string lent = DefaultNow();
    const std::size_t slash = lent.find('/');
    const std::string queue = lent.substr(0, slash);
    const char* instance = slash == std::string::npos ? nullptr : lent.c_str() + slash + 1;
    const Clock::time_point deadline = Clock::now() + kServerWait;
    cups_dest_t* dest = cups.getNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    cups_dinfo_t* info = nullptr;
    while ((info = dest != nullptr ? cups.copyDestInfo(CUPS_HTTP_DEFAULT, dest) : nullptr) ==
           nullptr) {
        const bool found = dest != nullptr;
        const std::string why = cups.lastErrorString();
        cups.freeDests(found ? 1 : 0, dest);
        if (WaitForServer(cups, deadline)) {
            dest = cups.getNamedDest(CUPS_HTTP_DEFAULT, lent.empty() ? nullptr : queue.c_str(),
                                     instance);
            continue;
        }
        std::fclose(in);
        // Named, as the user may have started many at once.
        return Fail(self, "\"" + vx::DisplayName(path) + "\" was not printed: " +
                              (!ServerAnswers(cups) ? "the printing system does not answer"
                               : found ? "the default printer cannot be reached: " + why
                                       : "there is no default printer: " + why));
    }
    const std::string printer = dest->name;
    const char* model = Option(dest, "printer-make-and-model");
    // Our queue takes the PDF as it is, so no page-fitting filter runs: one process less a job.
    const char* format = model != nullptr && std::strcmp(model, "Vellumax PDF Printer") == 0
                             ? "application/vnd.cups-pdf"
                             : CUPS_FORMAT_AUTO;

    // A nameless file: nothing is left behind if we are stopped.
    const char* tmp = std::getenv("TMPDIR");
    std::string spool =
        std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/textprint-XXXXXX";
    const int fd = ::mkostemp(spool.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(spool.c_str());
    std::FILE* out = fd >= 0 ? ::fdopen(fd, "w+b") : nullptr;
    bool written = out != nullptr;
    if (!written) error = std::string("cannot write a print file: ") + std::strerror(errno);
    const std::string title = vx::DisplayName(BaseName(path));
    written = written && WritePdf(in, path, title, PageFor(cups, dest, info), out, error);
    if (written && (std::fflush(out) != 0 || std::fseek(out, 0, SEEK_SET) != 0)) {
        error = std::string("cannot write a print file: ") + std::strerror(errno);
        written = false;
    }
    std::fclose(in);

    std::string why;
    const bool taken = written && Submit(cups, dest, info, title, format, out, why);
    if (out != nullptr) std::fclose(out);
    cups.freeDestInfo(info);
    cups.freeDests(1, dest);
    if (!written) return Fail(self, error);
    if (!taken)
        return Fail(self,
                    "\"" + printer + "\" did not take \"" + vx::DisplayName(path) + "\": " + why);
    return 0;
}

// The default page of the queue's PPD, which CUPS names in $PPD; A4 without one.
vx::PageSetup PageFromPpd(const char* ppd) {
    vx::PageSetup page;
    std::ifstream in(ppd != nullptr ? ppd : "");
    std::string line, chosen;
    std::map<std::string, std::pair<double, double>> sizes;
    while (std::getline(in, line)) {
        double w = 0, h = 0;
        char name[64];
        if (line.rfind("*DefaultPageSize: ", 0) == 0)
            chosen = line.substr(18, line.find_first_of(" \r", 18) - 18);
        else if (std::sscanf(line.c_str(), "*PaperDimension %63[^/:]%*[^\"]\"%lf %lf\"", name, &w,
                             &h) == 3)
            sizes[name] = {w, h};
    }
    if (const auto it = sizes.find(chosen);
        it != sizes.end() && it->second.first > 72 && it->second.second > 72)
        std::tie(page.width, page.height) = it->second;
    return page;
}

// As a CUPS filter: the file argument or standard input, the job's title, the PDF on
// standard output. The options are not ours to act on.
int Filter(const char* self, int argc, char** argv) {
    asFilter = true;
    std::string error;
    std::FILE* in = nullptr;
    const std::string name = argc == 7 ? argv[6] : "standard input";
    if (argc == 7) {
        in = vx::OpenTextFile(argv[6], error);
    } else if ((in = std::tmpfile()) != nullptr) {
        // Reading the text takes two passes, so a pipe is kept in a file first.
        char buffer[1 << 16];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;)
            std::fwrite(buffer, 1, n, in);
        if (std::ferror(stdin) != 0 || std::fflush(in) != 0 || std::fseek(in, 0, SEEK_SET) != 0) {
            error = std::string("cannot read the job: ") + std::strerror(errno);
            std::fclose(in);
            in = nullptr;
        }
    } else {
        error = std::string("cannot keep the job: ") + std::strerror(errno);
    }
    if (in == nullptr) return Fail(self, error);
    const bool ok = WritePdf(in, name, argv[3], PageFromPpd(std::getenv("PPD")), stdout, error);
    std::fclose(in);
    return ok ? 0 : Fail(self, error);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--pdf") == 0)
        return ToPdfFile(argv[0], argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "/p") == 0) return Print(argv[0], argv[2]);
    // CUPS starts a filter with the job's number first.
    if ((argc == 6 || argc == 7) && std::strspn(argv[1], "0123456789") == std::strlen(argv[1]) &&
        *argv[1] != 0)
        return Filter(argv[0], argc, argv);
    std::fprintf(stderr,
                 "usage: textprint /p FILE\n       textprint --pdf OUT FILE\n"
                 "       textprint JOB USER TITLE COPIES OPTIONS [FILE]   (as a CUPS filter)\n");
    return 2;
}
