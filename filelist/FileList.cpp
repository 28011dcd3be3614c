#include "filelist/FileList.h"

#include <algorithm>
#include <stdexcept>

namespace vx {

std::size_t FileList::index(std::size_t position) const {
    if (position < 1 || position > texts_.size())
        throw std::out_of_range("no entry at position " + std::to_string(position));
    return position - 1;
}

const std::string& FileList::text(std::size_t position) const {
    return texts_[index(position)];
}

void FileList::setText(std::size_t position, std::string text) {
    texts_[index(position)] = std::move(text);
    if (observer_) observer_->textChanged(position);
}

FileList::Ref FileList::append(std::string text) {
    texts_.push_back(std::move(text));
    ids_.push_back(nextId_);
    if (observer_) observer_->appended(texts_.size());
    return Ref{nextId_++};
}

void FileList::remove(std::size_t position) {
    const std::size_t i = index(position);
    if (observer_) observer_->aboutToRemove(position);
    const bool wasSelected = ids_[i] == selectedId_;
    texts_.erase(texts_.begin() + static_cast<std::ptrdiff_t>(i));
    ids_.erase(ids_.begin() + static_cast<std::ptrdiff_t>(i));
    if (wasSelected) selectedId_ = 0;
    if (observer_) {
        observer_->removed(position);
        if (wasSelected) observer_->selectionChanged();
    }
}

FileList::Ref FileList::at(std::size_t position) const {
    return Ref{ids_[index(position)]};
}

std::optional<std::size_t> FileList::position(Ref ref) const {
    const auto it = std::lower_bound(ids_.begin(), ids_.end(), ref.id);
    if (ref.id == 0 || it == ids_.end() || *it != ref.id) return std::nullopt;
    return static_cast<std::size_t>(it - ids_.begin()) + 1;
}

std::optional<FileList::Ref> FileList::selected() const {
    if (selectedId_ == 0) return std::nullopt;
    return Ref{selectedId_};
}

void FileList::select(std::size_t position) {
    selectedId_ = ids_[index(position)];
    if (observer_) observer_->selectionChanged();
}

void FileList::clearSelection() {
    selectedId_ = 0;
    if (observer_) observer_->selectionChanged();
}

void FileList::reserve(std::size_t n) {
    texts_.reserve(n);
    ids_.reserve(n);
}

}  // namespace vx
