// The conversion run's own cost per entry for 100,000 entries, with fake processes and
// boxes that answer at once.
#include <cstdio>

#include "bench/BenchUtil.h"
#include "convert/RunConversion.h"
#include "support/Fakes.h"

int main() {
    vx::test::FakePlatform p;
    p.launcher.onStart = nullptr;
    vx::FileList list;
    for (int i = 0; i < 100000; ++i)
        list.append("/home/user/notes/file-" + std::to_string(i) + ".txt");
    vx::ConversionGuard guard;
    const auto start = std::chrono::steady_clock::now();
    vx::RunConversion(
        vx::ConversionContext{list, p.printers, p.registry, p.launcher, p.ui, guard, [](int) {}});
    const double seconds = vx::bench::Seconds(start);
    std::printf("entries converted: %zu\n", p.launcher.started.size());
    std::printf("run cost per entry: %.2f us\n", seconds / 100000 * 1e6);
    return 0;
}
