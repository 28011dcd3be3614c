#include "printing/PdfContent.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace vx {

namespace {

// A title is a file name: anything longer than this is not one, and the bound keeps a
// hostile document from making each "/Title" scan to its end.
constexpr std::size_t kMostStringBytes = 4096;

bool IsPdfSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The bytes of the literal string whose "(" is at i; nothing when it does not end in time.
std::optional<std::string> Literal(const std::string& s, std::size_t i) {
    std::string out;
    int depth = 1;
    const std::size_t end = std::min(s.size(), i + kMostStringBytes);
    for (++i; i < end; ++i) {
        char c = s[i];
        if (c == '(') ++depth;
        if (c == ')' && --depth == 0) return out;
        if (c == '\\' && i + 1 < end) {
            c = s[++i];
            if (c >= '0' && c <= '7') {
                int value = 0;
                for (int k = 0; k < 3 && i < end && s[i] >= '0' && s[i] <= '7'; ++k, ++i)
                    value = value * 8 + (s[i] - '0');
                --i;
                c = static_cast<char>(value & 0xFF);
            } else if (c == '\r' || c == '\n') {
                if (c == '\r' && i + 1 < end && s[i + 1] == '\n') ++i;
                continue;  // a line break after "\" is not part of the string
            } else {
                static constexpr std::string_view from = "nrtbf", to = "\n\r\t\b\f";
                const std::size_t k = from.find(c);
                if (k != std::string_view::npos) c = to[k];
            }
        }
        out += c;
    }
    return std::nullopt;
}

std::optional<std::string> Hex(const std::string& s, std::size_t i) {
    std::string out;
    int high = -1;
    const std::size_t end = std::min(s.size(), i + kMostStringBytes);
    for (++i; i < end; ++i) {
        if (s[i] == '>') {
            if (high >= 0) out += static_cast<char>(high << 4);
            return out;
        }
        const int v = HexValue(s[i]);
        if (v < 0) {
            if (IsPdfSpace(s[i])) continue;
            return std::nullopt;
        }
        if (high < 0) {
            high = v;
        } else {
            out += static_cast<char>((high << 4) | v);
            high = -1;
        }
    }
    return std::nullopt;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-8 text as it is, but each byte that starts no whole character becomes "_".
std::string CleanUtf8(const std::string& b) {
    static const std::uint32_t least[] = {0, 0x80, 0x800, 0x10000};
    const auto byte = [&b](std::size_t i) { return static_cast<unsigned char>(b[i]); };
    std::string out;
    for (std::size_t i = 0; i < b.size();) {
        const unsigned char c = byte(i);
        const std::size_t n = c < 0x80   ? 0
                              : c < 0xC2 ? 4
                              : c < 0xE0 ? 1
                              : c < 0xF0 ? 2
                              : c < 0xF5 ? 3
                                         : 4;
        std::uint32_t cp = n == 0 ? c : c & (0x3Fu >> n);
        std::size_t k = 1;
        for (; n < 4 && k <= n && i + k < b.size() && (byte(i + k) & 0xC0) == 0x80; ++k)
            cp = (cp << 6) | (byte(i + k) & 0x3F);
        if (n == 4 || k != n + 1 || cp < least[n] || (cp >= 0xD800 && cp < 0xE000) ||
            cp > 0x10FFFF) {
            out += '_';
            ++i;
            continue;
        }
        out.append(b, i, n + 1);
        i += n + 1;
    }
    return out;
}

// A PDF text string as UTF-8: UTF-16BE after its mark, UTF-8 after its mark, or else the
// document encoding, which is Latin-1 above 0xA0.
std::string TextString(const std::string& b) {
    std::string out;
    const auto byte = [&b](std::size_t i) { return static_cast<unsigned char>(b[i]); };
    if (b.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF) {
        for (std::size_t i = 2; i + 1 < b.size(); i += 2) {
            std::uint32_t u = (byte(i) << 8) | byte(i + 1);
            if (u >= 0xD800 && u < 0xDC00 && i + 3 < b.size()) {
                const std::uint32_t low = (byte(i + 2) << 8) | byte(i + 3);
                if (low >= 0xDC00 && low < 0xE000) {
                    AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                    i += 2;
                    continue;
                }
            }
            if (u >= 0xD800 && u < 0xE000) u = '_';  // a lone half of a pair
            AppendUtf8(out, u);
        }
        return out;
    }
    if (b.rfind("\xEF\xBB\xBF", 0) == 0) return CleanUtf8(b.substr(3));
    for (std::size_t i = 0; i < b.size(); ++i) {
        const unsigned char c = byte(i);
        AppendUtf8(out, c >= 0x80 && c < 0xA0 ? '_' : c);
    }
    return out;
}

}  // namespace

bool PdfLooksComplete(const std::string& head, const std::string& tail) {
    return head.rfind("%PDF-", 0) == 0 && tail.find("%%EOF") != std::string::npos;
}

// The last title that reads whole wins, looked for from the end. Data made of nothing but
// unfinished "/Title (" would cost the square of its size on each of the backend's reads, so
// only the last few are tried: a title is cosmetic, the job's name stands in for it.
std::string PdfTitle(const std::string& bytes) {
    constexpr int kMostTries = 16;
    std::size_t at = bytes.rfind("/Title");
    for (int tries = 0; at != std::string::npos && tries < kMostTries; ++tries) {
        std::size_t i = at + 6;
        at = at == 0 ? std::string::npos : bytes.rfind("/Title", at - 1);
        while (i < bytes.size() && IsPdfSpace(bytes[i])) ++i;
        if (i >= bytes.size()) continue;
        std::optional<std::string> raw;
        if (bytes[i] == '(') raw = Literal(bytes, i);
        if (bytes[i] == '<' && (i + 1 >= bytes.size() || bytes[i + 1] != '<')) raw = Hex(bytes, i);
        if (raw) return TextString(*raw);
    }
    return "";
}

}  // namespace vx
