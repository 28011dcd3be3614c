// Appends 1,000,000 entries with the list view attached, removes 1,000 from the middle.
// Prints appends per second and peak memory per entry beyond the path text.
#include <QApplication>
#include <cstdio>

#include "app/ListView1.h"
#include "bench/BenchUtil.h"
#include "filelist/FileListModel.h"

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    vx::FileList list;
    vx::FileListModel model(list);
    vx::ListView1 view(&model, nullptr);
    view.resize(425, 105);
    view.show();
    QApplication::processEvents();

    constexpr int kEntries = 1'000'000;
    std::vector<std::string> paths;
    paths.reserve(kEntries);
    std::size_t textBytes = 0;
    for (int i = 0; i < kEntries; ++i) {
        paths.push_back("/home/user/documents/project/notes-" + std::to_string(i) + ".txt");
        textBytes += paths.back().size() + 1;
    }
    const long before = vx::bench::ResidentBytes();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kEntries; ++i) list.append(paths[static_cast<std::size_t>(i)]);
    QApplication::processEvents();  // the view takes the new rows
    const double appendSeconds = vx::bench::Seconds(start);
    paths.clear();
    paths.shrink_to_fit();

    const auto removeStart = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000; ++i) list.remove(list.count() / 2);
    QApplication::processEvents();
    const double removeSeconds = vx::bench::Seconds(removeStart);

    const long peak = vx::bench::PeakResidentBytes();
    const double perEntry =
        static_cast<double>(peak - before - static_cast<long>(textBytes)) / kEntries;
    std::printf("appends per second: %.0f\n", kEntries / appendSeconds);
    std::printf("1000 removals from the middle: %.3f s\n", removeSeconds);
    std::printf("peak memory per entry beyond the path text: %.1f bytes\n", perEntry);
    return 0;
}
