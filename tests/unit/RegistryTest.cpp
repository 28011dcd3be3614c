#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "convert/Wordpad.h"
#include "platform/RegHive.h"
#include "platform/posix/HiveRegistry.h"
#include "support/TempDir.h"

namespace vx {
namespace {

std::string Hive(const std::string& value) {
    return "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_CLASSES_ROOT\\Wordpad.Document.1\\Protocol\\StdFileEditing\\Server]\r\n"
           "@=" +
           value + "\r\n";
}

TEST(WordpadPath, ReadsTheServerValueExactlyAsStoredWithinTheBufferOf259Bytes) {
    test::TempDir t;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"("\"C:\\Program Files\\wp.exe\" ")", "\"C:\\Program Files\\wp.exe\" "},
        {"\"" + std::string(259, 'p') + "\"", std::string(259, 'p')},
        {"\"" + std::string(260, 'p') + "\"", ""},
    };
    for (const auto& [stored, read] : cases) {
        HiveRegistry registry({t.file("system.reg", Hive(stored)), t / "missing.reg"});
        EXPECT_EQ(GetWordpadPath(registry), read);
    }
    HiveRegistry none({t / "missing.reg"});
    EXPECT_EQ(GetWordpadPath(none), "");
}

TEST(WordpadPath, TheUserHiveOverlaysTheSystemOneAtOnceUnlessItIsNoSmallRegularFile) {
    test::TempDir t;
    const std::string user = t / "user.reg";
    HiveRegistry registry({t.file("system.reg", Hive("\"/usr/bin/tp\"")), user});
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[] {}, "/usr/bin/tp"},
        {[&] { t.file("user.reg", Hive("\"/home/u/other\"")); }, "/home/u/other"},
        {[&] { t.file("user.reg", "Windows Registry Editor Version 5.00\n"); }, "/usr/bin/tp"},
        {[&] { std::filesystem::create_directory(user); }, "/usr/bin/tp"},
        {[&] { ::mkfifo(user.c_str(), 0600); }, "/usr/bin/tp"},
        {[&] { std::filesystem::create_symlink("/dev/zero", user); }, "/usr/bin/tp"},
        {[&] { t.file("user.reg", Hive("\"/x\"") + std::string(2 << 20, ';')); }, "/usr/bin/tp"},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        std::filesystem::remove_all(user);
        cases[i].first();
        EXPECT_EQ(GetWordpadPath(registry), cases[i].second) << "case " << i;
    }
}

TEST(RegHive, ParsesRegeditExportsInUtf8AndUtf16) {
    const std::string text =
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n; comment\n"
        "[hkey_classes_root\\A\\B]\n\"Name\"=\"v\\\\1\"\n@=dword:00000001\n"
        "[HKEY_LOCAL_MACHINE\\Other]\n@=\"not classes root\"\n"
        "[HKEY_CLASSES_ROOT\\Other]\n@=\"caf\xC3\xA9\"\n";
    const RegHive hive = RegHive::Parse(text);
    EXPECT_TRUE(hive.hasKey("a\\b"));
    EXPECT_EQ(hive.value("A\\B", "name"), "v\\1");
    EXPECT_EQ(hive.value("A\\B", ""), std::nullopt) << "a dword is not a string";
    EXPECT_EQ(hive.value("Other", ""), "caf\xC3\xA9");

    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("[HKEY_CLASSES_ROOT\\K]\r\n@=\"\xE9\"\r\n")) {
        utf16.push_back(c);
        utf16.push_back('\0');
    }
    EXPECT_EQ(RegHive::Parse(utf16).value("K", ""), "\xC3\xA9");
}

}  // namespace
}  // namespace vx
