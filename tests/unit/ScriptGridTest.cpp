// The monospaced grid with the world's scripts: how many cells a character takes, Hangul
// stored decomposed, and where a right-to-left line starts on the page.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "platform/Utf8.h"
#include "support/Command.h"
#include "support/TempDir.h"
#include "textprint/TextLayout.h"
#include "textprint/TextToPdf.h"

namespace vx {
namespace {

struct Rows : LineSink {
    void line(int, const std::u32string& text) override {
        std::string& r = rows.emplace_back();
        for (const char32_t c : text) AppendUtf8(c, r);
    }
    void endPage() override {}
    std::vector<std::string> rows;
};

TEST(ScriptGrid, WideTakesTwoCellsMarksNoneAndDecomposedHangulComposes) {
    const struct {
        std::u32string text;
        int columns;
        std::vector<std::string> rows;
    } cases[] = {
        // 한국어 as conjoining letters: syllables, two cells each, wrapped as such.
        {U"\u1112\u1161\u11AB\u1100\u116E\u11A8\u110B\u1165\u1112\u1161\u11AB\u1100\u116E\u11A8",
         8,
         {"한국어한", "국"}},
        {U"\u1112\u1161\u11AB\tx", 16, {"한      x"}},
        // Old Hangul that has no syllable stays as it is.
        {U"\u1112\u119E\tx", 16, {"\u1112\u119E      x"}},
        // Marks, spacing or not, of Devanagari, Tamil and Thai, and a joiner.
        {U"क्षि\tx", 16, {"क्षि     x"}},
        {U"கொ\tx", 16, {"கொ      x"}},
        {U"กี่\u200Dก\tx", 16, {"กี่\u200Dก      x"}},
        // Fullwidth forms, Hangul Jamo Extended-A, Tangut, emoji and ideographs beyond the BMP.
        {U"ＡＢＣＤＥ", 8, {"ＡＢＣＤ", "Ｅ"}},
        {U"\uA960\uA961\uA962\uA963\uA964", 8, {"\uA960\uA961\uA962\uA963", "\uA964"}},
        {U"\U00017000\U0001F600\U00020000\U0002A700\U00031350",
         8,
         {"\U00017000\U0001F600\U00020000\U0002A700", "\U00031350"}},
        // Ethiopic, Vai and Mongolian letters take one cell each; Yi is wide.
        {U"ሀለሐመ\tx", 16, {"ሀለሐመ    x"}},
        {U"ꀀꀁ\tx", 16, {"ꀀꀁ    x"}},
        {U"ꔀꔁ\tx", 16, {"ꔀꔁ      x"}},
        {U"ᠮᠣᠩ\tx", 16, {"ᠮᠣᠩ     x"}},
    };
    for (const auto& c : cases) {
        Rows r;
        TextLayout layout(c.columns, 10, r);
        layout.put(c.text);
        layout.finish();
        EXPECT_EQ(r.rows, c.rows);
    }
}

// The PDF of `text` and its words with their boxes as pdftotext finds them.
std::string WordBoxes(const std::string& text, const test::TempDir& dir) {
    const std::string pdf = dir / "t.pdf";
    std::FILE* in = std::tmpfile();
    std::fputs(text.c_str(), in);
    std::rewind(in);
    std::FILE* out = std::fopen(pdf.c_str(), "wb");
    const PdfResult result = TextToPdf(in, "t.txt", PageSetup{}, out);
    std::fclose(in);
    std::fclose(out);
    EXPECT_TRUE(result.ok && result.missing.empty() && result.broken.empty()) << text;
    return test::RunCommand("pdftotext -bbox '" + pdf + "' - 2>/dev/null").out;
}

double Field(const std::string& line, const std::string& name) {
    const std::size_t at = line.find(name + "=\"");
    return at == std::string::npos ? -1 : std::stod(line.substr(at + name.size() + 2));
}

TEST(ScriptGrid, RightToLeftLinesEndAtTheRightMarginAndHangulIsSearchableComposed) {
    test::TempDir dir;
    const PageSetup page;
    const double right = page.width - page.margin;
    for (const std::string line : {"مرحبا بالعالم", "שלום עולם", "ދިވެހި", "ܫܠܡܐ"}) {
        std::istringstream boxes(WordBoxes("left\n" + line + "\n", dir));
        double mostRight = 0;
        int words = 0;
        for (std::string l; std::getline(boxes, l);) {
            if (l.find("<word") == std::string::npos || l.find(">left<") != std::string::npos)
                continue;
            mostRight = std::max(mostRight, Field(l, "xMax"));
            ++words;
        }
        EXPECT_GT(words, 0) << line;
        EXPECT_NEAR(mostRight, right, 3.0) << line;
    }
    const std::string boxes =
        WordBoxes("\u1112\u1161\u11AB\u1100\u116E\u11A8\u110B\u1165 \u1112\u1161\u11AB\n", dir);
    EXPECT_NE(boxes.find(">한국어<"), std::string::npos) << boxes;
}

}  // namespace
}  // namespace vx
