#include "textprint/TextDecoder.h"

#include "platform/Utf8.h"

namespace vx {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 in 0x80-0x9F; its five unassigned bytes keep their C1 code points.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool StartsWith(const unsigned char* head, std::size_t n, std::initializer_list<int> bom) {
    if (n < bom.size()) return false;
    std::size_t i = 0;
    for (const int b : bom)
        if (head[i++] != b) return false;
    return true;
}

std::size_t UnitSize(Encoding e) {
    switch (e) {
        case Encoding::Utf16LE:
        case Encoding::Utf16BE:
            return 2;
        case Encoding::Utf32LE:
        case Encoding::Utf32BE:
            return 4;
        default:
            return 1;
    }
}

}  // namespace

Detected DetectEncoding(const unsigned char* head, std::size_t n, bool validUtf8) {
    // UTF-32 LE starts like UTF-16 LE, so it is asked first.
    if (StartsWith(head, n, {0xFF, 0xFE, 0x00, 0x00})) return {Encoding::Utf32LE, 4};
    if (StartsWith(head, n, {0x00, 0x00, 0xFE, 0xFF})) return {Encoding::Utf32BE, 4};
    if (StartsWith(head, n, {0xFF, 0xFE})) return {Encoding::Utf16LE, 2};
    if (StartsWith(head, n, {0xFE, 0xFF})) return {Encoding::Utf16BE, 2};
    if (StartsWith(head, n, {0xEF, 0xBB, 0xBF})) return {Encoding::Utf8, 3};
    return {validUtf8 ? Encoding::Utf8 : Encoding::Windows1252, 0};
}

void Utf8Check::feed(const unsigned char* bytes, std::size_t n) {
    for (std::size_t i = 0; i < n && ok_; ++i) {
        const unsigned char b = bytes[i];
        if (pending_ > 0) {
            if ((b & 0xC0) != 0x80) {
                ok_ = false;
                return;
            }
            cp_ = (cp_ << 6) | (b & 0x3F);
            if (--pending_ == 0 &&
                (cp_ < min_ || cp_ > 0x10FFFF || (cp_ >= 0xD800 && cp_ < 0xE000)))
                ok_ = false;
        } else if (b < 0x80) {
        } else if ((b & 0xE0) == 0xC0) {
            cp_ = b & 0x1F, pending_ = 1, min_ = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            cp_ = b & 0x0F, pending_ = 2, min_ = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            cp_ = b & 0x07, pending_ = 3, min_ = 0x10000;
        } else {
            ok_ = false;
        }
    }
}

bool IsValidUtf8(const std::string& bytes) {
    Utf8Check check;
    check.feed(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return check.ok();
}

std::string DisplayName(const std::string& bytes) {
    if (IsValidUtf8(bytes)) return bytes;
    TextDecoder decoder(Encoding::Windows1252);
    std::u32string chars;
    decoder.feed(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), chars);
    std::string text;
    for (const char32_t c : chars) AppendUtf8(c, text);
    return text;
}

void TextDecoder::unit(char32_t u, std::u32string& out) {
    switch (encoding_) {
        case Encoding::Utf16LE:
        case Encoding::Utf16BE:
            if (u >= 0xD800 && u < 0xDC00) {
                if (pending_ != 0) out.push_back(kReplacement);
                pending_ = u;
            } else if (u >= 0xDC00 && u < 0xE000) {
                out.push_back(pending_ != 0 ? 0x10000 + ((pending_ - 0xD800) << 10) + (u - 0xDC00)
                                            : kReplacement);
                pending_ = 0;
            } else {
                if (pending_ != 0) out.push_back(kReplacement);
                pending_ = 0;
                out.push_back(u);
            }
            return;
        case Encoding::Utf32LE:
        case Encoding::Utf32BE:
            out.push_back(u > 0x10FFFF || (u >= 0xD800 && u < 0xE000) ? kReplacement : u);
            return;
        default:
            out.push_back(u);
    }
}

void TextDecoder::feed(const unsigned char* bytes, std::size_t n, std::u32string& out) {
    if (encoding_ == Encoding::Windows1252) {
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned char b = bytes[i];
            out.push_back(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b);
        }
        return;
    }
    if (encoding_ == Encoding::Utf8) {
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned char b = bytes[i];
            if (need_ > 0) {
                if ((b & 0xC0) == 0x80) {
                    pending_ = (pending_ << 6) | (b & 0x3F);
                    if (--need_ == 0) {
                        const bool bad = pending_ < min_ || pending_ > 0x10FFFF ||
                                         (pending_ >= 0xD800 && pending_ < 0xE000);
                        out.push_back(bad ? kReplacement : pending_);
                    }
                    continue;
                }
                need_ = 0;
                out.push_back(kReplacement);  // cut short; the byte starts afresh
            }
            if (b < 0x80) {
                out.push_back(b);
            } else if ((b & 0xE0) == 0xC0) {
                pending_ = b & 0x1F, need_ = 1, min_ = 0x80;
            } else if ((b & 0xF0) == 0xE0) {
                pending_ = b & 0x0F, need_ = 2, min_ = 0x800;
            } else if ((b & 0xF8) == 0xF0) {
                pending_ = b & 0x07, need_ = 3, min_ = 0x10000;
            } else {
                out.push_back(kReplacement);
            }
        }
        return;
    }
    const std::size_t size = UnitSize(encoding_);
    const bool little = encoding_ == Encoding::Utf16LE || encoding_ == Encoding::Utf32LE;
    for (std::size_t i = 0; i < n; ++i) {
        partial_[partialLength_++] = bytes[i];
        if (partialLength_ < size) continue;
        char32_t u = 0;
        for (std::size_t k = 0; k < size; ++k) u = (u << 8) | partial_[little ? size - 1 - k : k];
        partialLength_ = 0;
        unit(u, out);
    }
}

void TextDecoder::finish(std::u32string& out) {
    if (need_ > 0 || partialLength_ > 0 || pending_ != 0) {
        if (encoding_ != Encoding::Utf8 || need_ > 0) out.push_back(kReplacement);
    }
    need_ = 0;
    partialLength_ = 0;
    pending_ = 0;
}

}  // namespace vx
