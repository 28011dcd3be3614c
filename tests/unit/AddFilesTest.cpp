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
        {"C:\\docs\\a.txt", {"C:\\docs\\a.txt"}},
        {"C:\\docs\0a.txt\0b.txt"s, {"C:\\docs\\a.txt", "C:\\docs\\b.txt"}},
        {"C:\\\0a.txt\0b.txt"s, {"C:\\a.txt", "C:\\b.txt"}},
        {"C:\\docs\0a.txt\0\0"s, {"C:\\docs\\a.txt"}},  // closing NULs add no folder entry
    };
    for (const auto& [result, paths] : cases) EXPECT_EQ(SplitDialogResult(result, '\\'), paths);
    EXPECT_EQ(SplitDialogResult("/home/u\0x\xff.txt"s, '/'), Paths{"/home/u/x\xff.txt"});
}

TEST(DialogResult, PickedPathsComeBackAsPickedAndCancelAddsNothing) {
    const Paths cases[] = {{"/d/a.txt", "/d/b c"},      // a.txt is listed a second time
                           {"/x/d.log", "/y/e/x.txt"},  // typed from two folders
                           {"/x/y/a", "/x/b", "/x/y/z/c"},
                           {"/ab/c", "/a/d"}};  // a shared prefix is not a shared folder
    test::FakeUi ui;
    FileList list;
    list.append("/d/a.txt");
    ui.dialogResults = {""};
    for (const Paths& picked : cases)
        ui.dialogResults.push_back(DialogResultFromPaths(picked, '/'));
    for (std::size_t i = 0; i <= std::size(cases); ++i) AddPickedFiles(list, ui, '/');
    Paths all{"/d/a.txt"}, got;
    for (const Paths& picked : cases) all.insert(all.end(), picked.begin(), picked.end());
    for (std::size_t i = 1; i <= list.count(); ++i) got.push_back(list.text(i));
    EXPECT_EQ(got, all);
    // "*.*" must show files without a dot too.
    EXPECT_EQ(QtNameFilters("All Files (*.*)|*.*|Text Files (*.txt)|*.txt"),
              (QStringList{"All Files (*.*) (*)", "Text Files (*.txt) (*.txt)"}));
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
}  // namespace vx
