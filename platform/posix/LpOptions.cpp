#include "platform/posix/LpOptions.h"

#include <vector>

namespace vx::lpoptions {

namespace {

struct Line {
    std::string keyword;  // as written
    std::string name;     // queue or queue/instance
    std::string rest;     // the options, with their leading blank
    std::string raw;
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
    l.raw = std::string(raw);
    std::size_t i = 0;
    while (i < raw.size() && !IsBlank(raw[i])) ++i;
    l.keyword = std::string(raw.substr(0, i));
    while (i < raw.size() && IsBlank(raw[i])) ++i;
    const std::size_t start = i;
    while (i < raw.size() && !IsBlank(raw[i])) ++i;
    l.name = std::string(raw.substr(start, i - start));
    l.rest = std::string(raw.substr(i));
    return l;
}

std::vector<Line> Lines(std::string_view text) {
    std::vector<Line> out;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        out.push_back(Parse(text.substr(0, nl)));
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
    }
    return out;
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
    for (const Line& l : Lines(text))
        if (IsDefault(l)) return l.name;
    return {};
}

std::string WithDefault(std::string_view text, const std::string& dest) {
    std::string out;
    bool placed = dest.empty();
    for (Line& l : Lines(text)) {
        const bool isDest = Same(l.keyword, "Dest") && l.name == dest;
        if (IsDefault(l) && l.name != dest) {
            if (SaysNothing(l)) continue;
            l.raw = "Dest " + l.name + l.rest;
        } else if ((isDest || IsDefault(l)) && !dest.empty()) {
            if (placed) continue;  // one line per destination
            l.raw = "Default " + l.name + l.rest;
            placed = true;
        }
        out += l.raw + "\n";
    }
    if (!placed) out += "Default " + dest + "\n";
    return out;
}

}  // namespace vx::lpoptions
