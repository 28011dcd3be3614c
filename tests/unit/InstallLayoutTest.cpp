#include <gtest/gtest.h>

#include "platform/InstallLayout.h"
#include "support/TempDir.h"

namespace vx {
namespace {

// The tests build for the default prefix /usr/local, whose sysconfdir is prefix/etc.
TEST(InstallLayout, FindsFilesBesideABuildAndRelativeToAnInstalledBin) {
    test::TempDir t;
    const std::string build = t.folder("build/bin"), bin = t.folder("usr/bin");
    const InstallLayout here = InstallLayout::For(build, "/etc/xdg");
    EXPECT_EQ(here.dataFolder, build);
    EXPECT_EQ(here.helperFolder, build);
    EXPECT_EQ(here.systemHives, std::vector<std::string>{build + "/vellumax-classes.reg"});

    t.folder("usr/share/vellumax");
    const InstallLayout there = InstallLayout::For(bin, "/high/:relative::/low");
    EXPECT_EQ(there.dataFolder, t / "usr/share/vellumax");
    EXPECT_EQ(there.helperFolder, t / "usr/libexec/vellumax");
    // Less important first, so the first $XDG_CONFIG_DIRS entry overlays the rest.
    EXPECT_EQ(there.systemHives, (std::vector<std::string>{t / "usr/etc/xdg/vellumax/classes.reg",
                                                           "/low/vellumax/classes.reg",
                                                           "/high/vellumax/classes.reg"}));

    // The user guide opens only when it is there, as an address no byte can break.
    EXPECT_EQ(HomePageUrl(kUserGuide, there), "");
    t.file("usr/share/doc/vellumax/user-guide.html");
    const std::string guide = HomePageUrl(kUserGuide, InstallLayout::For(t / "usr/./bin/"));
    EXPECT_EQ(guide, "file://" + t.path() + "/usr/share/doc/vellumax/user-guide.html");
    InstallLayout odd = there;
    odd.userGuide = t.file("a b#?%\xC3\xA9.html");
    EXPECT_EQ(HomePageUrl(kUserGuide, odd), "file://" + t.path() + "/a%20b%23%3F%25%C3%A9.html");
    EXPECT_EQ(HomePageUrl("https://example.org/", there), "https://example.org/");
}

}  // namespace
}  // namespace vx
