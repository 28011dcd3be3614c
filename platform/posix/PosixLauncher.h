#pragma once

#include "platform/Services.h"

namespace vx {

// Starts programs from an argument vector, so no shell ever parses a path. The program
// is detached (double fork) and leaves no zombie; a failed exec comes back as an error.
// PRINTER and LPDEST are dropped from the child's environment so it prints on the
// user's default printer.
class PosixLauncher : public Launcher {
  public:
    void start(const CommandLine& command) override;
    void openUrl(const std::string& url) override;
};

}  // namespace vx
