#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/Command.h"
#include "support/TempDir.h"
#include "textprint/TextDecoder.h"
#include "textprint/TextLayout.h"
#include "textprint/TextToPdf.h"

namespace vx {
namespace {

std::u32string Decode(Encoding e, const std::string& bytes, std::size_t piece = 1) {
    TextDecoder d(e);
    std::u32string out;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        d.feed(p + at, std::min(piece, bytes.size() - at), out);
    d.finish(out);
    return out;
}

Detected Detect(const std::string& bytes) {
    return DetectEncoding(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                          IsValidUtf8(bytes));
}

TEST(TextDecoder, ByteOrderMarksChooseTheEncodingAndElseUtf8OrWindows1252) {
    EXPECT_EQ(Detect(std::string("\xFF\xFE\x00\x00x", 5)).encoding, Encoding::Utf32LE);
    EXPECT_EQ(Detect(std::string("\x00\x00\xFE\xFF", 4)).encoding, Encoding::Utf32BE);
    EXPECT_EQ(Detect("\xFF\xFEh\x00").encoding, Encoding::Utf16LE);
    EXPECT_EQ(Detect("\xFE\xFF\x00h").bomLength, 2u);
    EXPECT_EQ(Detect("\xEF\xBB\xBF"
                     "caf\xC3\xA9")
                  .bomLength,
              3u);
    EXPECT_EQ(Detect("caf\xC3\xA9").encoding, Encoding::Utf8);
    EXPECT_EQ(Detect("caf\xE9").encoding, Encoding::Windows1252);
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));      // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));      // cut short
}

TEST(TextDecoder, EveryEncodingSurvivesBeingFedByteByByte) {
    EXPECT_EQ(Decode(Encoding::Utf8, "caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80"), U"café 中 😀");
    EXPECT_EQ(Decode(Encoding::Utf16LE, std::string("h\x00\x3D\xD8\x00\xDE", 6)), U"h😀");
    EXPECT_EQ(Decode(Encoding::Utf16BE, std::string("\x00h\x4E\x2D", 4), 3), U"h中");
    EXPECT_EQ(Decode(Encoding::Utf32LE, std::string("\x00\xF6\x01\x00", 4)), U"😀");
    EXPECT_EQ(Decode(Encoding::Utf32BE, std::string("\x00\x00\x00h", 4)), U"h");
    EXPECT_EQ(Decode(Encoding::Windows1252, "caf\xE9 \x93q\x94 \x80"), U"café “q” €");
}

TEST(TextDecoder, BrokenUnitsBecomeReplacementCharactersAndNothingElseIsLost) {
    EXPECT_EQ(Decode(Encoding::Utf8, "a\xE2\x82z"), U"a\uFFFDz");
    EXPECT_EQ(Decode(Encoding::Utf8, "a\xE2"), U"a\uFFFD");
    EXPECT_EQ(Decode(Encoding::Utf16LE, std::string("\x3D\xD8h\x00", 4)), U"\uFFFDh");
    EXPECT_EQ(Decode(Encoding::Utf16LE, std::string("\x00\xDCh\x00", 4)), U"\uFFFDh");
    EXPECT_EQ(Decode(Encoding::Utf16LE, std::string("h\x00z", 3)), U"h\uFFFD");  // odd length
    EXPECT_EQ(Decode(Encoding::Utf32LE, std::string("\x00\x00\x11\x00", 4)), U"\uFFFD");
}

struct Recorder : LineSink {
    struct Row {
        int page;
        int row;
        std::u32string text;
    };
    void line(int row, const std::u32string& text) override { rows.push_back({pages, row, text}); }
    void endPage() override { ++pages; }
    std::vector<std::u32string> texts() const {
        std::vector<std::u32string> t;
        for (const auto& r : rows) t.push_back(r.text);
        return t;
    }
    std::vector<Row> rows;
    int pages = 0;
};

Recorder Lay(const std::u32string& text, int columns = 20, int rows = 5, std::size_t piece = 1) {
    Recorder r;
    TextLayout layout(columns, rows, r);
    for (std::size_t at = 0; at < text.size(); at += piece) layout.put(text.substr(at, piece));
    layout.finish();
    EXPECT_EQ(layout.pages(), r.pages);
    return r;
}

using Lines = std::vector<std::u32string>;

TEST(TextLayout, LinesEndAtLfCrCrlfAndSeparatorsWithoutDoubleSpacing) {
    EXPECT_EQ(Lay(U"one\r\ntwo\rthree\nfour\u2028five").texts(),
              (Lines{U"one", U"two", U"three", U"four", U"five"}));
    EXPECT_EQ(Lay(U"a\r\n\r\nb\n").texts(), (Lines{U"a", U"", U"b"}));
    EXPECT_EQ(Lay(U"a\r\n\r\nb\n", 20, 5, 2).texts(), (Lines{U"a", U"", U"b"}));
}

TEST(TextLayout, TabStopsEveryEightColumnsCountWideCharacters) {
    EXPECT_EQ(Lay(U"a\tb\n12345678\tc\n中\td", 40).texts(),
              (Lines{U"a       b", U"12345678        c", U"中      d"}));
}

TEST(TextLayout, FormFeedsStartPagesAndEveryTextHasAPage) {
    EXPECT_EQ(Lay(U"").pages, 1);
    EXPECT_EQ(Lay(U"\f").pages, 1);
    EXPECT_EQ(Lay(U"a\f").pages, 1);
    EXPECT_EQ(Lay(U"a\n\f\f").pages, 2);
    const Recorder r = Lay(U"a\fb");
    ASSERT_EQ(r.rows.size(), 2u);
    EXPECT_EQ(r.rows[1].page, 1);
    EXPECT_EQ(r.rows[1].row, 0);
    const Recorder full = Lay(U"1\n2\n3\n4\n5\n6\n7");
    EXPECT_EQ(full.pages, 2);
    EXPECT_EQ(full.rows[5].page, 1);
}

TEST(TextLayout, LongLinesWrapAtWordsOrAtTheEdgeAndNothingIsLost) {
    EXPECT_EQ(Lay(U"the quick brown fox jumps over").texts(),
              (Lines{U"the quick brown fox ", U"jumps over"}));
    const std::u32string word(45, U'x');
    EXPECT_EQ(Lay(word).texts(), (Lines{word.substr(0, 20), word.substr(20, 20), U"xxxxx"}));
    // A space arriving at a full line does not pull the line's last word down.
    EXPECT_EQ(Lay(U"abc 5678901234567890 z").texts(), (Lines{U"abc 5678901234567890", U" z"}));
    // A wide character never straddles the edge.
    EXPECT_EQ(Lay(U"中文字符测试中文字符", 9).texts(), (Lines{U"中文字符", U"测试中文", U"字符"}));

    std::u32string words;
    for (int i = 0; i < 300; ++i) {
        words += U'w';
        words.append(static_cast<std::size_t>(i % 7), U'o');
        words += U' ';
    }
    std::u32string joined;
    for (const auto& row : Lay(words, 33, 4).rows) {
        EXPECT_LE(row.text.size(), 33u);
        joined += row.text;
    }
    EXPECT_EQ(joined, words);
}

TEST(TextLayout, ControlCharactersShowInCaretNotation) {
    EXPECT_EQ(Lay(std::u32string(U"a\0b\x1B\x7F\x85", 6)).texts(), (Lines{U"a^@b^[^?\uFFFD"}));
}

struct Pdf {
    PdfResult result;
    std::string bytes;
};

Pdf ToPdf(const std::string& text, PageSetup page = {}) {
    std::FILE* in = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), in);
    std::rewind(in);
    char* buf = nullptr;
    std::size_t len = 0;
    std::FILE* out = ::open_memstream(&buf, &len);
    Pdf p;
    p.result = TextToPdf(in, "t.txt", page, out);
    std::fclose(in);
    std::fclose(out);
    p.bytes.assign(buf, len);
    std::free(buf);
    return p;
}

TEST(TextToPdf, WritesACompletePdfPageByPage) {
    const Pdf empty = ToPdf("");
    EXPECT_TRUE(empty.result.ok);
    EXPECT_EQ(empty.result.pages, 1);
    EXPECT_EQ(empty.bytes.rfind("%PDF-", 0), 0u);
    EXPECT_NE(empty.bytes.find("%%EOF", empty.bytes.size() - 8), std::string::npos);

    std::string many;
    for (int i = 0; i < 200; ++i) many += "line " + std::to_string(i) + "\r\n";
    EXPECT_EQ(ToPdf(many).result.pages, 4);  // 60 rows on A4
    EXPECT_EQ(ToPdf(many, PageSetup{612, 792, 72, 10}).result.pages, 4);
    EXPECT_EQ(ToPdf(many, PageSetup{595, 420, 54, 10}).result.pages, 8);  // A5 landscape
}

std::size_t PageObjects(const std::string& pdf) {
    std::size_t n = 0;
    for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos;
         at = pdf.find("/Type /Page", at + 1))
        n += pdf.compare(at, 12, "/Type /Pages") != 0;
    return n;
}

TEST(TextToPdf, LinesOfEveryScriptKeepEveryPage) {
    // Shaped right-to-left lines, fallback faces and the plain grid, mixed on pages.
    const Pdf p = ToPdf("שלום\fplain\n中文 and مرحبا\fend");
    EXPECT_TRUE(p.result.ok);
    EXPECT_EQ(p.result.pages, 3);
    EXPECT_EQ(PageObjects(p.bytes), 3u);
    EXPECT_TRUE(p.result.missing.empty());
}

TEST(TextToPdf, ReportsCharactersNoFontHasInsteadOfHidingThem) {
    const Pdf p = ToPdf("ok \xF4\x8F\xBF\xBD and \xF3\xB0\x80\x80");
    EXPECT_TRUE(p.result.ok);
    EXPECT_EQ(p.result.missing, (std::set<char32_t>{0xF0000, 0x10FFFD}));
    EXPECT_EQ(DescribeMissing(p.result.missing),
              "U+F0000 \xF3\xB0\x80\x80, U+10FFFD \xF4\x8F\xBF\xBD");
    EXPECT_EQ(DescribeMissing({1, 2, 3}, 2), "U+0001 \x01, U+0002 \x02 and 1 more");
    EXPECT_TRUE(ToPdf("plain ASCII and caf\xC3\xA9").result.missing.empty());
}

TEST(TextToPdf, AWriteFailureIsReported) {
    std::FILE* in = std::tmpfile();
    std::fputs("text", in);
    std::rewind(in);
    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    EXPECT_FALSE(TextToPdf(in, "t", PageSetup{}, full).ok);
    std::fclose(full);
    std::fclose(in);
}

}  // namespace
}  // namespace vx

namespace vx {
namespace {

int RunTextprint(const std::string& args, std::string& errors) {
    const test::CommandResult r =
        test::RunCommand("'" TEXTPRINT_PATH "' " + args + " 2>&1 >/dev/null");
    errors += r.out;
    return r.status;
}

TEST(Textprint, FailuresAreToldAndTouchNothingThatIsNotTheirs) {
    test::TempDir t;
    const std::string text = t.file("a.txt", "some text\n");
    std::string errors;
    // A link to a device that is always full: what failed to fill it is not a file to remove.
    const std::string full = t / "full.pdf";
    std::filesystem::create_symlink("/dev/full", full);
    EXPECT_EQ(RunTextprint("--pdf '" + full + "' '" + text + "'", errors), 1);
    EXPECT_NE(errors.find("No space left on device"), std::string::npos) << errors;
    EXPECT_TRUE(std::filesystem::is_symlink(full)) << "what is not ours stays";

    errors.clear();
    EXPECT_EQ(RunTextprint("--pdf '" + t / "out.pdf" + "' '" + t / "missing.txt" + "'", errors), 1);
    EXPECT_NE(errors.find("cannot read"), std::string::npos) << errors;
    EXPECT_FALSE(std::filesystem::exists(t / "out.pdf")) << "no half PDF is left";

    errors.clear();
    EXPECT_EQ(RunTextprint("--pdf '" + t / "ok.pdf" + "' '" + text + "'", errors), 0) << errors;
    EXPECT_GT(std::filesystem::file_size(t / "ok.pdf"), 0u);
}

}  // namespace
}  // namespace vx
