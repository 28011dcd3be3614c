#include <gtest/gtest.h>

#include "platform/win32/Win32Registry.h"
#include "win32/Win32Support.h"

namespace vx {
namespace {

TEST(Win32Registry, ReadsTheDefaultValueThroughTheAnsiCalls) {
    Win32Registry registry;
    test::ClassesValue stored(L"VellumaxTest.Server");
    struct Case {
        std::optional<std::wstring> value;  // nullopt: the key is absent
        std::optional<std::string> read;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt},
        {L"\"C:\\Program Files\\wp.exe\"", "\"C:\\Program Files\\wp.exe\""},
        {std::wstring(259, L'p'), std::string(259, 'p')},
        {std::wstring(260, L'p'), std::nullopt},              // does not fit the 260-byte buffer
        {L"C:\\Caf\u00e9\\wp.exe", "C:\\Caf\u00e9\\wp.exe"},  // through the ANSI code page
        {L"C:\\second.exe", "C:\\second.exe"},  // a change between two reads shows at once
    };
    for (const Case& c : cases) {
        if (c.value) stored.set(*c.value);
        EXPECT_EQ(registry.defaultValue("VellumaxTest.Server"), c.read)
            << Narrow(c.value.value_or(L"(absent)"));
    }
    // A name without an ANSI form must not open the key its "?" substitute names.
    test::ClassesValue substitute(L"VellumaxTest?");
    substitute.set(L"wrong");
    EXPECT_EQ(registry.defaultValue("VellumaxTest\u65E5"), std::nullopt);
}

}  // namespace
}  // namespace vx
