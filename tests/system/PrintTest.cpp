// textprint through the real "PDF Printer" queue of a private CUPS server: what lands in
// the PDF folder must give the file's words back to pdftotext.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/Command.h"
#include "support/TempDir.h"
#include "system/Corpus.h"
#include "system/PrivateCups.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

PrivateCups* cups = nullptr;

struct Printed {
    int status = -1;
    std::string errors;  // what textprint said on standard error
    std::string pdf;
};

class PrintTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        cups = new PrivateCups;
        cups->addPdfPrinter();
        cups->run("lpoptions -d PDF_Printer >/dev/null");
    }
    static void TearDownTestSuite() {
        delete cups;
        cups = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(cups->ok()) << cups->log();
        marker = "vxprint" + std::to_string(::getpid()) + "x" + std::to_string(counter++) + "-";
    }
    void TearDown() override {
        for (const auto& pdf : PdfsWithMarker(marker)) fs::remove(pdf);
    }

    // Prints the file with "textprint /p", or with lp as a text job, and waits until the
    // queue has filed its PDF.
    Printed print(const std::string& path, const std::string& expectedPdf, bool lp = false) {
        Printed p;
        const std::string err = folder.path() + "/stderr";
        p.status = cups->run((lp ? "lp -d PDF_Printer '" : "'" TEXTPRINT_PATH "' /p '") + path +
                             "' 2>'" + err + "' >/dev/null");
        std::ifstream e(err);
        p.errors.assign(std::istreambuf_iterator<char>(e), std::istreambuf_iterator<char>());
        const std::string pdf = PdfFolder() + "/" + expectedPdf;
        for (int i = 0; i < 300 && p.status == 0; ++i) {
            if (fs::exists(pdf) && cups->run("test -z \"$(lpstat -o)\"") == 0) {
                p.pdf = pdf;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return p;
    }

    std::string file(const std::string& name, const std::string& bytes) {
        return folder.file(marker + name, bytes);
    }

    TempDir folder;
    std::string marker;
    static inline int counter = 0;
};

std::string Stem(const std::string& name) {
    return name.substr(0, name.rfind('.'));
}

int PageCount(const std::string& pdf) {
    const std::string text = PdfText(pdf);
    return static_cast<int>(std::count(text.begin(), text.end(), '\f'));
}

TEST_F(PrintTest, EveryKindOfTextComesBackFromThePdf) {
    // Text printed with lp goes through textprint too, as the queue's filter.
    for (const bool lp : {false, true}) {
        for (const CorpusFile& c : MakeCorpus(20261206)) {
            if (lp && (c.name == "binary.bin" || c.bytes.empty())) continue;  // lp refuses them
            SCOPED_TRACE(c.name + (lp ? " with lp" : ""));
            const Printed p = print(file(c.name, c.bytes), marker + Stem(c.name) + ".pdf", lp);
            ASSERT_EQ(p.status, 0) << p.errors;
            ASSERT_FALSE(p.pdf.empty()) << cups->log();
            EXPECT_EQ(p.errors, "") << "every character has a font";
            EXPECT_NE(RunCommand("pdfinfo '" + p.pdf + "'").out.find("textprint"),
                      std::string::npos);
            const std::string text = PdfText(p.pdf, false);
            if (c.compareCharacters) {
                EXPECT_GE(CharacterRecall(c.text, text), 0.99) << text;
            } else {
                EXPECT_GE(WordRecall(c.text, text), 0.99) << text.substr(0, 2000);
            }
            if (c.bytes.empty()) {
                EXPECT_EQ(PageCount(p.pdf), 1) << "an empty file is one empty page";
            }
            fs::remove(p.pdf);
        }
    }
}

TEST_F(PrintTest, FormFeedsStartPagesTabsLineUpAndNoLineIsCut) {
    std::string text = "first page\f\fthird page starts here\r\n";
    for (const char* row :
         {"name\tqty\tprice", "apple\t12\t0.50", "kiwifruit\t7\t12.25", "fig\t1000\t3", "a\tb\tc"})
        text += std::string(row) + "\r\n";
    const std::string longWord(650, 'q');
    text += longWord + "Z\n";
    std::string longLine;
    for (int i = 0; longLine.size() < 500; ++i) longLine += "w" + std::to_string(i) + " ";
    text += longLine + "END\n";

    const Printed p = print(file("layout.txt", text), marker + "layout.pdf");
    ASSERT_FALSE(p.pdf.empty()) << p.errors << cups->log();
    const std::string laid = PdfText(p.pdf);
    EXPECT_EQ(std::count(laid.begin(), laid.end(), '\f'), 3);
    const std::size_t third = laid.find("third page starts here");
    ASSERT_NE(third, std::string::npos) << laid;
    EXPECT_EQ(std::count(laid.begin(), laid.begin() + static_cast<long>(third), '\f'), 2)
        << "the text after two form feeds is on page three";

    // Each cell after a tab starts on the next stop of eight columns.
    for (const std::string row : {"name\tqty\tprice", "apple\t12\t0.50", "kiwifruit\t7\t12.25",
                                  "fig\t1000\t3", "a\tb\tc"}) {
        std::string expanded;
        for (const char c : row) {
            if (c != '\t') {
                expanded.push_back(c);
                continue;
            }
            do expanded.push_back(' ');
            while (expanded.size() % 8 != 0);
        }
        EXPECT_NE(laid.find("\n" + expanded + "\n"), std::string::npos) << expanded << "\n" << laid;
    }

    // Wrapped, never cut: the long word comes back whole once the line breaks are taken
    // out, and every word of the long line is there.
    std::string joined;
    for (const char c : PdfText(p.pdf, false))
        if (c != '\n') joined.push_back(c);
    EXPECT_NE(joined.find(longWord + "Z"), std::string::npos) << joined;
    EXPECT_GE(WordRecall(longLine + "END", PdfText(p.pdf, false)), 1.0);
}

TEST_F(PrintTest, SameNamesFromTwoFoldersLandSideBySide) {
    TempDir other;
    const Printed a = print(file("notes.txt", "from the first folder\n"), marker + "notes.pdf");
    const Printed b = print(other.file(marker + "notes.txt", "from the second folder\n"),
                            marker + "notes (2).pdf");
    ASSERT_FALSE(a.pdf.empty()) << cups->log();
    ASSERT_FALSE(b.pdf.empty()) << cups->log();
    EXPECT_NE(PdfText(a.pdf).find("from the first folder"), std::string::npos);
    EXPECT_NE(PdfText(b.pdf).find("from the second folder"), std::string::npos);
    EXPECT_EQ(PdfsWithMarker(marker).size(), 2u);
}

std::string PageSize(const std::string& pdf) {
    const std::string info = RunCommand("pdfinfo '" + pdf + "' 2>/dev/null").out;
    const std::size_t at = info.find("Page size:");
    return at == std::string::npos ? "" : info.substr(at, info.find('\n', at) - at);
}

TEST_F(PrintTest, PagesHaveThePrintersDefaultSize) {
    for (const bool lp : {false, true}) {
        for (const auto& [size, shown] :
             {std::pair{"Letter", "612 x 792 pts (letter)"}, std::pair{"A4", "pts (A4)"}}) {
            ASSERT_EQ(cups->run(std::string("lpadmin -p PDF_Printer -o PageSize=") + size), 0);
            const std::string name = std::string(size) + (lp ? "-lp" : "");
            const Printed p = print(file(name + ".txt", "on " + name), marker + name + ".pdf", lp);
            ASSERT_FALSE(p.pdf.empty()) << cups->log();
            EXPECT_NE(PageSize(p.pdf).find(shown), std::string::npos) << name << PageSize(p.pdf);
        }
    }
}

TEST_F(PrintTest, ACharacterNoFontHasIsNamedAndTheRestPrints) {
    const Printed p = print(file("odd.txt", "before \xF4\x8F\xBF\xBD after\n"), marker + "odd.pdf");
    ASSERT_EQ(p.status, 0) << p.errors;
    ASSERT_FALSE(p.pdf.empty()) << cups->log();
    EXPECT_NE(p.errors.find("no installed font has U+10FFFD"), std::string::npos) << p.errors;
    EXPECT_NE(p.errors.find("odd.txt"), std::string::npos) << p.errors;
    EXPECT_GE(WordRecall("before after", PdfText(p.pdf, false)), 1.0);
}

TEST_F(PrintTest, AFileThatCannotBeReadIsToldAndNothingIsPrinted) {
    const Printed p = print(folder.path() + "/" + marker + "missing.txt", "none");
    EXPECT_NE(p.status, 0);
    EXPECT_NE(p.errors.find("cannot read"), std::string::npos) << p.errors;
    EXPECT_TRUE(PdfsWithMarker(marker).empty());
}

}  // namespace
}  // namespace vx::test
