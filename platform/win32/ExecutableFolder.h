#pragma once

#include <string>

namespace vx {

// The folder that holds the running program, without a trailing separator: where our own
// word processor is installed beside it.
std::string ExecutableFolder();

}  // namespace vx
