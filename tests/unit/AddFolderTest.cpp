#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "filelist/AddFolder.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace vx {
namespace {

using Paths = std::vector<std::string>;

struct Walk {
    test::FakeUi ui;
    test::FlakyFileSystem fs;
    FileList list;
    std::vector<int> pointers;

    void add(const std::string& folder) {
        ui.folderResult = folder;
        AddFolderFiles(list, fs, ui, [this](int p) { pointers.push_back(p); });
    }
    Paths entries() const {
        Paths out;
        for (std::size_t i = 1; i <= list.count(); ++i) out.push_back(list.text(i));
        return out;
    }
};

TEST(AddFolderFiles, ListsTheTreeBreadthFirstGroupedByParent) {
    test::TempDir t;
    t.file("R/r1");
    t.file("R/r2");
    t.file("R/A/a1");
    t.file("R/A/A1/x");
    t.file("R/B/b1");
    Walk w;
    w.add(t / "R");
    const std::string R = t / "R/";
    EXPECT_EQ(w.entries(), (Paths{R + "r1", R + "r2", R + "A/a1", R + "B/b1", R + "A/A1/x"}));
    EXPECT_EQ(w.pointers, (std::vector<int>{11, 0}));
    EXPECT_EQ(w.ui.folderPrompts, Paths{"Please select folder to add:"});
    EXPECT_TRUE(w.ui.boxes.empty());

    std::vector<std::string> folders{R};
    WalkReport report;
    CollectSubfolders(folders, false, w.fs, w.ui, report);
    EXPECT_EQ(folders, (Paths{R, R + "A/", R + "B/"})) << "one level only without the flag";
}

TEST(AddFolderFiles, SkipsTildeNamesAndHiddenFoldersButAddsHiddenFilesOfAnyExtension) {
    test::TempDir t;
    t.file("R/~lock.txt");
    t.file("R/a~b");
    t.file("R/.hidden");
    t.file("R/noext");
    t.file("R/pic.PNG");
    t.file("R/.git/config");
    t.file("R/.git/sub/deep");
    t.folder("R/empty");
    Walk w;
    w.add(t / "R");
    const std::string R = t / "R/";
    EXPECT_EQ(w.entries(), (Paths{R + ".hidden", R + "a~b", R + "noext", R + "pic.PNG"}));
}

TEST(AddFolderFiles, CancelAndEmptyTreesLeaveListAndPointerAlone) {
    test::TempDir t;
    t.folder("E/inner");
    t.file("T/~only");
    Walk w;
    w.list.append("/kept");
    w.add("");
    EXPECT_TRUE(w.pointers.empty()) << "a cancelled browser leaves the pointer alone";
    w.add(t / "E");
    w.add(t / "T");
    EXPECT_EQ(w.entries(), Paths{"/kept"});
    EXPECT_TRUE(w.ui.boxes.empty());
}

TEST(AddFolderFiles, SameFolderTwiceListsEveryFileTwiceAndRootGetsOneSeparator) {
    test::TempDir t;
    t.file("R/a");
    Walk w;
    w.add(t / "R");
    w.add(t / "R/");  // a chosen path that already ends in the separator
    EXPECT_EQ(w.entries(), (Paths{t / "R/a", t / "R/a"}));
}

TEST(AddFolderFiles, FolderLinksThatLeadBackUpAreWalkedOnce) {
    test::TempDir t;
    t.file("R/a");
    t.file("R/S/s");
    std::filesystem::create_directory_symlink(t / "R", t / "R/S/up");
    std::filesystem::create_directory_symlink(t / "R/S", t / "R/twin");
    t.file("R/S/target");
    std::filesystem::create_symlink(t / "R/S/target", t / "R/filelink");
    std::filesystem::create_symlink(t / "R/gone", t / "R/dangling");
    Walk w;
    w.add(t / "R");
    const std::string R = t / "R/";
    // S is reached once, under whichever name comes first; the file link is a file.
    EXPECT_EQ(w.entries(), (Paths{R + "a", R + "filelink", R + "S/s", R + "S/target"}));
}

TEST(AddFolderFiles, UnreadableFoldersAreSkippedAndReportedOnceAfterTheWalk) {
    test::TempDir t;
    t.file("R/a");
    t.file("R/bad/lost");
    t.file("R/bad2/lost");
    t.file("R/good/b");
    Walk w;
    w.fs.unreadable = {t / "R/bad/", t / "R/bad2/"};
    w.ui.onBox = [&](const test::Box&) { EXPECT_EQ(w.pointers.back(), 0); };
    w.add(t / "R");
    EXPECT_EQ(w.entries(), (Paths{t / "R/a", t / "R/good/b"}));
    ASSERT_EQ(w.ui.boxes.size(), 1u);
    EXPECT_EQ(w.ui.boxes[0].text,
              "2 folders could not be read and were skipped. All other files were added.");

    if (::geteuid() != 0) {  // permissions do not stop root
        Walk p;
        ::chmod((t / "R/good").c_str(), 0);
        p.add(t / "R");
        EXPECT_EQ(p.ui.boxes.size(), 1u);
        EXPECT_EQ(p.entries().front(), t / "R/a");
    }
}

TEST(AddFolderFiles, NeverAddsFifosSocketsOrDevices) {
    test::TempDir t;
    t.file("R/plain");
    ASSERT_EQ(::mkfifo((t / "R/pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/null", t / "R/devlink");
    Walk w;
    w.add(t / "R");
    EXPECT_EQ(w.entries(), Paths{t / "R/plain"});
}

TEST(AddFolderFiles, DeepTreesDoNotExhaustTheStack) {
    test::TempDir t;
    std::string rel = "R";
    for (int i = 0; i < 1000; ++i) rel += "/d";  // a thousand levels, 2000 bytes of path
    int dir = ::open(t.folder("R").c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(::mkdirat(dir, "d", 0700), 0);
        const int next = ::openat(dir, "d", O_RDONLY | O_DIRECTORY);
        ::close(dir);
        dir = next;
    }
    ::close(::openat(dir, "deepest", O_CREAT | O_WRONLY, 0600));
    ::close(dir);
    Walk w;
    w.add(t / "R");
    ASSERT_EQ(w.list.count(), 1u);
    EXPECT_EQ(w.list.text(1), t / (rel + "/deepest"));
}

TEST(AddFolderFiles, YieldsDuringTheWalkAndAPressThenRunsNested) {
    test::TempDir t;
    t.file("R/A/a");
    t.file("R/B/b");
    Walk w;
    int nested = 0;
    w.ui.onYield = [&] {
        if (nested++ == 0) w.list.append("/pressed-during-walk");
    };
    w.add(t / "R");
    EXPECT_GT(w.ui.yields, 3);
    EXPECT_EQ(w.entries(), (Paths{"/pressed-during-walk", t / "R/A/a", t / "R/B/b"}));
}

TEST(ListFiles, MatchesWildcardsAndReturnsNamesInListingOrder) {
    test::TempDir t;
    t.file("d/b.txt");
    t.file("d/a.txt");
    t.file("d/c.log");
    t.file("d/noext");
    t.folder("d/sub.txt");
    test::FlakyFileSystem fs;
    WalkReport report;
    EXPECT_EQ(ListFiles(t / "d", "*.*", fs, report), (Paths{"a.txt", "b.txt", "c.log", "noext"}));
    EXPECT_EQ(ListFiles(t / "d/", "*.txt", fs, report), (Paths{"a.txt", "b.txt"}));
    EXPECT_EQ(ListFiles(t / "d", "?.log", fs, report), Paths{"c.log"});
    EXPECT_TRUE(report.unreadableFolders.empty());
    EXPECT_EQ(ListFiles(t / "none", "*.*", fs, report), Paths{});
    EXPECT_EQ(report.unreadableFolders.size(), 1u);
}

}  // namespace
}  // namespace vx
