#include "platform/RegHive.h"

#include <cstdint>

#include "platform/Utf8.h"

namespace vx {

namespace {

std::string Utf16LeToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) |
               (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
            const std::uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(static_cast<char32_t>(c), out);
    }
    return out;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Reads a quoted string starting at s[0] == '"'; sets rest to what follows it.
std::optional<std::string> Quoted(std::string_view s, std::string_view& rest) {
    if (s.empty() || s.front() != '"') return std::nullopt;
    std::string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\\' && i + 1 < s.size()) {
            out.push_back(s[++i]);
        } else if (c == '"') {
            rest = s.substr(i + 1);
            return out;
        } else {
            out.push_back(c);
        }
    }
    return std::nullopt;
}

}  // namespace

std::string RegHive::Fold(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

RegHive RegHive::Parse(std::string_view bytes) {
    std::string text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text = Utf16LeToUtf8(bytes.substr(2));
    } else {
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
        text = std::string(bytes);
    }

    RegHive hive;
    std::map<std::string, std::string>* current = nullptr;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t nl = rest.find('\n');
        std::string_view line = Trim(rest.substr(0, nl));
        rest = nl == std::string_view::npos ? std::string_view{} : rest.substr(nl + 1);

        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            current = nullptr;
            if (line.back() != ']' || line.size() < 3 || line[1] == '-') continue;
            std::string_view path = line.substr(1, line.size() - 2);
            constexpr std::string_view root = "HKEY_CLASSES_ROOT";
            if (Fold(path.substr(0, root.size())) != Fold(root)) continue;
            path.remove_prefix(root.size());
            if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
            current = &hive.keys_[Fold(path)];
            continue;
        }
        if (current == nullptr) continue;
        std::string name;
        std::string_view after;
        if (line.front() == '@') {
            after = line.substr(1);
        } else if (auto quoted = Quoted(line, after)) {
            name = Fold(*quoted);
        } else {
            continue;
        }
        after = Trim(after);
        if (after.empty() || after.front() != '=') continue;
        after = Trim(after.substr(1));
        std::string_view tail;
        if (auto value = Quoted(after, tail)) (*current)[name] = std::move(*value);
    }
    return hive;
}

std::optional<std::string> RegHive::value(std::string_view keyPath, std::string_view name) const {
    const auto key = keys_.find(Fold(keyPath));
    if (key == keys_.end()) return std::nullopt;
    const auto v = key->second.find(Fold(name));
    if (v == key->second.end()) return std::nullopt;
    return v->second;
}

}  // namespace vx
