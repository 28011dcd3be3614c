#include "platform/posix/HiveRegistry.h"

#include <cstdlib>

#include "platform/InstallLayout.h"
#include "platform/RegHive.h"
#include "platform/posix/SmallFile.h"

namespace vx {

namespace {
constexpr std::size_t kHiveLimit = std::size_t{1} << 20;
}  // namespace

std::optional<std::string> HiveRegistry::defaultValue(const std::string& subKey) {
    std::optional<std::string> found;
    for (const std::string& file : files_) {
        // A hive that is no regular file, or too big for one, is passed over, so a FIFO
        // or a link to a device can neither hang the run nor fill the memory.
        const auto bytes = ReadSmallFile(file, kHiveLimit);
        if (!bytes) continue;
        if (auto v = RegHive::Parse(*bytes).value(subKey, "")) found = std::move(v);
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
