#include "textprint/TextToPdf.h"

#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <vector>

#include "textprint/TextDecoder.h"
#include "textprint/TextLayout.h"

namespace vx {

PdfResult TextToPdf(std::FILE* in, const std::string& title, const PageSetup& page, std::FILE* out,
                    const std::string& locale) {
    PdfResult result;
    std::vector<unsigned char> buffer(1 << 16);
    std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in);
    Detected detected = DetectEncoding(buffer.data(), got, true);
    if (detected.bomLength == 0) {
        Utf8Check check;
        for (std::size_t n = got; n > 0; n = std::fread(buffer.data(), 1, buffer.size(), in))
            check.feed(buffer.data(), n);
        if (!check.ok()) detected.encoding = Encoding::Windows1252;
        if (std::ferror(in) != 0 || std::fseek(in, 0, SEEK_SET) != 0) {
            result.error = std::strerror(errno);
            return result;
        }
        got = std::fread(buffer.data(), 1, buffer.size(), in);
    }

    PdfPages pages(page, title, out, locale);
    TextLayout layout(pages.columns(), pages.rows(), pages);
    TextDecoder decoder(detected.encoding);
    std::u32string chars;
    std::size_t skip = detected.bomLength;
    for (; got > 0; got = std::fread(buffer.data(), 1, buffer.size(), in)) {
        chars.clear();
        decoder.feed(buffer.data() + skip, got - skip, chars);
        skip = 0;
        layout.put(chars);
    }
    const int readErrno = std::ferror(in) != 0 ? errno : 0;
    chars.clear();
    decoder.finish(chars);
    layout.put(chars);
    layout.finish();
    result.pages = layout.pages();
    result.missing = pages.missing();
    result.droppedMarks = layout.droppedMarks();
    result.broken = pages.broken();
    const bool written = pages.finish();
    result.ok = written && readErrno == 0;
    result.error = readErrno != 0 ? std::strerror(readErrno) : pages.error();
    return result;
}

std::string DescribeMissing(const std::set<char32_t>& missing, std::size_t most) {
    std::string text;
    std::size_t shown = 0;
    for (const char32_t c : missing) {
        if (shown == most) {
            text += " and " + std::to_string(missing.size() - most) + " more";
            break;
        }
        char code[16];
        std::snprintf(code, sizeof code, "U+%04" PRIX32 " ", static_cast<std::uint32_t>(c));
        if (shown++ > 0) text += ", ";
        text += code;
        AppendUtf8(c, text);
    }
    return text;
}

std::string DescribeClusters(const std::set<std::u32string>& clusters, std::size_t most) {
    std::string text;
    std::size_t shown = 0;
    for (const std::u32string& cluster : clusters) {
        if (shown == most) {
            text += " and " + std::to_string(clusters.size() - most) + " more";
            break;
        }
        if (shown++ > 0) text += ", ";
        for (const char32_t c : cluster) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04" PRIX32 " ", static_cast<std::uint32_t>(c));
            text += code;
        }
        for (const char32_t c : cluster) AppendUtf8(c, text);
    }
    return text;
}

}  // namespace vx
