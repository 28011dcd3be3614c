#include <gtest/gtest.h>

#include <thread>

#include "convert/RunConversion.h"
#include "platform/win32/Win32Launcher.h"
#include "win32/Win32Support.h"

namespace vx {
namespace {

// The record of one start, once the started program has written it.
std::string AwaitRecord(const std::string& path) {
    for (int i = 0; i < 300 && GetFileAttributesW(Widen(path).c_str()) == INVALID_FILE_ATTRIBUTES;
         ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return test::ReadFile(path);
}

TEST(Win32Launcher, StartsMinimisedWithTheCommandLineKeptExactly) {
    test::TempFolder t;
    // The recorder in a folder with a space, and a decoy where an unquoted path would first look.
    const std::string recorder = t / "rec \u00FC\\record start.exe";
    const std::wstring original = Widen(test::ProgramFolder() + "\\record_start.exe");
    ASSERT_TRUE(CreateDirectoryW(Widen(t / "rec \u00FC").c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(original.c_str(), Widen(recorder).c_str(), TRUE));
    ASSERT_TRUE(CopyFileW(original.c_str(), Widen(t / "rec.exe").c_str(), TRUE));

    struct Case {
        std::string program;
        std::string entry;
    };
    const Case cases[] = {
        {'"' + recorder + '"', "C:\\docs\\two  words.txt"},
        {recorder, "C:\\\u03A9\u03BC\u03AD\u03B3\u03B1\\\u65E5\u672C \"quoted\".txt"},
        {'"' + recorder + '"', "C:\\lone \xED\xA0\x80 surrogate.txt"},  // no UTF-8 form of its own
    };
    Win32Launcher launcher;
    int n = 0;
    for (const Case& c : cases) {
        const std::string record = t / ("record" + std::to_string(++n));
        SetEnvironmentVariableW(L"VELLUMAX_RECORD", Widen(record).c_str());
        const CommandLine command = BuildCommandLine(c.program, c.entry);
        launcher.start(command);
        EXPECT_EQ(AwaitRecord(record), "2\n" + recorder + "\n" + command.text);
    }
    for (const std::string& missing : {std::string(), t / "missing.exe"})
        EXPECT_THROW(launcher.start(BuildCommandLine(missing, "a.txt")), PlatformError) << missing;
}

}  // namespace
}  // namespace vx
