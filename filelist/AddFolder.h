#pragma once

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "filelist/FileList.h"
#include "platform/Services.h"

namespace vx {

// What a folder walk could not read; the walk goes on without it.
struct WalkReport {
    std::unordered_set<std::string> unreadableFolders;
};

std::string BrowseForFolder(Ui& ui, const std::string& prompt);

// Appends to folders the sub-folders of the folders in it, breadth-first: a depth is
// complete before the next, grouped by parent in listing order. Hidden folders are not
// entered, and each real folder is walked once, so links that lead back up end nowhere.
// Yields to the event loop while it works.
void CollectSubfolders(std::vector<std::string>& folders, bool allLevels, FileSystem& fs, Ui& ui,
                       WalkReport& report);

// The names of the files (hidden ones too, no folders) in a folder that match the
// pattern, in listing order. "*.*" matches every name.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern,
                                   FileSystem& fs, WalkReport& report);

// "Add All Text Files In Folder". setPointer receives the window's pointer setting
// (11 while it works, 0 after).
void AddFolderFiles(FileList& list, FileSystem& fs, Ui& ui,
                    const std::function<void(int)>& setPointer);

}  // namespace vx
