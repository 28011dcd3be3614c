#include "printing/PdfBackend.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <set>
#include <sstream>

namespace vx {

namespace {

constexpr std::size_t kMostBytes = 200;

bool IsExtension(const std::string& ext) {
    if (ext.empty() || ext.size() > 8) return false;
    for (const char c : ext)
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) return false;
    return true;
}

// The mount points of an fstab or mounts text: the second word of each line, with the octal
// escapes ("\040" for a blank) undone.
std::set<std::string> MountPoints(const std::string& text) {
    std::set<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string device;
        std::string point;
        if (!(words >> device >> point) || device[0] == '#' || point.empty() || point[0] != '/')
            continue;
        std::string plain;
        for (std::size_t i = 0; i < point.size(); ++i) {
            const bool octal = point[i] == '\\' && i + 4 <= point.size() &&
                               point.find_first_not_of("01234567", i + 1) >= i + 4;
            plain.push_back(octal ? static_cast<char>(std::stoi(point.substr(i + 1, 3), nullptr, 8))
                                  : point[i]);
            if (octal) i += 3;
        }
        while (plain.size() > 1 && plain.back() == '/') plain.pop_back();
        out.insert(plain);
    }
    return out;
}

}  // namespace

std::string PdfNameForTitle(const std::string& title, const std::string& jobId) {
    std::string stem = title.substr(title.find_last_of('/') + 1);
    const std::size_t dot = stem.rfind('.');
    if (dot != std::string::npos && dot > 0 && IsExtension(stem.substr(dot + 1))) stem.resize(dot);
    if (stem.empty()) stem = "job-" + jobId;
    for (char& c : stem) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || c == '/') c = '_';
    }
    if (!stem.empty() && stem[0] == '.') stem[0] = '_';  // no hidden files, no ".."
    if (stem.size() > kMostBytes) {
        std::size_t cut = kMostBytes;
        while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80) --cut;
        stem.resize(cut > 0 ? cut : kMostBytes);  // bytes that are no text: cut anywhere
    }
    return stem + ".pdf";
}

std::string NumberedName(const std::string& name, int n) {
    if (n <= 1) return name;
    const std::size_t dot = name.rfind('.');
    return name.substr(0, dot) + " (" + std::to_string(n) + ")" + name.substr(dot);
}

DeviceUri ParseDeviceUri(const std::string& uri) {
    DeviceUri out;
    const std::size_t colon = uri.find(':');
    std::string rest = colon == std::string::npos ? std::string() : uri.substr(colon + 1);
    const std::size_t query = rest.find('?');
    if (query != std::string::npos) {
        std::string options = rest.substr(query);  // "?a=b&c=d" -> "&a=b&c=d&"
        options.front() = '&';
        options.push_back('&');
        out.systemAccounts = options.find("&system-accounts=yes&") != std::string::npos;
        rest.resize(query);
    }
    while (rest.rfind("//", 0) == 0) rest.erase(0, 1);
    while (!rest.empty() && rest.back() == '/') rest.pop_back();
    out.folder = rest;
    return out;
}

LoginRange ParseLoginDefs(const std::string& text) {
    LoginRange range;
    std::istringstream in(text);
    std::string key;
    std::string value;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        if (!(words >> key >> value) || (key != "UID_MIN" && key != "UID_MAX")) continue;
        char* end = nullptr;
        const unsigned long n = std::strtoul(value.c_str(), &end, 0);
        if (end == value.c_str() || *end != '\0') continue;  // keep the default over a typo
        (key == "UID_MIN" ? range.first : range.last) = n;
    }
    return range;
}

std::string JobUuid(const std::string& options) {
    const std::string key = "job-uuid=";
    for (std::size_t at = options.find(key); at != std::string::npos;
         at = options.find(key, at + 1)) {
        if (at > 0 && options[at - 1] != ' ') continue;
        const std::size_t start = at + key.size();
        const std::string value = options.substr(start, options.find(' ', start) - start);
        if (value.rfind("urn:uuid:", 0) == 0 && value.size() <= 45 &&
            value.find_first_not_of("0123456789abcdefABCDEF-", 9) == std::string::npos)
            return value;
    }
    return {};
}

bool IsPassingError(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
        case EIO:
        case ENOMEM:
        case EAGAIN:
        case EINTR:
        case EMFILE:
        case ENFILE:
        case ETIMEDOUT:
        case ESTALE:
        case ENOTCONN:
        case EHOSTDOWN:
        case EHOSTUNREACH:
        case ENETDOWN:
        case ENETUNREACH:
            return true;
        default:
            return false;
    }
}

bool AwaitsMount(const std::string& folder, const std::string& fstab, const std::string& mounts) {
    const std::set<std::string> mounted = MountPoints(mounts);
    for (const std::string& point : MountPoints(fstab)) {
        const bool below = folder == point || (folder.rfind(point + "/", 0) == 0);
        if (point != "/" && below && mounted.count(point) == 0) return true;
    }
    return false;
}

}  // namespace vx
