#include "filelist/UriList.h"

namespace vx {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecoded(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2])));
            i += 2;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

}  // namespace

std::optional<std::vector<std::string>> LocalPathsFromUriList(std::string_view uriList) {
    std::vector<std::string> paths;
    while (!uriList.empty()) {
        const std::size_t nl = uriList.find('\n');
        std::string_view line = uriList.substr(0, nl);
        uriList = nl == std::string_view::npos ? std::string_view{} : uriList.substr(nl + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        constexpr std::string_view scheme = "file://";
        if (line.substr(0, scheme.size()) != scheme) return std::nullopt;
        line.remove_prefix(scheme.size());
        const std::size_t slash = line.find('/');
        if (slash == std::string_view::npos) return std::nullopt;
        const std::string_view host = line.substr(0, slash);
        if (!host.empty() && host != "localhost") return std::nullopt;
        paths.push_back(PercentDecoded(line.substr(slash)));
    }
    if (paths.empty()) return std::nullopt;
    return paths;
}

}  // namespace vx
