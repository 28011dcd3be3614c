#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "convert/Wordpad.h"
#include "platform/CommandLineSplit.h"
#include "platform/InstallLayout.h"
#include "platform/posix/HiveRegistry.h"
#include "platform/posix/LpOptions.h"
#include "platform/posix/PosixLauncher.h"
#include "platform/posix/PosixStateRecord.h"
#include "platform/posix/SmallFile.h"
#include "support/Command.h"
#include "support/TempDir.h"

using namespace vx;

namespace {

TEST(PosixLauncher, HandsEveryArgumentOverUnchangedWithNoShellNoPrinterOverrideAndNoChildLeft) {
    test::TempDir t;
    const std::string out = t / "args";
    const std::string tricky = std::string("a \"b\" $(touch ") + t.path() + "/pwned) `x`\n\xff;|*'";
    for (const char* v : {"PRINTER", "LPDEST"}) ::setenv(v, "elsewhere", 1);
    PosixLauncher launcher;
    // The child writes its answer beside the file and renames it, so it appears whole.
    const std::string script = R"(printf '%s|%s' "$1" "$PRINTER$LPDEST" > "$2.t"; mv "$2.t" "$2")";
    launcher.start(CommandLine{"/bin/sh", {"-c", script, "sh", tricky, out}, ""});
    for (const char* v : {"PRINTER", "LPDEST"}) ::unsetenv(v);
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

// A run's claim keeps other windows out; a write cut short leaves the old record whole.
TEST(PosixStateRecord, AWriteCutShortLeavesTheOldRecordWholeAndNobodyElseReadsIt) {
    test::TempDir t;
    PosixStateRecord record(t / "state/record"), other(t / "state/record");
    EXPECT_TRUE(record.claim() && !other.claim());
    record.letGo();
    EXPECT_TRUE(other.claim());
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
        {others + "Default\tOffice sides=two-sided-long-edge\nDest  Lab\tduplex", "PDF_Printer",
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

std::string Hive(const std::string& value, const std::string& root = "HKEY_CLASSES_ROOT") {
    return "[" + root + "\\wordpad.document.1\\Protocol\\StdFileEditing\\SERVER]\r\n@=" + value +
           "\r\n";
}

std::string Utf16(const std::string& latin1) {
    std::string out = "\xFF\xFE";
    for (const char c : latin1) out += std::string{c, '\0'};
    return out;
}

// The system hive names /usr/bin/tp; the user's, when it is a small regular file, overlays it.
TEST(WordpadPath, ReadsTheValueAsStoredAndTheUserHiveOverlaysOnlyWhenItIsASmallRegularFile) {
    test::TempDir t;
    const std::string user = t / "user.reg", sys = "/usr/bin/tp";
    HiveRegistry registry({t.file("system.reg", Hive("\"" + sys + "\"")), user});
    const auto userHive = [&t](const std::string& text) {
        return [&t, text] { t.file("user.reg", text); };
    };
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[] {}, sys},
        {userHive("\xEF\xBB\xBF" + Hive(R"("\"C:\\Program Files\\wp.exe\" ")")),
         "\"C:\\Program Files\\wp.exe\" "},
        {userHive(Utf16(Hive("\"/caf\xE9\""))), "/caf\xC3\xA9"},
        {userHive(Hive("\"" + std::string(259, 'p') + "\"")), std::string(259, 'p')},
        {userHive(Hive("\"" + std::string(260, 'p') + "\"")), ""},  // beyond the 260-byte buffer
        {userHive(Hive("dword:00000001")), sys},
        {userHive(Hive("\"/x\"", "HKEY_CURRENT_USER")), sys},
        {[&] { std::filesystem::create_directory(user); }, sys},
        {[&] { ::mkfifo(user.c_str(), 0600); }, sys},
        {[&] { std::filesystem::create_symlink("/dev/zero", user); }, sys},
        {userHive(Hive("\"/x\"") + std::string(2 << 20, ';')), sys},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        std::filesystem::remove_all(user);
        cases[i].first();
        EXPECT_EQ(GetWordpadPath(registry), cases[i].second) << "case " << i;
    }
}

// The tests build for the default prefix /usr/local, whose sysconfdir is prefix/etc.
TEST(InstallLayout, FindsFilesBesideABuildAndRelativeToAnInstalledBin) {
    test::TempDir t;
    const std::string build = t.folder("build/bin"), bin = t.folder("usr/bin");
    const InstallLayout here = InstallLayout::For(build, "/etc/xdg");
    EXPECT_EQ(here.dataFolder, build);
    EXPECT_EQ(here.helperFolder, build);
    EXPECT_EQ(here.systemHives, std::vector<std::string>{build + "/vellumax-classes.reg"});

    t.folder("usr/share/vellumax");
    const InstallLayout there = InstallLayout::For(bin, "/high/:relative::/low");
    EXPECT_EQ(there.dataFolder, t / "usr/share/vellumax");
    EXPECT_EQ(there.helperFolder, t / "usr/libexec/vellumax");
    // Less important first, so the first $XDG_CONFIG_DIRS entry overlays the rest.
    EXPECT_EQ(there.systemHives, (std::vector<std::string>{t / "usr/etc/xdg/vellumax/classes.reg",
                                                           "/low/vellumax/classes.reg",
                                                           "/high/vellumax/classes.reg"}));

    // The user guide opens only when it is there, as an address no byte can break.
    EXPECT_EQ(HomePageUrl(kUserGuide, there), "");
    t.file("usr/share/doc/vellumax/user-guide.html");
    EXPECT_EQ(HomePageUrl(kUserGuide, InstallLayout::For(t / "usr/./bin/")),
              "file://" + t.path() + "/usr/share/doc/vellumax/user-guide.html");
    InstallLayout odd = there;
    odd.userGuide = t.file("a b#?%\xC3\xA9.html");
    EXPECT_EQ(HomePageUrl(kUserGuide, odd), "file://" + t.path() + "/a%20b%23%3F%25%C3%A9.html");
    EXPECT_EQ(HomePageUrl("https://example.org/", there), "https://example.org/");
}

}  // namespace
