#pragma once

#include <cstdio>
#include <string>

namespace vx {

// Opens a text file to print. Only a file on disk is taken: a folder, a pipe or a device is
// refused at once, never waited on. Null with `error` saying why.
std::FILE* OpenTextFileW(const std::wstring& path, std::string& error);

}  // namespace vx
