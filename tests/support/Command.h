#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace vx::test {

struct CommandResult {
    int status = -1;  // the exit status, -1 when it did not exit
    std::string out;  // what it wrote on standard output
};

// Runs a shell command to its end.
inline CommandResult RunCommand(const std::string& command) {
    CommandResult r;
    if (std::FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
        const int status = ::pclose(p);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return r;
}

// Starts a program with these arguments, no shell between; its pid, or -1.
inline pid_t StartProgram(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) ::execv(argv[0], argv.data()), ::_exit(127);
    return pid;
}

// Signals pid only while it is a child of ours not yet waited for, so never another process:
// not for 0 or -1, which kill() takes for the whole process group or every process.
inline bool SignalOwnChild(pid_t pid, int signal) {
    siginfo_t info{};
    return pid > 0 &&
           ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           ::kill(pid, signal) == 0;
}

}  // namespace vx::test
