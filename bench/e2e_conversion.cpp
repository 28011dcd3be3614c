// End to end through a private CUPS server and "PDF Printer": from the press of "Convert To
// PDF" to the last PDF on disk, against `lp` of the same files to the same queue, at 50 and
// 500 small files, interleaved (ours, lp, ours, lp). Prints seconds per file over the whole
// run, its first tenth and its last tenth, and the ratio to `lp` in the same round.
// Only our own jobs and PDFs are watched: CUPS's job history grows from run to run, and
// asking for all of it would make the benchmark measure itself.
#include <cups/cups.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <atomic>
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

using Clock = std::chrono::steady_clock;

bool JobExists(int id) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const std::string uri = "ipp://localhost/jobs/" + std::to_string(id);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ippDelete(cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/jobs/"));
    return cupsLastError() <= IPP_STATUS_OK_CONFLICTING;
}

int LastJobId() {
    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
    int last = 0;
    for (int i = 0; i < n; ++i) last = std::max(last, jobs[i].id);
    cupsFreeJobs(n, jobs);
    return last;
}

// Notes when each of our PDFs appears, from a thread of its own.
class PdfWatch {
  public:
    PdfWatch(std::string marker, std::size_t n) : marker_(std::move(marker)), at_(n) {
        thread_ = std::thread([this] {
            std::size_t seen = 0;
            for (int i = 0; i < 12000 && seen < at_.size(); ++i) {  // two minutes at most
                const std::size_t now =
                    std::min(vx::test::PdfsWithMarker(marker_).size(), at_.size());
                for (; seen < now; ++seen) at_[seen] = vx::bench::Seconds(start_);
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            count_ = seen;
        });
    }
    // Waits for the last PDF; the times at which the k-th PDF appeared.
    const std::vector<double>& finish() {
        thread_.join();
        for (const auto& pdf : vx::test::PdfsWithMarker(marker_)) std::filesystem::remove(pdf);
        return at_;
    }
    std::size_t count() const { return count_; }

  private:
    std::string marker_;
    Clock::time_point start_ = Clock::now();
    std::vector<double> at_;
    std::atomic<std::size_t> count_{0};
    std::thread thread_;
};

struct PerFile {
    double all = 0, first = 0, last = 0;
    std::size_t pdfs = 0;
};

PerFile Measure(PdfWatch& watch) {
    const std::vector<double>& at = watch.finish();
    const std::size_t n = at.size(), tenth = std::max<std::size_t>(1, n / 10);
    return {at[n - 1] / static_cast<double>(n), at[tenth - 1] / static_cast<double>(tenth),
            (at[n - 1] - at[n - 1 - tenth]) / static_cast<double>(tenth), watch.count()};
}

void Print(const char* who, const PerFile& p, std::size_t n) {
    std::printf("  %-16s %.1f ms per file (first tenth %.1f, last tenth %.1f), %zu of %zu PDFs\n",
                who, p.all * 1000, p.first * 1000, p.last * 1000, p.pdfs, n);
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
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2;

    vx::test::TempDir t;
    vx::PosixFileSystem fileSystem;
    vx::HiveRegistry registry({t.file("classes.reg",
                                      "[HKEY_CLASSES_ROOT\\Wordpad.Document.1\\Protocol\\"
                                      "StdFileEditing\\Server]\n@=\"" TEXTPRINT_PATH "\"\n")});
    vx::CupsPrinters printers;
    vx::PosixLauncher launcher;
    // "Done." is answered as soon as the word processor has handed its job to CUPS, as a
    // quick user would: the run changes the default back right after the last box.
    vx::test::FakeUi ui;
    int nextJob = 0;
    ui.onBox = [&](const vx::test::Box&) {
        for (int i = 0; i < 5000 && !JobExists(nextJob); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ++nextJob;
    };
    vx::Platform platform{&fileSystem, &registry, &printers, &launcher, &ui, "", "", nullptr};

    for (const std::size_t n : {std::size_t{50}, std::size_t{500}}) {
        const std::string marker = "vxe2e" + std::to_string(::getpid()) + "n" + std::to_string(n);
        std::vector<std::string> files;
        for (std::size_t i = 0; i < n; ++i)
            files.push_back(
                t.file(marker + "-" + std::to_string(i) + ".txt",
                       "Small file number " + std::to_string(i) + "\nwith two lines\n"));
        vx::Form1 form(platform);
        for (const auto& f : files) form.List().append(f);
        std::printf("%zu files:\n", n);
        std::vector<double> ratios;
        for (int r = 0; r < rounds; ++r) {
            nextJob = LastJobId() + 1;
            PdfWatch ours(marker, n);
            QTest::mouseClick(form.findChild<QPushButton*>("Check2"), Qt::LeftButton);
            const PerFile a = Measure(ours);
            PdfWatch lp(marker, n);
            for (const auto& f : files) vx::bench::Run({"lp", "-d", "PDF_Printer", f}, true);
            const PerFile b = Measure(lp);
            Print("Convert To PDF", a, n);
            Print("lp", b, n);
            ratios.push_back(a.all / b.all);
            std::fflush(stdout);
        }
        std::sort(ratios.begin(), ratios.end());
        std::printf("  Convert To PDF / lp: %.2f (median of %d rounds)\n",
                    ratios[ratios.size() / 2], rounds);
    }
    return 0;
}
