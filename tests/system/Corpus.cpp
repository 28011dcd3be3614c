#include "system/Corpus.h"

#include <map>
#include <random>

#include "platform/Utf8.h"

namespace vx::test {

namespace {

class Words {
  public:
    explicit Words(std::uint32_t seed) : rng_(seed) {}

    // A word of 2-9 letters drawn from the alphabet.
    std::u32string word(const std::u32string& alphabet) {
        std::uniform_int_distribution<std::size_t> len(2, 9);
        std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
        std::u32string w;
        for (std::size_t n = len(rng_); n > 0; --n) w.push_back(alphabet[pick(rng_)]);
        return w;
    }
    std::u32string line(const std::u32string& alphabet, int words) {
        std::u32string l;
        for (int i = 0; i < words; ++i) {
            if (i > 0) l += U' ';
            l += word(alphabet);
        }
        return l;
    }
    std::mt19937& rng() { return rng_; }

  private:
    std::mt19937 rng_;
};

std::u32string Range(char32_t first, char32_t last) {
    std::u32string s;
    for (char32_t c = first; c <= last; ++c) s.push_back(c);
    return s;
}

const std::u32string kLatin = U"abcdefghijklmnopqrstuvwxyz";
// Frequent ideographs and kana.
const std::u32string kCjk =
    U"的一是不了人我在有他这中大来上国个到说们为子和你地出道也时年得就那要下以生会自着去之"
    U"過家學對可她裡後小麼心多天而能好都然沒日於起還發成事只作當想看文無開手十用主行方又如前"
    U"あいうえおかきくけこさしすせそたちつてとなにぬねのアイウエオカキクケコ";

std::string Utf16Le(const std::u32string& s) {
    std::string out = "\xFF\xFE";
    auto unit = [&](char32_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    };
    for (const char32_t c : s) {
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

std::vector<std::u32string> Split(const std::u32string& s) {
    std::vector<std::u32string> words;
    std::u32string w;
    for (const char32_t c : s) {
        // Bidi marks that text readers add around right-to-left runs are not words.
        if (c == 0x202A || c == 0x202B || c == 0x202C || c == 0x200E || c == 0x200F) continue;
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
            if (!w.empty()) words.push_back(w);
            w.clear();
        } else {
            w.push_back(c);
        }
    }
    if (!w.empty()) words.push_back(w);
    return words;
}

template <typename T>
double Recall(const std::vector<T>& expected, const std::vector<T>& got) {
    if (expected.empty()) return 1.0;
    std::map<T, int> have;
    for (const auto& g : got) ++have[g];
    std::size_t found = 0;
    for (const auto& e : expected)
        if (have[e]-- > 0) ++found;
    return static_cast<double>(found) / static_cast<double>(expected.size());
}

}  // namespace

std::u32string FromUtf8(const std::string& s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = n == 1 ? b : b & (0x3F >> (n - 1));
        for (int k = 1; k < n && i + k < s.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(c);
        i += n;
    }
    return out;
}

std::string ToUtf8(const std::u32string& s) {
    std::string out;
    for (const char32_t c : s) AppendUtf8(c, out);
    return out;
}

double WordRecall(const std::string& expected, const std::string& got) {
    return Recall(Split(FromUtf8(expected)), Split(FromUtf8(got)));
}

double CharacterRecall(const std::string& expected, const std::string& got) {
    auto chars = [](const std::string& s) {
        std::vector<char32_t> out;
        for (const auto& w : Split(FromUtf8(s))) out.insert(out.end(), w.begin(), w.end());
        return out;
    };
    return Recall(chars(expected), chars(got));
}

std::vector<CorpusFile> MakeCorpus(std::uint32_t seed) {
    Words words(seed);
    std::vector<CorpusFile> corpus;
    auto add = [&](std::string name, const std::u32string& text, bool byChar = false) {
        corpus.push_back({std::move(name), ToUtf8(text), ToUtf8(text), byChar});
    };

    std::u32string english;
    for (int page = 0; page < 3; ++page) {
        if (page > 0) english += U"\f";
        for (int i = 0; i < 40; ++i) english += words.line(kLatin, 1 + i % 12) + U"\r\n";
        for (int i = 0; i < 5; ++i)
            english += words.word(kLatin) + U"\t" + words.word(kLatin) + U"\t\t" +
                       words.word(kLatin) + U"\r\n";
        std::u32string longLine;
        while (longLine.size() < 500) longLine += words.word(kLatin) + U" ";
        english += longLine + U"\r\n";
    }
    add("english.txt", english);
    add("greek.txt", words.line(Range(U'α', U'ω') + Range(U'Α', U'Ρ'), 400));
    add("cyrillic.txt", words.line(Range(U'а', U'я') + Range(U'А', U'Я'), 400));
    std::u32string cjk;
    std::uniform_int_distribution<std::size_t> pick(0, kCjk.size() - 1);
    for (int line = 0; line < 30; ++line) {
        for (int i = 0; i < 60; ++i) cjk.push_back(kCjk[pick(words.rng())]);
        cjk += U"\n";
    }
    add("cjk.txt", cjk, true);
    std::u32string rtl;
    for (int i = 0; i < 40; ++i)
        rtl += words.line(Range(U'ء', U'غ') + Range(U'ف', U'ي'), 6) + U" " +
               words.line(Range(U'א', U'ת'), 4) + U"\n";
    add("arabic-hebrew.txt", rtl);

    const std::u32string wide = words.line(kLatin + Range(U'α', U'ω'), 200) + U" 😀\r\n";
    corpus.push_back({"utf16.txt", Utf16Le(wide), ToUtf8(wide), false});
    corpus.push_back({"latin1.txt", "caf\xE9 na\xEFve \xC5ngstr\xF6m \x93quoted\x94 \x80uro\n",
                      "café naïve Ångström “quoted” €uro\n", false});
    corpus.push_back({"empty.txt", "", "", false});
    std::string binary(1 << 16, '\0');
    std::uniform_int_distribution<int> byte(0, 255);
    for (char& b : binary) b = static_cast<char>(byte(words.rng()));
    corpus.push_back({"binary.bin", binary, "", false});
    return corpus;
}

}  // namespace vx::test
