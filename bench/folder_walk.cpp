// Adding a tree through "Add All Text Files In Folder" (the real file system, the view
// attached) against `find DIR -type f` and `fdfind -u -t f . DIR` at 10k, 100k and 1M files
// (10 files a folder, 5 sub-folders each), interleaved, as ratios per round. Also the
// longest time the window went without taking input, and, in a fresh process, the peak
// memory per entry beyond the path text. The trees are made in the temp folder and removed
// at the end unless VX_KEEP_TREES is set.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Empty files, made with bare syscalls so a million take seconds, not minutes.
void MakeTree(const std::string& root, int files) {
    if (fs::exists(root + "/.complete")) return;
    fs::remove_all(root);
    std::deque<std::string> queue{root};
    for (int made = 0; made < files;) {
        const std::string dir = queue.front();
        queue.pop_front();
        ::mkdir(dir.c_str(), 0755);
        const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
        for (int f = 0; f < 10 && made < files; ++f, ++made)
            ::close(::openat(fd, ("file-" + std::to_string(f) + ".txt").c_str(), O_CREAT | O_WRONLY,
                             0644));
        ::close(fd);
        for (int c = 0; c < 5; ++c) queue.push_back(dir + "/sub" + std::to_string(c));
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

struct Added {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system, all threads
    double worstGap = 0;    // the longest time without taking input
    std::size_t entries = 0;
    std::size_t textBytes = 0;
};

Added AddTree(const std::string& root) {
    vx::FileList list;
    vx::FileListModel model(list);
    vx::ListView1 view(&model, nullptr);
    view.show();
    vx::PosixFileSystem fileSystem;
    ChosenFolderUi ui(root);
    QTimer tick;
    auto last = std::chrono::steady_clock::now();
    Added a;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        a.worstGap = std::max(a.worstGap, vx::bench::Seconds(last));
        last = std::chrono::steady_clock::now();
    });
    tick.start(1);
    QApplication::processEvents();
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = vx::bench::OwnCpuSeconds();
    last = start;
    vx::AddFolderFiles(list, fileSystem, ui, [](int) {});
    QApplication::processEvents();  // the view takes the new rows
    a.seconds = vx::bench::Seconds(start);
    a.cpuSeconds = vx::bench::OwnCpuSeconds() - cpuStart;
    a.worstGap = std::max(a.worstGap, vx::bench::Seconds(last));
    a.entries = list.count();
    for (std::size_t i = 1; i <= list.count(); ++i) a.textBytes += list.view(i).size();
    return a;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Run as its own process so the figure is the window's alone.
int MeasureMemory(const std::string& root) {
    const long before = vx::bench::ResidentBytes();
    const Added a = AddTree(root);
    const long peak = vx::bench::PeakResidentBytes();
    std::printf(
        "%zu entries, %.0f bytes of path text each; peak memory beyond it: %.0f bytes "
        "per entry\n",
        a.entries, static_cast<double>(a.textBytes) / static_cast<double>(a.entries),
        static_cast<double>(peak - before - static_cast<long>(a.textBytes)) /
            static_cast<double>(a.entries));
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--memory") return MeasureMemory(argv[2]);
    const bool haveFd = vx::bench::OnPath("fdfind");
    if (!haveFd) std::printf("fdfind is not installed (Debian package fd-find)\n");
    const std::string base = (fs::temp_directory_path() / "vellumax-bench-tree-").string();
    std::vector<int> sizes{10'000, 100'000, 1'000'000};
    if (argc > 1) sizes.assign(1, std::atoi(argv[1]));  // one size only
    std::string big;
    for (const int files : sizes) {
        const std::string root = base + std::to_string(files);
        MakeTree(root, files);
        big = root;
        const std::vector<std::string> find{"find", root, "-type", "f"};
        const std::vector<std::string> fd{"fdfind", "-u", "-t", "f", ".", root};
        (void)vx::bench::Run(find, true);  // warm the cache
        const int rounds = files >= 1'000'000 ? 3 : 5;
        std::vector<double> toFind, toFd, cpuToFind, cpuToFd, gaps;
        Added a;
        for (int r = 0; r < rounds; ++r) {
            const vx::bench::Measured f = vx::bench::Run(find, true);
            const vx::bench::Measured d = haveFd ? vx::bench::Run(fd, true) : f;
            a = AddTree(root);
            toFind.push_back(a.seconds / f.seconds);
            toFd.push_back(a.seconds / d.seconds);
            cpuToFind.push_back(a.cpuSeconds / f.cpuSeconds);
            cpuToFd.push_back(a.cpuSeconds / d.cpuSeconds);
            gaps.push_back(a.worstGap);
        }
        std::printf("%7d files: add %.3f s (%zu entries); add/find %.2f", files, a.seconds,
                    a.entries, Median(toFind));
        if (haveFd) std::printf(", add/fdfind %.2f", Median(toFd));
        std::printf(" (processor time: %.2f", Median(cpuToFind));
        if (haveFd) std::printf(", %.2f", Median(cpuToFd));
        std::printf("); longest time without taking input %.0f ms (medians of %d rounds)\n",
                    Median(gaps) * 1000, rounds);
        std::fflush(stdout);
    }
    (void)vx::bench::Run({"/proc/self/exe", "--memory", big});
    if (std::getenv("VX_KEEP_TREES") == nullptr)
        for (const int files : sizes) fs::remove_all(base + std::to_string(files));
    return 0;
}
