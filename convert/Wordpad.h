#pragma once

#include <string>

#include "platform/Services.h"

namespace vx {

inline constexpr const char* kWordpadServerKey =
    "Wordpad.Document.1\\Protocol\\StdFileEditing\\Server";

// The word processor's command path as the registry stores it, or the empty text.
std::string GetWordpadPath(Registry& registry);

}  // namespace vx
