#pragma once

#include <functional>
#include <optional>

#include "filelist/FileList.h"

namespace vx {

// The reorder drag: the pressed entry's path travels with the pointer by exchanging
// texts with the entry under it.
struct DragState {
    bool DragActive = false;
    std::optional<FileList::Ref> DraggedItem;
    std::optional<FileList::Ref> TargetItem;
};

// Screen rows (logical pixels from the top of the screen) above and below which an
// exchange scrolls the neighbouring entry into view.
inline constexpr int kScrollUpBelowY = 305;
inline constexpr int kScrollDownAboveY = 364;

void ReorderItemClick(DragState& state, const FileList& list);
void ReorderMouseDown(DragState& state);
void ReorderMouseUp(DragState& state);

// One pointer move while the list may be dragged. target is the position of the entry
// under the pointer, if any; screenY is read only after an exchange. Returns the position
// to bring into view, if the exchange asks for one.
std::optional<std::size_t> ReorderMouseMove(DragState& state, FileList& list,
                                            std::optional<std::size_t> target,
                                            const std::function<int()>& screenY);

}  // namespace vx
