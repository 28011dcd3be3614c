#include <gtest/gtest.h>

#include "app/window/FormLogic.h"
#include "support/Fakes.h"

namespace vx {
namespace {

// What a window was told to show; the rest of the window is driven in the GUI test.
struct RecordingView : FormView {
    std::vector<int> pointers;
    void showPointer(int setting) override { pointers.push_back(setting); }
    void setListPicturePointer(const std::string&) override {}
    void setListArrowPointer() override {}
    void ensureVisible(std::size_t) override {}
};

struct Logic {
    test::FakePlatform p{"/opt/vellumax"};
    RecordingView view;
    FormLogic logic{p.platform, view};
};

TEST(FormLogic, TheHandAndTheDefaultNeverReplaceTheHourglass) {
    enum Move { Button, Background, List };
    const std::tuple<int, Move, int> cases[] = {
        {0, Button, 99}, {99, Button, 99}, {99, Background, 0},  {0, Background, 0},
        {99, List, 0},   {11, Button, 11}, {11, Background, 11}, {11, List, 11}};
    for (const auto& [before, move, after] : cases) {
        Logic l;
        l.logic.setPointer(before);
        l.view.pointers.clear();
        if (move == Button) l.logic.buttonMoved();
        if (move == Background) l.logic.backgroundMoved();
        if (move == List) l.logic.listMoved(std::nullopt);
        EXPECT_EQ(l.logic.pointer(), after) << before << " " << move;
        // Every move that may set the pointer sets it, also to the value it has.
        EXPECT_EQ(l.view.pointers, before == 11 ? std::vector<int>{} : std::vector{after});
    }
}

TEST(FormLogic, StartUpDrawsTheHomePageOnSevenAndCentresWithFractions) {
    std::string opened;
    for (const double r : {0.06, 0.0699, 0.05999, 0.07, 0.0, 0.9999}) {
        Logic l;
        l.p.random = r;
        EXPECT_EQ(l.logic.startUp(), std::nullopt);  // no hand cursor in that folder
        opened += std::to_string(l.p.launcher.urls.size());
    }
    EXPECT_EQ(opened, "110000");
    Logic l;
    l.p.ui.screen = {1921, 1080};
    const TwipPoint at = l.logic.centre({442, 231});
    EXPECT_DOUBLE_EQ(at.left, 11092.5);
    EXPECT_DOUBLE_EQ(at.top, 6367.5);
}

}  // namespace
}  // namespace vx
