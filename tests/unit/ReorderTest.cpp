#include <gtest/gtest.h>

#include "filelist/Reorder.h"

namespace vx {
namespace {

using Texts = std::vector<std::string>;

struct Drag {
    FileList list;
    DragState state;
    int screenY = 330;  // between the thresholds: no scrolling
    int screenReads = 0;

    explicit Drag(const Texts& texts) {
        for (const auto& t : texts) list.append(t);
    }
    Texts texts() const {
        Texts out;
        for (std::size_t i = 1; i <= list.count(); ++i) out.push_back(list.text(i));
        return out;
    }
    void press(std::optional<std::size_t> entry) {
        if (entry) {
            list.select(*entry);
            ReorderItemClick(state, list);
        }
        ReorderMouseDown(state);
    }
    std::optional<std::size_t> move(std::optional<std::size_t> over) {
        return ReorderMouseMove(state, list, over, [this] {
            ++screenReads;
            return screenY;
        });
    }
    std::size_t selected() const { return *list.position(*list.selected()); }
};

TEST(Reorder, ASlowDragShiftsEachPassedLineAndTheSelectionFollows) {
    Drag d({"A", "B", "C"});
    d.press(1);
    d.move(1);
    EXPECT_EQ(d.texts(), (Texts{"A", "B", "C"}));
    d.move(2);
    EXPECT_EQ(d.texts(), (Texts{"B", "A", "C"}));
    d.move(3);
    EXPECT_EQ(d.texts(), (Texts{"B", "C", "A"}));
    EXPECT_EQ(d.selected(), 3u);
    EXPECT_FALSE(d.state.TargetItem.has_value());
}

TEST(Reorder, AJumpExchangesDirectlyWithTheLineReached) {
    Drag d({"A", "B", "C", "D"});
    d.press(1);
    d.move(4);
    EXPECT_EQ(d.texts(), (Texts{"D", "B", "C", "A"}));
}

TEST(Reorder, EqualTextsAreNeverExchanged) {
    Drag d({"A", "B", "A"});
    d.press(1);
    d.move(2);
    EXPECT_EQ(d.texts(), (Texts{"B", "A", "A"}));
    d.move(3);
    EXPECT_EQ(d.texts(), (Texts{"B", "A", "A"}));
    EXPECT_EQ(d.selected(), 2u);
}

TEST(Reorder, OutsideTheEntriesNothingMovesAndTheDragContinuesOnReturn) {
    Drag d({"A", "B", "C"});
    d.press(1);
    d.move(std::nullopt);
    EXPECT_EQ(d.texts(), (Texts{"A", "B", "C"}));
    d.move(3);
    EXPECT_EQ(d.texts(), (Texts{"C", "B", "A"}));
}

TEST(Reorder, AfterTheButtonComesUpMovesChangeNothing) {
    Drag d({"A", "B", "C"});
    d.press(1);
    ReorderMouseUp(d.state);
    d.move(2);
    EXPECT_EQ(d.texts(), (Texts{"A", "B", "C"}));
    EXPECT_TRUE(d.state.DraggedItem.has_value()) << "the dragged entry outlives the button-up";
}

TEST(Reorder, APressOnTheEmptyAreaCarriesThePreviouslyDraggedPath) {
    Drag d({"A", "B", "C"});
    d.press(3);
    ReorderMouseUp(d.state);
    d.press(std::nullopt);
    d.move(3);
    EXPECT_EQ(d.texts(), (Texts{"A", "B", "C"}));
    d.move(2);
    EXPECT_EQ(d.texts(), (Texts{"A", "C", "B"}));
    d.move(1);
    EXPECT_EQ(d.texts(), (Texts{"C", "A", "B"}));
}

TEST(Reorder, ARemovedDraggedEntryMovesNothing) {
    Drag d({"A", "B", "C"});
    d.press(2);
    ReorderMouseUp(d.state);
    d.list.remove(2);
    d.press(std::nullopt);
    d.move(1);
    d.move(2);
    EXPECT_EQ(d.texts(), (Texts{"A", "C"}));
    EXPECT_FALSE(d.state.DraggedItem.has_value());
}

TEST(Reorder, ScrollsOnlyAfterAnExchangeAndOnlyPastTheScreenThresholds) {
    const Texts ten{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    struct Case {
        int y;
        std::optional<std::size_t> shown;
    };
    for (const Case c :
         {Case{304, 3}, Case{305, std::nullopt}, Case{364, std::nullopt}, Case{365, 5}}) {
        Drag d(ten);
        d.press(1);
        d.screenY = c.y;
        EXPECT_EQ(d.move(4), c.shown) << "y " << c.y;
    }
    Drag top(ten);
    top.press(5);
    top.screenY = 0;
    EXPECT_EQ(top.move(1), std::nullopt) << "nothing above the first entry";
    Drag bottom(ten);
    bottom.press(5);
    bottom.screenY = 2000;
    EXPECT_EQ(bottom.move(10), std::nullopt) << "nothing below the last entry";
    Drag still(ten);
    still.press(5);
    still.move(5);
    EXPECT_EQ(still.screenReads, 0) << "no exchange, no scrolling";
}

}  // namespace
}  // namespace vx
