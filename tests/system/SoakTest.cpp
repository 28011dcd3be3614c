// About 100 files through the real window, textprint, a private cupsd and our backend while
// cupsd restarts twice, ~/PDF fills up for a few seconds and the window is killed and run
// again on the files without a PDF. The seed it prints replays the same points.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "system/Soak.h"

namespace vx::test {
namespace {

std::string self;

TEST(Soak, EveryFileGetsOnePdfOrANameInABoxUnderFaults) {
    SoakOptions o;
    o.self = self;
    const char* seed = std::getenv("VELLUMAX_SOAK_SEED");
    o.seed = seed != nullptr ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10))
                             : static_cast<unsigned>(std::time(nullptr));
    const SoakResult r = RunSoak(o);
    if (!r.problems.empty() && r.problems[0].rfind("no small home", 0) == 0)
        GTEST_SKIP() << r.problems[0];
    for (const auto& p : r.problems) ADD_FAILURE() << p;
    std::printf("soak: %zu of %zu files with their PDF in %.1f s (seed %u)\n", r.pdfs, o.files,
                r.seconds, o.seed);
    if (!r.problems.empty()) std::printf("what the user was shown:\n%s", r.log.c_str());
}

}  // namespace
}  // namespace vx::test

int main(int argc, char** argv) {
    if (vx::test::IsSoakWindow(argc, argv)) return vx::test::SoakWindow(argc, argv);
    vx::test::self = "/proc/self/exe";
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
