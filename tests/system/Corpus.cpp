#include "system/Corpus.h"

#include <map>
#include <random>

#include "platform/Utf8.h"
#include "textprint/TextDecoder.h"

namespace vx::test {

namespace {

std::u32string Range(char32_t first, char32_t last) {
    std::u32string s;
    for (char32_t c = first; c <= last; ++c) s.push_back(c);
    return s;
}

std::string ToUtf8(const std::u32string& s) {
    std::string out;
    for (const char32_t c : s) AppendUtf8(c, out);
    return out;
}

// Words of the text; with `characters`, every character of them as a word of its own.
std::vector<std::u32string> Split(const std::string& text, bool characters) {
    std::vector<std::u32string> words(1);
    std::u32string chars;
    TextDecoder(Encoding::Utf8)
        .feed(reinterpret_cast<const unsigned char*>(text.data()), text.size(), chars);
    for (const char32_t c : chars) {
        // Bidi marks that text readers add around right-to-left runs are not words.
        if (c == 0x202A || c == 0x202B || c == 0x202C || c == 0x200E || c == 0x200F) continue;
        const bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
        if (!space) words.back().push_back(c);
        if ((space || characters) && !words.back().empty()) words.emplace_back();
    }
    if (words.back().empty()) words.pop_back();
    return words;
}

}  // namespace

double Recall(const std::string& expected, const std::string& got, bool characters) {
    const auto want = Split(expected, characters);
    if (want.empty()) return 1.0;
    std::map<std::u32string, int> have;
    for (const auto& g : Split(got, characters)) ++have[g];
    std::size_t found = 0;
    for (const auto& e : want) found += have[e]-- > 0;
    return static_cast<double>(found) / static_cast<double>(want.size());
}

std::vector<CorpusFile> MakeCorpus(std::uint32_t seed) {
    std::mt19937 rng(seed);
    // `words` words of 2-9 letters from the alphabet.
    auto line = [&](const std::u32string& alphabet, int words) {
        std::u32string l;
        for (int i = 0; i < words; ++i) {
            if (i > 0) l += U' ';
            for (std::size_t n = std::uniform_int_distribution<std::size_t>(2, 9)(rng); n > 0; --n)
                l += alphabet[std::uniform_int_distribution<std::size_t>(0,
                                                                         alphabet.size() - 1)(rng)];
        }
        return l;
    };
    std::vector<CorpusFile> corpus;
    auto add = [&](std::string name, std::string bytes, std::string text, bool byChar = false,
                   int pages = 0, std::string warning = {}) {
        corpus.push_back({std::move(name), std::move(bytes), std::move(text), byChar, pages,
                          std::move(warning)});
    };
    auto addText = [&](std::string name, const std::u32string& text, bool byChar = false,
                       int pages = 0) {
        add(std::move(name), ToUtf8(text), ToUtf8(text), byChar, pages);
    };
    const std::u32string latin = Range(U'a', U'z');
    std::u32string english;
    for (int page = 0; page < 3; ++page) {
        english += page > 0 ? U"\f" : U"";
        for (int i = 0; i < 45; ++i)  // the last five are a table
            english +=
                (i < 40 ? line(latin, 1 + i % 12) : line(latin, 1) + U"\t\t" + line(latin, 1)) +
                U"\r\n";
        english += line(latin, 90) + U"\r\n";  // some 500 characters
    }
    addText("english.txt", english, false, 3);
    addText("greek-cyrillic.txt", line(Range(U'α', U'ω') + Range(U'Α', U'Ρ'), 300) + U"\n" +
                                      line(Range(U'а', U'я') + Range(U'А', U'Я'), 300));
    // Frequent ideographs and kana.
    const std::u32string cjk =
        U"的一是不了人我在有他这中大来上国个到说们为子和你地出道也时年得就那要下以生会自着去之"
        U"過家學對可她裡後小麼心多天而能好都然沒日於起還發成事只作當想看文無開手十用主行方又如前"
        U"あいうえおかきくけこさしすせそたちつてとなにぬねのアイウエオカキクケコ";
    std::u32string ideographs;
    for (int i = 0; i < 30; ++i) ideographs += line(cjk, 12) + U"\n";
    std::erase(ideographs, U' ');
    addText("cjk.txt", ideographs, true);
    std::u32string rtl;
    for (int i = 0; i < 40; ++i)
        rtl += line(Range(U'ء', U'غ') + Range(U'ف', U'ي'), 6) + U" " + line(Range(U'א', U'ת'), 4) +
               U"\n";
    addText("arabic-hebrew.txt", rtl);

    const std::u32string wide = line(latin + Range(U'α', U'ω'), 200) + U" Ω\r\n";
    std::string utf16 = "\xFF\xFE";
    for (const char32_t c : wide) utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    add("utf16.txt", utf16, ToUtf8(wide));
    add("latin1.txt", "caf\xE9 na\xEFve \xC5ngstr\xF6m \x93quoted\x94 \x80uro\n",
        "café naïve Ångström “quoted” €uro\n");
    add("nofont.txt", "before \xF4\x8F\xBF\xBD after\n", "before after", false, 1,
        "no installed font has U+10FFFD \xF4\x8F\xBF\xBD; printed as boxes in");
    add("empty.txt", "", "", false, 1);
    std::string binary(1 << 16, '\0');
    for (char& b : binary) b = static_cast<char>(rng());
    add("binary.bin", binary, "");
    return corpus;
}

}  // namespace vx::test
