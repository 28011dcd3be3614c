#pragma once

#include "platform/Services.h"

namespace vx {

// HKEY_CLASSES_ROOT through the ANSI registry functions, opened anew for every read.
class Win32Registry : public Registry {
  public:
    std::optional<std::string> defaultValue(const std::string& subKey) override;
};

}  // namespace vx
