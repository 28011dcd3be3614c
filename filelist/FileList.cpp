#include "filelist/FileList.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace vx {

namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 20;
// Below this much waste a small list is not worth compacting.
constexpr std::size_t kMinDeadBytes = 1024;

}  // namespace

std::size_t FileList::index(std::size_t position) const {
    if (position < 1 || position > entries_.size())
        throw std::out_of_range("no entry at position " + std::to_string(position));
    return position - 1;
}

std::string_view FileList::view(std::size_t position) const {
    const Entry& e = entries_[index(position)];
    return {e.data, e.size};
}

const char* FileList::store(std::string_view text) {
    if (text.empty()) return nullptr;
    char* at = nullptr;
    if (text.size() > kBlockSize / 4) {
        // A long text gets a block of its own, so the current block's free end is kept.
        blocks_.emplace_back(new char[text.size()]);
        at = blocks_.back().get();
    } else {
        if (text.size() > freeBytes_) {
            // Left uninitialised: pages nobody writes cost no memory.
            blocks_.emplace_back(new char[kBlockSize]);
            free_ = blocks_.back().get();
            freeBytes_ = kBlockSize;
        }
        at = free_;
        free_ += text.size();
        freeBytes_ -= text.size();
    }
    std::memcpy(at, text.data(), text.size());
    liveBytes_ += text.size();
    return at;
}

void FileList::dropped(std::size_t bytes) {
    liveBytes_ -= bytes;
    deadBytes_ += bytes;
    if (deadBytes_ <= std::max(liveBytes_, kMinDeadBytes)) return;
    // Copy the live texts into fresh blocks; the old ones go when this returns.
    const std::vector<std::unique_ptr<char[]>> old = std::move(blocks_);
    blocks_.clear();
    free_ = nullptr;
    freeBytes_ = 0;
    liveBytes_ = 0;
    deadBytes_ = 0;
    for (Entry& e : entries_) e.data = store({e.data, e.size});
}

void FileList::setText(std::size_t position, std::string_view text) {
    Entry& e = entries_[index(position)];
    const std::size_t oldSize = e.size;
    e.data = store(text);
    e.size = text.size();
    dropped(oldSize);
    if (observer_) observer_->textChanged(position);
}

FileList::Ref FileList::append(std::string_view text) {
    const char* data = store(text);
    entries_.push_back(Entry{nextId_, data, text.size()});
    if (observer_) observer_->appended(entries_.size());
    return Ref{nextId_++};
}

void FileList::remove(std::size_t position) {
    const std::size_t i = index(position);
    if (observer_) observer_->aboutToRemove(position);
    const bool wasSelected = entries_[i].id == selectedId_;
    const std::size_t size = entries_[i].size;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
    dropped(size);
    if (wasSelected) selectedId_ = 0;
    if (observer_) {
        observer_->removed(position);
        if (wasSelected) observer_->selectionChanged();
    }
}

FileList::Ref FileList::at(std::size_t position) const {
    return Ref{entries_[index(position)].id};
}

std::optional<std::size_t> FileList::position(Ref ref) const {
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), ref.id,
                                     [](const Entry& e, std::uint64_t id) { return e.id < id; });
    if (ref.id == 0 || it == entries_.end() || it->id != ref.id) return std::nullopt;
    return static_cast<std::size_t>(it - entries_.begin()) + 1;
}

std::optional<FileList::Ref> FileList::selected() const {
    if (selectedId_ == 0) return std::nullopt;
    return Ref{selectedId_};
}

void FileList::select(std::size_t position) {
    selectedId_ = entries_[index(position)].id;
    if (observer_) observer_->selectionChanged();
}

void FileList::clearSelection() {
    selectedId_ = 0;
    if (observer_) observer_->selectionChanged();
}

}  // namespace vx
