#include "printing/PdfBackend.h"

#include <cctype>

namespace vx {

namespace {

constexpr std::size_t kMostBytes = 200;

bool IsExtension(const std::string& ext) {
    if (ext.empty() || ext.size() > 8) return false;
    for (const char c : ext)
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) return false;
    return true;
}

}  // namespace

std::string PdfNameForTitle(const std::string& title, const std::string& jobId) {
    std::string stem = title.substr(title.find_last_of('/') + 1);
    const std::size_t dot = stem.rfind('.');
    if (dot != std::string::npos && dot > 0 && IsExtension(stem.substr(dot + 1))) stem.resize(dot);
    for (char& c : stem) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || c == '/') c = '_';
    }
    if (!stem.empty() && stem[0] == '.') stem[0] = '_';  // no hidden files, no ".."
    if (stem.size() > kMostBytes) {
        std::size_t cut = kMostBytes;
        while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80) --cut;
        stem.resize(cut);
    }
    if (stem.empty()) stem = "job-" + jobId;
    return stem + ".pdf";
}

std::string NumberedName(const std::string& name, int n) {
    if (n <= 1) return name;
    const std::size_t dot = name.rfind('.');
    return name.substr(0, dot) + " (" + std::to_string(n) + ")" + name.substr(dot);
}

std::string OutputFolder(const std::string& deviceUri, const std::string& home) {
    const std::size_t colon = deviceUri.find(':');
    std::string path = colon == std::string::npos ? std::string() : deviceUri.substr(colon + 1);
    while (path.rfind("//", 0) == 0) path.erase(0, 1);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path.empty() || path == "/") return home + "/PDF";
    return path;
}

}  // namespace vx
