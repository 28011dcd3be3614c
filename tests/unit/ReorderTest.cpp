#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

#include "filelist/Reorder.h"

namespace vx {
namespace {

// Runs "p1 m2 u r3": press entry 1 (p0: below the entries), move over entry 2 (m0: none), button
// up, remove entry 3. Gives the texts, the selected one in lower case, and what came into view.
std::pair<std::string, std::optional<std::size_t>> Drag(const std::string& letters,
                                                        const std::string& script,
                                                        int screenY = 330) {
    FileList list;
    DragState state;
    std::optional<std::size_t> shown;
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
            shown = ReorderMouseMove(state, list, n ? std::optional(n) : std::nullopt,
                                     [&] { return screenY; });
        if (op[0] == 'u') ReorderMouseUp(state);
        if (op[0] == 'r') list.remove(n);
    }
    std::string texts;
    for (std::size_t i = 1; i <= list.count(); ++i)
        texts +=
            list.selected() == list.at(i) ? char(std::tolower(list.text(i)[0])) : list.text(i)[0];
    return {texts, shown};
}

TEST(Reorder, ThePressedPathTravelsByExchanges) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"ABC", "p1 m1 m2", "BaC"},          // slow drag, one line
        {"ABC", "p1 m2 m3", "BCa"},          // each passed line shifts by one
        {"ABCD", "p1 m4", "DBCa"},           // a jump leaves the lines between
        {"ABA", "p1 m2 m3", "BaA"},          // equal texts never exchange
        {"ABC", "p1 m0 m3", "CBa"},          // off the entries, then back
        {"ABC", "p1 u m2", "aBC"},           // nothing moves after the button-up
        {"ABC", "p3 u p0 m3 m2 m1", "cAB"},  // an empty-area press carries on
        {"ABC", "p2 u r2 p0 m1 m2", "AC"}};  // a removed dragged entry is none
    for (const auto& [start, script, end] : cases)
        EXPECT_EQ(Drag(start, script).first, end) << script;
}

TEST(Reorder, ScrollsOnlyAfterAnExchangeAndOnlyPastTheScreenThresholds) {
    const std::tuple<std::string, int, std::optional<std::size_t>> cases[] = {
        {"p1 m4", 304, 3},         {"p1 m4", 305, std::nullopt}, {"p1 m4", 364, std::nullopt},
        {"p1 m4", 365, 5},         {"p5 m1", 0, std::nullopt},   {"p5 m10", 2000, std::nullopt},
        {"p5 m5", 0, std::nullopt}};  // no exchange, no scrolling
    for (const auto& [script, y, shown] : cases)
        EXPECT_EQ(Drag("0123456789", script, y).second, shown) << script << " y " << y;
}

}  // namespace
}  // namespace vx
