#pragma once

#include <string>
#include <string_view>

namespace vx {

// folder + name with exactly one separator at the seam; a folder that already ends in
// one (a root such as "C:\" or "/") is used as it is.
std::string JoinPath(std::string_view folder, std::string_view name, char separator);

// The folder with one separator at its end.
std::string WithTrailingSeparator(std::string_view folder, char separator);

// A program path stored in quotes, as Windows command lines carry it, names the path inside.
std::string UnquotedProgram(const std::string& program);

}  // namespace vx
