#pragma once

#include <cstddef>
#include <string>

namespace vx {

enum class Encoding { Utf8, Utf16LE, Utf16BE, Utf32LE, Utf32BE, Windows1252 };

// The encoding a byte-order mark at the start of the text names, and the mark's length.
// Without a mark: UTF-8 when `validUtf8`, otherwise Windows-1252.
struct Detected {
    Encoding encoding = Encoding::Utf8;
    std::size_t bomLength = 0;
};
Detected DetectEncoding(const unsigned char* head, std::size_t n, bool validUtf8);

// Whether text is valid UTF-8, fed in pieces so a big file needs no room of its own.
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
bool IsValidUtf8(const std::string& bytes);

// A file name (raw bytes) as text for titles and messages: kept when it is UTF-8, else read
// as Windows-1252, the way the file's own bytes would be.
std::string DisplayName(const std::string& bytes);

// Turns bytes into characters as they stream in; a unit split between two pieces is kept
// for the next. Anything that is not a character becomes U+FFFD.
class TextDecoder {
  public:
    explicit TextDecoder(Encoding encoding) : encoding_(encoding) {}
    void feed(const unsigned char* bytes, std::size_t n, std::u32string& out);
    void finish(std::u32string& out);

  private:
    void unit(char32_t u, std::u32string& out);

    Encoding encoding_;
    unsigned char partial_[4] = {};
    std::size_t partialLength_ = 0;
    char32_t pending_ = 0;  // UTF-8 character or UTF-16 high surrogate under way
    int need_ = 0;          // UTF-8 continuation bytes still due
    char32_t min_ = 0;
};

}  // namespace vx
