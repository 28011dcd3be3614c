#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "textprint/TextDecoder.h"
#include "textprint/TextLayout.h"

namespace vx {

// Reads a text file for printing, the same on every system: the bytes are read as the file's
// byte-order mark says, else as UTF-8 when they all are, else as Windows-1252. `in` must be
// seekable when it has no mark: a first pass tells whether it is UTF-8.
class TextFile {
  public:
    explicit TextFile(std::FILE* in);
    // The first pass; false with error() when the file cannot be read.
    bool detect();
    // The second pass: every character into `layout`, which is then finished. False with
    // error() when reading failed part way; what was read is laid out all the same.
    bool readInto(TextLayout& layout);
    const std::string& error() const { return error_; }

  private:
    std::FILE* in_;
    std::vector<unsigned char> buffer_;
    std::size_t got_ = 0;
    Detected detected_;
    std::string error_;
};

}  // namespace vx
