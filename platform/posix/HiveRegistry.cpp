#include "platform/posix/HiveRegistry.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/InstallLayout.h"
#include "platform/RegHive.h"

namespace vx {

std::optional<std::string> HiveRegistry::defaultValue(const std::string& subKey) {
    std::optional<std::string> found;
    for (const std::string& file : files_) {
        std::ifstream in(file, std::ios::binary);
        if (!in) continue;
        const std::string bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
        if (auto v = RegHive::Parse(bytes).value(subKey, "")) found = std::move(v);
    }
    return found;
}

std::vector<std::string> HiveRegistry::StandardFiles(const std::string& programFolder) {
    std::vector<std::string> files = InstallLayout::For(programFolder).systemHives;
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/') {
        config = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != 0) {
        config = std::string(home) + "/.config";
    }
    if (!config.empty()) files.push_back(config + "/vellumax/classes.reg");
    return files;
}

}  // namespace vx
