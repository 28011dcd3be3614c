// The real window with the real OS services: a private CUPS server, the vellumax-pdf
// "PDF Printer", textprint as the word processor. Only the boxes and dialogs are answered
// by the test.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "app/Form1.h"
#include "convert/RunConversion.h"
#include "platform/posix/CupsPrinters.h"
#include "platform/posix/HiveRegistry.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixLauncher.h"
#include "platform/posix/PosixStateRecord.h"
#include "platform/posix/SmallFile.h"
#include "platform/qt/EndSignals.h"
#include "support/Fakes.h"
#include "support/TempDir.h"
#include "system/PrivateCups.h"

namespace vx {
namespace {

test::PrivateCups* cups = nullptr;

std::string Hive(const std::string& wordProcessor) {
    return "Windows Registry Editor Version 5.00\n\n"
           "[HKEY_CLASSES_ROOT\\Wordpad.Document.1\\Protocol\\StdFileEditing\\Server]\n@=\"" +
           wordProcessor + "\"\n";
}

// Polls until done() holds, for at most 20 s.
bool Within(const std::function<bool()>& done) {
    for (int i = 0; i < 200 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return done();
}

// Starts a program with its standard output on a pipe.
std::pair<pid_t, int> Start(std::vector<std::string> args) {
    int out[2];
    if (::pipe(out) != 0) return {-1, -1};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    return {pid, out[0]};
}

// Sends the signal and waits for the end, which a program that ignores it meets by SIGKILL.
void Stop(pid_t pid, int signal) {
    ::kill(pid, signal);
    if (!Within([pid] { return ::waitpid(pid, nullptr, WNOHANG) == pid; })) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

// What the program wrote until a line holds the text; "" after 20 s or its end.
std::string ReadUntil(int fd, const std::string& text) {
    std::string got;
    char buf[512];
    while (got.find(text) == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20000) <= 0) return "";
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) return "";
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

class SystemTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { cups = new test::PrivateCups; }
    static void TearDownTestSuite() {
        delete cups;
        cups = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(cups->ok()) << "the private cupsd did not start:\n" << cups->log();
        cups->addNullPrinter("Office");
        cups->addPdfPrinter();
        ASSERT_EQ(cups->run("lpadmin -d Office && lpoptions -p Office/draft -o copies=2 && "
                            "lpoptions -d Office >/dev/null"),
                  0);
        marker = "vxsys" + std::to_string(::getpid()) + "x" + std::to_string(counter++);
    }
    void TearDown() override {
        for (const auto& pdf : test::PdfsWithMarker(marker)) std::filesystem::remove(pdf);
    }

    std::string marker;
    static inline int counter = 0;
    const std::string lpoptions = std::string(std::getenv("HOME")) + "/.cups/lpoptions";

    PosixFileSystem fileSystem;
    CupsPrinters printers;
    PosixLauncher launcher;
    test::FakeUi ui;
};

TEST_F(SystemTest, TheDefaultPrinterRoundTripsAsQueueInstanceDescriptionOrNone) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"PDF Printer", "PDF_Printer"}, {"Office/draft", "Office/draft"}, {"", "Office"}};
    for (const auto& [set, read] : cases) {
        printers.setDefaultPrinter(set);
        EXPECT_EQ(printers.defaultPrinter(), read);
        EXPECT_EQ(printers.ownDefault(), set.empty() ? "" : read);
        printers.setDefaultPrinter(printers.ownDefault());
        EXPECT_EQ(printers.defaultPrinter(), read);
    }
    EXPECT_THROW(printers.setDefaultPrinter("No Such Printer"), PlatformError);
    EXPECT_EQ(ReadSmallFile(lpoptions, 4096), "Dest Office/draft copies=2\n");
}

TEST_F(SystemTest, ThreeFilesBecomeThreeSearchablePdfsInListOrder) {
    test::TempDir t;
    const std::vector<std::string> words = {"alpha first apple", "beta second banana",
                                            "gamma third cherry"};
    std::string result = t.path();
    for (int i = 0; i < 3; ++i) {
        const std::string name =
            marker + "-" + std::to_string(i) + (i == 1 ? " with space.txt" : ".txt");
        t.file(name, words[i] + "\r\nline two of " + std::to_string(i) + "\n");
        result += std::string(1, '\0') + name;
    }
    HiveRegistry registry({t.file("classes.reg", Hive(TEXTPRINT_PATH))});
    Platform platform{&fileSystem, &registry,        &printers, &launcher,
                      &ui,         VELLUMAX_BIN_DIR, "",        nullptr};
    ui.dialogResults = {result};
    std::size_t done = 0;
    ui.onBox = [&](const test::Box& b) {
        if (b.text != "Done.") return;
        EXPECT_EQ(printers.defaultPrinter(), "PDF_Printer");
        ++done;  // waits, as a user reading "Done." would, for the PDF
        Within([&] { return test::PdfsWithMarker(marker).size() >= done; });
    };
    Form1 form(platform);
    QTest::mouseClick(form.findChild<QPushButton*>("Check1"), Qt::LeftButton);
    ASSERT_EQ(form.List().count(), 3u);
    QTest::mouseClick(form.findChild<QPushButton*>("Check2"), Qt::LeftButton);
    EXPECT_EQ(done, 3u);
    EXPECT_EQ(printers.defaultPrinter(), "Office") << "the user's printer is put back";

    auto pdfs = test::PdfsWithMarker(marker);
    ASSERT_EQ(pdfs.size(), 3u) << cups->log();
    std::sort(pdfs.begin(), pdfs.end(), [](const std::string& a, const std::string& b) {
        return std::filesystem::last_write_time(a) < std::filesystem::last_write_time(b);
    });
    for (int i = 0; i < 3; ++i) {
        // Named after the file, nothing else.
        EXPECT_EQ(std::filesystem::path(pdfs[i]).filename().string(),
                  marker + "-" + std::to_string(i) + (i == 1 ? " with space.pdf" : ".pdf"));
        const std::string text = test::PdfText(pdfs[i]);
        EXPECT_NE(text.find(words[i]), std::string::npos) << pdfs[i] << ":\n" << text;
        EXPECT_NE(text.find("line two of " + std::to_string(i)), std::string::npos) << text;
    }
}

// The program killed mid-run, with "Done." up: SIGTERM puts the user's setting back before
// it ends; after a kill -9 the next start of the real program does.
TEST_F(SystemTest, AnEndedOrKilledRunLeavesTheUsersOwnSettingAsItWas) {
    test::TempDir t;
    ::setenv("XDG_STATE_HOME", t.path().c_str(), 1);
    const std::string record = t / "vellumax/borrowed-printer";
    for (const std::string own : {"Office/draft", ""}) {
        for (const int signal : {SIGTERM, SIGKILL}) {
            ASSERT_EQ(cups->run("lpoptions -d Office/draft >/dev/null"), 0);
            if (own.empty()) printers.setDefaultPrinter("");
            const auto before = ReadSmallFile(lpoptions, 4096);
            auto [pid, out] =
                Start({"/proc/self/exe", "--run", t.file("a.reg", Hive("/bin/true"))});
            EXPECT_NE(ReadUntil(out, "Done.\n"), "");
            EXPECT_EQ(printers.defaultPrinter(), "PDF_Printer");
            EXPECT_TRUE(ReadSmallFile(record, 4096));
            Stop(pid, signal);
            ::close(out);
            if (signal == SIGKILL) {
                auto [again, out2] = Start({VELLUMAX_BIN_DIR "/vellumax"});
                Within([&] { return !std::filesystem::exists(record); });
                Stop(again, SIGTERM);
                ::close(out2);
            }
            EXPECT_EQ(ReadSmallFile(lpoptions, 4096), before) << own << " " << signal;
            EXPECT_FALSE(std::filesystem::exists(record));
        }
    }
}

// The window the kill test ends: its word processor only starts, and "Done." waits.
int RunWindow(const std::string& hive) {
    class WaitingUi : public test::FakeUi {
        void messageBox(const std::string& text, BoxIcon, const std::string&) override {
            std::printf("%s\n", text.c_str());
            std::fflush(stdout);
            if (text == "Done.") QEventLoop().exec();
        }
        void terminate() override { std::_Exit(0); }
    } ui;
    HiveRegistry registry({hive});
    PosixFileSystem fileSystem;
    CupsPrinters printers;
    PosixLauncher launcher;
    PosixStateRecord record(PosixStateRecord::StandardFile("borrowed-printer"));
    Platform platform{&fileSystem,      &registry, &printers, &launcher, &ui,
                      VELLUMAX_BIN_DIR, "",        nullptr,   &record};
    Form1 form(platform);
    const EndSignals ends([&form] { form.close(); });
    form.List().append(hive);
    QTest::mouseClick(form.findChild<QPushButton*>("Check2"), Qt::LeftButton);
    return 0;
}

}  // namespace
}  // namespace vx

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (argc == 3 && std::string(argv[1]) == "--run") return vx::RunWindow(argv[2]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
