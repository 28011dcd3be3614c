// 2,000 files through the real window, textprint, a private cupsd and our backend: once with
// the faults of the soak test (two cupsd restarts, a full ~/PDF for a few seconds, a kill -9
// of the window and a second run of what has no PDF yet), once without. Prints files per
// second of each and the ratio; the run without faults is the anchor.
// bench_soak_conversion [FILES] [SEED]
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "system/Soak.h"

int main(int argc, char** argv) {
    if (const int window = vx::test::RunWindow(argc, argv); window >= 0) return window;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // a long run shows each pass as it ends
    vx::test::SoakOptions o;
    o.files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 2000;
    o.seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10))
                      : static_cast<unsigned>(std::time(nullptr));
    o.timeout = 3600;
    double rate[2] = {};
    for (const bool faults : {false, true}) {
        o.faults = faults;
        const vx::test::SoakResult r = vx::test::RunSoak(o);
        for (const auto& p : r.problems) std::fprintf(stderr, "%s\n", p.c_str());
        if (!r.problems.empty()) return 1;
        rate[faults] = static_cast<double>(r.pdfs) / r.seconds;
        std::printf("%-15s %zu files, %zu PDFs in %.1f s: %.2f files per second\n",
                    faults ? "with faults" : "without faults", o.files, r.pdfs, r.seconds,
                    rate[faults]);
    }
    std::printf("under faults the batch keeps %.2f of its pace without them (seed %u)\n",
                rate[1] / rate[0], o.seed);
    return 0;
}
