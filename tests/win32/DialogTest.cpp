#include <gtest/gtest.h>

#include "filelist/AddPicked.h"
#include "platform/win32/Win32Dialogs.h"

namespace vx {
namespace {

using namespace std::string_literals;

TEST(Win32Dialogs, TheFileBufferBecomesFullPaths) {
    struct Case {
        std::wstring buffer;
        std::vector<std::string> paths;
    };
    const Case cases[] = {
        {L"C:\\docs\\a.txt\0\0old\0"s, {"C:\\docs\\a.txt"}},
        {L"C:\\\0a.txt\0\u00FC\xD800.txt\0\0"s, {"C:\\a.txt", "C:\\\u00FC\xED\xA0\x80.txt"}},
        {L"\\\\srv\\share\0a\0b\0\0"s, {"\\\\srv\\share\\a", "\\\\srv\\share\\b"}},
        {std::wstring(30000, L'\0'), {}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitDialogResult(DialogResult(c.buffer), '\\'), c.paths);
    EXPECT_EQ(DialogFilter("All (*.*)|*.*|Text|*.txt"), L"All (*.*)\0*.*\0Text\0*.txt\0"s);
}

}  // namespace
}  // namespace vx
