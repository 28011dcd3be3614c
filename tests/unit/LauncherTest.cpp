#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/CommandLineSplit.h"
#include "platform/posix/PosixLauncher.h"
#include "platform/posix/PosixStateRecord.h"
#include "platform/posix/SmallFile.h"
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
        {"p \"\" x", {"p", "", "x"}}};
    for (const auto& [line, words] : cases) EXPECT_EQ(SplitCommandLine(line), words) << line;
}

}  // namespace
}  // namespace vx
