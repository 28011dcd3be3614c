#pragma once

#include <string>
#include <vector>

#include "platform/Services.h"

namespace vx {

// HKEY_CLASSES_ROOT from hive files, read anew at every query so a change shows at once.
// Later files overlay earlier ones (the system hive first, then the user's).
class HiveRegistry : public Registry {
  public:
    explicit HiveRegistry(std::vector<std::string> hiveFiles) : files_(std::move(hiveFiles)) {}
    std::optional<std::string> defaultValue(const std::string& subKey) override;

    // The system hives (InstallLayout), then $XDG_CONFIG_HOME/vellumax/classes.reg.
    static std::vector<std::string> StandardFiles(const std::string& programFolder);

  private:
    std::vector<std::string> files_;
};

}  // namespace vx
