#pragma once

#include "platform/Services.h"

namespace vx {

// Starts command lines with CreateProcessW, minimised with the focus, and does not wait.
class Win32Launcher : public Launcher {
  public:
    void start(const CommandLine& command) override;
    void openUrl(const std::string& url) override;
};

}  // namespace vx
