#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace vx {

struct PageSetup {
    double width = 595.0;  // points; A4 unless the printer says otherwise
    double height = 842.0;
    double margin = 54.0;
    double fontSize = 10.0;
};

// Text bytes as a reader means them: UTF-8 when the whole text is valid UTF-8 (a BOM is
// skipped), otherwise Windows-1252.
bool IsValidUtf8(const std::string& bytes);

// The same check fed in pieces, so a big file needs no room of its own.
class Utf8Check {
  public:
    void feed(const unsigned char* bytes, std::size_t n);
    bool ok() const { return ok_ && pending_ == 0; }

  private:
    bool ok_ = true;
    int pending_ = 0;
    char32_t cp_ = 0;
    char32_t min_ = 0;
};

// Writes the text file `in` as PostScript pages in a monospaced face: tab stops every 8
// columns, a form feed starts a page, long lines wrap at a space where they can and
// nothing is cut. Pages are written as the text streams in. Returns the page count.
int TextToPostScript(std::FILE* in, bool utf8, const std::string& title, const PageSetup& page,
                     std::FILE* out);

}  // namespace vx
