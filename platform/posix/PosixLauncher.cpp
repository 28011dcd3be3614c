#include "platform/posix/PosixLauncher.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/PathUtil.h"

extern char** environ;

namespace vx {

namespace {

bool DroppedFromChild(const char* entry) {
    return std::strncmp(entry, "PRINTER=", 8) == 0 || std::strncmp(entry, "LPDEST=", 7) == 0;
}

}  // namespace

void PosixLauncher::start(const CommandLine& command) {
    const std::string& program = command.program;
    if (program.empty()) throw PlatformError(ENOENT, "No program is set to start.");

    // Everything the child needs is built before fork: after it only async-signal-safe calls.
    std::vector<std::string> args{program};
    args.insert(args.end(), command.args.begin(), command.args.end());
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (char** e = environ; *e != nullptr; ++e)
        if (!DroppedFromChild(*e)) envp.push_back(*e);
    envp.push_back(nullptr);
    const bool searchPath = program.find('/') == std::string::npos;

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        const int e = errno;
        throw PlatformError(e, std::strerror(e));
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(report[0]);
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            if (grandchild < 0) {
                const int e = errno;
                (void)!::write(report[1], &e, sizeof e);
            }
            ::_exit(0);
        }
        if (searchPath) {
            ::execvpe(argv[0], argv.data(), envp.data());
        } else {
            ::execve(argv[0], argv.data(), envp.data());
        }
        const int e = errno;
        (void)!::write(report[1], &e, sizeof e);
        ::_exit(127);
    }
    ::close(report[1]);
    if (child < 0) {
        const int e = errno;
        ::close(report[0]);
        throw PlatformError(e, std::strerror(e));
    }
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    int failure = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &failure, sizeof failure);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == static_cast<ssize_t>(sizeof failure))
        throw PlatformError(failure,
                            "\"" + program + "\" could not be started: " + std::strerror(failure));
}

void PosixLauncher::openUrl(const std::string& url) {
    start(CommandLine{"xdg-open", {url}, "xdg-open \"" + url + "\""});
}

}  // namespace vx
