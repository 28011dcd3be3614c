#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

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

}  // namespace vx::test
