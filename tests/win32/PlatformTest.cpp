#include <gtest/gtest.h>

#include "convert/RunConversion.h"
#include "filelist/AddFolder.h"
#include "filelist/AddPicked.h"
#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Launcher.h"
#include "platform/win32/Win32Registry.h"
#include "win32/Win32Support.h"

namespace vx {
namespace {

using namespace std::string_literals;

TEST(Win32Registry, ReadsTheDefaultValueThroughTheAnsiCalls) {
    Win32Registry registry;
    const std::pair<std::wstring, std::optional<std::string>> cases[] = {
        {L"", std::nullopt},  // no key
        {L"\"C:\\Program Files\\wp.exe\"", "\"C:\\Program Files\\wp.exe\""},
        {std::wstring(259, L'p'), std::string(259, 'p')},
        {std::wstring(260, L'p'), std::nullopt},              // does not fit the 260-byte buffer
        {L"C:\\Caf\u00e9\\wp.exe", "C:\\Caf\u00e9\\wp.exe"},  // through the ANSI code page
        {L"C:\\second.exe", "C:\\second.exe"}};  // a change between two reads shows at once
    for (const auto& [value, read] : cases) {
        if (!value.empty())
            RegSetValueW(HKEY_CLASSES_ROOT, L"VellumaxTest", REG_SZ, value.c_str(), 0);
        EXPECT_EQ(registry.defaultValue("VellumaxTest"), read) << Narrow(value);
    }
    // A name without an ANSI form must not open the key its "?" substitute names.
    RegSetValueW(HKEY_CLASSES_ROOT, L"VellumaxTest?", REG_SZ, L"wrong", 0);
    EXPECT_EQ(registry.defaultValue("VellumaxTest\u65E5"), std::nullopt);
    for (const wchar_t* key : {L"VellumaxTest", L"VellumaxTest?"})
        RegDeleteKeyW(HKEY_CLASSES_ROOT, key);
}

TEST(Win32Dialogs, TheFileBufferBecomesFullPaths) {
    const std::pair<std::wstring, std::vector<std::string>> cases[] = {
        {L"C:\\docs\\a.txt\0\0old\0"s, {"C:\\docs\\a.txt"}},
        {L"C:\\\0a.txt\0\u00FC\xD800.txt\0\0"s, {"C:\\a.txt", "C:\\\u00FC\xED\xA0\x80.txt"}},
        {std::wstring(30000, L'\0'), {}}};
    for (const auto& [buffer, paths] : cases)
        EXPECT_EQ(SplitDialogResult(DialogResult(buffer), '\\'), paths);
    EXPECT_EQ(DialogFilter("All (*.*)|*.*|Text|*.txt"), L"All (*.*)\0*.*\0Text\0*.txt\0"s);
}

TEST(Win32FolderWalk, AddsHiddenFilesBreadthFirstButEntersNoHiddenFolder) {
    test::TempFolder root;
    constexpr DWORD kHidden = FILE_ATTRIBUTE_HIDDEN, kSystem = FILE_ATTRIBUTE_SYSTEM;
    // Folders end in "\". Wine keeps the archive bit it sets on new files; it plays no part.
    // clang-format off
    const std::pair<std::string, DWORD> tree[] = {
        {"A\\", 0}, {"A\\A1\\", 0}, {"B\\", 0}, {".dot\\", 0}, {"H\\", kHidden}, {"S\\", kSystem},
        {"r1", 0}, {"~skip", 0}, {"a~b", 0}, {"hid.txt", kHidden}, {"sys.txt", kSystem},
        {"ro.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE}, {"A\\a1.txt", 0},
        {"A\\A1\\x", 0}, {"B\\b1", 0}, {"B\\~b", 0}, {".dot\\d1", 0}, {"H\\h1", 0}, {"S\\s1", 0}};
    // clang-format on
    for (const auto& [path, attributes] : tree) {
        const std::wstring wide = Widen(root / path);
        if (wide.back() == L'\\') {
            ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr)) << path;
        } else {
            ASSERT_TRUE(std::ofstream(std::filesystem::path(wide)) << "x") << path;
        }
        ASSERT_TRUE(SetFileAttributesW(wide.c_str(), attributes)) << path;
    }

    FileList list;
    test::FakeUi ui;
    ui.folderResult = root.path();
    Win32FileSystem fs;
    AddFolderFiles(list, fs, ui, [](int) {});
    std::vector<std::string> added;
    for (std::size_t i = 1; i <= list.count(); ++i) added.push_back(list.text(i));
    EXPECT_EQ(added,
              (std::vector<std::string>{root / "a~b", root / "hid.txt", root / "r1",
                                        root / "ro.txt", root / "sys.txt", root / ".dot\\d1",
                                        root / "A\\a1.txt", root / "B\\b1", root / "A\\A1\\x"}));
    WalkReport report;
    EXPECT_EQ(ListFiles(ui.folderResult, "*.*", fs, report),
              (std::vector<std::string>{"a~b", "hid.txt", "r1", "ro.txt", "sys.txt", "~skip"}));
}

TEST(Win32Launcher, StartsMinimisedWithTheCommandLineKeptExactly) {
    test::TempFolder t;
    // The recorder in a folder with a space, and a decoy where an unquoted path would first look.
    const std::string recorder = t / "rec \u00FC\\record start.exe";
    ASSERT_TRUE(CreateDirectoryW(Widen(t / "rec \u00FC").c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(test::Self().c_str(), Widen(recorder).c_str(), TRUE));
    ASSERT_TRUE(CopyFileW(test::Self().c_str(), Widen(t / "rec.exe").c_str(), TRUE));
    const std::pair<std::string, std::string> cases[] = {
        {'"' + recorder + '"', "C:\\docs\\two  words.txt"},
        {recorder, "C:\\\u03A9\u03BC\u03AD\u03B3\u03B1\\\u65E5\u672C \"quoted\".txt"},
        {'"' + recorder + '"', "C:\\lone \xED\xA0\x80 surrogate.txt"}};  // no UTF-8 of its own
    Win32Launcher launcher;
    const std::wstring record = Widen(t / "record");
    SetEnvironmentVariableW(L"VELLUMAX_RECORD", record.c_str());
    for (const auto& [program, entry] : cases) {
        DeleteFileW(record.c_str());
        const CommandLine command = BuildCommandLine(program, entry);
        launcher.start(command);
        std::string got;
        test::WaitFor([&] { return (got = test::ReadAll(record)).ends_with('\n'); });
        EXPECT_EQ(got.substr(0, got.rfind('|') + 1), "2|" + recorder + "|" + command.text + "|");
    }
    for (const std::string& missing : {std::string(), t / "missing.exe"})
        EXPECT_THROW(launcher.start(BuildCommandLine(missing, "a.txt")), PlatformError) << missing;
}

}  // namespace
}  // namespace vx
