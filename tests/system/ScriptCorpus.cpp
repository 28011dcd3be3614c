#include "system/ScriptCorpus.h"

#include <glib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Utf8.h"
#include "support/Command.h"

namespace vx::test {

namespace fs = std::filesystem;

namespace {

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

}  // namespace vx::test
