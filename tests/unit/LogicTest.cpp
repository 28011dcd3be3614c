// The logic the window and its conversion run share on Linux and Windows, against fakes.
#include <gtest/gtest.h>

#include "app/window/FormLogic.h"
#include "convert/RunConversion.h"
#include "convert/Wordpad.h"
#include "support/Fakes.h"

using namespace vx;

namespace {

using Opt = std::optional<std::string>;

struct Session {
    test::FakePlatform p;
    FileList list;
    ConversionGuard guard{&p.record};
    std::vector<int> pointers;
    std::string programFolder;
    char separator = '\\';

    explicit Session(const std::vector<std::string>& entries = {"/a", "/b"}) {
        for (const auto& e : entries) list.append(e);
    }
    void press() {
        RunConversion(ConversionContext{list, p.printers, p.registry, p.launcher, p.ui, guard,
                                        [this](int v) { pointers.push_back(v); }, programFolder,
                                        separator});
    }
    std::string told() const {  // the boxes, one a line
        std::string all;
        for (const auto& b : p.ui.boxes) all += b.text + "\n";
        return all;
    }
    std::string started() const {  // the commands as "program|arg|arg"
        std::string s;
        for (const auto& c : p.launcher.started) {
            s += c.program;
            for (const auto& a : c.args) s += "|" + a;
        }
        return s;
    }
};

TEST(RunConversion, StartsEachEntryUnchangedInOrderWithItsOwnLookup) {
    Session r({"/d/a \"b\".txt", "/d/b c.txt"});
    r.p.registry.values[kWordpadServerKey] = "\"/opt/my wp/tp\" -q ";
    r.p.ui.onBox = [&](const test::Box&) { r.p.registry.values[kWordpadServerKey] = "/new/wp"; };
    r.press();
    EXPECT_EQ(r.started(), "/opt/my wp/tp|-q|/p|/d/a \"b\".txt/new/wp|/p|/d/b c.txt");
    EXPECT_EQ(r.told(), "Done.\nDone.\n");
}

TEST(RunConversion, WithoutARegisteredWordProcessorOurOwnBesideTheProgramPrintsYetAKeyWins) {
    const std::string own = kOwnWordProcessor;
    // the key, the program's folder and separator, what started ("": nothing could)
    const std::vector<std::tuple<Opt, std::string, char, std::string>> cases = {
        {"\"C:\\WP\\wp.exe\" -q", "C:\\Vx", '\\', "C:\\WP\\wp.exe|-q|/p|/a"},
        {std::nullopt, "C:\\Program Files\\Vellumax", '\\',
         "C:\\Program Files\\Vellumax\\" + own + "|/p|/a"},
        {"", "D:\\", '\\', "D:\\" + own + "|/p|/a"},
        {" \t", "/opt/vx", '/', "/opt/vx/" + own + "|/p|/a"},
        {std::string("\0old", 4), "C:\\Vx", '\\', "C:\\Vx\\" + own + "|/p|/a"},
        {std::nullopt, "", '\\', ""},
    };
    for (const auto& [key, folder, separator, started] : cases) {
        Session r({"/a"});
        r.programFolder = folder;
        r.separator = separator;
        r.p.registry.values.erase(kWordpadServerKey);
        if (key) r.p.registry.values[kWordpadServerKey] = *key;
        r.press();
        EXPECT_EQ(r.started(), started) << folder;
        EXPECT_NE(r.told().find(started.empty() ? "could not be started" : "Done.\n"),
                  std::string::npos)
            << folder;
    }
}

TEST(RunConversion, EndsWholeAndPutsTheUsersOwnSettingBackExactlyWhateverHappens) {
    using Plant = std::function<void(test::FakePrinters&, Session&)>;
    // what goes wrong, what is told, how many entries started, the setting after
    const std::vector<std::tuple<Plant, std::string, std::size_t, Opt>> cases = {
        {[](auto&, auto& r) { r.list.remove(2), r.list.remove(1); }, "No files added.", 0,
         "Office"},
        // The end is taken once: entries added during the run wait, removals end it earlier.
        {[](auto&, auto& r) {
             r.p.ui.onYield = [&r] {
                 if (r.list.count() < 4) r.list.append("/new");
             };
         },
         "Done.", 2, "Office"},
        {[](auto&, auto& r) {
             r.list.append("/c"), r.list.append("/d");
             r.p.ui.onBox = [&r](auto&) { r.list.remove(r.list.count() == 4 ? 4 : 1); };
         },
         "Done.", 2, "Office"},
        {[](auto&, auto& r) {  // beyond a 16-bit counter
             for (int i = 0; i < 39998; ++i) r.list.append("/f");
         },
         "Done.", 40000, "Office"},
        // The server's default is not pinned as the user's; a failed read is told in four lines.
        {[](auto& p, auto&) { p.userDefault.reset(), p.serverDefault = "Office"; }, "Done.", 2,
         std::nullopt},
        {[](auto& p, auto&) { p.readFailure = PlatformError(-2147352567, "Not here."); },
         "Error No: -2147352567\r\nNot here.\r\nHas occured in modPrinters.GetDefaultPrinter\r\n"
         "Please contact Technical Support\n",
         2, "Office"},
        {[](auto& p, auto&) { p.installed.erase("PDF_Printer"); }, "the README", 0, "Office"},
        {[](auto&, auto& r) {  // a nested run finds "PDF_Printer"; closing then ends both
             r.p.ui.onYield = [&r] {
                 if (r.p.ui.yields == 1) r.press();
                 if (r.p.ui.yields == 2) r.guard.restoreOnExit(r.p.printers);
             };
         },
         "Done.", 4, "Office"},
        {[](auto&, auto& r) { r.p.launcher.missingPrograms = {"/opt/wp/textprint"}; },
         "could not be started", 0, "Office"},
        {[](auto&, auto& r) {
             r.p.launcher.onStart = [](const CommandLine&) { throw std::runtime_error("boom"); };
         },
         "failed: boom", 1, "Office"},
        {[](auto&, auto& r) { r.p.record.full = true; }, "Disk full", 0, "Office"},
        {[](auto&, auto& r) { r.p.record.heldElsewhere = true; }, "window is converting", 0,
         "Office"},
        // A record kept by a put-back that failed holds the setting, not what it left set.
        {[](auto& p, auto& r) { p.userDefault = "PDF_Printer", r.p.record.text = "Office\n"; },
         "Done.", 2, "Office"},
        // Not put back: the record stays for the next start.
        {[](auto& p, auto&) { p.installed.erase("Office"); }, "could not be set back", 2,
         "PDF_Printer"},
    };
    for (const auto& [plant, told, started, after] : cases) {
        Session r;
        plant(r.p.printers, r);
        r.press();
        EXPECT_EQ(r.p.launcher.started.size(), started) << told;
        EXPECT_NE(r.told().find(told), std::string::npos) << r.told();
        // A run that goes well says "Done." once for each entry, and nothing else.
        EXPECT_TRUE(told != "Done." || r.p.ui.boxes.size() == started) << r.told();
        EXPECT_EQ(r.pointers.back(), 0) << told;
        EXPECT_EQ(r.p.printers.userDefault, after) << told;
        EXPECT_EQ(r.p.record.text.has_value(), told == "could not be set back") << told;
        EXPECT_FALSE(r.p.record.claimed) << told;  // a later start may put back
    }
}

TEST(PutBackUnfinishedRun, ARecordLeftBehindPutsTheSettingBackAndTellsOnce) {
    // the record, the setting after, what is told ("" nothing), held by a run still going
    const std::vector<std::tuple<Opt, Opt, std::string, bool>> cases = {
        {std::nullopt, "PDF_Printer", "", false},
        {"Gone\n", "PDF_Printer", "could not be put back", false},
        {"Office", "PDF_Printer", "damaged", false},
        {"Office\n", "PDF_Printer", "", true},
    };
    for (const auto& [record, after, told, held] : cases) {
        test::FakePlatform p;
        p.printers.userDefault = "PDF_Printer";
        p.record.text = record;
        p.record.heldElsewhere = held;
        PutBackUnfinishedRun(p.printers, p.record, p.ui);
        EXPECT_EQ(p.printers.userDefault, after);
        EXPECT_EQ(p.record.text.has_value(), told == "could not be put back" || held);
        EXPECT_FALSE(p.record.claimed);
        ASSERT_EQ(p.ui.boxes.size(), told.empty() ? 0u : 1u);
        EXPECT_TRUE(told.empty() || p.ui.boxes[0].text.find(told) != std::string::npos);
    }
}

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
