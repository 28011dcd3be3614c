#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <random>
#include <sstream>
#include <utility>

#include "filelist/AddFolder.h"
#include "filelist/AddPicked.h"
#include "filelist/Reorder.h"
#include "filelist/UriList.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

using namespace vx;

namespace {

using Paths = std::vector<std::string>;
using namespace std::string_literals;

// Random edits, enough to compact the text store often, against a plain vector of (ref, text).
TEST(FileList, BehavesLikeAReferenceListUnderRandomOperations) {
    EXPECT_THROW(FileList().text(1), std::out_of_range);
    EXPECT_THROW(FileList().remove(0), std::out_of_range);
    for (unsigned seed = 1; seed <= 10; ++seed) {
        std::mt19937 rng(seed);
        FileList list;
        std::vector<std::pair<FileList::Ref, std::string>> ref;
        std::vector<FileList::Ref> removed;
        std::optional<FileList::Ref> selected;
        for (int step = 0; step < 1200; ++step) {
            const std::size_t op = rng() % 10, n = list.count(), p = n ? rng() % n + 1 : 0;
            if (op < 4 || n == 0) {
                // Duplicates on purpose, and bytes that are not UTF-8 or are special to a shell.
                const std::string text = "/f/\xe9 \"$(x)\x01" + std::to_string(rng() % 50);
                ref.emplace_back(list.append(text), text);
            } else if (op < 6) {
                list.remove(p);
                if (ref[p - 1].first == selected) selected.reset();
                removed.push_back(ref[p - 1].first);
                ref.erase(ref.begin() + static_cast<long>(p) - 1);
            } else if (op < 8) {
                list.setText(p, ref[p - 1].second = "/g/" + std::to_string(step));
            } else {
                list.select(p);
                selected = ref[p - 1].first;
            }
            decltype(ref) got;
            for (std::size_t i = 1; i <= list.count(); ++i)
                got.emplace_back(list.at(i), list.text(i));
            ASSERT_EQ(got, ref) << "seed " << seed;
            ASSERT_EQ(list.selected(), selected);
            for (std::size_t i = 0; i < ref.size(); ++i)
                ASSERT_EQ(list.position(ref[i].first), i + 1);
            for (const FileList::Ref r : removed) ASSERT_FALSE(list.position(r));
        }
    }
}

// Runs "p1 m2 u r3": press entry 1 (p0: below the entries), move over entry 2 (m0: none), button
// up, remove entry 3. Gives the texts, the selected one in lower case, and what came into view.
std::pair<std::string, std::optional<std::size_t>> Drag(const std::string& letters,
                                                        const std::string& script,
                                                        int screenY = 330) {
    FileList list;
    DragState state;
    std::optional<std::size_t> shown;
    for (const char c : letters) list.append(std::string(1, c));
    std::istringstream in(script);
    for (std::string op; in >> op;) {
        const std::size_t n = op.size() > 1 ? std::stoul(op.substr(1)) : 0;
        if (op[0] == 'p' && n > 0) list.select(n), ReorderItemClick(state, list);
        if (op[0] == 'p') ReorderMouseDown(state);
        if (op[0] == 'm')
            shown = ReorderMouseMove(state, list, n ? std::optional(n) : std::nullopt,
                                     [&] { return screenY; });
        if (op[0] == 'u') ReorderMouseUp(state);
        if (op[0] == 'r') list.remove(n);
    }
    std::string texts;
    for (std::size_t i = 1; i <= list.count(); ++i)
        texts +=
            list.selected() == list.at(i) ? char(std::tolower(list.text(i)[0])) : list.text(i)[0];
    return {texts, shown};
}

TEST(Reorder, ThePressedPathTravelsByExchanges) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"ABC", "p1 m1 m2", "BaC"},          // slow drag, one line
        {"ABC", "p1 m2 m3", "BCa"},          // each passed line shifts by one
        {"ABCD", "p1 m4", "DBCa"},           // a jump leaves the lines between
        {"ABA", "p1 m2 m3", "BaA"},          // equal texts never exchange
        {"ABC", "p1 m0 m3", "CBa"},          // off the entries, then back
        {"ABC", "p1 u m2", "aBC"},           // nothing moves after the button-up
        {"ABC", "p3 u p0 m3 m2 m1", "cAB"},  // an empty-area press carries on
        {"ABC", "p2 u r2 p0 m1 m2", "AC"}};  // a removed dragged entry is none
    for (const auto& [start, script, end] : cases)
        EXPECT_EQ(Drag(start, script).first, end) << script;
}

TEST(Reorder, ScrollsOnlyAfterAnExchangeAndOnlyPastTheScreenThresholds) {
    const std::tuple<std::string, int, std::optional<std::size_t>> cases[] = {
        {"p1 m4", 304, 3},         {"p1 m4", 305, std::nullopt}, {"p1 m4", 364, std::nullopt},
        {"p1 m4", 365, 5},         {"p5 m1", 0, std::nullopt},   {"p5 m10", 2000, std::nullopt},
        {"p5 m5", 0, std::nullopt}};  // no exchange, no scrolling
    for (const auto& [script, y, shown] : cases)
        EXPECT_EQ(Drag("0123456789", script, y).second, shown) << script << " y " << y;
}

struct Walk {
    test::FakeUi ui;
    test::FlakyFileSystem fs;
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
    for (char c = 'a'; c <= 'l'; ++c)  // more siblings than one worker takes at a time
        expected.push_back(t.file(std::string("R/B/") + c + "/" + c));
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
    w.ui.yields = 0;  // a press while the walk yields runs at once, nested
    w.ui.onYield = [&] {
        if (w.ui.yields == 1) w.list.append("/pressed");
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

TEST(DialogResult, SplitsIntoFullPathsWithOneSeparatorAtTheSeam) {
    const std::pair<std::string, Paths> cases[] = {
        {"C:\\docs\\a.txt", {"C:\\docs\\a.txt"}},
        {"C:\\docs\0a.txt\0b.txt"s, {"C:\\docs\\a.txt", "C:\\docs\\b.txt"}},
        {"C:\\\0a.txt\0b.txt"s, {"C:\\a.txt", "C:\\b.txt"}},
        {"C:\\docs\0a.txt\0\0"s, {"C:\\docs\\a.txt"}},  // closing NULs add no folder entry
    };
    for (const auto& [result, paths] : cases) EXPECT_EQ(SplitDialogResult(result, '\\'), paths);
    EXPECT_EQ(SplitDialogResult("/home/u\0x\xff.txt"s, '/'), Paths{"/home/u/x\xff.txt"});
}

TEST(UriList, GivesLocalPathsByteForByteAndRefusesAnythingElse) {
    EXPECT_EQ(LocalPathsFromUriList("file:///a/b.txt\r\nfile://localhost/c%20d+e\r\n"),
              (Paths{"/a/b.txt", "/c d+e"}));
    EXPECT_EQ(LocalPathsFromUriList("# comment\nfile:///caf%E9%22.txt\nfile:///x%"),
              (Paths{"/caf\xe9\".txt", "/x%"}));
    for (const char* refused : {"https://example.org/a.txt", "file:///a\nhttp://b/c",
                                "file://otherhost/a", "", "just some text"})
        EXPECT_FALSE(LocalPathsFromUriList(refused)) << refused;
}

}  // namespace
