#include <gtest/gtest.h>

#include "convert/GetSetPrinter.h"
#include "convert/RunConversion.h"
#include "support/Fakes.h"

namespace vx {
namespace {

struct Session {
    test::FakePlatform p;
    FileList list;
    ConversionGuard guard{&p.record};
    std::vector<int> pointers;

    explicit Session(const std::vector<std::string>& entries = {"/a", "/b"}) {
        for (const auto& e : entries) list.append(e);
    }
    void press() {
        RunConversion(ConversionContext{list, p.printers, p.registry, p.launcher, p.ui, guard,
                                        [this](int v) { pointers.push_back(v); }});
    }
    std::vector<std::string> started() const {
        std::vector<std::string> out;
        for (const auto& c : p.launcher.started) out.push_back(c.args.back());
        return out;
    }
    std::string lastBox() const { return p.ui.boxes.empty() ? "" : p.ui.boxes.back().text; }
};

TEST(CommandLine, TheStoredValueIsSplitAsWindowsDoesAndTheEntryIsOneArgument) {
    const CommandLine c = BuildCommandLine("\"/opt/my wp/tp\" -q ", "/d/a \"b\".txt");
    EXPECT_EQ(c.text, "\"/opt/my wp/tp\" -q  /p \"/d/a \"b\".txt\"");
    EXPECT_EQ(c.program, "/opt/my wp/tp");
    EXPECT_EQ(c.args, (std::vector<std::string>{"-q", "/p", "/d/a \"b\".txt"}));
}

TEST(RunConversion, EachEntryInOrderOnPdfPrinterWithItsOwnLookupAndTheSettingRecorded) {
    Session r({"/d/a.txt", "/d/b c.txt", "/d/c.txt"});
    std::vector<std::string> during;
    r.p.launcher.onStart = [&](const CommandLine& c) {
        during.push_back(c.program + "|" + *r.p.printers.userDefault + "|" + *r.p.record.text);
    };
    r.p.ui.onBox = [&](const test::Box&) {
        r.p.registry.values["Wordpad.Document.1\\Protocol\\StdFileEditing\\Server"] = "/new/wp";
    };
    r.press();
    EXPECT_EQ(r.started(), (std::vector<std::string>{"/d/a.txt", "/d/b c.txt", "/d/c.txt"}));
    EXPECT_EQ(during, (std::vector<std::string>{"/opt/wp/textprint|PDF_Printer|Office\n",
                                                "/new/wp|PDF_Printer|Office\n",
                                                "/new/wp|PDF_Printer|Office\n"}));
    EXPECT_EQ(r.p.ui.boxes.size(), 3u);
    EXPECT_EQ(r.lastBox(), "Done.");
    EXPECT_EQ(r.p.printers.setCalls, (std::vector<std::string>{"PDF Printer", "Office"}));
    EXPECT_FALSE(r.p.record.text) << "the record goes once the setting is back";
    EXPECT_EQ(r.pointers.back(), 0);
}

TEST(RunConversion, TheBoundIsTakenOnceRemovalsEndTheRunAtTheNewEndAndLongListsEndWhole) {
    Session grow;
    grow.p.ui.onYield = [&] { grow.list.append("/added"); };
    grow.press();
    EXPECT_EQ(grow.started(), (std::vector<std::string>{"/a", "/b"}));

    Session shrink({"/a", "/b", "/c", "/d"});
    shrink.p.ui.onBox = [&](const test::Box&) {
        shrink.list.remove(shrink.list.count() == 4 ? 4 : 1);
    };
    shrink.press();
    EXPECT_EQ(shrink.started(), (std::vector<std::string>{"/a", "/b"}));

    Session big(std::vector<std::string>(40000, "/f"));  // beyond a 16-bit counter
    big.press();
    EXPECT_EQ(big.p.launcher.started.size(), 40000u);
}

TEST(RunConversion, TheUsersOwnSettingIsPutBackExactlyWhateverHappens) {
    struct Case {
        std::function<void(test::FakePrinters&, Session&)> plant;
        std::string told;  // in the last box
        std::size_t started;
        std::optional<std::string> after;
    };
    const std::vector<Case> cases = {
        {[](auto&, auto& r) { r.list.remove(2), r.list.remove(1); }, "No files added.", 0,
         "Office"},
        {[](auto& p, auto&) { p.userDefault = "Office/draft"; }, "Done.", 2, "Office/draft"},
        {[](auto& p, auto&) { p.userDefault = "PDF_Printer"; }, "Done.", 2, "PDF_Printer"},
        {[](auto& p, auto&) { p.userDefault.reset(); }, "Done.", 2, std::nullopt},
        {[](auto& p, auto&) {  // the server's default is not pinned as the user's
             p.userDefault.reset();
             p.serverDefault = "Office";
         },
         "Done.", 2, std::nullopt},
        {[](auto& p, auto&) { p.installed.erase("PDF_Printer"); }, "the README", 0, "Office"},
        {[](auto&, auto& r) {  // a nested run finds "PDF_Printer"; closing then ends both
             r.p.ui.onYield = [&r] {
                 if (r.p.ui.yields == 1) r.press();
                 if (r.p.ui.yields == 2) r.guard.restoreOnExit(r.p.printers);
             };
         },
         "Done.", 4, "Office"},
        {[](auto&, auto& r) { r.p.registry.values.clear(); }, "could not be started", 0, "Office"},
        {[](auto&, auto& r) { r.p.launcher.missingPrograms = {"/opt/wp/textprint"}; },
         "could not be started", 0, "Office"},
        {[](auto&, auto& r) {
             r.p.launcher.onStart = [](const CommandLine&) { throw std::runtime_error("boom"); };
         },
         "failed: boom", 1, "Office"},
        {[](auto&, auto& r) { r.p.record.full = true; }, "Disk full", 0, "Office"},
        // Not put back: the record stays for the next start.
        {[](auto& p, auto&) { p.installed.erase("Office"); }, "could not be set back", 2,
         "PDF_Printer"},
    };
    for (const Case& c : cases) {
        Session r;
        c.plant(r.p.printers, r);
        r.press();
        EXPECT_EQ(r.p.launcher.started.size(), c.started) << c.told;
        EXPECT_NE(r.lastBox().find(c.told), std::string::npos) << r.lastBox();
        EXPECT_EQ(r.pointers.back(), 0) << c.told;
        EXPECT_EQ(r.p.printers.userDefault, c.after) << c.told;
        EXPECT_EQ(r.p.record.text.has_value(), c.told == "could not be set back") << c.told;
    }
}

TEST(PutBackUnfinishedRun, ARecordLeftBehindPutsTheSettingBackAndTellsOnce) {
    // the record, the setting after, what is told ("" nothing)
    const std::vector<
        std::tuple<std::optional<std::string>, std::optional<std::string>, std::string>>
        cases = {
            {std::nullopt, "PDF_Printer", ""},
            {"Office/draft\n", "Office/draft", "\"Office/draft\", has been put back"},
            {"\n", std::nullopt, "no default printer of your own"},
            {"Gone\n", "PDF_Printer", "could not be put back"},
            {"Office", "PDF_Printer", "damaged"},
        };
    for (const auto& [record, after, told] : cases) {
        test::FakePlatform p;
        p.printers.userDefault = "PDF_Printer";
        p.record.text = record;
        PutBackUnfinishedRun(p.printers, p.record, p.ui);
        EXPECT_EQ(p.printers.userDefault, after);
        EXPECT_FALSE(p.record.text);
        ASSERT_EQ(p.ui.boxes.size(), told.empty() ? 0u : 1u);
        EXPECT_TRUE(told.empty() || p.ui.boxes[0].text.find(told) != std::string::npos);
    }
}

TEST(GetDefaultPrinter, ReportsAFailureInFourExactLinesAndReturnsEmpty) {
    test::FakePlatform p;
    p.printers.readFailure = PlatformError(-2147352567, "The printer is not available.");
    EXPECT_EQ(GetDefaultPrinter(p.printers, p.ui), "");
    ASSERT_EQ(p.ui.boxes.size(), 1u);
    EXPECT_EQ(p.ui.boxes[0].text,
              "Error No: -2147352567\r\nThe printer is not available.\r\n"
              "Has occured in modPrinters.GetDefaultPrinter\r\nPlease contact Technical Support");
    EXPECT_EQ(p.ui.boxes[0].icon, BoxIcon::Critical);
    EXPECT_EQ(p.ui.boxes[0].caption, "Vellumax");
}

}  // namespace
}  // namespace vx
