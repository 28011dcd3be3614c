#include "textprint/Temporary.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vx {

namespace {

// Only what a signal handler may touch: a fixed buffer and a flag.
char path_[4096];
volatile sig_atomic_t armed_ = 0;
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void RemoveAndEnd(int signal) {
    const int saved = errno;
    if (armed_ != 0) ::unlink(path_);
    armed_ = 0;
    // Blocked while we run, it ends the process as it would have once we return.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    errno = saved;
}

}  // namespace

int MakeTemporary(std::string& pattern) {
    sigset_t ends;
    sigset_t before;
    ::sigemptyset(&ends);
    for (const int s : kSignals) ::sigaddset(&ends, s);
    // No kill may come between the file's making and its being armed.
    ::sigprocmask(SIG_BLOCK, &ends, &before);
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    const int made = errno;
    if (fd >= 0 && pattern.size() < sizeof path_) {
        armed_ = 0;
        std::memcpy(path_, pattern.c_str(), pattern.size() + 1);
        armed_ = 1;
        for (const int s : kSignals) {
            struct sigaction old {};
            ::sigaction(s, nullptr, &old);
            // A signal the starter made us ignore stays ignored.
            if (old.sa_handler == SIG_IGN) continue;
            struct sigaction act {};
            act.sa_handler = RemoveAndEnd;
            act.sa_mask = ends;
            ::sigaction(s, &act, nullptr);
        }
    }
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    errno = made;
    return fd;
}

void ForgetTemporary() {
    armed_ = 0;
}

}  // namespace vx
