// Times `find DIR -type f` against adding the same tree (100,000 files in 10,000 folders,
// up to 6 levels) through AddFolderFiles with the real file system and the view attached.
// Prints the ratio and the longest time the window went without taking input.
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>

#include "app/ListView1.h"
#include "bench/BenchUtil.h"
#include "filelist/AddFolder.h"
#include "filelist/FileListModel.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qt/QtUi.h"

namespace {

namespace fs = std::filesystem;

void MakeTree(const std::string& root) {
    if (fs::exists(root + "/.complete")) return;
    fs::remove_all(root);
    std::deque<std::pair<std::string, int>> queue{{root, 0}};
    int folders = 0;
    while (!queue.empty() && folders < 10000) {
        auto [dir, depth] = queue.front();
        queue.pop_front();
        fs::create_directories(dir);
        ++folders;
        for (int f = 0; f < 10; ++f)
            std::ofstream(dir + "/file-" + std::to_string(f) + ".txt") << "x\n";
        if (depth < 6)
            for (int c = 0; c < 5; ++c)
                queue.emplace_back(dir + "/sub" + std::to_string(c), depth + 1);
    }
    std::ofstream(root + "/.complete");
}

class ChosenFolderUi : public vx::QtUi {
  public:
    explicit ChosenFolderUi(std::string folder) : folder_(std::move(folder)) {}
    std::string browseForFolder(const std::string&) override { return folder_; }

  private:
    std::string folder_;
};

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string root = (fs::temp_directory_path() / "vellumax-bench-tree").string();
    MakeTree(root);

    const std::string find = "find '" + root + "' -type f > /dev/null";
    double findSeconds = 1e9;
    double addSeconds = 1e9;
    double worstGap = 0;
    std::size_t added = 0;
    (void)std::system(find.c_str());  // warm the cache
    for (int round = 0; round < 3; ++round) {
        auto start = std::chrono::steady_clock::now();
        (void)std::system(find.c_str());
        findSeconds = std::min(findSeconds, vx::bench::Seconds(start));

        vx::FileList list;
        vx::FileListModel model(list);
        vx::ListView1 view(&model, nullptr);
        view.show();
        vx::PosixFileSystem fileSystem;
        ChosenFolderUi ui(root);
        QTimer tick;
        auto last = std::chrono::steady_clock::now();
        double gap = 0;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            gap = std::max(gap, vx::bench::Seconds(last));
            last = std::chrono::steady_clock::now();
        });
        tick.start(1);
        QApplication::processEvents();
        start = std::chrono::steady_clock::now();
        last = start;
        vx::AddFolderFiles(list, fileSystem, ui, [](int) {});
        QApplication::processEvents();
        addSeconds = std::min(addSeconds, vx::bench::Seconds(start));
        gap = std::max(gap, vx::bench::Seconds(last));
        worstGap = round == 0 ? gap : std::min(worstGap, gap);
        added = list.count();
    }
    std::printf("entries added: %zu\n", added);
    std::printf("find: %.3f s, add: %.3f s\n", findSeconds, addSeconds);
    std::printf("longest time without taking input: %.0f ms\n", worstGap * 1000);
    std::printf("add/find ratio: %.2f\n", addSeconds / findSeconds);
    return 0;
}
