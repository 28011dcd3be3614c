#include <gtest/gtest.h>

#include "app/window/FormLogic.h"
#include "support/Fakes.h"

namespace vx {
namespace {

// What a window was told to show.
struct RecordingView : FormView {
    std::vector<int> pointers;
    std::vector<std::string> listPictures;
    int arrows = 0;
    std::vector<std::size_t> shown;
    void showPointer(int setting) override { pointers.push_back(setting); }
    void setListPicturePointer(const std::string& file) override { listPictures.push_back(file); }
    void setListArrowPointer() override { ++arrows; }
    void ensureVisible(std::size_t position) override { shown.push_back(position); }
};

struct Logic {
    test::FakePlatform p{"/opt/vellumax"};
    RecordingView view;
    FormLogic logic{p.platform, view};
};

TEST(FormLogic, TheHandAndTheDefaultNeverReplaceTheHourglass) {
    enum Move { Button, Background, List };
    const struct {
        int before;
        Move move;
        int after;
    } cases[] = {{0, Button, 99}, {99, Button, 99}, {99, Background, 0},  {0, Background, 0},
                 {99, List, 0},   {11, Button, 11}, {11, Background, 11}, {11, List, 11}};
    for (const auto& c : cases) {
        Logic l;
        l.logic.setPointer(c.before);
        l.view.pointers.clear();
        if (c.move == Button) l.logic.buttonMoved();
        if (c.move == Background) l.logic.backgroundMoved();
        if (c.move == List) l.logic.listMoved(std::nullopt);
        EXPECT_EQ(l.logic.pointer(), c.after) << c.before << " " << c.move;
        // Every move that may set the pointer sets it, also to the value it has.
        EXPECT_EQ(l.view.pointers, c.before == 11 ? std::vector<int>{} : std::vector{c.after});
    }
}

TEST(FormLogic, APressIsReleasedBeforeItsCommandRunsOnce) {
    Logic l;
    bool released = false;
    std::vector<bool> releasedAtDialog;
    l.p.ui.onDialog = [&] { releasedAtDialog.push_back(released); };
    auto release = [&] { released = true; };
    l.logic.buttonClicked(FormLogic::Command::AddPickedFiles, false, release);
    EXPECT_TRUE(releasedAtDialog.empty());
    EXPECT_FALSE(released);
    l.logic.buttonClicked(FormLogic::Command::AddPickedFiles, true, release);
    EXPECT_EQ(releasedAtDialog, std::vector<bool>{true});
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

TEST(FormLogic, TheListIsEditedByDoubleClickDragAndDrop) {
    Logic l;
    l.logic.filesDropped({"A", "B", "C"});
    l.logic.listDoubleClicked();  // nothing selected: nothing happens
    EXPECT_EQ(l.logic.list().count(), 3u);

    l.p.ui.pointer = {0, 400};  // below the band: the next entry comes into view
    l.logic.listItemClicked(1);
    l.logic.listPressed();
    l.logic.listMoved(2);
    EXPECT_EQ(l.logic.list().text(1), "B");
    EXPECT_EQ(l.logic.list().text(2), "A");
    EXPECT_EQ(l.view.shown, std::vector<std::size_t>{3});
    EXPECT_EQ(l.view.listPictures, std::vector<std::string>{"/opt/vellumax/drag.ico"});
    l.logic.listReleased();
    l.logic.listMoved(3);  // the button is up
    EXPECT_EQ(l.logic.list().text(3), "C");
    EXPECT_EQ(l.view.arrows, 1);

    l.logic.listDoubleClicked();  // removes the entry the drag left selected, "A"
    ASSERT_EQ(l.logic.list().count(), 2u);
    EXPECT_EQ(l.logic.list().text(1), "B");
    EXPECT_EQ(l.logic.list().text(2), "C");
}

TEST(FormLogic, EndingMidRunPutsTheUsersPrinterBack) {
    Logic l;
    l.logic.filesDropped({"a.txt", "b.txt"});
    // The program ends at the first "Done.": nothing of the run goes on after that.
    std::optional<std::string> duringRun, afterEnding, recordAfterEnding;
    l.p.ui.onBox = [&](const test::Box& box) {
        if (box.text != "Done." || duringRun) return;
        duringRun = l.p.printers.userDefault;
        l.logic.ending();
        afterEnding = l.p.printers.userDefault;
        recordAfterEnding = l.p.record.text;
    };
    l.logic.run(FormLogic::Command::RunConversion);
    EXPECT_EQ(duringRun, "PDF_Printer");
    EXPECT_EQ(afterEnding, "Office");
    EXPECT_EQ(recordAfterEnding, std::nullopt);
}

}  // namespace
}  // namespace vx
