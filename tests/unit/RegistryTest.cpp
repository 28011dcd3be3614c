#include <gtest/gtest.h>

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

TEST(WordpadPath, ReadsTheServerValueExactlyAsStored) {
    test::TempDir t;
    const std::string system = t.file("system.reg", Hive(R"("\"C:\\Program Files\\wp.exe\" ")"));
    HiveRegistry registry({system, t / "missing.reg"});
    EXPECT_EQ(GetWordpadPath(registry), "\"C:\\Program Files\\wp.exe\" ");

    HiveRegistry none({t / "missing.reg"});
    EXPECT_EQ(GetWordpadPath(none), "");
}

TEST(WordpadPath, KeepsTheBufferLimitOf259Bytes) {
    test::TempDir t;
    const std::string fits(259, 'p');
    const std::string tooLong(260, 'p');
    HiveRegistry a({t.file("a.reg", Hive("\"" + fits + "\""))});
    HiveRegistry b({t.file("b.reg", Hive("\"" + tooLong + "\""))});
    EXPECT_EQ(GetWordpadPath(a), fits);
    EXPECT_EQ(GetWordpadPath(b), "");
}

TEST(WordpadPath, TheUserHiveOverlaysTheSystemOneAndChangesShowAtOnce) {
    test::TempDir t;
    const std::string system = t.file("system.reg", Hive("\"/usr/bin/textprint\""));
    const std::string user = t / "user.reg";
    HiveRegistry registry({system, user});
    EXPECT_EQ(GetWordpadPath(registry), "/usr/bin/textprint");
    t.file("user.reg", Hive("\"/home/u/bin/other\""));
    EXPECT_EQ(GetWordpadPath(registry), "/home/u/bin/other");
    t.file("user.reg", "Windows Registry Editor Version 5.00\n");
    EXPECT_EQ(GetWordpadPath(registry), "/usr/bin/textprint");
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
