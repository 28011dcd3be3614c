#include <gtest/gtest.h>

#include "filelist/AddPicked.h"
#include "filelist/UriList.h"
#include "platform/qt/QtUi.h"
#include "support/Fakes.h"

namespace vx {
namespace {

using Paths = std::vector<std::string>;
using namespace std::string_literals;

TEST(DialogResult, SplitsIntoFullPathsWithOneSeparatorAtTheSeam) {
    const std::pair<std::string, Paths> cases[] = {
        {"", {}},
        {"C:\\docs\\a.txt", {"C:\\docs\\a.txt"}},
        {"C:\\docs\0a.txt\0b.txt"s, {"C:\\docs\\a.txt", "C:\\docs\\b.txt"}},
        {"C:\\\0a.txt\0b.txt"s, {"C:\\a.txt", "C:\\b.txt"}},
        {"C:\\docs\0a.txt\0\0"s, {"C:\\docs\\a.txt"}},  // closing NULs add no folder entry
    };
    for (const auto& [result, paths] : cases) EXPECT_EQ(SplitDialogResult(result, '\\'), paths);
    EXPECT_EQ(SplitDialogResult("/home/u\0x\xff.txt"s, '/'), Paths{"/home/u/x\xff.txt"});
}

TEST(DialogResult, PickedPathsComeBackAsPicked) {
    const Paths cases[] = {{},
                           {"/d/a.txt"},
                           {"/d/a.txt", "/d/b c"},
                           {"/a", "/b"},
                           {"/x/d.log", "/y/e/x.txt"},  // typed from two folders
                           {"/x/y/a", "/x/b", "/x/y/z/c"},
                           {"/ab/c", "/a/d"}};  // a shared prefix is not a shared folder
    for (const Paths& picked : cases)
        EXPECT_EQ(SplitDialogResult(DialogResultFromPaths(picked, '/'), '/'), picked);
    // "*.*" must show files without a dot too.
    EXPECT_EQ(QtNameFilters("All Files (*.*)|*.*|Text Files (*.txt)|*.txt"),
              (QStringList{"All Files (*.*) (*)", "Text Files (*.txt) (*.txt)"}));
}

TEST(AddPickedFiles, AppendsInDialogOrderAndCancelAddsNothing) {
    test::FakeUi ui;
    FileList list;
    list.append("/d/a.txt");
    ui.dialogResults = {"", "/d\0a.txt\0b.txt"s, "/missing/typed-name"};
    for (int i = 0; i < 3; ++i) AddPickedFiles(list, ui, '/');
    ASSERT_EQ(list.count(), 4u);
    EXPECT_EQ(list.text(2), "/d/a.txt");  // listed a second time
    EXPECT_EQ(list.text(3), "/d/b.txt");
    EXPECT_EQ(list.text(4), "/missing/typed-name");
    EXPECT_TRUE(ui.boxes.empty());
}

TEST(UriList, GivesLocalPathsByteForByteAndRefusesAnythingElse) {
    EXPECT_EQ(LocalPathsFromUriList("file:///a/b.txt\r\nfile://localhost/c%20d\r\n"),
              (Paths{"/a/b.txt", "/c d"}));
    EXPECT_EQ(LocalPathsFromUriList("# comment\nfile:///caf%E9%22.txt\n"), Paths{"/caf\xe9\".txt"});
    EXPECT_EQ(LocalPathsFromUriList("file:///x%"), Paths{"/x%"});
    for (const char* refused : {"https://example.org/a.txt", "file:///a\nhttp://b/c",
                                "file://otherhost/a", "", "just some text"})
        EXPECT_FALSE(LocalPathsFromUriList(refused)) << refused;
}

}  // namespace
}  // namespace vx
