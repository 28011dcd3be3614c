#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
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

    std::size_t count() const { return texts_.size(); }
    // Positions run from 1 to count(); others throw std::out_of_range.
    const std::string& text(std::size_t position) const;
    void setText(std::size_t position, std::string text);
    Ref append(std::string text);
    void remove(std::size_t position);

    Ref at(std::size_t position) const;
    // The entry's current position, or nullopt when the entry was removed.
    std::optional<std::size_t> position(Ref ref) const;

    std::optional<Ref> selected() const;
    void select(std::size_t position);
    void clearSelection();

    void setObserver(FileListObserver* observer) { observer_ = observer; }
    void reserve(std::size_t n);

  private:
    std::size_t index(std::size_t position) const;

    // Ids only grow and entries are never inserted or moved, so ids_ stays sorted and a
    // reference finds its position by binary search.
    std::vector<std::string> texts_;
    std::vector<std::uint64_t> ids_;
    std::uint64_t nextId_ = 1;
    std::uint64_t selectedId_ = 0;
    FileListObserver* observer_ = nullptr;
};

}  // namespace vx
