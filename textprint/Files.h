#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>

namespace vx {

// Opens a text file to print. Only a regular file is taken: a FIFO, a device or a folder is
// refused at once, never waited on. Null with `error` saying why.
std::FILE* OpenTextFile(const std::string& path, std::string& error);

// A PDF written under a temporary name beside its final one and renamed there once whole, so
// a failure or a kill never leaves half a PDF under the final name. A link is followed: the
// file it names is replaced, the link stays. What is not a regular file (a device, a pipe)
// is written to directly.
class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Refuses an output that is the input itself (`input` is its open stream) before
    // anything is truncated. Null with `error` saying why.
    std::FILE* open(const std::string& path, std::FILE* input, std::string& error);
    // Closes and puts the file in place; false with `error` saying why.
    bool commit(std::string& error);

  private:
    std::FILE* file_ = nullptr;
    std::string final_;
    std::string temporary_;  // empty when written in place
};

}  // namespace vx
