#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "convert/Wordpad.h"
#include "platform/posix/HiveRegistry.h"
#include "support/TempDir.h"

namespace vx {
namespace {

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

}  // namespace
}  // namespace vx
