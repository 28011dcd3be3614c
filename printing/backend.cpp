// vellumax-pdf: the CUPS backend of "PDF Printer". It files the PDF a job carries, as it
// is, in the user's PDF folder under the job's title, so the text in it stays searchable.
// Installed mode 0700 so cupsd runs it as root; it becomes the job's user before it
// touches any file.
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "printing/PdfBackend.h"

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;  // CUPS_BACKEND_FAILED: the job stops, the queue goes on

int Error(const std::string& message) {
    std::fprintf(stderr, "ERROR: %s\n", message.c_str());
    return kFailed;
}

bool WriteAll(int fd, const char* data, std::size_t n) {
    while (n > 0) {
        const ssize_t put = ::write(fd, data, n);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        data += put;
        n -= static_cast<std::size_t>(put);
    }
    return true;
}

ssize_t ReadSome(int fd, char* data, std::size_t n) {
    for (;;) {
        const ssize_t got = ::read(fd, data, n);
        if (got >= 0 || errno != EINTR) return got;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) {
        std::puts("direct vellumax-pdf \"Vellumax PDF Printer\" \"PDF Printer\"");
        return kOk;
    }
    if (argc < 6 || argc > 7) {
        std::fprintf(stderr, "usage: vellumax-pdf job-id user title copies options [file]\n");
        return kFailed;
    }
    const std::string jobId = argv[1];
    const std::string user = argv[2];
    const std::string title = argv[3];
    const int in = argc == 7 ? ::open(argv[6], O_RDONLY | O_CLOEXEC) : 0;
    if (in < 0) return Error(std::string("cannot read the job: ") + std::strerror(errno));

    const passwd* pw = ::getpwnam(user.c_str());
    if (pw == nullptr) return Error("\"" + user + "\" is not a user of this computer");
    if (::geteuid() == 0 && (::initgroups(pw->pw_name, pw->pw_gid) != 0 ||
                             ::setgid(pw->pw_gid) != 0 || ::setuid(pw->pw_uid) != 0))
        return Error("cannot act as \"" + user + "\": " + std::strerror(errno));

    const char* uri = std::getenv("DEVICE_URI");
    const std::string folder = vx::OutputFolder(uri != nullptr ? uri : "", pw->pw_dir);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return Error("cannot make the folder " + folder + ": " + std::strerror(errno));

    char head[8192];
    ssize_t got = ReadSome(in, head, sizeof head);
    if (got < 5 || std::memcmp(head, "%PDF-", 5) != 0)
        return Error("the job \"" + title + "\" is not a PDF");

    ::umask(022);
    const std::string name = vx::PdfNameForTitle(title, jobId);
    std::string path;
    int out = -1;
    for (int n = 1; out < 0 && n < 10000; ++n) {
        path = folder + "/" + vx::NumberedName(name, n);
        out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (out < 0 && errno != EEXIST)
            return Error("cannot write " + path + ": " + std::strerror(errno));
    }
    if (out < 0) return Error("no free name for " + name + " in " + folder);

    bool ok = true;
    for (; ok && got > 0; got = ReadSome(in, head, sizeof head))
        ok = WriteAll(out, head, static_cast<std::size_t>(got));
    ok = ok && got == 0;
    const int error = errno;
    ok = ::close(out) == 0 && ok;
    if (!ok) {
        ::unlink(path.c_str());  // a cut-off PDF would pass for a whole one
        return Error("cannot write " + path + ": " + std::strerror(error));
    }
    std::fprintf(stderr, "INFO: saved %s\n", path.c_str());
    return kOk;
}
