// The real program against a private CUPS server, "PDF Printer" on our backend and textprint.
#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QTest>
#include <ctime>
#include <filesystem>

#include "platform/posix/CupsPrinters.h"
#include "platform/posix/SmallFile.h"
#include "support/Command.h"
#include "support/TempDir.h"
#include "system/PrivateCups.h"
#include "system/Soak.h"

namespace vx {
namespace {

// Sends the signal unless the program has ended; it must end within 20 s.
void Stop(QProcess& p, int signal) {
    test::SignalOwnChild(static_cast<pid_t>(p.processId()), signal);
    EXPECT_TRUE(p.waitForFinished(20000)) << "still running after signal " << signal;
    p.kill();
    p.waitForFinished();
}

// A file is printed and the program ends with "Done." up: SIGTERM or SIGHUP puts the user's own
// setting back before the program ends; after a kill -9 the next start of the real program does.
TEST(SystemTest, AnEndedOrKilledRunPrintsAndLeavesTheUsersOwnSettingAsItWas) {
    test::PrivateCups cups;
    ASSERT_TRUE(cups.ok()) << "the private cupsd did not start:\n" << cups.log();
    cups.addNullPrinter("Office");
    cups.addPdfPrinter();
    ASSERT_EQ(cups.run("lpadmin -d Office && lpoptions -p Office/draft -o copies=2"), 0);
    test::TempDir t;
    ::setenv("XDG_STATE_HOME", t.path().c_str(), 1);
    const std::string record = t / "vellumax/borrowed-printer";
    const std::string lpoptions = std::string(std::getenv("HOME")) + "/.cups/lpoptions";
    const std::string marker = "vxsys" + std::to_string(::getpid());
    const std::string list =
        t.file("list", t.file("in/" + marker + " a b.txt", "alpha words\n") + "\n");
    CupsPrinters printers;
    std::size_t printed = 0;
    const auto within = [](const std::function<bool()>& done) {
        for (int i = 0; i < 1000 && !done(); ++i) QTest::qSleep(20);
    };
    for (const std::string own : {"Office/draft", ""}) {  // "": the server's Office applies
        for (const int signal : {SIGTERM, SIGHUP, SIGKILL}) {
            ASSERT_EQ(cups.run("lpoptions -d Office/draft >/dev/null"), 0);
            if (own.empty()) printers.setDefaultPrinter("");
            const auto before = ReadSmallFile(lpoptions, 4096);
            QProcess run;
            run.start("/proc/self/exe", {"--window", list.c_str(), "hold"});
            while (!run.readAllStandardOutput().contains("Done.") && run.waitForReadyRead(20000)) {
            }
            EXPECT_EQ(printers.defaultPrinter(), "PDF_Printer");
            EXPECT_TRUE(std::filesystem::exists(record));
            ++printed;  // waits, as a user reading "Done." would, for the PDF
            within([&] { return test::PdfsWithMarker(marker).size() >= printed; });
            Stop(run, signal);
            if (signal == SIGKILL) {
                QProcess again;
                again.start(VELLUMAX_BIN_DIR "/vellumax", {});
                within([&] { return !std::filesystem::exists(record); });
                Stop(again, SIGTERM);
            }
            EXPECT_EQ(ReadSmallFile(lpoptions, 4096), before) << own << " " << signal;
            EXPECT_FALSE(std::filesystem::exists(record));
        }
    }
    EXPECT_THROW(printers.setDefaultPrinter("No Such Printer"), PlatformError);
    printers.restoreOwnDefault("Away");  // a printer out of reach is still the user's choice
    EXPECT_EQ(printers.ownDefault(), "Away");
    EXPECT_EQ(test::PdfsWithMarker(marker).size(), 6u) << cups.log();
    for (const auto& pdf : test::PdfsWithMarker(marker)) {
        EXPECT_EQ(pdf.find(marker + " a b"), test::PdfFolder().size() + 1) << pdf;
        EXPECT_NE(test::PdfText(pdf).find("alpha words"), std::string::npos) << pdf;
        std::filesystem::remove(pdf);
    }
}

// About 100 files under the faults RunSoak() describes; VELLUMAX_SOAK_SEED replays a seed.
TEST(Soak, EveryFileGetsOnePdfOrANameInABoxUnderFaults) {
    test::SoakOptions o;
    const char* seed = std::getenv("VELLUMAX_SOAK_SEED");
    o.seed = static_cast<unsigned>(seed ? std::strtoul(seed, nullptr, 10) : std::time(nullptr));
    const test::SoakResult r = test::RunSoak(o);
    if (!r.problems.empty() && r.problems[0].rfind("no small home", 0) == 0)
        GTEST_SKIP() << r.problems[0];
    for (const auto& p : r.problems) ADD_FAILURE() << p;
    std::printf("soak: %zu of %zu files with their PDF in %.1f s (seed %u)\n", r.pdfs, o.files,
                r.seconds, o.seed);
}

}  // namespace
}  // namespace vx

int main(int argc, char** argv) {
    if (const int window = vx::test::RunWindow(argc, argv); window >= 0) return window;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);  // for the real program the test starts
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
