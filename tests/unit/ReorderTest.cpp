#include <gtest/gtest.h>

#include <sstream>

#include "filelist/Reorder.h"

namespace vx {
namespace {

struct Outcome {
    std::string texts;
    std::size_t selected = 0;  // none
    std::optional<std::size_t> shown;
};

// Runs a script such as "p1 m2 u r3" over one-letter entries: press entry 1 (p0: the empty
// area below the entries), move over entry 2 (m0: over no entry), button up, remove entry 3.
// Gives the texts, the selected position and what the last move brought into view.
Outcome Drag(const std::string& letters, const std::string& script, int screenY = 330) {
    FileList list;
    DragState state;
    Outcome out;
    for (const char c : letters) list.append(std::string(1, c));
    std::istringstream in(script);
    for (std::string op; in >> op;) {
        const std::size_t n = op.size() > 1 ? std::stoul(op.substr(1)) : 0;
        if (op[0] == 'p' && n > 0) {
            list.select(n);
            ReorderItemClick(state, list);
        }
        if (op[0] == 'p') ReorderMouseDown(state);
        if (op[0] == 'm')
            out.shown = ReorderMouseMove(state, list, n ? std::optional(n) : std::nullopt,
                                         [&] { return screenY; });
        if (op[0] == 'u') ReorderMouseUp(state);
        if (op[0] == 'r') list.remove(n);
    }
    for (std::size_t i = 1; i <= list.count(); ++i) out.texts += list.text(i);
    if (const auto selected = list.selected()) out.selected = *list.position(*selected);
    return out;
}

TEST(Reorder, ThePressedPathTravelsByExchanges) {
    struct Case {
        std::string start, script, end;
        std::size_t selected;
    };
    const Case cases[] = {{"ABC", "p1 m1 m2", "BAC", 2},  // slow drag, one line
                          {"ABC", "p1 m2 m3", "BCA", 3},  // each passed line shifts by one
                          {"ABCD", "p1 m4", "DBCA", 4},   // a jump leaves the lines between
                          {"ABA", "p1 m2 m3", "BAA", 2},  // equal texts never exchange
                          {"ABC", "p1 m0 m3", "CBA", 3},  // off the entries, then back
                          {"ABC", "p1 u m2", "ABC", 1},   // nothing moves after the button-up
                          {"ABC", "p3 u p0 m3 m2 m1", "CAB", 1},  // an empty-area press carries on
                          {"ABC", "p2 u r2 p0 m1 m2", "AC", 0}};  // a removed dragged entry is none
    for (const Case& c : cases) {
        const Outcome o = Drag(c.start, c.script);
        EXPECT_EQ(o.texts, c.end) << c.script;
        EXPECT_EQ(o.selected, c.selected) << c.script;
    }
}

TEST(Reorder, ScrollsOnlyAfterAnExchangeAndOnlyPastTheScreenThresholds) {
    const std::tuple<std::string, int, std::optional<std::size_t>> cases[] = {
        {"p1 m4", 304, 3},         {"p1 m4", 305, std::nullopt}, {"p1 m4", 364, std::nullopt},
        {"p1 m4", 365, 5},         {"p5 m1", 0, std::nullopt},   {"p5 m10", 2000, std::nullopt},
        {"p5 m5", 0, std::nullopt}};  // no exchange, no scrolling
    for (const auto& [script, y, shown] : cases)
        EXPECT_EQ(Drag("0123456789", script, y).shown, shown) << script << " y " << y;
}

}  // namespace
}  // namespace vx
