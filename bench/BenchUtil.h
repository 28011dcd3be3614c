#pragma once

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace vx::bench {

inline double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Current resident set, bytes.
inline long ResidentBytes() {
    std::ifstream in("/proc/self/statm");
    long pages = 0, resident = 0;
    in >> pages >> resident;
    return resident * 4096;
}

inline long PeakResidentBytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss * 1024;
}

}  // namespace vx::bench

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace vx::bench {

inline double CpuSeconds(const rusage& u) {
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// User and system time of this process so far, all threads.
inline double OwnCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return CpuSeconds(u);
}

struct Measured {
    double seconds = 0;
    double cpuSeconds = 0;
    long peakBytes = 0;  // the largest resident set of the process and what it waited for
    int status = -1;
};

// Runs a program to its end and measures it; quiet sends its output to /dev/null.
inline Measured Run(const std::vector<std::string>& args, bool quiet = false) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (quiet) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    Measured m;
    int status = 0;
    rusage u{};
    if (pid > 0 && wait4(pid, &status, 0, &u) == pid) {
        m.seconds = Seconds(start);
        m.peakBytes = u.ru_maxrss * 1024;
        m.cpuSeconds = CpuSeconds(u);
        m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return m;
}

inline bool OnPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace vx::bench
