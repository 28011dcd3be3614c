#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// Told of every change, so a view can follow the list. Positions are 1-based.
class FileListObserver {
  public:
    virtual ~FileListObserver() = default;
    virtual void appended(std::size_t position) = 0;
    virtual void aboutToRemove(std::size_t position) = 0;
    virtual void removed(std::size_t position) = 0;
    virtual void textChanged(std::size_t position) = 0;
    virtual void selectionChanged() = 0;
};

// The ordered list of files to convert. Entries carry one text each, kept byte for byte.
// Nothing sorts the list or checks its paths.
class FileList {
  public:
    // Follows its entry through removals of others; void once its entry is removed.
    struct Ref {
        std::uint64_t id = 0;
        bool operator==(const Ref&) const = default;
    };

    std::size_t count() const { return entries_.size(); }
    // Positions run from 1 to count(); others throw std::out_of_range.
    std::string text(std::size_t position) const { return std::string(view(position)); }
    // The text without a copy; valid until the list next changes.
    std::string_view view(std::size_t position) const;
    void setText(std::size_t position, std::string_view text);
    Ref append(std::string_view text);
    void remove(std::size_t position);

    Ref at(std::size_t position) const;
    // The entry's current position, or nullopt when the entry was removed.
    std::optional<std::size_t> position(Ref ref) const;

    std::optional<Ref> selected() const;
    void select(std::size_t position);
    void clearSelection();

    void setObserver(FileListObserver* observer) { observer_ = observer; }
    // Room for n entries in all.
    void reserve(std::size_t n) { entries_.reserve(n); }

  private:
    // A million entries must not cost a heap block each: texts live back to back in
    // large blocks that never move, so an entry is its id and where its bytes are.
    struct Entry {
        std::uint64_t id;
        const char* data;
        std::size_t size;
    };
    std::size_t index(std::size_t position) const;
    const char* store(std::string_view text);
    void dropped(std::size_t bytes);

    // Ids only grow and entries are never inserted or moved, so entries_ stays sorted by id
    // and a reference finds its position by binary search.
    std::vector<Entry> entries_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* free_ = nullptr;  // the unused end of the current block
    std::size_t freeBytes_ = 0;
    std::size_t liveBytes_ = 0;
    std::size_t deadBytes_ = 0;  // texts removed or replaced, reclaimed by compacting
    std::uint64_t nextId_ = 1;
    std::uint64_t selectedId_ = 0;
    FileListObserver* observer_ = nullptr;
};

}  // namespace vx
