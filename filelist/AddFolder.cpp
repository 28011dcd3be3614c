#include "filelist/AddFolder.h"

#include <cstddef>
#include <string_view>
#include <unordered_set>

#include "platform/PathUtil.h"

namespace vx {

namespace {

struct FileIdHash {
    std::size_t operator()(const FileId& id) const noexcept {
        return std::hash<std::uint64_t>()(id.inode * 1000003u ^ id.device);
    }
};

// Wildcards as folder listings know them: "*" any run, "?" one character; "*.*" is
// every name, with or without a dot.
bool Matches(std::string_view name, std::string_view pattern) {
    if (pattern == "*.*") return true;
    std::size_t n = 0, p = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

std::string BrowseForFolder(Ui& ui, const std::string& prompt) {
    return ui.browseForFolder(prompt);
}

namespace {

// Lists every folder once. With files set, the same listing also gives each folder's files
// (hidden ones too), in the order of the final folder list, so adding a tree costs one
// listing per folder rather than two.
void Walk(std::vector<std::string>& folders, bool allLevels, FileSystem& fs, Ui& ui,
          WalkReport& report, std::vector<std::vector<std::string>>* files) {
    const char sep = fs.separator();
    const unsigned mask =
        files ? (AttrDirectory | AttrHidden | AttrSystem) : unsigned{AttrDirectory};
    std::unordered_set<FileId, FileIdHash> seen;
    for (const std::string& f : folders)
        if (auto id = fs.folderId(f)) seen.insert(*id);

    // One level at a time, iteratively: a tree thousands of levels deep needs no stack.
    std::vector<std::string> level = folders;
    while (!level.empty()) {
        std::vector<std::string> next;
        for (const std::string& folder : level) {
            Listing listing = fs.listFolder(folder, mask);
            ui.yield();
            if (!listing.ok) report.unreadableFolders.insert(folder);
            std::vector<std::string>* names = nullptr;
            if (files) names = &files->emplace_back();
            for (DirEntry& e : listing.entries) {
                ui.yield();
                if ((e.attributes & AttrDirectory) == 0) {
                    if (names) names->push_back(std::move(e.name));
                    continue;
                }
                if ((e.attributes & (AttrHidden | AttrSystem)) != 0) continue;
                if (!seen.insert(e.id).second) continue;
                next.push_back(JoinPath(folder, e.name, sep) + sep);
            }
        }
        for (const std::string& f : next) {
            ui.yield();
            folders.push_back(f);
        }
        if (!allLevels) break;
        level = std::move(next);
    }
}

}  // namespace

void CollectSubfolders(std::vector<std::string>& folders, bool allLevels, FileSystem& fs, Ui& ui,
                       WalkReport& report) {
    Walk(folders, allLevels, fs, ui, report, nullptr);
}

std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern,
                                   FileSystem& fs, WalkReport& report) {
    const std::string path = WithTrailingSeparator(folder, fs.separator());
    Listing listing = fs.listFolder(path, AttrHidden | AttrSystem);
    if (!listing.ok) report.unreadableFolders.insert(path);
    std::vector<std::string> names;
    names.reserve(listing.entries.size());
    for (DirEntry& e : listing.entries)
        if (Matches(e.name, pattern)) names.push_back(std::move(e.name));
    return names;
}

void AddFolderFiles(FileList& list, FileSystem& fs, Ui& ui,
                    const std::function<void(int)>& setPointer) {
    const std::string chosen = BrowseForFolder(ui, "Please select folder to add:");
    if (chosen.empty()) return;
    setPointer(11);
    WalkReport report;
    std::vector<std::string> folders{WithTrailingSeparator(chosen, fs.separator())};
    std::vector<std::vector<std::string>> files;
    Walk(folders, true, fs, ui, report, &files);
    for (std::size_t i = 0; i < folders.size(); ++i) {
        ui.yield();
        for (const std::string& name : files[i]) {
            if (name.front() == '~') continue;
            list.append(folders[i] + name);
        }
    }
    setPointer(0);
    if (!report.unreadableFolders.empty()) {
        const std::size_t n = report.unreadableFolders.size();
        ui.messageBox(std::to_string(n) + (n == 1 ? " folder" : " folders") +
                          " could not be read and " + (n == 1 ? "was" : "were") +
                          " skipped. All other files were added.",
                      BoxIcon::Warning, "Vellumax");
    }
}

}  // namespace vx
