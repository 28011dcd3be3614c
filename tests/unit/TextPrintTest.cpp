#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/Command.h"
#include "support/TempDir.h"
#include "textprint/TextDecoder.h"
#include "textprint/TextLayout.h"
#include "textprint/TextToPdf.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

std::u32string Decode(Encoding e, const std::string& bytes) {
    TextDecoder d(e);
    std::u32string out;
    for (const char& b : bytes) d.feed(reinterpret_cast<const unsigned char*>(&b), 1, out);
    d.finish(out);
    return out;
}

TEST(TextDecoder, MarksChooseTheEncodingAndEveryUnitSurvivesBeingFedByteByByte) {
    const struct {
        std::string bytes;
        Encoding encoding;
        std::u32string text;
    } cases[] = {
        {std::string("\xFF\xFE\x00\x00\x00\xF6\x01\x00", 8), Encoding::Utf32LE, U"😀"},
        {std::string("\x00\x00\xFE\xFF\x00\x00\x00h\x00\x11\x00\x00", 12), Encoding::Utf32BE,
         U"h\uFFFD"},
        {std::string("\xFF\xFEh\x00\x3D\xD8\x00\xDE\x00\xDCh\x00z", 13), Encoding::Utf16LE,
         U"h😀\uFFFDh\uFFFD"},
        {std::string("\xFE\xFF\x00h\x4E\x2D\xD8\x3D\x00h", 10), Encoding::Utf16BE, U"h中\uFFFDh"},
        {"\xEF\xBB\xBF"
         "caf\xC3\xA9 \xF0\x9F\x98\x80",
         Encoding::Utf8, U"café 😀"},
        {"a\xE2\x82z \xED\xA0\x80 \xC0\x80", Encoding::Windows1252, U"aâ‚z í\u00A0€ À€"},
        {"caf\xE9 \x93q\x94 \x80", Encoding::Windows1252, U"café “q” €"},
    };
    for (const auto& c : cases) {
        const Detected d = DetectEncoding(reinterpret_cast<const unsigned char*>(c.bytes.data()),
                                          c.bytes.size(), IsValidUtf8(c.bytes));
        EXPECT_EQ(d.encoding, c.encoding) << c.bytes;
        EXPECT_EQ(Decode(d.encoding, c.bytes.substr(d.bomLength)), c.text) << c.bytes;
    }
    EXPECT_EQ(Decode(Encoding::Utf8, "a\xE2\x82z a\xE2"), U"a\uFFFDz a\uFFFD");
}

TEST(TextDecoder, FileNamesBecomeValidTextWhateverTheirBytes) {
    for (const auto& [name, shown] : std::vector<std::pair<std::string, std::string>>{
             {"caf\xC3\xA9.txt", "café.txt"}, {"caf\xE9.txt", "café.txt"}, {"\x80\xFF", "€ÿ"}}) {
        EXPECT_EQ(DisplayName(name), shown);
    }
}

struct Recorder : LineSink {
    void line(int row, const std::u32string& text) override {
        rows.push_back(std::to_string(pages) + ":" + std::to_string(row) + ":" +
                       std::string(text.begin(), text.end()));
        texts.push_back(text);
    }
    void endPage() override { ++pages; }
    std::vector<std::string> rows;  // "page:row:text" with one byte per character
    std::vector<std::u32string> texts;
    int pages = 0;
};

Recorder Lay(const std::u32string& text, int columns = 20, int rows = 5, long* dropped = nullptr) {
    Recorder r;
    TextLayout layout(columns, rows, r);
    for (const char32_t c : text) layout.put(c);
    layout.finish();
    EXPECT_EQ(layout.pages(), r.pages);
    if (dropped != nullptr) *dropped = layout.droppedMarks();
    return r;
}

using Rows = std::vector<std::string>;

TEST(TextLayout, LinesPagesTabsControlsAndWrapsLandWhereTheyShould) {
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
        {U"a\tb\n12345678\tc", 40, {"0:0:a       b", "0:1:12345678        c"}, 1},
        {std::u32string(U"a\0b\x1B\x7F", 5), 20, {"0:0:a^@b^[^?"}, 1},
        {U"the quick brown fox jumps over", 20, {"0:0:the quick brown fox ", "0:1:jumps over"}, 1},
        // A space arriving at a full line does not pull the line's last word down.
        {U"abc 5678901234567890 z", 20, {"0:0:abc 5678901234567890", "0:1: z"}, 1},
        {U"xxxxxxxxxxxxxxxxxxxxxxxxx", 20, {"0:0:xxxxxxxxxxxxxxxxxxxx", "0:1:xxxxx"}, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(Lay(c.text, c.columns).rows, c.rows);
    for (const auto& c : cases) EXPECT_EQ(Lay(c.text, c.columns).pages, c.pages);
    // Wide characters take two cells: in tab stops and at the edge, which they never straddle.
    EXPECT_EQ(Lay(U"中\td\n中文字符测试中文字符", 9).texts,
              (std::vector<std::u32string>{U"中      d", U"中文字符", U"测试中文", U"字符"}));
}

TEST(TextLayout, WrappedWordsLoseNothing) {
    std::u32string words;
    for (int i = 0; i < 300; ++i) words += U"w" + std::u32string(i % 7, U'o') + U" ";
    std::u32string joined;
    for (const auto& row : Lay(words, 33, 4).texts) {
        EXPECT_LE(row.size(), 33u);
        joined += row;
    }
    EXPECT_EQ(joined, words);
}

TEST(TextLayout, EachCharacterKeepsABoundedNumberOfMarks) {
    const std::u32string many(200000, U'\u0301');
    const std::u32string kept(TextLayout::kMarksKept, U'\u0301');
    const struct {
        std::u32string text;
        std::u32string shown;
        long dropped;
    } cases[] = {
        {U"a" + many, U"a" + kept, 200000 - TextLayout::kMarksKept},
        {many + U"b" + kept + U"c\u0301", kept + U"b" + kept + U"c\u0301",
         200000 - TextLayout::kMarksKept},
        {U"a" + kept + U"\na" + kept, U"a" + kept, 0},
    };
    for (const auto& c : cases) {
        long dropped = -1;
        const Recorder r = Lay(c.text, 80, 60, &dropped);
        ASSERT_FALSE(r.texts.empty());
        EXPECT_EQ(r.texts[0], c.shown);
        EXPECT_EQ(dropped, c.dropped);
    }
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

TEST(TextToPdf, PagesFollowThePageSizeAndEveryScriptKeepsItsPage) {
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
        const Pdf p = ToPdf(c.text, c.page);
        EXPECT_TRUE(p.result.ok);
        EXPECT_EQ(p.result.pages, c.pages);
        EXPECT_TRUE(p.result.missing.empty());
        std::size_t objects = 0;
        for (std::size_t at = p.bytes.find("/Type /Page"); at != std::string::npos;
             at = p.bytes.find("/Type /Page", at + 1))
            objects += p.bytes.compare(at, 12, "/Type /Pages") != 0;
        EXPECT_EQ(objects, static_cast<std::size_t>(c.pages));
        EXPECT_NE(p.bytes.find("%%EOF", p.bytes.size() - 8), std::string::npos);
    }
}

TEST(TextToPdf, ReportsCharactersNoFontHasInsteadOfHidingThem) {
    const Pdf p = ToPdf("ok \xF4\x8F\xBF\xBD and \xF3\xB0\x80\x80");
    EXPECT_TRUE(p.result.ok);
    EXPECT_EQ(p.result.missing, (std::set<char32_t>{0xF0000, 0x10FFFD}));
    EXPECT_EQ(DescribeMissing(p.result.missing),
              "U+F0000 \xF3\xB0\x80\x80, U+10FFFD \xF4\x8F\xBF\xBD");
    EXPECT_EQ(DescribeMissing({1, 2, 3}, 2), "U+0001 \x01, U+0002 \x02 and 1 more");
}

// Runs textprint with a shell's arguments; its standard error is appended to `errors`.
int Textprint(const std::string& args, std::string& errors) {
    const test::CommandResult r =
        test::RunCommand("timeout 20 '" TEXTPRINT_PATH "' " + args + " 2>&1 >/dev/null");
    errors += r.out;
    return r.status;
}

std::string Read(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Textprint, EveryFailureSaysWhyAndTouchesNothingThatIsNotItsOwn) {
    test::TempDir t;
    const std::string text = t.file("a.txt", "some text\n");
    ::mkfifo((t / "fifo").c_str(), 0600);
    fs::create_symlink("/dev/full", t / "full.pdf");
    fs::create_symlink(text, t / "link.pdf");
    const struct {
        std::string args;
        std::string why;
    } cases[] = {
        {"--pdf " + t / "full.pdf" + " " + text, "No space left on device"},
        {"--pdf " + t / "out.pdf" + " " + t / "missing.txt", "No such file or directory"},
        {"--pdf " + t / "out.pdf" + " " + t / "fifo", "not a regular file"},
        {"--pdf " + t / "out.pdf" + " " + t.path(), "folder"},
        {"--pdf " + t / "out.pdf" + " /dev/zero", "not a regular file"},
        {"--pdf " + t / "link.pdf" + " " + text, "the file being printed"},
        {"--pdf " + text + " " + text, "the file being printed"},
        {"--pdf " + t / "no/such/out.pdf" + " " + text, "No such file or directory"},
        {"/p " + t / "fifo", "not a regular file"},
        {"1 user title 1 '' " + t / "fifo", "ERROR: cannot read"},
    };
    for (const auto& c : cases) {
        std::string errors;
        EXPECT_EQ(Textprint(c.args, errors), 1) << c.args;
        EXPECT_NE(errors.find(c.why), std::string::npos) << c.args << ": " << errors;
    }
    EXPECT_TRUE(fs::is_symlink(t / "full.pdf")) << "what is not ours stays";
    EXPECT_EQ(Read(text), "some text\n");
    EXPECT_FALSE(fs::exists(t / "out.pdf"));
    EXPECT_EQ(std::distance(fs::directory_iterator(t.path()), {}), 4) << "no leftovers";
}

TEST(Textprint, NamesThatAreNotUtf8PrintWithAReadableTitle) {
    test::TempDir t;
    const std::string text = t.file("caf\xE9.txt", "du caf\xE9\n");
    std::string errors;
    ASSERT_EQ(Textprint("--pdf " + t / "out.pdf '" + text + "'", errors), 0) << errors;
    EXPECT_NE(test::RunCommand("pdfinfo " + t / "out.pdf").out.find("Title:           café.txt"),
              std::string::npos);
    // As a CUPS filter: the job's title, the text from standard input, the PDF on standard out.
    ASSERT_EQ(test::RunCommand("'" TEXTPRINT_PATH "' 7 u 'Job title' 1 '' <'" + text + "' >" +
                               t / "job.pdf")
                  .status,
              0);
    EXPECT_NE(test::RunCommand("pdfinfo " + t / "job.pdf").out.find("Title:           Job title"),
              std::string::npos);
    EXPECT_NE(test::RunCommand("pdftotext " + t / "job.pdf -").out.find("du café"),
              std::string::npos);
}

TEST(Textprint, AKilledRunLeavesTheOldPdfOrNoneButNeverHalfOfOne) {
    test::TempDir t;
    std::string big;
    while (big.size() < (4u << 20)) big += "a line of text that goes on for a while\n";
    const std::string text = t.file("big.txt", big);
    for (const bool before : {false, true}) {
        if (before) t.file("out.pdf", "the old PDF");
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::execl(TEXTPRINT_PATH, "textprint", "--pdf", (t / "out.pdf").c_str(), text.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Killed once its PDF has begun, wherever that is written.
        auto begun = [&] {
            for (const auto& e : fs::directory_iterator(t.path()))
                if (e.path().extension() != ".txt" && e.file_size() > 100) return true;
            return false;
        };
        for (int i = 0; i < 2000 && !begun(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        EXPECT_EQ(fs::exists(t / "out.pdf") ? Read(t / "out.pdf") : "",
                  before ? "the old PDF" : "");
    }
}

}  // namespace
}  // namespace vx
