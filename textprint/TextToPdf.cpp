#include "textprint/TextToPdf.h"

#include <cinttypes>

#include "textprint/TextFile.h"

namespace vx {

PdfResult TextToPdf(std::FILE* in, const std::string& title, const PageSetup& page, std::FILE* out,
                    const std::string& locale) {
    PdfResult result;
    TextFile text(in);
    if (!text.detect()) {
        result.error = text.error();
        return result;
    }
    PdfPages pages(page, title, out, locale);
    TextLayout layout(pages.columns(), pages.rows(), pages);
    const bool read = text.readInto(layout);
    result.pages = layout.pages();
    result.missing = pages.missing();
    result.droppedMarks = layout.droppedMarks();
    result.broken = pages.broken();
    const bool written = pages.finish();
    result.ok = written && read;
    result.error = !read ? text.error() : pages.error();
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
