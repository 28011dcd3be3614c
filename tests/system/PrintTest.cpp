// textprint through the real "PDF Printer" queue of a private CUPS server, started with "/p"
// or as the queue's filter for lp: what lands in the PDF folder must give the words back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/Command.h"
#include "support/TempDir.h"
#include "system/Corpus.h"
#include "system/PrivateCups.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

class PrintTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        cups = new PrivateCups;
        cups->addPdfPrinter();
        cups->run("lpoptions -d PDF_Printer >/dev/null");
    }
    static void TearDownTestSuite() { delete cups; }
    void TearDown() override {
        for (const auto& pdf : PdfsWithMarker(marker)) fs::remove(pdf);
    }

    // Prints NAME with "textprint /p", or with lp as a text job, and waits until the queue has
    // filed NAME's PDF; its path, or "" with why in `errors`.
    std::string print(const std::string& name, const std::string& bytes, bool lp,
                      std::string& errors) {
        const std::string path = folder.file(marker + name, bytes);
        const CommandResult r =
            RunCommand((lp ? "lp -d PDF_Printer '" : "'" TEXTPRINT_PATH "' /p '") + path +
                       "' 2>&1 >/dev/null");
        errors = r.out;
        const std::string pdf = r.status != 0
                                    ? ""
                                    : AwaitPdf(*cups, PdfFolder() + "/" + marker +
                                                          name.substr(0, name.rfind('.')) + ".pdf");
        if (pdf.empty()) errors += "\nno PDF: " + std::to_string(r.status) + cups->log();
        return pdf;
    }

    static inline PrivateCups* cups = nullptr;
    TempDir folder;
    const std::string marker = "vxprint" + std::to_string(::getpid()) + "-";
};

TEST_F(PrintTest, EveryKindOfTextComesBackFromThePdf) {
    for (const bool lp : {false, true}) {
        for (const CorpusFile& c : MakeCorpus(20261206)) {
            if (lp && (c.name == "binary.bin" || c.bytes.empty())) continue;  // lp refuses them
            SCOPED_TRACE(c.name + (lp ? " with lp" : ""));
            std::string errors;
            const std::string pdf = print(c.name, c.bytes, lp, errors);
            ASSERT_FALSE(pdf.empty()) << errors;
            // The queue's filter tells the CUPS log, not lp.
            if (lp || c.warning.empty()) {
                EXPECT_EQ(errors, "");
            } else {
                EXPECT_NE(errors.find(c.warning), std::string::npos) << errors;
                EXPECT_NE(errors.find(c.name), std::string::npos) << errors;
            }
            EXPECT_NE(RunCommand("pdfinfo '" + pdf + "'").out.find("textprint"), std::string::npos);
            const std::string text = PdfText(pdf, false);
            EXPECT_GE(Recall(c.text, text), 0.99) << text.substr(0, 2000);
            if (c.pages > 0) {
                EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), c.pages);
            }
            fs::remove(pdf);
        }
    }
}

TEST_F(PrintTest, PagesHaveThePrintersDefaultSize) {
    for (const bool lp : {false, true}) {
        for (const auto& [size, shown] :
             {std::pair{"Letter", "612 x 792 pts (letter)"}, std::pair{"A4", "pts (A4)"}}) {
            ASSERT_EQ(cups->run(std::string("lpadmin -p PDF_Printer -o PageSize=") + size), 0);
            const std::string name = std::string(size) + (lp ? "-lp" : "");
            std::string errors;
            const std::string pdf = print(name + ".txt", "on " + name, lp, errors);
            ASSERT_FALSE(pdf.empty()) << errors;
            const std::string info = RunCommand("pdfinfo '" + pdf + "'").out;
            EXPECT_NE(info.find(shown), std::string::npos) << name << info;
        }
    }
}

TEST_F(PrintTest, TheUsersOwnPageSizeComesFirst) {
    ASSERT_EQ(cups->run("lpoptions -p PDF_Printer -o media=A5 >/dev/null"), 0);
    std::string errors;
    const std::string pdf = print("A5.txt", "on A5", false, errors);
    cups->run("lpoptions -p PDF_Printer -r media >/dev/null");
    ASSERT_FALSE(pdf.empty()) << errors;
    const std::string info = RunCommand("pdfinfo '" + pdf + "'").out;
    EXPECT_NE(info.find("pts (A5)"), std::string::npos) << info;
}

}  // namespace
}  // namespace vx::test
