#include "system/Soak.h"

#include <signal.h>
#include <sys/wait.h>

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "app/Form1.h"
#include "platform/posix/CupsPrinters.h"
#include "platform/posix/HiveRegistry.h"
#include "platform/posix/PosixLauncher.h"
#include "platform/posix/PosixStateRecord.h"
#include "platform/posix/SmallFile.h"
#include "platform/qt/EndSignals.h"
#include "support/Command.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "system/PrivateCups.h"
#include "system/SmallHome.h"

namespace vx::test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Whether a program with a file of the folder among its arguments runs: a word processor
// that has not handed its job over. With -z, grep reads each argument as a line.
bool StillPrinting(const std::string& folder) {
    return RunCommand("grep -qsaz '^" + folder + "' /proc/[0-9]*/cmdline").status == 0;
}

bool JobsPending() {
    return !RunCommand("lpstat -W not-completed -o PDF_Printer 2>/dev/null").out.empty();
}

}  // namespace

SoakResult RunSoak(const SoakOptions& o) {
    SmallHome home(64ul << 20);
    if (!home.ok()) return {0, 0, {"no small home: " + home.why()}};
    PrivateCups cups;
    if (!cups.ok()) return {0, 0, {"the private cupsd did not start:\n" + cups.log()}};
    cups.addNullPrinter("Office");
    cups.addPdfPrinter();
    cups.run("lpoptions -d Office >/dev/null");
    const std::string lpoptions = std::string(std::getenv("HOME")) + "/.cups/lpoptions";
    const auto ownBefore = ReadSmallFile(lpoptions, 1 << 16);
    TempDir t;
    ::setenv("XDG_STATE_HOME", (t / "state").c_str(), 1);
    const std::string marker = "vxsoak" + std::to_string(::getpid()) + (o.faults ? "f" : "n");
    // "m-1-.txt" becomes "m-1-.pdf" or "m-1- (2).pdf", which "m-10-" never matches.
    const auto stem = [&](std::size_t i) { return marker + "-" + std::to_string(i) + "-"; };
    const auto words = [](std::size_t i) { return "soakword" + std::to_string(i) + "x"; };
    std::vector<std::string> files;
    for (std::size_t i = 0; i < o.files; ++i)
        files.push_back(t.file("in/" + stem(i) + ".txt", words(i) + " and more words\n"));

    // Each fault at a number of PDFs filed, the kill at a number of "Done." boxes.
    std::mt19937 rng(o.seed);
    std::uniform_int_distribution<std::size_t> at(o.files / 10, o.files * 8 / 10);
    std::size_t restarts[2] = {at(rng), at(rng)}, fillAt = at(rng), killAt = at(rng);
    if (!o.faults)
        restarts[0] = restarts[1] = fillAt = killAt = SIZE_MAX;
    else
        std::printf(
            "soak: %zu files, seed %u; restarts at %zu, %zu PDFs; full at %zu; kill at %zu\n",
            o.files, o.seed, restarts[0], restarts[1], fillAt, killAt);

    SoakResult result;
    const std::string log = t / "boxes.log", self = fs::read_symlink("/proc/self/exe");
    std::size_t restarted = 0;
    bool killed = false;
    Clock::time_point fillEnd{};  // while ~/PDF is full
    const auto faultsDue = [&](pid_t window) {
        const std::size_t n = PdfsWithMarker(marker).size();
        if (restarted < 2 && n >= restarts[restarted]) {
            cups.stop();
            QTest::qSleep(1000);
            if (!cups.start()) result.problems.push_back("cupsd did not come back");
            ++restarted;
        }
        if (n >= fillAt) {
            home.fill();
            fillAt = SIZE_MAX;
            fillEnd = Clock::now() + std::chrono::seconds(3);
        } else if (fillEnd != Clock::time_point() && Clock::now() > fillEnd) {
            home.free();
            fillEnd = {};
        }
        const auto done = RunCommand("grep -Fxcs Done. '" + log + "'").out;
        if (!killed && window > 0 && std::strtoul(done.c_str(), nullptr, 10) >= killAt)
            killed = SignalOwnChild(window, SIGKILL);
    };

    const auto inTime = [&, start = Clock::now()] {
        result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        return result.seconds < o.timeout;
    };
    for (int round = 0; round < 2 && (round == 0 || killed); ++round) {
        std::ofstream list(t / "list");
        for (std::size_t i = 0; i < o.files; ++i)
            if (PdfsWithMarker(stem(i)).empty()) list << files[i] << "\n";
        if (list.tellp() == 0) break;  // every file has its PDF
        list.close();
        const std::string run = "exec " + self + " --window " + t / "list" + " >>" + log + " 2>&1";
        const pid_t window = StartProgram({"/bin/sh", "-c", run});
        for (; ::waitpid(window, nullptr, WNOHANG) == 0 && inTime(); faultsDue(window))
            QTest::qSleep(50);
        if (SignalOwnChild(window, SIGKILL)) ::waitpid(window, nullptr, 0);  // out of time
        // As a user would: the printer's queue is done before the missing files are added.
        while ((JobsPending() || fillEnd != Clock::time_point() || StillPrinting(t / "in/")) &&
               inTime())
            faultsDue(0), QTest::qSleep(50);
    }
    if (fillEnd != Clock::time_point()) home.free();
    if (!inTime()) result.problems.push_back("the batch did not finish in time");

    const std::string told = RunCommand("cat " + log).out;
    for (std::size_t i = 0; i < o.files; ++i) {
        const auto pdfs = PdfsWithMarker(stem(i));
        if (pdfs.size() == 1 && PdfText(pdfs[0], false).find(words(i)) != std::string::npos)
            ++result.pdfs;
        else if (told.find(stem(i) + ".txt") == std::string::npos)
            result.problems.push_back(files[i] + ": " + std::to_string(pdfs.size()) +
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
    if (!result.problems.empty())
        result.problems.push_back("what the user was shown:\n" + told + "cupsd's log:\n" +
                                  cups.log());
    return result;
}

int RunWindow(int argc, char** argv) {
    if (argc < 3 || std::string(argv[1]) != "--window") return -1;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const std::string folder = fs::path(argv[2]).parent_path().string();
    struct : FakeUi {
        void terminate() override { std::_Exit(0); }
    } ui;
    ui.onBox = [&, hold = argc > 3](const Box& box) {
        std::printf("%s\n", box.text.c_str());
        std::fflush(stdout);
        if (box.text != "Done.") return;
        for (int i = 0; i < 2000 && StillPrinting(folder + "/in/"); ++i) QTest::qSleep(10);
        if (hold) QEventLoop().exec();
    };
    std::ofstream(folder + "/classes.reg")
        << "[HKEY_CLASSES_ROOT\\Wordpad.Document.1\\Protocol"
           "\\StdFileEditing\\Server]\n@=\"" TEXTPRINT_PATH "\"\n";
    HiveRegistry registry({folder + "/classes.reg"});
    PosixFileSystem fileSystem;
    CupsPrinters printers;
    PosixLauncher launcher;
    PosixStateRecord record(PosixStateRecord::StandardFile("borrowed-printer"));
    Platform platform{&fileSystem,      &registry, &printers, &launcher, &ui,
                      VELLUMAX_BIN_DIR, "",        nullptr,   &record};
    Form1 form(platform);
    const EndSignals ends([&form] { form.close(); });
    PutBackUnfinishedRun(printers, record, ui);
    std::ifstream list(argv[2]);
    for (std::string line; std::getline(list, line);) form.List().append(line);
    QTest::mouseClick(form.findChild<QPushButton*>("Check2"), Qt::LeftButton);
    return 0;
}

}  // namespace vx::test
