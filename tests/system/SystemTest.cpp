// The real window with the real OS services: a private CUPS server, the vellumax-pdf
// "PDF Printer", textprint as the word processor. Only the boxes and dialogs are answered
// by the test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/Form1.h"
#include "platform/posix/CupsPrinters.h"
#include "platform/posix/HiveRegistry.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixLauncher.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "system/PrivateCups.h"

namespace vx {
namespace {

test::PrivateCups* cups = nullptr;

class SystemTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { cups = new test::PrivateCups; }
    static void TearDownTestSuite() {
        delete cups;
        cups = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(cups->ok()) << "the private cupsd did not start:\n" << cups->log();
        cups->addNullPrinter("Office");
        cups->addPdfPrinter();
        ASSERT_EQ(cups->run("lpoptions -d Office >/dev/null"), 0);
        marker = "vxsys" + std::to_string(::getpid()) + "x" + std::to_string(counter++);
    }
    void TearDown() override {
        for (const auto& pdf : test::PdfsWithMarker(marker)) std::filesystem::remove(pdf);
    }

    // Waits, as a user reading "Done." would, until the job of the entry has become a PDF.
    static std::vector<std::string> WaitForPdfs(const std::string& marker, std::size_t n) {
        for (int i = 0; i < 600; ++i) {
            auto pdfs = test::PdfsWithMarker(marker);
            if (pdfs.size() >= n) return pdfs;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return test::PdfsWithMarker(marker);
    }

    std::string marker;
    static inline int counter = 0;

    PosixFileSystem fileSystem;
    CupsPrinters printers;
    PosixLauncher launcher;
    test::FakeUi ui;
};

TEST_F(SystemTest, TheDefaultPrinterRoundTripsByQueueNameOrDescription) {
    EXPECT_EQ(printers.defaultPrinter(), "Office");
    printers.setDefaultPrinter("PDF Printer");
    EXPECT_EQ(printers.defaultPrinter(), "PDF_Printer");
    printers.setDefaultPrinter(printers.defaultPrinter());
    EXPECT_EQ(printers.defaultPrinter(), "PDF_Printer");
    EXPECT_THROW(printers.setDefaultPrinter("No Such Printer"), PlatformError);
    EXPECT_EQ(printers.defaultPrinter(), "PDF_Printer");
    printers.setDefaultPrinter("");
    EXPECT_THROW(printers.defaultPrinter(), PlatformError) << "no default of the user's own";
    printers.setDefaultPrinter("Office");
}

TEST_F(SystemTest, ThreeFilesBecomeThreeSearchablePdfsInListOrder) {
    test::TempDir t;
    const std::vector<std::string> words = {"alpha first apple", "beta second banana",
                                            "gamma third cherry"};
    std::string result = t.path();
    for (int i = 0; i < 3; ++i) {
        const std::string name =
            marker + "-" + std::to_string(i) + (i == 1 ? " with space.txt" : ".txt");
        t.file(name, words[i] + "\r\nline two of " + std::to_string(i) + "\n");
        result += std::string(1, '\0') + name;
    }
    HiveRegistry registry(
        {t.file("classes.reg",
                "Windows Registry Editor Version 5.00\n\n"
                "[HKEY_CLASSES_ROOT\\Wordpad.Document.1\\Protocol\\StdFileEditing\\Server]\n"
                "@=\"" TEXTPRINT_PATH "\"\n")});
    Platform platform{&fileSystem, &registry,        &printers, &launcher,
                      &ui,         VELLUMAX_BIN_DIR, "",        nullptr};
    ui.dialogResults = {result};
    std::size_t done = 0;
    ui.onBox = [&](const test::Box& b) {
        if (b.text == "Done.") {
            ++done;
            EXPECT_EQ(printers.defaultPrinter(), "PDF_Printer");
            WaitForPdfs(marker, done);
        }
    };
    Form1 form(platform);
    QTest::mouseClick(form.findChild<QPushButton*>("Check1"), Qt::LeftButton);
    ASSERT_EQ(form.List().count(), 3u);
    QTest::mouseClick(form.findChild<QPushButton*>("Check2"), Qt::LeftButton);
    EXPECT_EQ(done, 3u);
    EXPECT_EQ(printers.defaultPrinter(), "Office") << "the user's printer is put back";

    auto pdfs = WaitForPdfs(marker, 3);
    ASSERT_EQ(pdfs.size(), 3u) << cups->log();
    std::sort(pdfs.begin(), pdfs.end(), [](const std::string& a, const std::string& b) {
        return std::filesystem::last_write_time(a) < std::filesystem::last_write_time(b);
    });
    for (int i = 0; i < 3; ++i) {
        // Named after the file, nothing else.
        EXPECT_EQ(std::filesystem::path(pdfs[i]).filename().string(),
                  marker + "-" + std::to_string(i) + (i == 1 ? " with space.pdf" : ".pdf"));
        const std::string text = test::PdfText(pdfs[i]);
        EXPECT_NE(text.find(words[i]), std::string::npos) << pdfs[i] << ":\n" << text;
        EXPECT_NE(text.find("line two of " + std::to_string(i)), std::string::npos) << text;
    }
}

TEST_F(SystemTest, WithoutPdfPrinterTheUserIsToldAndNothingChanges) {
    cups->run("lpadmin -x PDF_Printer");
    test::TempDir t;
    HiveRegistry registry({t / "none.reg"});
    Platform platform{&fileSystem, &registry,        &printers, &launcher,
                      &ui,         VELLUMAX_BIN_DIR, "",        nullptr};
    Form1 form(platform);
    form.List().append(t.file(marker + ".txt", "never printed"));
    QTest::mouseClick(form.findChild<QPushButton*>("Check2"), Qt::LeftButton);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Critical);
    EXPECT_NE(ui.boxes[0].text.find("\"PDF Printer\""), std::string::npos);
    EXPECT_EQ(printers.defaultPrinter(), "Office");
    EXPECT_EQ(form.MousePointer(), 0);
}

}  // namespace
}  // namespace vx

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
