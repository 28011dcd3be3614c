#include "platform/InstallLayout.h"

#include <filesystem>
#include <system_error>

namespace vx {

namespace {

// Lexically normal, without a trailing slash, so one folder always has one name.
std::string Under(const std::string& folder, const std::string& relative) {
    std::string path = (std::filesystem::path(folder) / relative).lexically_normal().string();
    if (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string HiveIn(const std::string& xdgFolder) {
    return xdgFolder + "/vellumax/classes.reg";
}

}  // namespace

InstallLayout InstallLayout::For(const std::string& exeFolder, const char* xdgConfigDirs) {
    InstallLayout layout;
    const std::string data = Under(exeFolder, VELLUMAX_DATA_FROM_BIN);
    std::error_code ec;
    if (!std::filesystem::is_directory(data, ec)) {
        // The build folder: everything beside the programs.
        layout.dataFolder = layout.helperFolder = exeFolder;
        layout.userGuide = exeFolder + "/user-guide.html";
        layout.systemHives = {exeFolder + "/vellumax-classes.reg"};
        return layout;
    }
    layout.dataFolder = data;
    layout.helperFolder = Under(exeFolder, VELLUMAX_HELPERS_FROM_BIN);
    layout.userGuide = Under(exeFolder, VELLUMAX_DOC_FROM_BIN) + "/user-guide.html";
    layout.systemHives = {HiveIn(Under(exeFolder, VELLUMAX_SYSCONF_FROM_BIN) + "/xdg")};

    std::vector<std::string> dirs;
    std::string list = xdgConfigDirs != nullptr && *xdgConfigDirs != 0 ? xdgConfigDirs : "/etc/xdg";
    for (std::size_t start = 0; start <= list.size();) {
        std::size_t colon = list.find(':', start);
        if (colon == std::string::npos) colon = list.size();
        std::string dir = list.substr(start, colon - start);
        // Relative entries are not XDG folders.
        if (!dir.empty() && dir.front() == '/') dirs.push_back(Under(dir, "."));
        start = colon + 1;
    }
    for (auto it = dirs.rbegin(); it != dirs.rend(); ++it) {
        std::string hive = HiveIn(*it);
        if (hive != layout.systemHives.front()) layout.systemHives.push_back(std::move(hive));
    }
    return layout;
}

std::string HomePageUrl(const std::string& configured, const InstallLayout& layout) {
    if (configured != kUserGuide) return configured;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(layout.userGuide, ec)) return {};
    // Bytes outside the unreserved set are escaped, so an odd prefix cannot break the address.
    static const char* hex = "0123456789ABCDEF";
    std::string url = "file://";
    for (const unsigned char c : layout.userGuide) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

}  // namespace vx
