#include <gtest/gtest.h>

#include "convert/GetSetPrinter.h"
#include "convert/RunConversion.h"
#include "support/Fakes.h"

namespace vx {
namespace {

constexpr const char* kServerKey = "Wordpad.Document.1\\Protocol\\StdFileEditing\\Server";

struct Session {
    test::FakePlatform p;
    FileList list;
    ConversionGuard guard{&p.record};
    std::vector<int> pointers;

    explicit Session(std::vector<std::string> entries = {}) {
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
    std::vector<std::string> boxes() const {
        std::vector<std::string> out;
        for (const auto& b : p.ui.boxes) out.push_back(b.text);
        return out;
    }
};

TEST(CommandLine, TheStoredValueIsSplitAsWindowsDoesAndTheEntryIsOneArgument) {
    const CommandLine c = BuildCommandLine("\"/opt/my wp/tp\" -q ", "/d/a \"b\".txt");
    EXPECT_EQ(c.text, "\"/opt/my wp/tp\" -q  /p \"/d/a \"b\".txt\"");
    EXPECT_EQ(c.program, "/opt/my wp/tp");
    EXPECT_EQ(c.args, (std::vector<std::string>{"-q", "/p", "/d/a \"b\".txt"}));
    EXPECT_EQ(BuildCommandLine("", "a").text, " /p \"a\"");
}

TEST(RunConversion, AnEmptyListOnlySaysSoAndTouchesNoPrinter) {
    Session r;
    r.press();
    EXPECT_EQ(r.boxes(), std::vector<std::string>{"No files added."});
    EXPECT_EQ(r.pointers, (std::vector<int>{11, 0}));
    EXPECT_TRUE(r.p.printers.setCalls.empty());
}

TEST(RunConversion, EachEntryInOrderOnPdfPrinterWithItsOwnLookupAndTheSettingRecorded) {
    Session r({"/d/a.txt", "/d/with space.txt", "/d/c.txt"});
    std::vector<std::string> during;
    r.p.launcher.onStart = [&](const CommandLine&) {
        during.push_back(*r.p.printers.userDefault + "|" + r.p.record.text.value_or("none"));
    };
    r.p.ui.onBox = [&](const test::Box&) { r.p.registry.values[kServerKey] = "/new/wp"; };
    r.press();
    EXPECT_EQ(r.started(), (std::vector<std::string>{"/d/a.txt", "/d/with space.txt", "/d/c.txt"}));
    EXPECT_EQ(r.p.launcher.started[0].program, "/opt/wp/textprint");
    EXPECT_EQ(r.p.launcher.started[1].program, "/new/wp") << "the value is read per entry";
    EXPECT_EQ(r.boxes(), (std::vector<std::string>{"Done.", "Done.", "Done."}));
    EXPECT_EQ(during, (std::vector<std::string>(3, "PDF_Printer|Office\n")));
    EXPECT_EQ(r.p.printers.setCalls, (std::vector<std::string>{"PDF Printer", "Office"}));
    EXPECT_FALSE(r.p.record.text) << "the record goes once the setting is back";
    EXPECT_EQ(r.pointers.back(), 0);
    EXPECT_EQ(r.list.count(), 3u);
}

TEST(RunConversion, TheUsersOwnSettingIsPutBackExactly) {
    struct Case {
        std::optional<std::string> own;
        std::string server;
        std::vector<std::string> boxes;
    };
    const std::vector<Case> cases = {
        {"Office/draft", "", {"Done."}},
        {std::nullopt, "Office", {"Done."}},  // the server's default is not pinned
        {std::nullopt, "", {"Error No: 1030", "Done."}},
        {"PDF_Printer", "", {"Done."}},
    };
    for (const Case& c : cases) {
        Session r({"/a"});
        r.p.printers.userDefault = c.own;
        r.p.printers.serverDefault = c.server;
        r.press();
        EXPECT_EQ(r.p.printers.userDefault, c.own) << c.server;
        ASSERT_EQ(r.boxes().size(), c.boxes.size());
        for (std::size_t i = 0; i < c.boxes.size(); ++i)
            EXPECT_EQ(r.boxes()[i].rfind(c.boxes[i], 0), 0u) << r.boxes()[i];
    }
}

TEST(RunConversion, TheBoundIsTakenOnceAndRemovalsEndTheRunAtTheNewEnd) {
    Session grow({"/a", "/b"});
    grow.p.ui.onYield = [&] { grow.list.append("/added"); };
    grow.press();
    EXPECT_EQ(grow.started(), (std::vector<std::string>{"/a", "/b"}));

    Session shrink({"/a", "/b", "/c", "/d"});
    shrink.p.ui.onBox = [&](const test::Box&) {
        if (shrink.list.count() == 4) {
            shrink.list.remove(4);
            shrink.list.remove(1);
        }
    };
    shrink.press();
    EXPECT_EQ(shrink.started(), (std::vector<std::string>{"/a", "/c"}));
}

TEST(RunConversion, NestedRunsAndClosingMidRunPutTheOutermostSettingBack) {
    for (const bool close : {false, true}) {
        Session r({"/a", "/b"});
        int yields = 0;
        r.p.ui.onYield = [&] {
            if (++yields == 1) r.press();  // nested: it finds "PDF_Printer"
            if (yields == 2 && close) r.guard.restoreOnExit(r.p.printers);
        };
        r.press();
        EXPECT_EQ(r.p.printers.userDefault, "Office");
        EXPECT_FALSE(r.p.record.text);
        EXPECT_EQ(r.started().size(), 4u);
    }
}

TEST(RunConversion, EveryFailurePutsTheSettingBackAndIsTold) {
    struct Case {
        const char* name;
        std::function<void(Session&)> plant;
        const char* told;
        std::size_t started;
    };
    const std::vector<Case> cases = {
        {"no PDF Printer", [](Session& r) { r.p.printers.installed.erase("PDF_Printer"); },
         "(the set-up in the README", 0},
        {"no registry value", [](Session& r) { r.p.registry.values.clear(); },
         "could not be started", 0},
        {"word processor missing",
         [](Session& r) { r.p.launcher.missingPrograms = {"/opt/wp/textprint"}; },
         "could not be started", 0},
        {"an exception inside the run",
         [](Session& r) {
             r.p.launcher.onStart = [](const CommandLine&) { throw std::runtime_error("boom"); };
         },
         "failed: boom", 1},
        {"a failed put-back", [](Session& r) { r.p.printers.refuse = {"Office"}; },
         "could not be set back", 2},
        {"the record cannot be written", [](Session& r) { r.p.record.full = true; },
         "No space left on device", 0},
    };
    for (const Case& c : cases) {
        Session r({"/a", "/b"});
        c.plant(r);
        r.press();
        EXPECT_EQ(r.p.launcher.started.size(), c.started) << c.name;
        EXPECT_NE(r.boxes().back().find(c.told), std::string::npos) << c.name;
        EXPECT_NE(r.p.ui.boxes.back().icon, BoxIcon::None) << c.name;
        EXPECT_EQ(r.pointers.back(), 0) << c.name;
        EXPECT_FALSE(r.guard.running()) << c.name;
        if (r.p.printers.refuse.empty()) {
            EXPECT_EQ(r.p.printers.userDefault, "Office") << c.name;
            EXPECT_FALSE(r.p.record.text) << c.name;
        } else {
            EXPECT_EQ(r.p.record.text, "Office\n") << "kept for the next start";
        }
    }
}

TEST(PutBackUnfinishedRun, ARecordLeftBehindPutsTheSettingBackAndTellsOnce) {
    struct Case {
        std::optional<std::string> record;
        std::optional<std::string> after;
        const char* told;  // nullptr: nothing to tell
    };
    const std::vector<Case> cases = {
        {std::nullopt, "PDF_Printer", nullptr},
        {"Office/draft\n", "Office/draft", "\"Office/draft\", has been put back"},
        {"\n", std::nullopt, "no default printer of your own"},
        {"Gone\n", "PDF_Printer", "could not be put back"},
        {"Office", "PDF_Printer", "damaged"},
    };
    for (const Case& c : cases) {
        test::FakePlatform p;
        p.printers.userDefault = "PDF_Printer";
        p.record.text = c.record;
        PutBackUnfinishedRun(p.printers, p.record, p.ui);
        EXPECT_EQ(p.printers.userDefault, c.after);
        EXPECT_FALSE(p.record.text);
        ASSERT_EQ(p.ui.boxes.size(), c.told ? 1u : 0u);
        EXPECT_TRUE(!c.told || p.ui.boxes[0].text.find(c.told) != std::string::npos);
    }
}

TEST(RunConversion, ListsLongerThan32766EntriesAreConvertedCompletely) {
    Session r;
    for (int i = 0; i < 40000; ++i) r.list.append("/f" + std::to_string(i));
    r.press();
    ASSERT_EQ(r.p.launcher.started.size(), 40000u);
    EXPECT_EQ(r.p.launcher.started.back().args[1], "/f39999");
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
