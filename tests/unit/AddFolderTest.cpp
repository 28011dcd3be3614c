#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>
#include <utility>

#include "filelist/AddFolder.h"
#include "platform/PlatformError.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace vx {
namespace {

using Paths = std::vector<std::string>;

// Listings of the named folders come late or fail, so they finish out of order.
struct SlowFileSystem : test::FlakyFileSystem {
    std::set<std::string> slow, failing;
    Listing listFolder(const std::string& folder, unsigned mask) override {
        if (failing.count(folder)) throw PlatformError(5, "Access is denied.");
        if (slow.count(folder)) std::this_thread::sleep_for(std::chrono::milliseconds(40));
        return FlakyFileSystem::listFolder(folder, mask);
    }
};

struct Walk {
    test::FakeUi ui;
    SlowFileSystem fs;
    FileList list;
    std::vector<int> pointers;

    Paths add(const std::string& folder) {
        ui.folderResult = folder;
        AddFolderFiles(list, fs, ui, [this](int p) { pointers.push_back(p); });
        Paths out;
        for (std::size_t i = 1; i <= list.count(); ++i) out.push_back(list.text(i));
        return out;
    }
};

TEST(AddFolderFiles, ListsTheTreeBreadthFirstGroupedByParentWhateverListingFinishesFirst) {
    test::TempDir t;
    for (const char* f : {"R/r1", "R/r2", "R/A/a1", "R/A/A1/x", "R/B/b1"}) t.file(f);
    Paths expected{t / "R/r1", t / "R/r2", t / "R/A/a1", t / "R/B/b1", t / "R/A/A1/x"};
    for (char c = 'a'; c <= 'l'; ++c) {  // more siblings than one worker takes at a time
        const std::string name = std::string("R/B/") + c + "/" + c;  // a name of its own
        expected.push_back(t.file(name));
    }
    Walk w;
    w.fs.slow = {t / "R/A/", t / "R/B/a/", t / "R/B/e/"};
    EXPECT_EQ(w.add(t / "R"), expected);
    EXPECT_EQ(w.pointers, (std::vector<int>{11, 0}));
    EXPECT_EQ(w.ui.folderPrompts, Paths{"Please select folder to add:"});

    std::vector<std::string> folders{t / "R/"};
    WalkReport report;
    CollectSubfolders(folders, false, w.fs, w.ui, report);
    EXPECT_EQ(folders, (Paths{t / "R/", t / "R/A/", t / "R/B/"}))
        << "one level only without the flag";
}

TEST(AddFolderFiles, SkipsTildeNamesHiddenFoldersAndSpecialFilesAndWalksLinkedFoldersOnce) {
    test::TempDir t;
    for (const char* f : {"R/~lock.txt", "R/a~b", "R/.hidden", "R/pic.PNG", "R/.git/sub/deep",
                          "R/S/s", "R/S/target"})
        t.file(f);
    t.folder("R/empty");
    ASSERT_EQ(::mkfifo((t / "R/pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/null", t / "R/devlink");
    std::filesystem::create_directory_symlink(t / "R", t / "R/S/up");
    std::filesystem::create_directory_symlink(t / "R/S", t / "R/twin");
    std::filesystem::create_symlink(t / "R/S/target", t / "R/filelink");
    std::filesystem::create_symlink(t / "R/gone", t / "R/dangling");
    Walk w;
    const std::string R = t / "R/";
    // S is reached once, under whichever name comes first; the file link is a file.
    EXPECT_EQ(w.add(t / "R"), (Paths{R + ".hidden", R + "a~b", R + "filelink", R + "pic.PNG",
                                     R + "S/s", R + "S/target"}));
}

TEST(AddFolderFiles, CancelAndEmptyTreesAddNothingRepeatsListAgainAndPressesRunNested) {
    test::TempDir t;
    t.folder("E/inner");
    t.file("T/~only");
    t.file("R/a");
    Walk w;
    w.list.append("/kept");
    w.add("");
    EXPECT_TRUE(w.pointers.empty()) << "a cancelled browser leaves the pointer alone";
    w.add(t / "E");
    EXPECT_EQ(w.add(t / "T"), Paths{"/kept"});
    EXPECT_TRUE(w.ui.boxes.empty());
    int yields = 0;  // a press while the walk yields runs at once, nested
    w.ui.onYield = [&] {
        if (yields++ == 0) w.list.append("/pressed");
    };
    w.add(t / "R");
    EXPECT_EQ(w.add(t / "R/"), (Paths{"/kept", "/pressed", t / "R/a", t / "R/a"}));
}

TEST(AddFolderFiles, UnreadableFoldersAreSkippedAndReportedOnceAfterTheWalk) {
    test::TempDir t;
    for (const char* f : {"R/a", "R/bad/lost", "R/bad2/lost", "R/good/b"}) t.file(f);
    Walk w;
    w.fs.unreadable = {t / "R/bad/", t / "R/bad2/"};
    w.ui.onBox = [&](const test::Box&) { EXPECT_EQ(w.pointers.back(), 0); };
    EXPECT_EQ(w.add(t / "R"), (Paths{t / "R/a", t / "R/good/b"}));
    ASSERT_EQ(w.ui.boxes.size(), 1u);
    EXPECT_EQ(w.ui.boxes[0].text,
              "2 folders could not be read and were skipped. All other files were added.");
    ::chmod((t / "R/good").c_str(), 0);
    EXPECT_TRUE(::geteuid() == 0 || Walk().add(t / "R").front() == t / "R/a");  // root reads all

    // A listing that fails outright is not a skipped folder: the caller learns of it.
    Walk f;
    f.fs.failing = {t / "R/bad2/"};
    EXPECT_THROW(f.add(t / "R"), PlatformError);
    EXPECT_EQ(f.list.count(), 0u);
}

TEST(AddFolderFiles, DeepTreesDoNotExhaustTheStack) {
    test::TempDir t;
    std::string rel = "R";
    int dir = ::open(t.folder("R").c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 1000; ++i, rel += "/d") {  // a thousand levels, 2000 bytes of path
        ASSERT_EQ(::mkdirat(dir, "d", 0700), 0);
        ::close(std::exchange(dir, ::openat(dir, "d", O_RDONLY | O_DIRECTORY)));
    }
    ::close(::openat(dir, "deepest", O_CREAT | O_WRONLY, 0600));
    ::close(dir);
    Walk w;
    EXPECT_EQ(w.add(t / "R"), Paths{t / (rel + "/deepest")});
}

TEST(ListFiles, MatchesWildcardsAndReturnsNamesInListingOrder) {
    test::TempDir t;
    for (const char* f : {"d/b.txt", "d/a.txt", "d/c.log", "d/noext"}) t.file(f);
    t.folder("d/sub.txt");
    test::FlakyFileSystem fs;
    WalkReport report;
    EXPECT_EQ(ListFiles(t / "d", "*.*", fs, report), (Paths{"a.txt", "b.txt", "c.log", "noext"}));
    EXPECT_EQ(ListFiles(t / "d/", "*.txt", fs, report), (Paths{"a.txt", "b.txt"}));
    EXPECT_EQ(ListFiles(t / "d", "?.log", fs, report), Paths{"c.log"});
    EXPECT_EQ(ListFiles(t / "none", "*.*", fs, report), Paths{});
    EXPECT_EQ(report.unreadableFolders.size(), 1u);
}

}  // namespace
}  // namespace vx
