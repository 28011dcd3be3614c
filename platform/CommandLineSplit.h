#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vx {

// Splits a command line the way Windows does (CommandLineToArgvW): the program runs to the
// next blank, or between quotes without any escapes; later arguments are separated by blanks
// outside quotes, and 2n backslashes before a quote give n backslashes and a quote that
// groups, 2n+1 give n and a literal quote. An empty line gives no arguments.
std::vector<std::string> SplitCommandLine(std::string_view line);

}  // namespace vx
