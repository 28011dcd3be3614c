// vellumax-pdf: the CUPS backend of "PDF Printer". It files the PDF a job carries, as it
// is, in the user's PDF folder under the job's title, so the text in it stays searchable.
// Installed mode 0700 so cupsd runs it as root; it becomes the job's user for good before it
// touches any file. The queue's policy makes the job's user the authenticated one.
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "printing/PdfBackend.h"
#include "printing/PdfContent.h"

namespace {

// The backend exit codes cupsd knows.
constexpr int kOk = 0;
constexpr int kFailed = 1;  // the queue's error policy decides; only for a wrong call
constexpr int kCancel = 5;  // this job can never succeed: drop it, the queue goes on
// Keep the job and run it again later whatever the error policy: the disk may have room
// then. (1 would leave it to the policy, and abort-job would drop the user's PDF.)
constexpr int kRetryLater = 6;

// A title CUPS puts in place of one it could not take.
constexpr const char* kReplacedTitle = "Untitled";

// cupsd reads each line a backend writes as a command ("ATTR:", "PPD:"...): a title or
// name must not start a line of its own.
void Say(const char* level, std::string message) {
    for (char& c : message)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '_';
    std::fprintf(stderr, "%s: %s\n", level, message.c_str());
}

int Refuse(const std::string& message) {
    Say("ERROR", message);
    return kCancel;
}

// Errors that go away by themselves are worth a retry; every other one would fail again.
int FailWith(const std::string& message, int error) {
    const bool passing = vx::IsPassingError(error);
    Say("ERROR", message + ": " + std::strerror(error) +
                     (passing ? "; the job is kept and tried again later" : ""));
    return passing ? kRetryLater : kCancel;
}

// The temporary being written, for the handler that removes it when cupsd cancels the job.
int gTempFolder = -1;
char gTemp[96];

void RemoveTempAndExit(int) {
    if (gTempFolder >= 0) ::unlinkat(gTempFolder, gTemp, 0);
    ::_exit(kCancel);
}

bool WriteAll(int fd, const char* data, std::size_t n) {
    while (n > 0) {
        const ssize_t put = ::write(fd, data, n);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return false;
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

struct Account {
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0;
    std::string home;
};

// Becomes the account for good: a backend that could get root back would still be root's.
bool Become(const Account& a) {
    if (::geteuid() != 0) return ::getuid() == a.uid;
    if (a.uid == 0) return true;
    if (::initgroups(a.name.c_str(), a.gid) != 0 || ::setgid(a.gid) != 0 || ::setuid(a.uid) != 0)
        return false;
    return ::setuid(0) != 0 && ::seteuid(0) != 0 && ::geteuid() == a.uid;
}

std::string ReadSmallFile(const char* path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The folder the PDF goes to, opened without following a link at its last step. Sets
// mode to what the PDF gets. Returns the fd or a negative exit code.
int OpenFolder(const vx::DeviceUri& uri, const Account& a, std::string& path, mode_t& mode) {
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    if (uri.folder.empty()) {
        const int home = ::open(a.home.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (home < 0) {
            const int error = errno;
            // A home on a file system that is not mounted yet (a network or an encrypted
            // home) is there later; a home that does not exist at all never will be.
            const bool unmounted =
                error == ENOENT && vx::AwaitsMount(a.home, ReadSmallFile("/etc/fstab"),
                                                   ReadSmallFile("/proc/self/mounts"));
            if (unmounted || vx::IsPassingError(error))
                return -FailWith(
                    "the home folder of \"" + a.name + "\" (" + a.home + ") is not there yet",
                    unmounted ? EAGAIN : error);
            return -Refuse("\"" + a.name + "\" has no home folder to file PDFs in (" + a.home +
                           "): " + std::strerror(error));
        }
        path = a.home + "/PDF";
        mode = 0644;  // as the user's other files: the folder itself is made 0700
        const int made = ::mkdirat(home, "PDF", 0700) == 0 || errno == EEXIST ? 0 : errno;
        const int fd = made != 0 ? -1 : ::openat(home, "PDF", kFlags);
        const int error = made != 0 ? made : errno;
        ::close(home);
        if (fd < 0 && (error == ELOOP || error == ENOTDIR))
            return -Refuse(path +
                           " is a link or not a folder; PDFs are filed only in a real folder");
        if (fd < 0) return -FailWith("cannot open the folder " + path, error);
        return fd;
    }
    path = uri.folder;
    mode = 0600;  // a folder may be shared: each PDF is for its owner's eyes only
    const int fd = ::open(path.c_str(), kFlags);
    if (fd < 0)
        return -Refuse("cannot open the folder " + path + " (" + std::strerror(errno) +
                       "); an admin creates it: install -d -m 1777 " + path);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || (st.st_uid != a.uid && (st.st_mode & S_ISVTX) == 0)) {
        ::close(fd);
        return -Refuse("the folder " + path + " belongs to another user and is not a shared " +
                       "drop folder (mode 1777); PDFs for \"" + a.name + "\" cannot go there");
    }
    return fd;
}

// The job's uuid, kept on its PDF: cupsd runs a job again when it stopped between the PDF
// getting its name and the backend's end being seen, and the second run must not file twice.
constexpr const char* kJobAttribute = "user.vellumax.job-uuid";

bool FiledBefore(int dir, const std::string& name, const std::string& uuid, std::string& chosen) {
    if (uuid.empty()) return false;
    for (int n = 1; n < 10000; ++n) {
        chosen = vx::NumberedName(name, n);
        const int fd = ::openat(dir, chosen.c_str(),
                                O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return false;  // names are taken in turn: the first free one ends the search
        char value[64];
        const ssize_t got = ::fgetxattr(fd, kJobAttribute, value, sizeof value);
        ::close(fd);
        if (got > 0 && uuid == std::string(value, static_cast<std::size_t>(got))) return true;
    }
    return false;
}

// Gives the finished temporary its final name, never replacing a file that is there.
int FileUnderFreeName(int dir, const std::string& temp, const std::string& name,
                      std::string& chosen) {
    for (int n = 1; n < 10000; ++n) {
        chosen = vx::NumberedName(name, n);
        if (::renameat2(dir, temp.c_str(), dir, chosen.c_str(), RENAME_NOREPLACE) == 0) return 0;
        if (errno == EINVAL) {  // a file system without it: a link is just as exclusive
            if (::linkat(dir, temp.c_str(), dir, chosen.c_str(), 0) == 0) {
                ::unlinkat(dir, temp.c_str(), 0);
                return 0;
            }
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

int FileJob(int in, int dir, const std::string& folder, mode_t mode, std::string title,
            const std::string& jobId, const std::string& uuid) {
    char buf[65536];
    // A pipe may hand over less than the header in one read.
    std::size_t have = 0;
    for (;;) {
        const ssize_t n = ReadSome(in, buf + have, sizeof buf - have);
        if (n < 0) return FailWith("cannot read the job", errno);
        have += static_cast<std::size_t>(n);
        if (n == 0 || have >= 5) break;
    }
    ssize_t got = static_cast<ssize_t>(have);
    const std::string head(buf, static_cast<std::size_t>(got));
    if (head.rfind("%PDF-", 0) != 0) return Refuse("the job \"" + title + "\" is not a PDF");

    const std::string temp = ".vellumax-pdf-" + std::to_string(::getpid()) + ".part";
    std::snprintf(gTemp, sizeof gTemp, "%s", temp.c_str());
    gTempFolder = dir;
    struct sigaction cancel {};
    cancel.sa_handler = RemoveTempAndExit;
    for (const int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &cancel, nullptr);
    const int out =
        ::openat(dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (out < 0) return FailWith("cannot write in " + folder, errno);

    const bool wantTitle = title.empty() || title == kReplacedTitle;
    std::string window;  // the end of the data so far: the tail, and a title cut by a read
    std::string found;
    int error = 0;
    while (got > 0) {
        if (!WriteAll(out, buf, static_cast<std::size_t>(got))) {
            error = errno;
            break;
        }
        window.append(buf, static_cast<std::size_t>(got));
        if (wantTitle) {
            const std::string t = vx::PdfTitle(window);
            if (!t.empty()) found = t;
        }
        if (window.size() > 8192) window.erase(0, window.size() - 8192);
        if ((got = ReadSome(in, buf, sizeof buf)) < 0) error = errno;
    }
    if (!uuid.empty()) ::fsetxattr(out, kJobAttribute, uuid.data(), uuid.size(), 0);  // best effort
    if (error == 0 && ::fsync(out) != 0) error = errno;
    if (::close(out) != 0 && error == 0) error = errno;
    const std::size_t tail = std::min(window.size(), vx::kPdfTailBytes);
    if (error != 0 || !vx::PdfLooksComplete(head, window.substr(window.size() - tail))) {
        ::unlinkat(dir, temp.c_str(), 0);  // a cut-off PDF would pass for a whole one
        if (error != 0) return FailWith("cannot take the PDF into " + folder, error);
        return Refuse("the job \"" + title + "\" is not a whole PDF; nothing was saved");
    }

    if (wantTitle && !found.empty()) title = found;
    std::string chosen;
    const std::string name = vx::PdfNameForTitle(title, jobId);
    if (FiledBefore(dir, name, uuid, chosen)) {
        ::unlinkat(dir, temp.c_str(), 0);
        Say("INFO", "already saved " + folder + "/" + chosen);
        return kOk;
    }
    if (const int failed = FileUnderFreeName(dir, temp, name, chosen)) {
        ::unlinkat(dir, temp.c_str(), 0);
        return FailWith("cannot name the PDF in " + folder, failed);
    }
    Say("INFO", "saved " + folder + "/" + chosen);
    return kOk;
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
    const int in = argc == 7 ? ::open(argv[6], O_RDONLY | O_CLOEXEC) : 0;
    if (in < 0) return FailWith("cannot read the job", errno);

    const passwd* pw = ::getpwnam(user.c_str());
    if (pw == nullptr) return Refuse("\"" + user + "\" is not a user of this computer");
    const Account account{pw->pw_name, pw->pw_uid, pw->pw_gid, pw->pw_dir};
    const char* uriText = std::getenv("DEVICE_URI");
    const vx::DeviceUri uri = vx::ParseDeviceUri(uriText != nullptr ? uriText : "");
    const vx::LoginRange logins = vx::ParseLoginDefs(ReadSmallFile("/etc/login.defs"));
    if (!uri.systemAccounts && (account.uid < logins.first || account.uid > logins.last))
        return Refuse("\"" + user + "\" is root or a system account; PDF Printer prints for " +
                      "people's accounts unless an admin allows it (?system-accounts=yes)");
    if (!Become(account)) return Refuse("cannot act as \"" + user + "\" alone");

    std::string folder;
    mode_t mode = 0600;
    const int dir = OpenFolder(uri, account, folder, mode);
    if (dir < 0) return -dir;
    ::umask(0);
    return FileJob(in, dir, folder, mode, argv[3], jobId, vx::JobUuid(argv[5]));
}
