#include "textprint/TextFile.h"

#include <cerrno>
#include <cstring>

namespace vx {

TextFile::TextFile(std::FILE* in) : in_(in), buffer_(1 << 16) {}

bool TextFile::detect() {
    got_ = std::fread(buffer_.data(), 1, buffer_.size(), in_);
    detected_ = DetectEncoding(buffer_.data(), got_, true);
    if (detected_.bomLength > 0) return true;
    Utf8Check check;
    for (std::size_t n = got_; n > 0; n = std::fread(buffer_.data(), 1, buffer_.size(), in_))
        check.feed(buffer_.data(), n);
    if (!check.ok()) detected_.encoding = Encoding::Windows1252;
    if (std::ferror(in_) != 0 || std::fseek(in_, 0, SEEK_SET) != 0) {
        error_ = std::strerror(errno);
        return false;
    }
    got_ = std::fread(buffer_.data(), 1, buffer_.size(), in_);
    return true;
}

bool TextFile::readInto(TextLayout& layout) {
    TextDecoder decoder(detected_.encoding);
    std::u32string chars;
    std::size_t skip = detected_.bomLength;
    for (; got_ > 0; got_ = std::fread(buffer_.data(), 1, buffer_.size(), in_)) {
        chars.clear();
        decoder.feed(buffer_.data() + skip, got_ - skip, chars);
        skip = 0;
        layout.put(chars);
    }
    const int readErrno = std::ferror(in_) != 0 ? errno : 0;
    chars.clear();
    decoder.finish(chars);
    layout.put(chars);
    layout.finish();
    if (readErrno != 0) error_ = std::strerror(readErrno);
    return readErrno == 0;
}

}  // namespace vx
