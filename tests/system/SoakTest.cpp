// About 100 files through the real window, textprint, a private cupsd and our backend while
// cupsd restarts twice, ~/PDF fills up for a few seconds and the window is killed and run
// again on the files without a PDF. VELLUMAX_SOAK_SEED=<the seed printed> replays the points.
#include <gtest/gtest.h>

#include <ctime>

#include "system/Soak.h"

TEST(Soak, EveryFileGetsOnePdfOrANameInABoxUnderFaults) {
    vx::test::SoakOptions o;
    const char* seed = std::getenv("VELLUMAX_SOAK_SEED");
    o.seed = static_cast<unsigned>(seed ? std::strtoul(seed, nullptr, 10) : std::time(nullptr));
    const vx::test::SoakResult r = vx::test::RunSoak(o);
    if (!r.problems.empty() && r.problems[0].rfind("no small home", 0) == 0)
        GTEST_SKIP() << r.problems[0];
    for (const auto& p : r.problems) ADD_FAILURE() << p;
    std::printf("soak: %zu of %zu files with their PDF in %.1f s (seed %u)\n", r.pdfs, o.files,
                r.seconds, o.seed);
    if (!r.problems.empty()) std::printf("what the user was shown:\n%s", r.log.c_str());
}

int main(int argc, char** argv) {
    if (const int window = vx::test::RunWindow(argc, argv); window >= 0) return window;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
