#include "textprint/TextToPostScript.h"

#include <cstdint>
#include <vector>

namespace vx {

namespace {

// Windows-1252 in 0x80-0x9F; elsewhere the byte is its own code point.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// Latin-1 covers what the standard font's ISO Latin-1 encoding can show; a few common
// characters outside it are shown as their nearest ASCII form.
unsigned char ToLatin1(char32_t c) {
    if (c < 0x100) return static_cast<unsigned char>(c);
    switch (c) {
        case 0x2018:
        case 0x2019:
        case 0x201A:
            return '\'';
        case 0x201C:
        case 0x201D:
        case 0x201E:
            return '"';
        case 0x2013:
        case 0x2014:
            return '-';
        case 0x2026:
            return '.';
        case 0x20AC:
            return 'E';
        default:
            return '?';
    }
}

class Writer {
  public:
    Writer(const PageSetup& page, std::FILE* out) : page_(page), out_(out) {
        const double advance = page.fontSize * 0.6;  // every Courier glyph is 0.6 em wide
        columns_ = static_cast<int>((page.width - 2 * page.margin) / advance);
        lineHeight_ = page.fontSize * 1.2;
        rows_ = static_cast<int>((page.height - 2 * page.margin) / lineHeight_);
        if (columns_ < 8) columns_ = 8;
        if (rows_ < 1) rows_ = 1;
    }

    void character(char32_t c) {
        if (c == '\t') {
            do line_.push_back(' ');
            while (line_.size() % 8 != 0);
        } else if (c == '\f') {
            endLine();
            endPage();
            return;
        } else if (c < 0x20 || c == 0x7F) {
            line_.push_back(' ');
        } else {
            line_.push_back(static_cast<char>(ToLatin1(c)));
        }
        while (line_.size() > static_cast<std::size_t>(columns_)) wrap();
    }

    void endLine() {
        emit(line_);
        line_.clear();
    }

    int finish() {
        if (!line_.empty() || (pages_ == 0 && row_ == 0)) endLine();
        if (row_ > 0 || pages_ == 0) endPage();
        std::fprintf(out_, "%%%%Trailer\n%%%%Pages: %d\n%%%%EOF\n", pages_);
        return pages_;
    }

  private:
    // Breaks an over-long line after its last space within the width, or at the width.
    void wrap() {
        std::size_t cut = static_cast<std::size_t>(columns_);
        for (std::size_t i = cut; i > 0; --i) {
            if (line_[i - 1] == ' ') {
                cut = i;
                break;
            }
        }
        std::string rest = line_.substr(cut);
        line_.resize(cut);
        endLine();
        line_ = std::move(rest);
    }

    void emit(const std::string& text) {
        if (row_ == 0) beginPage();
        const double y = page_.height - page_.margin - page_.fontSize - row_ * lineHeight_;
        std::fputc('(', out_);
        for (const char ch : text) {
            const auto b = static_cast<unsigned char>(ch);
            if (b == '(' || b == ')' || b == '\\') {
                std::fputc('\\', out_);
                std::fputc(b, out_);
            } else if (b < 0x20 || b >= 0x7F) {
                std::fprintf(out_, "\\%03o", b);
            } else {
                std::fputc(b, out_);
            }
        }
        std::fprintf(out_, ") %.2f L\n", y);
        if (++row_ >= rows_) endPage();
    }

    void beginPage() {
        ++pages_;
        std::fprintf(out_, "%%%%Page: %d %d\n%%%%BeginPageSetup\nF\n%%%%EndPageSetup\n", pages_,
                     pages_);
        started_ = true;
    }

    void endPage() {
        if (!started_) beginPage();
        std::fputs("showpage\n", out_);
        row_ = 0;
        started_ = false;
    }

    const PageSetup& page_;
    std::FILE* out_;
    int columns_ = 80;
    int rows_ = 60;
    double lineHeight_ = 12;
    int row_ = 0;
    int pages_ = 0;
    bool started_ = false;
    std::string line_;
};

void Prolog(const std::string& title, const PageSetup& page, std::FILE* out) {
    std::string safeTitle;
    for (const char c : title) safeTitle.push_back(static_cast<unsigned char>(c) < 0x20 ? '?' : c);
    std::fprintf(out,
                 "%%!PS-Adobe-3.0\n%%%%Title: %s\n%%%%Creator: textprint\n"
                 "%%%%BoundingBox: 0 0 %d %d\n%%%%Pages: (atend)\n%%%%DocumentNeededResources: "
                 "font Courier\n%%%%EndComments\n%%%%BeginProlog\n"
                 "/LatinCourier /Courier findfont dup length dict begin\n"
                 "  { 1 index /FID ne { def } { pop pop } ifelse } forall\n"
                 "  /Encoding ISOLatin1Encoding def currentdict end definefont pop\n"
                 "/F { /LatinCourier findfont %.2f scalefont setfont } bind def\n"
                 "/L { %.2f exch moveto show } bind def\n"
                 "%%%%EndProlog\n%%%%BeginSetup\n"
                 "<< /PageSize [%.2f %.2f] >> setpagedevice\n%%%%EndSetup\n",
                 safeTitle.c_str(), static_cast<int>(page.width), static_cast<int>(page.height),
                 page.fontSize, page.margin, page.width, page.height);
}

}  // namespace

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

int TextToPostScript(std::FILE* in, bool utf8, const std::string& title, const PageSetup& page,
                     std::FILE* out) {
    Prolog(title, page, out);
    Writer writer(page, out);
    std::vector<unsigned char> buffer(1 << 16);
    bool first = true;
    bool lastWasCr = false;
    char32_t cp = 0;
    int pending = 0;  // continuation bytes still due for the current UTF-8 character
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in);
        if (got == 0) break;
        std::size_t i = 0;
        if (first) {
            first = false;
            if (utf8 && got >= 3 && buffer[0] == 0xEF && buffer[1] == 0xBB && buffer[2] == 0xBF)
                i = 3;
        }
        for (; i < got; ++i) {
            const unsigned char b = buffer[i];
            char32_t c;
            if (utf8) {
                if (pending > 0) {
                    cp = (cp << 6) | (b & 0x3F);
                    if (--pending > 0) continue;
                    c = cp;
                } else if (b >= 0xF0) {
                    cp = b & 0x07;
                    pending = 3;
                    continue;
                } else if (b >= 0xE0) {
                    cp = b & 0x0F;
                    pending = 2;
                    continue;
                } else if (b >= 0xC0) {
                    cp = b & 0x1F;
                    pending = 1;
                    continue;
                } else {
                    c = b;
                }
            } else {
                c = (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : b;
            }
            // CR, LF and CRLF each end one line.
            if (c == '\n') {
                if (!lastWasCr) writer.endLine();
                lastWasCr = false;
                continue;
            }
            lastWasCr = c == '\r';
            if (lastWasCr) {
                writer.endLine();
                continue;
            }
            writer.character(c);
        }
    }
    return writer.finish();
}

}  // namespace vx
