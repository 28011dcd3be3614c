#include <gtest/gtest.h>

#include "filelist/AddFolder.h"
#include "platform/win32/Win32FileSystem.h"
#include "win32/Win32Support.h"

namespace vx {
namespace {

TEST(Win32FolderWalk, AddsHiddenFilesBreadthFirstButEntersNoHiddenFolder) {
    test::TempFolder root;
    struct Item {
        const char* path;
        DWORD attributes;
    };
    // Folders end in "\". Wine keeps the archive bit it sets on new files; it plays no part.
    const Item tree[] = {
        {"A\\", 0},
        {"A\\A1\\", 0},
        {"B\\", 0},
        {".dot\\", 0},
        {"H\\", FILE_ATTRIBUTE_HIDDEN},
        {"S\\", FILE_ATTRIBUTE_SYSTEM},
        {"r1", 0},
        {"~skip", 0},
        {"a~b", 0},
        {"hid.txt", FILE_ATTRIBUTE_HIDDEN},
        {"sys.txt", FILE_ATTRIBUTE_SYSTEM},
        {"ro.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE},
        {"A\\a1.txt", 0},
        {"A\\A1\\x", 0},
        {"B\\b1", 0},
        {"B\\~b", 0},
        {".dot\\d1", 0},
        {"H\\h1", 0},
        {"S\\s1", 0},
    };
    for (const Item& i : tree) {
        const std::wstring path = Widen(root / i.path);
        if (path.back() == L'\\') {
            ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << i.path;
        } else {
            ASSERT_TRUE(std::ofstream(std::filesystem::path(path)) << "x") << i.path;
        }
    }
    for (const Item& i : tree) {
        if (i.attributes != 0) {
            ASSERT_TRUE(SetFileAttributesW(Widen(root / i.path).c_str(), i.attributes)) << i.path;
        }
    }

    FileList list;
    test::RecordingUi ui;
    ui.folder = root.path();
    Win32FileSystem fs;
    std::vector<int> pointers;
    AddFolderFiles(list, fs, ui, [&](int p) { pointers.push_back(p); });

    std::vector<std::string> added;
    for (std::size_t i = 1; i <= list.count(); ++i) added.push_back(list.text(i));
    const std::vector<std::string> expected{
        root / "a~b",      root / "hid.txt",   root / "r1",    root / "ro.txt",   root / "sys.txt",
        root / ".dot\\d1", root / "A\\a1.txt", root / "B\\b1", root / "A\\A1\\x",
    };
    EXPECT_EQ(added, expected);
    EXPECT_EQ(pointers, (std::vector<int>{11, 0}));
    EXPECT_TRUE(ui.boxes.empty());
    WalkReport report;
    EXPECT_EQ(ListFiles(root.path(), "*.*", fs, report),
              (std::vector<std::string>{"a~b", "hid.txt", "r1", "ro.txt", "sys.txt", "~skip"}));
}

}  // namespace
}  // namespace vx
