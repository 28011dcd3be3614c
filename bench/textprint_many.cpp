// 200 small files, one process per file: textprint to a PDF file beside Qt's QTextDocument
// process per file, in turns (A B A B) so a drifting machine hits both alike; the figure is
// the ratio of their medians. Then textprint /p to a printer of a private CUPS server.
#include <algorithm>
#include <cstdio>

#include "bench/BenchUtil.h"
#include "support/TempDir.h"
#include "system/PrivateCups.h"

int main() {
    constexpr int kFiles = 200;
    constexpr int kRounds = 3;
    vx::test::TempDir t;
    std::vector<std::string> files;
    files.reserve(kFiles);
    for (int i = 0; i < kFiles; ++i)
        files.push_back(t.file("small-" + std::to_string(i) + ".txt",
                               "Small file " + std::to_string(i) +
                                   "\nwith\ta few lines\nand café, Ελληνικά, Русский.\n"));
    // Seconds for all files, one process each; negative when one failed.
    auto all = [&](auto args) {
        const auto start = std::chrono::steady_clock::now();
        int failed = 0;
        for (const std::string& f : files) failed += vx::bench::Run(args(f)).status != 0;
        return failed > 0 ? -1.0 : vx::bench::Seconds(start);
    };
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::vector<double> ours, qt;
    for (int round = 0; round < kRounds; ++round) {
        ours.push_back(all([&](const std::string& f) {
            return std::vector<std::string>{TEXTPRINT_PATH, "--pdf", t.path() + "/out.pdf", f};
        }));
        qt.push_back(all([&](const std::string& f) {
            return std::vector<std::string>{QT_ANCHOR_PATH, f, t.path() + "/qt.pdf"};
        }));
    }
    std::printf("%d small files, one process each, median of %d rounds in turns:\n", kFiles,
                kRounds);
    std::printf("%-30s %6.1f files/s\n", "textprint --pdf, to a file", kFiles / median(ours));
    std::printf("%-30s %6.1f files/s\n", "Qt QTextDocument, to a file", kFiles / median(qt));
    std::printf("time ratio textprint / Qt: %.2f%s\n", median(ours) / median(qt),
                std::min(*std::min_element(ours.begin(), ours.end()),
                         *std::min_element(qt.begin(), qt.end())) < 0
                    ? "  (some runs failed)"
                    : "");

    vx::test::PrivateCups cups;
    if (!cups.ok()) {
        std::fprintf(stderr, "the private cupsd did not start\n%s", cups.log().c_str());
        return 1;
    }
    cups.addNullPrinter("Sink");
    cups.run("lpoptions -d Sink >/dev/null");
    const double printed = all([&](const std::string& f) {
        return std::vector<std::string>{TEXTPRINT_PATH, "/p", f};
    });
    std::printf("%-30s %6.1f files/s%s\n", "textprint /p, to the printer", kFiles / printed,
                printed < 0 ? "  (some failed)" : "");
    return 0;
}
