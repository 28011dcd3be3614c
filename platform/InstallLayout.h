#pragma once

#include <cstdlib>
#include <string>
#include <vector>

namespace vx {

// Where the programs' own files are, found from the folder that holds the running executable.
// In the build folder everything sits beside the programs; installed, the files follow the
// file-system hierarchy relative to the installed bin/, so any prefix works.
struct InstallLayout {
    std::string dataFolder;    // the cursor files and the PPD
    std::string helperFolder;  // programs only our programs start
    std::string userGuide;     // the HTML user guide
    // The system registry hives, the least important first (later ones overlay earlier ones).
    std::vector<std::string> systemHives;

    // xdgConfigDirs is $XDG_CONFIG_DIRS: most important first, "/etc/xdg" when unset or empty.
    static InstallLayout For(const std::string& exeFolder,
                             const char* xdgConfigDirs = std::getenv("XDG_CONFIG_DIRS"));
};

// The home page to open: a web address as configured, off when empty, and the installed user
// guide as a file:// address when configured as kUserGuide.
inline constexpr const char* kUserGuide = "user-guide";
std::string HomePageUrl(const std::string& configured, const InstallLayout& layout);

}  // namespace vx
