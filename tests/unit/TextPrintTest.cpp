#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "textprint/TextToPostScript.h"

namespace vx {
namespace {

struct Printed {
    std::string ps;
    int pages = 0;
};

Printed Print(const std::string& text, PageSetup page = {}) {
    std::FILE* in = text.empty() ? std::tmpfile()
                                 : ::fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
    char* buf = nullptr;
    std::size_t len = 0;
    std::FILE* out = ::open_memstream(&buf, &len);
    Printed p;
    p.pages = TextToPostScript(in, IsValidUtf8(text), "t.txt", page, out);
    std::fclose(in);
    std::fclose(out);
    p.ps.assign(buf, len);
    std::free(buf);
    return p;
}

std::size_t Count(const std::string& hay, const std::string& needle) {
    std::size_t n = 0;
    for (std::size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + 1))
        ++n;
    return n;
}

TEST(TextToPostScript, LinesEndAtLfCrAndCrlfWithoutDoubleSpacing) {
    const Printed p = Print("one\r\ntwo\rthree\nfour");
    EXPECT_EQ(Count(p.ps, " L\n"), 4u);
    EXPECT_NE(p.ps.find("(one)"), std::string::npos);
    EXPECT_NE(p.ps.find("(four)"), std::string::npos);
    EXPECT_EQ(p.pages, 1);
}

TEST(TextToPostScript, TabsFormFeedsAndLongLinesLoseNothing) {
    const Printed tabs = Print("a\tb\n12345678\tc");
    EXPECT_NE(tabs.ps.find("(a       b)"), std::string::npos);
    EXPECT_NE(tabs.ps.find("(12345678        c)"), std::string::npos);
    EXPECT_EQ(Print("page1\fpage2").pages, 2);

    std::string words;
    for (int i = 0; i < 100; ++i) words += "word" + std::to_string(i) + " ";
    const Printed wrapped = Print(words + "\n" + std::string(250, 'x'));
    for (int i = 0; i < 100; ++i)
        EXPECT_NE(wrapped.ps.find("word" + std::to_string(i) + " "), std::string::npos) << i;
    EXPECT_EQ(Count(wrapped.ps, "x"), 250u + Count(Print("").ps, "x"));

    std::string many;
    for (int i = 0; i < 200; ++i) many += "line\n";
    EXPECT_GE(Print(many).pages, 3);
}

TEST(TextToPostScript, ReadsUtf8AndFallsBackToWindows1252) {
    EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9"));
    EXPECT_FALSE(IsValidUtf8("caf\xE9"));
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));      // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));      // cut short
    const Printed utf8 = Print(
        "\xEF\xBB\xBF"
        "caf\xC3\xA9");
    EXPECT_NE(utf8.ps.find("(caf\\351)"), std::string::npos);
    const Printed latin1 = Print("caf\xE9 \x93q\x94");
    EXPECT_NE(latin1.ps.find("(caf\\351 \"q\")"), std::string::npos);
    EXPECT_NE(Print("(a)\\").ps.find("(\\(a\\)\\\\)"), std::string::npos);
}

TEST(TextToPostScript, EmptyAndBinaryInputPrintWithoutTrouble) {
    EXPECT_EQ(Print("").pages, 1);
    std::string binary;
    for (int i = 0; i < 100000; ++i) binary.push_back(static_cast<char>((i * 7919) % 256));
    const Printed p = Print(binary);
    EXPECT_GT(p.pages, 1);
    EXPECT_NE(p.ps.find("%%EOF"), std::string::npos);
}

}  // namespace
}  // namespace vx
