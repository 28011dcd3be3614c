#include "platform/posix/LpOptions.h"

namespace vx::lpoptions {

namespace {

// Views into the file's text: a big file is read without a string per field.
struct Line {
    std::string_view keyword;  // as written
    std::string_view name;     // queue or queue/instance
    std::string_view rest;     // the options, with their leading blank
    std::string_view raw;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool Same(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
    return true;
}

Line Parse(std::string_view raw) {
    Line l;
    l.raw = raw;
    std::size_t i = 0;
    while (i < raw.size() && !IsBlank(raw[i])) ++i;
    l.keyword = raw.substr(0, i);
    while (i < raw.size() && IsBlank(raw[i])) ++i;
    const std::size_t start = i;
    while (i < raw.size() && !IsBlank(raw[i])) ++i;
    l.name = raw.substr(start, i - start);
    l.rest = raw.substr(i);
    return l;
}

// The next line of `text` into `l`, `text` moving past it; false at the end.
bool NextLine(std::string_view& text, Line& l) {
    if (text.empty()) return false;
    const std::size_t nl = text.find('\n');
    l = Parse(text.substr(0, nl));
    text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
    return true;
}

bool IsDefault(const Line& l) {
    return Same(l.keyword, "Default") && !l.name.empty();
}

bool SaysNothing(const Line& l) {
    for (const char c : l.rest)
        if (!IsBlank(c) && c != '\r') return false;
    return l.name.find('/') == std::string::npos;  // an instance exists through its line
}

}  // namespace

std::string DefaultOf(std::string_view text) {
    for (Line l; NextLine(text, l);)
        if (IsDefault(l)) return std::string(l.name);
    return {};
}

std::string WithDefault(std::string_view text, const std::string& dest) {
    std::string out;
    out.reserve(text.size() + dest.size() + 16);
    bool placed = dest.empty();
    for (Line l; NextLine(text, l);) {
        const bool isDest = Same(l.keyword, "Dest") && l.name == dest;
        if (IsDefault(l) && l.name != dest) {
            if (SaysNothing(l)) continue;
            out.append("Dest ").append(l.name).append(l.rest);
        } else if ((isDest || IsDefault(l)) && !dest.empty()) {
            if (placed) continue;  // one line per destination
            out.append("Default ").append(l.name).append(l.rest);
            placed = true;
        } else {
            out.append(l.raw);
        }
        out += '\n';
    }
    if (!placed) out.append("Default ").append(dest).append("\n");
    return out;
}

}  // namespace vx::lpoptions
