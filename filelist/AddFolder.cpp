#include "filelist/AddFolder.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <string_view>
#include <thread>
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

// Lists the folders of one level on a few threads while the UI thread takes the listings in
// order, so the walk order is the same as listing one folder after another. Only the
// listing calls run on the workers; they run at most kAhead folders ahead, which bounds
// the memory held in listings nobody has taken yet.
class LevelLister {
  public:
    LevelLister(FileSystem& fs, unsigned mask) : fs_(fs), mask_(mask) {
        const unsigned n = std::clamp(std::thread::hardware_concurrency(), 2U, 4U);
        for (unsigned i = 0; i < n; ++i) workers_.emplace_back([this] { work(); });
    }
    ~LevelLister() {
        {
            const std::lock_guard lock(m_);
            stop_ = true;
        }
        work_.notify_all();
        for (std::thread& t : workers_) t.join();
    }
    LevelLister(const LevelLister&) = delete;
    LevelLister& operator=(const LevelLister&) = delete;

    // level must stay unchanged until each of its listings has been taken.
    void start(const std::vector<std::string>& level) {
        {
            const std::lock_guard lock(m_);
            level_ = &level;
            slots_.clear();
            slots_.resize(level.size());
            next_ = 0;
            taken_ = 0;
        }
        work_.notify_all();
    }

    // The listing of folder i of the level, yielding to the event loop while it is made.
    Listing take(std::size_t i, Ui& ui) {
        std::unique_lock lock(m_);
        while (!slots_[i].ready) {
            // Each wait costs system calls both ways, so wait for a run of listings: the
            // last one not ready among the next few.
            const std::size_t last = std::min(i + kBatch * 4, slots_.size() - 1);
            wanted_ = i;
            for (std::size_t k = last; k > i; --k)
                if (!slots_[k].ready) {
                    wanted_ = k;
                    break;
                }
            waiting_ = true;
            ready_.wait_for(lock, std::chrono::milliseconds(5));
            waiting_ = false;
            lock.unlock();
            ui.yield();
            lock.lock();
        }
        Slot slot = std::move(slots_[i]);
        taken_ = i + 1;
        // Waking a worker costs a system call; a worker held back by kAhead can wait for
        // a quarter of it to free up.
        const bool wake = idle_ > 0 && taken_ % (kAhead / 4) == 0;
        lock.unlock();
        if (wake) work_.notify_all();
        if (slot.error) std::rethrow_exception(slot.error);
        return std::move(slot.listing);
    }

  private:
    static constexpr std::size_t kAhead = 256;
    static constexpr std::size_t kBatch = 4;
    struct Slot {
        bool ready = false;
        Listing listing;
        std::exception_ptr error;
    };

    void work() {
        std::unique_lock lock(m_);
        for (;;) {
            ++idle_;
            work_.wait(lock, [this] {
                return stop_ || (next_ < slots_.size() && next_ < taken_ + kAhead);
            });
            --idle_;
            if (stop_) return;
            // A few neighbours at a time: fewer hand-overs, and siblings share a parent.
            const std::size_t first = next_;
            const std::size_t n =
                std::min({kBatch, slots_.size() - first, taken_ + kAhead - first});
            next_ += n;
            std::vector<std::string> folders(
                (*level_).begin() + static_cast<std::ptrdiff_t>(first),
                (*level_).begin() + static_cast<std::ptrdiff_t>(first + n));
            lock.unlock();
            for (std::size_t k = 0; k < n; ++k) {
                Slot slot{true, {}, nullptr};
                try {
                    slot.listing = fs_.listFolder(folders[k], mask_);
                } catch (...) {
                    slot.error = std::current_exception();
                }
                lock.lock();
                slots_[first + k] = std::move(slot);
                const bool wake = waiting_ && first + k == wanted_;
                lock.unlock();
                if (wake) ready_.notify_one();
            }
            lock.lock();
        }
    }

    FileSystem& fs_;
    const unsigned mask_;
    std::mutex m_;
    std::condition_variable work_, ready_;
    const std::vector<std::string>* level_ = nullptr;
    std::vector<Slot> slots_;
    std::size_t next_ = 0, taken_ = 0;
    unsigned idle_ = 0;     // workers waiting for work
    bool waiting_ = false;  // the UI thread waits for the listing of folder wanted_
    std::size_t wanted_ = 0;
    bool stop_ = false;
    std::vector<std::thread> workers_;
};

// The file names of every walked folder, in the order of the folder list: a million
// names cost their bytes, not a string each.
struct FileNames {
    std::string bytes;                   // each name ends in a NUL
    std::vector<std::size_t> perFolder;  // how many names each folder has
    std::size_t count = 0;
};

// Lists every folder once. With files set, the same listing also gives each folder's files
// (hidden ones too), in the order of the final folder list, so adding a tree costs one
// listing per folder rather than two.
void Walk(std::vector<std::string>& folders, bool allLevels, FileSystem& fs, Ui& ui,
          WalkReport& report, FileNames* files) {
    const char sep = fs.separator();
    const unsigned mask =
        files ? (AttrDirectory | AttrHidden | AttrSystem) : unsigned{AttrDirectory};
    std::unordered_set<FileId, FileIdHash> seen;
    for (const std::string& f : folders)
        if (auto id = fs.folderId(f)) seen.insert(*id);

    // One level at a time, iteratively: a tree thousands of levels deep needs no stack. The
    // level outlives the lister, whose workers may still read it while an exception unwinds.
    std::vector<std::string> level = folders;
    LevelLister lister(fs, mask);
    while (!level.empty()) {
        std::vector<std::string> next;
        seen.reserve(seen.size() + level.size() * 4);  // trees fan out; rehashing is dear
        lister.start(level);
        for (std::size_t i = 0; i < level.size(); ++i) {
            const std::string& folder = level[i];
            const Listing listing = lister.take(i, ui);
            ui.yield();
            if (!listing.ok) report.unreadableFolders.insert(folder);
            std::size_t names = 0;
            for (const DirEntry& e : listing.entries) {
                if ((e.attributes & AttrDirectory) == 0) {
                    // Reading the clock a million times costs more than a file name.
                    if (names % 256 == 255) ui.yield();
                    if (files) files->bytes.append(e.name.c_str(), e.name.size() + 1);
                    ++names;
                    continue;
                }
                ui.yield();
                if ((e.attributes & (AttrHidden | AttrSystem)) != 0) continue;
                if (!seen.insert(e.id).second) continue;
                next.push_back(JoinPath(folder, e.name, sep) + sep);
            }
            if (files) {
                files->perFolder.push_back(names);
                files->count += names;
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
    FileNames files;
    try {
        Walk(folders, true, fs, ui, report, &files);
    } catch (...) {
        setPointer(0);  // the failure is the caller's to report; the hourglass must not stay
        throw;
    }
    list.reserve(list.count() + files.count);
    const char* name = files.bytes.data();
    // Each yield lets the view lay out every row so far, tens of milliseconds at a million:
    // doing at least twice that much work in between keeps yields to a third of it.
    using Clock = std::chrono::steady_clock;
    Clock::time_point nextYield{};
    std::string path;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (const Clock::time_point now = Clock::now(); now >= nextYield) {
            ui.yield();
            nextYield = Clock::now() + 2 * (Clock::now() - now);
        }
        for (std::size_t k = 0; k < files.perFolder[i]; ++k) {
            const std::string_view n(name);
            name += n.size() + 1;
            if (n.front() == '~') continue;
            path.assign(folders[i]).append(n);
            list.append(path);
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
