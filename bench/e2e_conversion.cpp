// End to end through a private CUPS server and "PDF Printer": seconds per file for 50 small
// files from the press of "Convert To PDF" to the last PDF on disk, against `lp` of the same
// files to "PDF Printer" and, where it is installed, to cups-pdf.
#include <cups/cups.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "app/Form1.h"
#include "bench/BenchUtil.h"
#include "platform/posix/CupsPrinters.h"
#include "platform/posix/HiveRegistry.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixLauncher.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "system/PrivateCups.h"

namespace {

double WaitFor(const std::string& marker, std::size_t n,
               std::chrono::steady_clock::time_point start) {
    for (int i = 0; i < 3000 && vx::test::PdfsWithMarker(marker).size() < n; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return vx::bench::Seconds(start);
}

void Clean(const std::string& marker) {
    for (const auto& pdf : vx::test::PdfsWithMarker(marker)) std::filesystem::remove(pdf);
}

}  // namespace

int main(int argc, char* argv[]) {
    vx::test::PrivateCups cups;  // before Qt and libcups read any setting
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!cups.ok()) {
        std::fprintf(stderr, "the private cupsd did not start\n%s", cups.log().c_str());
        return 1;
    }
    cups.addNullPrinter("Office");
    cups.addPdfPrinter();
    cups.run("lpoptions -d Office >/dev/null");

    constexpr int kFiles = 50;
    vx::test::TempDir t;
    const std::string marker = "vxe2e" + std::to_string(::getpid());
    std::vector<std::string> files;
    for (int i = 0; i < kFiles; ++i)
        files.push_back(t.file(marker + "-" + std::to_string(i) + ".txt",
                               "Small file number " + std::to_string(i) + "\nwith two lines\n"));

    vx::PosixFileSystem fileSystem;
    vx::HiveRegistry registry({t.file("classes.reg",
                                      "[HKEY_CLASSES_ROOT\\Wordpad.Document.1\\Protocol\\"
                                      "StdFileEditing\\Server]\n@=\"" TEXTPRINT_PATH "\"\n")});
    vx::CupsPrinters printers;
    vx::PosixLauncher launcher;
    // "Done." is answered as soon as the word processor has handed its job to CUPS, as a
    // quick user would: the run changes the default back right after the last box.
    vx::test::FakeUi ui;
    std::size_t done = 0;
    ui.onBox = [&](const vx::test::Box&) {
        ++done;
        for (int i = 0; i < 500; ++i) {
            cups_job_t* jobs = nullptr;
            const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
            cupsFreeJobs(n, jobs);
            if (static_cast<std::size_t>(n) >= done) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    };
    vx::Platform platform{&fileSystem, &registry, &printers, &launcher, &ui, "", "", nullptr};
    vx::Form1 form(platform);
    for (const auto& f : files) form.List().append(f);

    auto start = std::chrono::steady_clock::now();
    QTest::mouseClick(form.findChild<QPushButton*>("Check2"), Qt::LeftButton);
    const double ours = WaitFor(marker, kFiles, start);
    const std::size_t ourCount = vx::test::PdfsWithMarker(marker).size();
    Clean(marker);

    std::printf("%-36s %.3f s per file (%zu of %d PDFs)\n", "Convert To PDF, textprint",
                ours / kFiles, ourCount, kFiles);
    auto lp = [&](const char* who, const std::string& queue) {
        const auto start = std::chrono::steady_clock::now();
        for (const auto& f : files) cups.run("lp -d " + queue + " '" + f + "' >/dev/null");
        const double s = WaitFor(marker, kFiles, start);
        std::printf("%-36s %.3f s per file (%zu of %d PDFs)\n", who, s / kFiles,
                    vx::test::PdfsWithMarker(marker).size(), kFiles);
        Clean(marker);
    };
    lp("lp to \"PDF Printer\"", "PDF_Printer");
    if (cups.addCupsPdfPrinter("CupsPdf"))
        lp("lp to cups-pdf", "CupsPdf");
    else
        std::printf("lp to cups-pdf: not installed\n");
    return 0;
}
