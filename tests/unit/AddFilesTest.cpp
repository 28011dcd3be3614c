#include <gtest/gtest.h>

#include "filelist/AddPicked.h"
#include "filelist/UriList.h"
#include "platform/PathUtil.h"
#include "platform/qt/QtUi.h"
#include "support/Fakes.h"

namespace vx {
namespace {

using Paths = std::vector<std::string>;
using namespace std::string_literals;

TEST(DialogResult, SplitsIntoFullPathsWithOneSeparatorAtTheSeam) {
    EXPECT_EQ(SplitDialogResult("", '\\'), Paths{});
    EXPECT_EQ(SplitDialogResult("C:\\docs\\a.txt", '\\'), Paths{"C:\\docs\\a.txt"});
    EXPECT_EQ(SplitDialogResult("C:\\docs\0a.txt\0b.txt\0c.txt"s, '\\'),
              (Paths{"C:\\docs\\a.txt", "C:\\docs\\b.txt", "C:\\docs\\c.txt"}));
    EXPECT_EQ(SplitDialogResult("C:\\\0a.txt\0b.txt"s, '\\'), (Paths{"C:\\a.txt", "C:\\b.txt"}));
    EXPECT_EQ(SplitDialogResult("\\\\server\\share\0a.txt\0b.txt"s, '\\'),
              (Paths{"\\\\server\\share\\a.txt", "\\\\server\\share\\b.txt"}));
    EXPECT_EQ(SplitDialogResult("C:\\My Docs\0a b.txt\0 c .txt"s, '\\'),
              (Paths{"C:\\My Docs\\a b.txt", "C:\\My Docs\\ c .txt"}));
    // A list closed by NUL, or by two, adds no folder-only entry.
    EXPECT_EQ(SplitDialogResult("C:\\docs\0a.txt\0\0"s, '\\'), Paths{"C:\\docs\\a.txt"});
    EXPECT_EQ(SplitDialogResult("/\0etc\0a"s, '/'), (Paths{"/etc", "/a"}));
    EXPECT_EQ(SplitDialogResult("/home/u\0x\xff.txt"s, '/'), Paths{"/home/u/x\xff.txt"});
}

TEST(DialogResult, QtSelectionBecomesTheSameResultShape) {
    EXPECT_EQ(DialogResultFromPaths({}, '/'), "");
    EXPECT_EQ(DialogResultFromPaths({"/d/a.txt"}, '/'), "/d/a.txt");
    EXPECT_EQ(DialogResultFromPaths({"/d/a.txt", "/d/b c"}, '/'), "/d\0a.txt\0b c"s);
    EXPECT_EQ(DialogResultFromPaths({"/a", "/b"}, '/'), "/\0a\0b"s);
    const std::string r = DialogResultFromPaths({"/d/a.txt", "/d/b c"}, '/');
    EXPECT_EQ(SplitDialogResult(r, '/'), (Paths{"/d/a.txt", "/d/b c"}));
    // "*.*" must show files without a dot too.
    EXPECT_EQ(QtNameFilters("All Files (*.*)|*.*|Text Files (*.txt)|*.txt"),
              (QStringList{"All Files (*.*) (*)", "Text Files (*.txt) (*.txt)"}));
}

TEST(AddPickedFiles, AppendsInDialogOrderAndCancelAddsNothing) {
    test::FakeUi ui;
    FileList list;
    list.append("/d/a.txt");
    ui.dialogResults = {"", "/d\0a.txt\0b.txt"s, "/missing/typed-name"};
    AddPickedFiles(list, ui, '/');
    EXPECT_EQ(list.count(), 1u);
    AddPickedFiles(list, ui, '/');
    AddPickedFiles(list, ui, '/');
    ASSERT_EQ(list.count(), 4u);
    EXPECT_EQ(list.text(2), "/d/a.txt");  // listed a second time
    EXPECT_EQ(list.text(3), "/d/b.txt");
    EXPECT_EQ(list.text(4), "/missing/typed-name");
    ASSERT_EQ(ui.dialogSettings.size(), 3u);
    for (const auto& s : ui.dialogSettings) {
        EXPECT_EQ(s.fileName, "");
        EXPECT_EQ(s.flags, 0x280201u);
        EXPECT_EQ(s.title, "Add File(s) - Use Ctrl & Shift to select multiple files");
        EXPECT_EQ(s.filter, "All Files (*.*)|*.*|Text Files (*.txt)|*.txt");
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST(UriList, GivesLocalPathsByteForByteAndRefusesAnythingElse) {
    EXPECT_EQ(LocalPathsFromUriList("file:///a/b.txt\r\nfile://localhost/c%20d\r\n"),
              (Paths{"/a/b.txt", "/c d"}));
    EXPECT_EQ(LocalPathsFromUriList("# comment\nfile:///caf%E9%22.txt\n"), Paths{"/caf\xe9\".txt"});
    EXPECT_EQ(LocalPathsFromUriList("file:///x%"), Paths{"/x%"});
    EXPECT_FALSE(LocalPathsFromUriList("https://example.org/a.txt"));
    EXPECT_FALSE(LocalPathsFromUriList("file:///a\nhttp://b/c"));
    EXPECT_FALSE(LocalPathsFromUriList("file://otherhost/a"));
    EXPECT_FALSE(LocalPathsFromUriList(""));
    EXPECT_FALSE(LocalPathsFromUriList("just some text"));
}

TEST(PathUtil, JoinsWithExactlyOneSeparator) {
    EXPECT_EQ(JoinPath("C:\\", "a", '\\'), "C:\\a");
    EXPECT_EQ(JoinPath("C:\\d", "a", '\\'), "C:\\d\\a");
    EXPECT_EQ(JoinPath("/", "a", '/'), "/a");
    EXPECT_EQ(WithTrailingSeparator("/x", '/'), "/x/");
    EXPECT_EQ(WithTrailingSeparator("/x/", '/'), "/x/");
}

}  // namespace
}  // namespace vx
