#include "system/Corpus.h"

#include <glib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "platform/Utf8.h"
#include "support/Command.h"
#include "system/PrivateCups.h"
#include "textprint/TextDecoder.h"

namespace vx::test {

namespace fs = std::filesystem;

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

// The words of the text.
std::vector<std::u32string> Split(const std::string& text) {
    std::vector<std::u32string> words(1);
    std::u32string chars;
    TextDecoder(Encoding::Utf8)
        .feed(reinterpret_cast<const unsigned char*>(text.data()), text.size(), chars);
    for (const char32_t c : chars) {
        // Bidi marks that text readers add around right-to-left runs are not words.
        if (c == 0x202A || c == 0x202B || c == 0x202C || c == 0x200E || c == 0x200F) continue;
        const bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
        if (!space) words.back().push_back(c);
        if (space && !words.back().empty()) words.emplace_back();
    }
    if (words.back().empty()) words.pop_back();
    return words;
}

// The text of a C string literal as msgunfmt writes it, without its quotes.
std::string Unquote(const std::string& literal) {
    std::string out;
    const std::size_t first = literal.find('"');
    const std::size_t last = literal.rfind('"');
    for (std::size_t i = first + 1; i < last; ++i) {
        if (literal[i] == '\\' && i + 1 < last) {
            const char e = literal[++i];
            out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
        } else {
            out += literal[i];
        }
    }
    return out;
}

// A locale source's string: <Uxxxx> for each character, anything else as it stands.
std::string Decode(const std::string& quoted) {
    std::string out;
    for (std::size_t i = 0; i < quoted.size(); ++i) {
        const std::size_t close = quoted.find('>', i);
        if (quoted.compare(i, 2, "<U") == 0 && close != std::string::npos) {
            AppendUtf8(
                static_cast<char32_t>(std::stoul(quoted.substr(i + 2, close - i - 2), nullptr, 16)),
                out);
            i = close;
        } else {
            out += quoted[i];
        }
    }
    return out;
}

}  // namespace

double Recall(const std::string& expected, const std::string& got) {
    const auto want = Split(expected);
    if (want.empty()) return 1.0;
    std::map<std::u32string, int> have;
    for (const auto& g : Split(got)) ++have[g];
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
    auto add = [&](std::string name, std::string bytes, std::string text, int pages = 0,
                   std::string warning = {}) {
        corpus.push_back(
            {std::move(name), std::move(bytes), std::move(text), pages, std::move(warning)});
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
    add("english.txt", ToUtf8(english), ToUtf8(english), 3);
    const std::u32string wide = line(latin + Range(U'α', U'ω'), 200) + U" Ω\r\n";
    std::string utf16 = "\xFF\xFE";
    for (const char32_t c : wide) utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    add("utf16.txt", utf16, ToUtf8(wide));
    add("latin1.txt", "caf\xE9 na\xEFve \xC5ngstr\xF6m \x93quoted\x94 \x80uro\n",
        "café naïve Ångström “quoted” €uro\n");
    add("nofont.txt", "before \xF4\x8F\xBF\xBD after\n", "before after", 1,
        "no installed font has U+10FFFD \xF4\x8F\xBF\xBD; printed as boxes in");
    add("empty.txt", "", "", 1);
    std::string binary(1 << 16, '\0');
    for (char& b : binary) b = static_cast<char>(rng());
    add("binary.bin", binary, "");
    return corpus;
}

std::vector<ScriptText> CountryNames(const std::string& localeRoot) {
    std::vector<ScriptText> texts;
    std::error_code ec;
    for (const auto& language : fs::directory_iterator(localeRoot, ec)) {
        const fs::path mo = language.path() / "LC_MESSAGES" / "iso_3166-1.mo";
        if (!fs::is_regular_file(mo, ec)) continue;
        std::istringstream po(RunCommand("msgunfmt '" + mo.string() + "' 2>/dev/null").out);
        std::string text;
        std::string current;
        bool inString = false;
        auto flush = [&] {
            // The header entry is no text.
            if (inString && !current.empty() && !current.starts_with("Project-Id-Version"))
                text += current + "\n";
            current.clear();
            inString = false;
        };
        for (std::string line; std::getline(po, line);) {
            if (line.starts_with("msgstr ")) {
                flush();
                inString = true;
                current = Unquote(line);
            } else if (line.starts_with("\"") && inString) {
                current += Unquote(line);
            } else {
                flush();
            }
        }
        flush();
        if (!text.empty()) texts.push_back({"iso-" + language.path().filename().string(), text});
    }
    std::sort(texts.begin(), texts.end(), [](auto& a, auto& b) { return a.name < b.name; });
    return texts;
}

std::vector<ScriptText> MonthAndDayNames(const std::string& folder) {
    std::vector<ScriptText> texts;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        std::ifstream in(entry.path());
        const std::string source = "\n" + std::string((std::istreambuf_iterator<char>(in)),
                                                      std::istreambuf_iterator<char>());
        char escape = '\\';
        if (const std::size_t at = source.find("\nescape_char"); at != std::string::npos)
            escape = source[source.find_first_not_of(" \t", at + 12)];
        const std::size_t begin = source.find("\nLC_TIME");
        const std::size_t end = source.find("\nEND LC_TIME");
        if (begin == std::string::npos || end == std::string::npos || end < begin) continue;
        // Lines continued with the escape character are one line.
        std::string section;
        for (std::size_t i = begin; i < end; ++i) {
            if (source[i] == escape && source[i + 1] == '\n')
                ++i;
            else
                section += source[i];
        }
        std::istringstream lines(section);
        std::string text;
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::string key;
            words >> key;
            if (key != "day" && key != "abday" && key != "mon" && key != "abmon" &&
                key != "alt_mon" && key != "ab_alt_mon")
                continue;
            for (std::size_t open = line.find('"'); open != std::string::npos;) {
                const std::size_t close = line.find('"', open + 1);
                if (close == std::string::npos) break;
                text += Decode(line.substr(open + 1, close - open - 1)) + "\n";
                open = line.find('"', close + 1);
            }
        }
        if (!text.empty()) texts.push_back({"locale-" + entry.path().filename().string(), text});
    }
    std::sort(texts.begin(), texts.end(), [](auto& a, auto& b) { return a.name < b.name; });
    return texts;
}

std::map<char32_t, int> SearchableCharacters(const std::string& utf8) {
    std::map<char32_t, int> counts;
    if (!g_utf8_validate(utf8.data(), static_cast<gssize>(utf8.size()), nullptr)) return counts;
    gchar* normal =
        g_utf8_normalize(utf8.data(), static_cast<gssize>(utf8.size()), G_NORMALIZE_NFKC);
    for (const gchar* p = normal; p != nullptr && *p != 0; p = g_utf8_next_char(p)) {
        const gunichar c = g_utf8_get_char(p);
        const GUnicodeType type = g_unichar_type(c);
        if (g_unichar_isspace(c) || type == G_UNICODE_FORMAT || type == G_UNICODE_CONTROL) continue;
        ++counts[c];
    }
    g_free(normal);
    return counts;
}

std::string AwaitPdf(PrivateCups& cups, const std::string& pdf) {
    for (int i = 0; i < 6000; ++i) {
        if (fs::exists(pdf) && cups.run("test -z \"$(lpstat -o)\"") == 0) return pdf;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
}

}  // namespace vx::test
