#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "platform/Utf8.h"
#include "support/Command.h"
#include "support/TempDir.h"
#include "textprint/TextDecoder.h"
#include "textprint/TextLayout.h"
#include "textprint/TextToPdf.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

TEST(TextDecoder, MarksChooseTheEncodingAndEveryUnitSurvivesBeingFedByteByByte) {
    const std::pair<std::string, std::u32string> cases[] = {
        {std::string("\xFF\xFE\x00\x00\x00\xF6\x01\x00", 8), U"😀"},
        {std::string("\x00\x00\xFE\xFF\x00\x00\x00h\x00\x11\x00\x00", 12), U"h\uFFFD"},
        {std::string("\xFF\xFEh\x00\x3D\xD8\x00\xDE\x00\xDCh\x00z", 13), U"h😀\uFFFDh\uFFFD"},
        {std::string("\xFE\xFF\x00h\x4E\x2D\xD8\x3D\x00h", 10), U"h中\uFFFDh"},
        {"\xEF\xBB\xBF\x63\x61\x66\xC3\xA9 \xF0\x9F\x98\x80 \xE2\x82z \xE2",
         U"café 😀 \uFFFDz \uFFFD"},
        {"a\xE2\x82z \xED\xA0\x80 \xC0\x80", U"aâ‚z í\u00A0€ À€"},  // not UTF-8: Windows-1252
        {"caf\xE9 \x93q\x94 \x80", U"café “q” €"},
        {"Caf\xE9", U"Café"},  // ends like the start of a UTF-8 character, but is not one
    };
    for (const auto& [bytes, text] : cases) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        const Detected d = DetectEncoding(p, bytes.size(), IsValidUtf8(bytes));
        TextDecoder decoder(d.encoding);
        std::u32string got;
        for (std::size_t i = d.bomLength; i < bytes.size(); ++i) decoder.feed(p + i, 1, got);
        decoder.finish(got);
        EXPECT_EQ(got, text) << bytes;
    }
    EXPECT_EQ(
        DisplayName("caf\xE9 caf\xC3\xA9") + DisplayName(" caf\xC3\xA9") + DisplayName(" Caf\xE9"),
        "café cafÃ© café Café");
}

struct Recorder : LineSink {
    void line(int row, const std::u32string& text) override {
        std::string& r = rows.emplace_back(std::to_string(pages) + ":" + std::to_string(row) + ":");
        for (const char32_t c : text) AppendUtf8(c, r);
    }
    void endPage() override { ++pages; }
    std::vector<std::string> rows;  // "page:row:text"
    int pages = 0;
};

// The rows, and how many marks were left out when some were.
Recorder Lay(const std::u32string& text, int columns) {
    Recorder r;
    TextLayout layout(columns, 5, r);
    for (const char32_t c : text) layout.put(c);
    layout.finish();
    if (layout.droppedMarks() > 0) r.rows.push_back("-" + std::to_string(layout.droppedMarks()));
    return r;
}

TEST(TextLayout, LinesPagesTabsControlsMarksAndWrapsLandWhereTheyShould) {
    using Rows = std::vector<std::string>;
    const std::u32string many(200000, U'\u0301'), kept(TextLayout::kMarksKept, U'\u0301');
    std::string kept8;  // the same marks in UTF-8
    for (const char32_t c : kept) AppendUtf8(c, kept8);
    const std::string dropped = "-" + std::to_string(many.size() - kept.size());
    const struct {
        std::u32string text;
        int columns;
        Rows rows;
        int pages;
    } cases[] = {
        {U"one\r\ntwo\rthree\nfour\u2028five",
         20,
         {"0:0:one", "0:1:two", "0:2:three", "0:3:four", "0:4:five"},
         1},
        {U"a\r\n\r\nb\n", 20, {"0:0:a", "0:1:", "0:2:b"}, 1},
        {U"", 20, {}, 1},
        {U"a\f", 20, {"0:0:a"}, 1},
        {U"a\n\f\f", 20, {"0:0:a"}, 2},
        {U"a\fb", 20, {"0:0:a", "1:0:b"}, 2},
        {U"1\n2\n3\n4\n5\n6", 20, {"0:0:1", "0:1:2", "0:2:3", "0:3:4", "0:4:5", "1:0:6"}, 2},
        {U"a\tb\n12345678\tc\n中\td",
         40,
         {"0:0:a       b", "0:1:12345678        c", "0:2:中      d"},
         1},
        {std::u32string(U"a\0b\x1B\x7F\x85", 6), 20, {"0:0:a^@b^[^?\uFFFD"}, 1},
        {U"the quick brown fox jumps over", 20, {"0:0:the quick brown fox ", "0:1:jumps over"}, 1},
        // A space arriving at a full line does not pull the line's last word down.
        {U"abc 5678901234567890 z", 20, {"0:0:abc 5678901234567890", "0:1: z"}, 1},
        {U"xxxxxxxxxxxxxxxxxxxxxxxxx", 20, {"0:0:xxxxxxxxxxxxxxxxxxxx", "0:1:xxxxx"}, 1},
        // A wide character never straddles the edge.
        {U"中文字符测试中文字符", 9, {"0:0:中文字符", "0:1:测试中文", "0:2:字符"}, 1},
        // Shaping a cluster costs the square of its length: marks past a bound are left out.
        {U"a" + many, 80, {"0:0:a" + kept8, dropped}, 1},
        {many + U"b" + kept + U"c\u0301",
         80,
         {"0:0:" + kept8 + "b" + kept8 + "c\u0301", dropped},
         1},
        {U"a" + kept + U"\na" + kept, 80, {"0:0:a" + kept8, "0:1:a" + kept8}, 1},
        // Wide takes two cells, marks none: conjoining Hangul composes to syllables, fullwidth
        // forms, Hangul Jamo Extended-A, Tangut, emoji and ideographs beyond the BMP.
        {U"\u1112\u1161\u11AB\u1100\u116E\u11A8\u110B\u1165\u1112\u1161\u11AB"
         U"ＡＢＣＤ\uA960\uA961\uA962\uA963\U00017000\U0001F600\U00020000\U0002A700\U00031350",
         8,
         {"0:0:한국어한", "0:1:ＡＢＣＤ", "0:2:\uA960\uA961\uA962\uA963",
          "0:3:\U00017000\U0001F600\U00020000\U0002A700", "0:4:\U00031350"},
         1},
        // Hangul, old Hangul with no syllable, marks (spacing or not) of Devanagari, Tamil and
        // Thai, a joiner; Ethiopic, Vai and Mongolian take a cell each, Yi and plane 3 two.
        {U"\u1112\u1161\u11AB\t\u1112\u119E\tक्षि\tகொ\tกี่\u200Dก\tሀለሐመ\tꀀꀁ\tꔀꔁ\tᠮᠣᠩ\t\U00031350\tx",
         90,
         {"0:0:한      \u1112\u119E      क्षि     கொ      กี่\u200Dก      ሀለሐመ    ꀀꀁ    ꔀꔁ      ᠮᠣᠩ "
          "    \U00031350      x"},
         1},
    };
    for (const auto& c : cases) {
        const Recorder r = Lay(c.text, c.columns);
        EXPECT_EQ(r.rows, c.rows);
        EXPECT_EQ(r.pages, c.pages);
    }
    // Every kind of mark is capped: Hebrew and Arabic points, marks for symbols, variants.
    for (const char32_t mark : {U'\u05B0', U'\u064E', U'\u20D7', U'\uFE0F'}) {
        std::string marks8;
        for (int i = 0; i < TextLayout::kMarksKept; ++i) AppendUtf8(mark, marks8);
        EXPECT_EQ(Lay(U"a" + std::u32string(TextLayout::kMarksKept + 9, mark), 80).rows,
                  (Rows{"0:0:a" + marks8, "-9"}));
    }
    std::u32string words;
    for (int i = 0; i < 300; ++i) words.append(1, U'w').append(i % 7, U'o').append(1, U' ');
    std::string joined;
    for (const std::string& row : Lay(words, 33).rows) joined += row.substr(row.find(':', 2) + 1);
    EXPECT_EQ(joined, std::string(words.begin(), words.end())) << "wrapping loses nothing";
}

test::CommandResult Textprint(const std::string& args) {
    return test::RunCommand("timeout 20 '" TEXTPRINT_PATH "' " + args + " 2>&1");
}

std::string Read(const std::string& path) {
    return test::RunCommand("cat '" + path + "' 2>/dev/null").out;
}

// Writes the PDF of `text` to `pdf`, where every character must have its glyph, joined.
PdfResult Pdf(const std::string& text, const std::string& pdf, const PageSetup& page = {}) {
    std::FILE* in = std::tmpfile();
    std::fputs(text.c_str(), in);
    std::rewind(in);
    std::FILE* out = std::fopen(pdf.c_str(), "wb");
    const PdfResult result = TextToPdf(in, "t.txt", page, out);
    std::fclose(in);
    std::fclose(out);
    EXPECT_TRUE(result.ok && result.missing.empty() && result.broken.empty()) << text;
    return result;
}

TEST(TextToPdf, PagesFollowThePageSizeScriptsKeepTheirPageAndRightToLeftEndsRight) {
    test::TempDir t;
    std::string many;
    for (int i = 0; i < 200; ++i) many += "line " + std::to_string(i) + "\r\n";
    const struct {
        std::string text;
        PageSetup page;
        int pages;
    } cases[] = {
        {"", {}, 1},
        {many, {}, 4},  // 60 rows on A4
        {many, {612, 792, 72, 10}, 4},
        {many, {595, 420, 54, 10}, 8},  // A5 landscape
        // Shaped right-to-left lines, fallback faces and the plain grid, mixed on pages.
        {"שלום\fplain\n中文 and مرحبا\fend", {}, 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Pdf(c.text, t / "t.pdf", c.page).pages, c.pages);
        EXPECT_EQ(test::RunCommand("pdfinfo " + t / "t.pdf" + " | grep -Po '^Pages: +\\K.*'").out,
                  std::to_string(c.pages) + "\n");
    }
    EXPECT_EQ(DescribeMissing({1, 2, 3}, 2), "U+0001 \x01, U+0002 \x02 and 1 more");
    // Right-to-left lines end at the right margin; decomposed Hangul is searchable composed.
    const PageSetup page;
    for (const std::string line : {"مرحبا بالعالم", "שלום עולם", "ދިވެހި", "ܫܠܡܐ"}) {
        Pdf("left\n" + line + "\n", t / "t.pdf");
        // The right edge of the words of the second line.
        const std::string right =
            test::RunCommand("pdftotext -bbox " + t / "t.pdf" +
                             " - | grep '<word' | grep -v '>left<' | grep -Po "
                             "'xMax=\"\\K[0-9.]+' | sort -n | tail -1")
                .out;
        ASSERT_FALSE(right.empty()) << line;
        EXPECT_NEAR(std::stod(right), page.width - page.margin, 3.0) << line;
    }
    Pdf("\u1112\u1161\u11AB\u1100\u116E\u11A8\u110B\u1165 \u1112\u1161\u11AB\n", t / "t.pdf");
    EXPECT_NE(test::RunCommand("pdftotext " + t / "t.pdf -").out.find("한국어"), std::string::npos);
}

TEST(Textprint, EveryFailureSaysWhyAndTouchesNothingThatIsNotItsOwn) {
    test::TempDir t;
    const std::string text = t.file("a.txt", "some text\n");
    const std::string out = " " + t / "out.pdf" + " ";
    ::mkfifo((t / "fifo").c_str(), 0600);
    fs::create_symlink("/dev/full", t / "full.pdf");
    fs::create_symlink(text, t / "link.pdf");
    const std::pair<std::string, std::string> cases[] = {
        {"--pdf " + t / "full.pdf " + text, "No space left on device"},
        {"--pdf" + out + t / "missing.txt", "No such file or directory"},
        {"--pdf" + out + t / "fifo", "not a regular file"},
        {"--pdf" + out + t.path(), "folder"},
        {"--pdf" + out + "/dev/zero", "not a regular file"},
        {"--pdf " + t / "link.pdf " + text, "the file being printed"},
        {"--pdf " + text + " " + text, "the file being printed"},
        {"--pdf " + t / "no/such/out.pdf " + text, "No such file or directory"},
        {"/p " + t / "fifo", "not a regular file"},
        {"1 user title 1 '' " + t / "fifo", "ERROR: cannot read"},
    };
    for (const auto& [args, why] : cases) {
        const test::CommandResult r = Textprint(args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_NE(r.out.find(why), std::string::npos) << args << ": " << r.out;
    }
    EXPECT_TRUE(fs::is_symlink(t / "full.pdf")) << "what is not ours stays";
    EXPECT_EQ(Read(text), "some text\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(t.path()), {}), 4) << "nothing left behind";
}

TEST(Textprint, NamesThatAreNotUtf8PrintWithAReadableTitleAndSoDoFilterJobs) {
    test::TempDir t;
    const std::string text = t.file("caf\xE9.txt", "du caf\xE9\n");
    // As a CUPS filter: the job's title, the text from standard input, the PDF on standard out.
    for (const auto& [args, title] :
         {std::pair{"--pdf " + t / "out.pdf '" + text + "'", "café.txt"},
          std::pair{"7 u 'Job title' 1 '' <'" + text + "' >" + t / "out.pdf", "Job title"}}) {
        ASSERT_EQ(Textprint(args).status, 0) << args;
        const std::string pdf =
            test::RunCommand("pdfinfo " + t / "out.pdf; pdftotext " + t / "out.pdf -").out;
        EXPECT_NE(pdf.find(std::string("Title:           ") + title), std::string::npos) << pdf;
        EXPECT_NE(pdf.find("du café"), std::string::npos) << pdf;
    }
}

TEST(Textprint, AKilledRunLeavesTheOldPdfOrNoneButNeverHalfOfOne) {
    test::TempDir t;
    const std::string text = t.file("big.txt", std::string(4 << 20, 'x'));
    for (const auto& [before, signal] :
         {std::pair{false, SIGTERM}, std::pair{true, SIGHUP}, std::pair{true, SIGKILL}}) {
        if (before) t.file("out.pdf", "the old PDF");
        // Killed once its PDF has begun, wherever that is written.
        const pid_t run = test::StartProgram({TEXTPRINT_PATH, "--pdf", t / "out.pdf", text});
        for (int i = 0;
             i < 1000 &&
             test::RunCommand("find " + t.path() + " -name '*.pdf*' -size +1k").out.empty();
             ++i)
            ::usleep(5000);
        test::SignalOwnChild(run, signal);
        ::waitpid(run, nullptr, 0);
        EXPECT_EQ(Read(t / "out.pdf"), before ? "the old PDF" : "");
        // Only a kill that cannot be caught may leave its temporary behind.
        EXPECT_TRUE(signal == SIGKILL ||
                    std::distance(fs::directory_iterator(t.path()), {}) == 1 + before);
    }
}

}  // namespace
}  // namespace vx
