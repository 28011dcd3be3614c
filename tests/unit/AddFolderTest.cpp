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

TEST(AddFolderFiles, ListsTheTreeBreadthFirstOnceSkippingTildeHiddenAndSpecialEntries) {
    test::TempDir t;
    const std::string R = t / "R/";
    for (const char* f : {"R/~lock.txt", "R/a~b", "R/.hidden", "R/pic.PNG", "R/.git/sub/deep",
                          "R/r1", "R/A/a1", "R/A/A1/x", "R/B/b1", "R/S/s"})
        t.file(f);
    t.folder("R/empty");
    ASSERT_EQ(::mkfifo((R + "pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/null", R + "devlink");
    std::filesystem::create_directory_symlink(R, R + "S/up");
    std::filesystem::create_directory_symlink(R + "S", R + "twin");
    std::filesystem::create_symlink(R + "r1", R + "r1link");
    std::filesystem::create_symlink(R + "gone", R + "dangling");
    // S is walked once, under whichever name comes first; the file link is a file.
    Paths expected{R + ".hidden", R + "a~b",  R + "pic.PNG", R + "r1",    R + "r1link",
                   R + "A/a1",    R + "B/b1", R + "S/s",     R + "A/A1/x"};
    for (char c = 'a'; c <= 'l'; ++c) {  // more siblings than one worker takes at a time
        const std::string name = std::string("R/B/") + c + "/" + c;  // a name of its own
        expected.push_back(t.file(name));
    }
    Walk w;  // listings that finish out of order change nothing
    w.fs.slow = {R + "A/", R + "B/a/", R + "B/e/"};
    EXPECT_EQ(w.add(t / "R"), expected);
    EXPECT_EQ(w.pointers, (std::vector<int>{11, 0}));
}

TEST(AddFolderFiles, CancelEmptyAndUnreadableTreesAddOnlyWhatCanBeRead) {
    test::TempDir t;
    for (const char* f : {"E/inner/~only", "R/a", "R/bad/lost", "R/bad2/lost", "R/good/b"})
        t.file(f);
    Walk w;
    w.list.append("/kept");
    w.add("");
    EXPECT_TRUE(w.pointers.empty()) << "a cancelled browser leaves the pointer alone";
    EXPECT_EQ(w.add(t / "E"), Paths{"/kept"});
    // Unreadable folders are skipped and reported once, after the hourglass has gone.
    w.fs.unreadable = {t / "R/bad/", t / "R/bad2/"};
    w.ui.onBox = [&](const test::Box&) { EXPECT_EQ(w.pointers.back(), 0); };
    int yields = 0;  // a press while the walk yields runs at once, nested
    w.ui.onYield = [&] {
        if (yields++ == 0) w.list.append("/pressed");
    };
    EXPECT_EQ(w.add(t / "R"), (Paths{"/kept", "/pressed", t / "R/a", t / "R/good/b"}));
    ASSERT_EQ(w.ui.boxes.size(), 1u);
    EXPECT_EQ(w.ui.boxes[0].text,
              "2 folders could not be read and were skipped. All other files were added.");
    EXPECT_EQ(w.add(t / "R/").back(), t / "R/good/b");

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

}  // namespace
}  // namespace vx
