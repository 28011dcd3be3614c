#include "filelist/Reorder.h"

namespace vx {

void ReorderItemClick(DragState& state, const FileList& list) {
    state.DraggedItem = list.selected();
}

void ReorderMouseDown(DragState& state) {
    state.DragActive = true;
}

void ReorderMouseUp(DragState& state) {
    state.DragActive = false;
}

std::optional<std::size_t> ReorderMouseMove(DragState& state, FileList& list,
                                            std::optional<std::size_t> target,
                                            const std::function<int()>& screenY) {
    if (!state.DragActive) return std::nullopt;
    state.TargetItem = target ? std::optional(list.at(*target)) : std::nullopt;
    std::optional<std::size_t> bringIntoView;

    // A dragged entry that has been removed counts as none.
    const auto from = state.DraggedItem ? list.position(*state.DraggedItem) : std::nullopt;
    if (!from) state.DraggedItem.reset();
    if (from && target && list.text(*from) != list.text(*target)) {
        const std::size_t k = *target;
        std::string carried = list.text(*from);
        list.setText(*from, list.text(k));
        list.setText(k, std::move(carried));
        list.select(k);
        state.DraggedItem = list.at(k);

        const int y = screenY();
        if (y < kScrollUpBelowY) {
            if (k > 1) bringIntoView = k - 1;
        } else if (y > kScrollDownAboveY) {
            if (k + 1 <= list.count()) bringIntoView = k + 1;
        }
    }
    state.TargetItem.reset();
    return bringIntoView;
}

}  // namespace vx
