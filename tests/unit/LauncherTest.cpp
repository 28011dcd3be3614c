#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/CommandLineSplit.h"
#include "platform/posix/LpOptions.h"
#include "platform/posix/PosixLauncher.h"
#include "platform/posix/PosixStateRecord.h"
#include "platform/posix/SmallFile.h"
#include "support/Command.h"
#include "support/TempDir.h"

namespace vx {
namespace {

TEST(PosixLauncher, HandsEveryArgumentOverUnchangedWithNoShellNoPrinterOverrideAndNoChildLeft) {
    test::TempDir t;
    const std::string out = t / "args";
    const std::string tricky = std::string("a \"b\" $(touch ") + t.path() + "/pwned) `x`\n\xff;|*'";
    ::setenv("PRINTER", "elsewhere", 1);
    ::setenv("LPDEST", "elsewhere", 1);
    PosixLauncher launcher;
    // The child writes its answer beside the file and renames it, so it appears whole.
    const std::string script = R"(printf '%s|%s' "$1" "$PRINTER$LPDEST" > "$2.t"; mv "$2.t" "$2")";
    launcher.start(CommandLine{"/bin/sh", {"-c", script, "sh", tricky, out}, ""});
    ::unsetenv("PRINTER");
    ::unsetenv("LPDEST");
    for (int i = 0; i < 500 && !std::filesystem::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadSmallFile(out, 4096), tricky + "|");
    EXPECT_FALSE(std::filesystem::exists(t / "pwned"));
    // The started program was handed to init: nothing of ours is left to reap.
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    for (const char* program : {"/nonexistent/textprint", "", "/etc/hostname"})
        EXPECT_THROW(launcher.start(CommandLine{program, {"/p", "x"}, ""}), PlatformError);
}

TEST(PosixStateRecord, ARunsClaimKeepsOtherWindowsOutUntilItLetsGo) {
    test::TempDir t;
    PosixStateRecord a(t / "state/record"), b(t / "state/record");
    EXPECT_TRUE(a.claim() && !b.claim());
    a.letGo();
    EXPECT_TRUE(b.claim());
}

// A writer ended half-way leaves the old record, which only its owner may read.
TEST(PosixStateRecord, AWriteCutShortLeavesTheOldRecordWholeAndNobodyElseReadsIt) {
    test::TempDir t;
    PosixStateRecord record(t / "state/record");
    record.write("Office/draft");
    EXPECT_EQ(std::filesystem::status(t / "state/record").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const pid_t writer = ::fork();
    if (writer == 0) {  // ended by SIGXFSZ once the first bytes of the new record are out
        const rlimit noCore{0, 0}, fewBytes{4, 4};
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::setrlimit(RLIMIT_FSIZE, &fewBytes);
        try {
            record.write("PDF_Printer and then some");
        } catch (...) {
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(record.read(), "Office/draft");
}

// Lines other than the default are other people's: kept byte for byte, also when odd.
TEST(LpOptions, OnlyTheDefaultLineChanges) {
    const std::string others = "Dest\tLab/draft \t copies=2\n\n#  by hand\n";
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {others + "Default Office sides=two-sided-long-edge\nDest  Lab\tduplex", "PDF_Printer",
         others +
             "Dest Office sides=two-sided-long-edge\nDest  Lab\tduplex\nDefault PDF_Printer\n"},
        {others + "Dest Office sides=one-sided\r\n\nDefault PDF_Printer\n", "Office",
         others + "Default Office sides=one-sided\r\n\n"},
        {"Default PDF_Printer\n\n\t\nDest\t\tLab/x  \n", "", "\n\t\nDest\t\tLab/x  \n"},
    };
    for (const auto& [before, dest, after] : cases)
        EXPECT_EQ(lpoptions::WithDefault(before, dest), after) << before;
}

// The harness signals only children of its own that have not been waited for.
TEST(SignalOwnChild, NeverReachesTheProcessGroupOrAnEndedChild) {
    const pid_t ended = test::StartProgram({"/bin/true"}),
                running = test::StartProgram({"/bin/sleep", "9"});
    ::waitpid(ended, nullptr, 0);
    for (const pid_t pid : {0, -1, ended, ::getppid()})
        EXPECT_FALSE(test::SignalOwnChild(pid, 0)) << pid;
    EXPECT_TRUE(test::SignalOwnChild(running, SIGKILL));
    EXPECT_EQ(::waitpid(running, nullptr, 0), running);
}

// The program name has no escapes; the arguments do.
TEST(SplitCommandLine, SplitsAsWindowsDoes) {
    using Words = std::vector<std::string>;
    const std::vector<std::pair<std::string, Words>> cases = {
        {"", {}},
        {"\"/opt/my wp/tp\" -q \"a b\"", {"/opt/my wp/tp", "-q", "a b"}},
        {"C:\\Prog\\wp.exe  /x\t", {"C:\\Prog\\wp.exe", "/x"}},
        {"\"C:\\a b\\\"c d", {"C:\\a b\\", "c", "d"}},
        {"p \"ab\\\"c\" \"\\\\\" d", {"p", "ab\"c", "\\", "d"}},
        {"p a\\\\\\b d\"e f\"g h", {"p", "a\\\\\\b", "de fg", "h"}},
        {"p a\\\\\\\"b c", {"p", "a\\\"b", "c"}},
        {"p a\\\\\\\\\"b c\" d", {"p", "a\\\\b c", "d"}},
        {"p a\"b\"\" c d", {"p", "ab\"", "c", "d"}},
        {"p \"\" x", {"p", "", "x"}},
        // A backslash before a blank, quoted or not, is just a backslash.
        {"\"C:\\out\\ \" /x", {"C:\\out\\ ", "/x"}},
        {"p \"C:\\out\\ \" /x", {"p", "C:\\out\\ ", "/x"}},
        {"p C:\\out\\\\ /x", {"p", "C:\\out\\\\", "/x"}},
        {"p a\\\t\\ \"b\\ c\\\\\"", {"p", "a\\", "\\", "b\\ c\\"}}};
    for (const auto& [line, words] : cases) EXPECT_EQ(SplitCommandLine(line), words) << line;
}

}  // namespace
}  // namespace vx
