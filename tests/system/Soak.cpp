#include "system/Soak.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include "app/Form1.h"
#include "convert/RunConversion.h"
#include "platform/posix/CupsPrinters.h"
#include "platform/posix/HiveRegistry.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixLauncher.h"
#include "platform/posix/PosixStateRecord.h"
#include "platform/posix/SmallFile.h"
#include "support/Command.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "system/PrivateCups.h"
#include "system/SmallHome.h"

namespace vx::test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

void Sleep(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// Whether a word processor printing a file whose path holds the text still runs: it has
// not yet handed its job over.
bool StillPrinting(const std::string& text) {
    DIR* proc = ::opendir("/proc");
    bool found = false;
    for (dirent* e; !found && proc != nullptr && (e = ::readdir(proc)) != nullptr;) {
        if (e->d_name[0] < '1' || e->d_name[0] > '9') continue;
        // A process may end while it is read: plain reads, no stream that throws.
        const int fd =
            ::open((std::string("/proc/") + e->d_name + "/cmdline").c_str(), O_RDONLY | O_CLOEXEC);
        std::string line(4096, '\0');
        const ssize_t n = fd < 0 ? 0 : ::read(fd, line.data(), line.size());
        if (fd >= 0) ::close(fd);
        line.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        const std::size_t p = line.find(std::string("/p") + '\0');
        found = p != std::string::npos && line.find(text, p) != std::string::npos;
    }
    if (proc != nullptr) ::closedir(proc);
    return found;
}

bool JobsPending() {
    return !RunCommand("lpstat -W not-completed -o PDF_Printer 2>/dev/null").out.empty();
}

// The batch's inputs and what became of them.
struct Batch {
    std::string marker;
    std::vector<std::string> files;

    std::string stem(std::size_t i) const { return marker + "-" + std::to_string(i); }
    std::string words(std::size_t i) const { return "soakword" + std::to_string(i) + "x"; }
    // The PDFs in ~/PDF by the stem they came from: "stem.pdf", "stem (2).pdf", ...
    static std::map<std::string, std::vector<std::string>> Filed() {
        std::map<std::string, std::vector<std::string>> out;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(PdfFolder(), ec)) {
            std::string stem = e.path().stem().string();
            const std::size_t open = stem.rfind(" (");
            if (open != std::string::npos && stem.back() == ')') stem.resize(open);
            out[stem].push_back(e.path().string());
        }
        return out;
    }
};

// The real launcher, noting which entry it started last.
class NotingLauncher : public Launcher {
  public:
    void start(const CommandLine& command) override {
        last = command.args.empty() ? std::string() : command.args.back();
        real_.start(command);
    }
    void openUrl(const std::string& url) override { real_.openUrl(url); }
    std::string last;

  private:
    PosixLauncher real_;
};

class Window {
  public:
    Window(const std::string& self, const std::string& hive, const std::string& list,
           const std::string& log) {
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
            ::dup2(fd, 1);
            ::dup2(fd, 2);
            ::execl(self.c_str(), self.c_str(), "--soak-window", hive.c_str(), list.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~Window() { kill(); }
    bool running() {
        if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
        return pid_ > 0;
    }
    void kill() {
        if (!running()) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
};

}  // namespace

SoakResult RunSoak(const SoakOptions& o) {
    SoakResult result;
    SmallHome home(64ul << 20);
    if (!home.ok()) {
        result.problems.push_back("no small home: " + home.why());
        return result;
    }
    PrivateCups cups;
    if (!cups.ok()) {
        result.problems.push_back("the private cupsd did not start:\n" + cups.log());
        return result;
    }
    cups.addNullPrinter("Office");
    cups.addPdfPrinter();
    cups.run("lpoptions -d Office >/dev/null");
    const std::string lpoptions = std::string(std::getenv("HOME")) + "/.cups/lpoptions";
    const auto ownBefore = ReadSmallFile(lpoptions, 1 << 16);

    TempDir t;
    ::setenv("XDG_STATE_HOME", (t / "state").c_str(), 1);
    const std::string hive = t.file("classes.reg",
                                    "[HKEY_CLASSES_ROOT\\Wordpad.Document.1\\Protocol"
                                    "\\StdFileEditing\\Server]\n@=\"" TEXTPRINT_PATH "\"\n");
    Batch batch{"vxsoak" + std::to_string(::getpid()) + (o.faults ? "f" : "n"), {}};
    for (std::size_t i = 0; i < o.files; ++i)
        batch.files.push_back(t.file("in/" + batch.stem(i) + ".txt",
                                     "File " + std::to_string(i) + " of the batch.\n" +
                                         batch.words(i) + " and more words\n"));

    // The faults, each at a point given by the PDFs filed so far (the kill: by "Done." boxes).
    std::mt19937 rng(o.seed);
    std::uniform_int_distribution<std::size_t> at(o.files / 10, o.files * 8 / 10);
    std::size_t restarts[2] = {at(rng), at(rng)}, fillAt = at(rng), killAt = at(rng);
    if (!o.faults) restarts[0] = restarts[1] = fillAt = killAt = o.files * 10;
    if (o.faults)
        std::printf(
            "soak: %zu files, seed %u (VELLUMAX_SOAK_SEED=%u replays it): cupsd restarts "
            "at PDF %zu and %zu, a full ~/PDF at PDF %zu, the window killed at \"Done.\" "
            "%zu\n",
            o.files, o.seed, o.seed, restarts[0], restarts[1], fillAt, killAt);
    else
        std::printf("soak: %zu files, no faults\n", o.files);
    std::fflush(stdout);

    const std::string log = t / "boxes.log";
    std::size_t restarted = 0;
    bool filled = false, killed = false;
    Clock::time_point fillEnd;
    const auto filed = [&] {
        std::size_t n = 0;
        for (const auto& [stem, pdfs] : Batch::Filed()) n += stem.rfind(batch.marker, 0) == 0;
        return n;
    };
    const auto doneBoxes = [&] {
        std::size_t n = 0;
        std::istringstream in(RunCommand("cat '" + log + "' 2>/dev/null").out);
        for (std::string line; std::getline(in, line);) n += line == "Done.";
        return n;
    };
    // One look at the batch: runs the faults that are due.
    const auto faultsDue = [&](Window* window) {
        const std::size_t n = filed();
        if (restarted < 2 && n >= restarts[restarted]) {
            std::printf("soak: cupsd restart at %zu PDFs\n", n);
            cups.stop();
            Sleep(1);
            if (!cups.start()) result.problems.push_back("cupsd did not come back");
            ++restarted;
        }
        if (!filled && n >= fillAt) {
            std::printf("soak: ~/PDF full at %zu PDFs\n", n);
            home.fill();
            filled = true;
            fillEnd = Clock::now() + std::chrono::seconds(3);
        }
        if (filled && Clock::now() > fillEnd && fillEnd != Clock::time_point()) {
            home.free();
            fillEnd = Clock::time_point();
        }
        if (!killed && window != nullptr && doneBoxes() >= killAt) {
            std::printf("soak: window killed at \"Done.\" %zu\n", doneBoxes());
            window->kill();
            killed = true;
        }
        std::fflush(stdout);
    };

    const Clock::time_point start = Clock::now();
    for (int round = 0; round < 2; ++round) {
        std::ofstream list(t / "list");
        std::size_t listed = 0;
        const auto pdfs = Batch::Filed();
        for (std::size_t i = 0; i < o.files; ++i)
            if (pdfs.count(batch.stem(i)) == 0) {
                list << batch.files[i] << "\n";
                ++listed;
            }
        list.close();
        if (listed == 0) break;
        Window window(o.self, hive, t / "list", log);
        while (window.running() && Since(start) < o.timeout) {
            faultsDue(&window);
            Sleep(0.05);
        }
        // As a user would: the printer's queue is done before the missing files are added.
        while ((JobsPending() || fillEnd != Clock::time_point() || StillPrinting(batch.marker)) &&
               Since(start) < o.timeout) {
            faultsDue(nullptr);
            Sleep(0.05);
        }
        if (!killed) break;  // the kill is what starts the second run
    }
    if (fillEnd != Clock::time_point()) home.free();
    result.seconds = Since(start);
    if (result.seconds >= o.timeout) result.problems.push_back("the batch did not finish in time");

    result.log = RunCommand("cat '" + log + "'").out;
    auto filedNow = Batch::Filed();
    for (std::size_t i = 0; i < o.files; ++i) {
        const auto& pdfs = filedNow[batch.stem(i)];
        const bool told = result.log.find(batch.stem(i) + ".txt") != std::string::npos;
        if (pdfs.size() == 1 && PdfText(pdfs[0], false).find(batch.words(i)) != std::string::npos)
            ++result.pdfs;
        else if (!told)
            result.problems.push_back(batch.files[i] + ": " + std::to_string(pdfs.size()) +
                                      " PDFs, and nobody was told");
    }
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(PdfFolder(), ec))
        if (e.path().extension() != ".pdf" || e.path().filename().string()[0] == '.')
            result.problems.push_back("left in ~/PDF: " + e.path().string());
    if (ReadSmallFile(lpoptions, 1 << 16) != ownBefore)
        result.problems.push_back("the default printer is not the user's own again");
    if (RunCommand("lpstat -p PDF_Printer").out.find("enabled") == std::string::npos)
        result.problems.push_back("the queue is not enabled");
    if (JobsPending())
        result.problems.push_back("jobs left: " + RunCommand("lpstat -l -o PDF_Printer").out);
    if (!result.problems.empty()) result.problems.push_back("cupsd's log:\n" + cups.log());
    return result;
}

bool IsSoakWindow(int argc, char** argv) {
    return argc == 4 && std::string(argv[1]) == "--soak-window";
}

int SoakWindow(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    FakeUi ui;
    NotingLauncher launcher;
    ui.onBox = [&](const Box& box) {
        std::printf("%s\n", box.text.c_str());
        std::fflush(stdout);
        // "Done." is read once the word processor has handed its job over, as a user would.
        for (int i = 0; i < 2000 && box.text == "Done." && StillPrinting(launcher.last); ++i)
            QTest::qSleep(10);
    };
    HiveRegistry registry({argv[2]});
    PosixFileSystem fileSystem;
    CupsPrinters printers;
    PosixStateRecord record(PosixStateRecord::StandardFile("borrowed-printer"));
    Platform platform{&fileSystem,      &registry, &printers, &launcher, &ui,
                      VELLUMAX_BIN_DIR, "",        nullptr,   &record};
    Form1 form(platform);
    PutBackUnfinishedRun(printers, record, ui);
    std::ifstream list(argv[3]);
    for (std::string line; std::getline(list, line);) form.List().append(line);
    QTest::mouseClick(form.findChild<QPushButton*>("Check2"), Qt::LeftButton);
    return 0;
}

}  // namespace vx::test
