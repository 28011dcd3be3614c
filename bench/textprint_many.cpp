// 200 small files, one textprint process per file, handed to a printer of a private CUPS
// server: files per second, beside Qt's QTextDocument process per file (to a PDF file).
#include <cstdio>

#include "bench/BenchUtil.h"
#include "support/TempDir.h"
#include "system/PrivateCups.h"

int main() {
    vx::test::PrivateCups cups;
    if (!cups.ok()) {
        std::fprintf(stderr, "the private cupsd did not start\n%s", cups.log().c_str());
        return 1;
    }
    cups.addNullPrinter("Sink");
    cups.run("lpoptions -d Sink >/dev/null");
    constexpr int kFiles = 200;
    vx::test::TempDir t;
    std::vector<std::string> files;
    for (int i = 0; i < kFiles; ++i)
        files.push_back(t.file("small-" + std::to_string(i) + ".txt",
                               "Small file " + std::to_string(i) +
                                   "\nwith\ta few lines\nand café, Ελληνικά, Русский.\n"));
    auto rate = [&](const char* who, auto run) {
        const auto start = std::chrono::steady_clock::now();
        int failed = 0;
        for (int i = 0; i < kFiles; ++i) failed += run(i).status != 0;
        const double s = vx::bench::Seconds(start);
        std::printf("%-34s %6.1f files/s%s\n", who, kFiles / s,
                    failed > 0 ? "  (some failed)" : "");
    };
    std::printf("%d small files, one process each:\n", kFiles);
    rate("textprint /p, to the printer", [&](int i) {
        return vx::bench::Run({TEXTPRINT_PATH, "/p", files[static_cast<std::size_t>(i)]});
    });
    rate("textprint --pdf, to a file", [&](int i) {
        return vx::bench::Run(
            {TEXTPRINT_PATH, "--pdf", t.path() + "/out.pdf", files[static_cast<std::size_t>(i)]});
    });
    rate("Qt QTextDocument, to a file", [&](int i) {
        return vx::bench::Run(
            {QT_ANCHOR_PATH, files[static_cast<std::size_t>(i)], t.path() + "/qt.pdf"});
    });
    return 0;
}
