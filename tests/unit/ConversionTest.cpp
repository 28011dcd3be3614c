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
    ConversionGuard guard;
    std::vector<int> pointers;

    void press() {
        RunConversion(ConversionContext{list, p.printers, p.registry, p.launcher, p.ui, guard,
                                        [this](int v) { pointers.push_back(v); }});
    }
    std::vector<std::string> startedEntries() const {
        std::vector<std::string> out;
        for (const auto& c : p.launcher.started) out.push_back(c.args.at(1));
        return out;
    }
    std::vector<std::string> boxTexts() const {
        std::vector<std::string> out;
        for (const auto& b : p.ui.boxes) out.push_back(b.text);
        return out;
    }
};

TEST(CommandLine, IsThePathThenSlashPThenTheQuotedEntryUnchanged) {
    const CommandLine c = BuildCommandLine("C:\\Windows\\write.exe", "C:\\My Docs\\a b.txt");
    EXPECT_EQ(c.text, "C:\\Windows\\write.exe /p \"C:\\My Docs\\a b.txt\"");
    EXPECT_EQ(c.program, "C:\\Windows\\write.exe");
    EXPECT_EQ(c.args, (std::vector<std::string>{"/p", "C:\\My Docs\\a b.txt"}));
    EXPECT_EQ(BuildCommandLine("\"wp\"", "say \"hi\".txt").text, "\"wp\" /p \"say \"hi\".txt\"");
    EXPECT_EQ(BuildCommandLine("", "a").text, " /p \"a\"");
}

TEST(RunConversion, AnEmptyListOnlySaysSoAndTouchesNoPrinter) {
    Session r;
    r.press();
    EXPECT_EQ(r.boxTexts(), std::vector<std::string>{"No files added."});
    EXPECT_EQ(r.p.ui.boxes[0].icon, BoxIcon::None);
    EXPECT_EQ(r.p.ui.boxes[0].caption, "Vellumax");
    EXPECT_EQ(r.pointers, (std::vector<int>{11, 0}));
    EXPECT_TRUE(r.p.printers.setCalls.empty());
    EXPECT_TRUE(r.p.launcher.started.empty());
}

TEST(RunConversion, ThreeEntriesInOrderEachWithItsOwnLookupAndDoneBox) {
    Session r;
    for (const char* e : {"/d/a.txt", "/d/with space.txt", "/d/q\"uote.txt"}) r.list.append(e);
    std::vector<std::string> defaultAtStart;
    r.p.launcher.onStart = [&](const CommandLine&) {
        defaultAtStart.push_back(*r.p.printers.userDefault);
        EXPECT_EQ(r.pointers.back(), 11);
    };
    r.press();
    EXPECT_EQ(r.startedEntries(),
              (std::vector<std::string>{"/d/a.txt", "/d/with space.txt", "/d/q\"uote.txt"}));
    EXPECT_EQ(r.p.launcher.started[1].text, "/opt/wp/textprint /p \"/d/with space.txt\"");
    EXPECT_EQ(r.p.launcher.started[2].text, "/opt/wp/textprint /p \"/d/q\"uote.txt\"");
    EXPECT_EQ(r.p.registry.reads, 3);
    EXPECT_EQ(r.boxTexts(), (std::vector<std::string>{"Done.", "Done.", "Done."}));
    EXPECT_EQ(r.p.printers.setCalls, (std::vector<std::string>{"PDF Printer", "Office"}));
    EXPECT_EQ(defaultAtStart, (std::vector<std::string>(3, "PDF_Printer")));
    EXPECT_EQ(r.p.printers.userDefault, "Office");
    EXPECT_EQ(r.pointers.front(), 11);
    EXPECT_EQ(r.pointers.back(), 0);
    EXPECT_EQ(r.list.count(), 3u) << "the list keeps its entries";
    EXPECT_FALSE(r.guard.running());
}

TEST(RunConversion, PdfPrinterAlreadyTheDefaultIsPutBackAsItWas) {
    Session r;
    r.p.printers.userDefault = "PDF_Printer";
    r.list.append("/a");
    r.press();
    EXPECT_EQ(r.p.printers.setCalls, (std::vector<std::string>{"PDF Printer", "PDF_Printer"}));
    EXPECT_EQ(r.p.printers.userDefault, "PDF_Printer");
}

TEST(RunConversion, ARegistryChangeDuringTheRunIsUsedForTheNextEntry) {
    Session r;
    r.list.append("/a");
    r.list.append("/b");
    r.p.ui.onBox = [&](const test::Box&) { r.p.registry.values[kServerKey] = "/new/wp"; };
    r.press();
    ASSERT_EQ(r.p.launcher.started.size(), 2u);
    EXPECT_EQ(r.p.launcher.started[0].program, "/opt/wp/textprint");
    EXPECT_EQ(r.p.launcher.started[1].program, "/new/wp");
}

TEST(RunConversion, TheBoundIsTakenOnceAndRemovalsEndTheRunAtTheNewEnd) {
    Session grow;
    grow.list.append("/a");
    grow.list.append("/b");
    grow.p.ui.onYield = [&] { grow.list.append("/added"); };
    grow.press();
    EXPECT_EQ(grow.startedEntries(), (std::vector<std::string>{"/a", "/b"}));

    Session shrink;
    for (const char* e : {"/a", "/b", "/c", "/d"}) shrink.list.append(e);
    shrink.p.ui.onBox = [&](const test::Box& b) {
        if (b.text == "Done." && shrink.list.count() == 4) {
            shrink.list.remove(4);
            shrink.list.remove(1);
        }
    };
    shrink.press();
    // After "/a": positions 2 is "/c"; position 3 no longer exists.
    EXPECT_EQ(shrink.startedEntries(), (std::vector<std::string>{"/a", "/c"}));
    EXPECT_EQ(shrink.p.printers.userDefault, "Office");
    EXPECT_EQ(shrink.pointers.back(), 0);
}

TEST(RunConversion, ASecondPressDuringAYieldRunsANestedRunOverTheWholeList) {
    Session r;
    r.list.append("/a");
    r.list.append("/b");
    bool nested = false;
    r.p.ui.onYield = [&] {
        if (!nested) {
            nested = true;
            r.press();
        }
    };
    r.press();
    EXPECT_EQ(r.startedEntries(), (std::vector<std::string>{"/a", "/b", "/a", "/b"}));
    EXPECT_EQ(r.p.printers.userDefault, "Office");
    EXPECT_EQ(r.p.printers.setCalls,
              (std::vector<std::string>{"PDF Printer", "PDF Printer", "PDF_Printer", "Office"}));
}

TEST(RunConversion, NoPdfPrinterTellsHowToSetItUpAndChangesNothing) {
    Session r;
    r.p.printers.installed.erase("PDF_Printer");
    r.list.append("/a");
    r.press();
    ASSERT_EQ(r.p.ui.boxes.size(), 1u);
    EXPECT_EQ(r.p.ui.boxes[0].icon, BoxIcon::Critical);
    EXPECT_NE(r.p.ui.boxes[0].text.find("\"PDF Printer\""), std::string::npos);
    EXPECT_NE(r.p.ui.boxes[0].text.find("README"), std::string::npos);
    EXPECT_TRUE(r.p.launcher.started.empty());
    EXPECT_EQ(r.p.printers.userDefault, "Office");
    EXPECT_EQ(r.pointers.back(), 0);
    EXPECT_FALSE(r.guard.running());
}

TEST(RunConversion, AWordProcessorThatCannotStartEndsTheRunWithThePrinterPutBack) {
    for (const bool missingKey : {true, false}) {
        Session r;
        if (missingKey) {
            r.p.registry.values.clear();
        } else {
            r.p.launcher.missingPrograms = {"/opt/wp/textprint"};
        }
        r.list.append("/a");
        r.list.append("/b");
        r.press();
        EXPECT_TRUE(r.p.launcher.started.empty());
        ASSERT_EQ(r.p.ui.boxes.size(), 1u) << "one message, no Done.";
        EXPECT_NE(r.p.ui.boxes[0].text.find("could not be started"), std::string::npos);
        EXPECT_EQ(r.p.printers.userDefault, "Office");
        EXPECT_EQ(r.pointers.back(), 0);
    }
}

TEST(RunConversion, AUserWithoutADefaultHasNoneAgainAfterTheRun) {
    Session r;
    r.p.printers.userDefault.reset();
    r.list.append("/a");
    r.press();
    ASSERT_GE(r.p.ui.boxes.size(), 2u);
    EXPECT_EQ(r.p.ui.boxes[0].icon, BoxIcon::Critical) << "the read failure is reported";
    EXPECT_EQ(r.p.printers.setCalls.back(), "");
    EXPECT_FALSE(r.p.printers.userDefault.has_value());
    EXPECT_EQ(r.boxTexts().back(), "Done.");
}

TEST(RunConversion, AFailedRestoreIsToldNotSwallowed) {
    Session r;
    r.p.printers.refuse = {"Office"};
    r.list.append("/a");
    r.press();
    EXPECT_NE(r.boxTexts().back().find("could not be set back"), std::string::npos);
    EXPECT_EQ(r.pointers.back(), 0);
}

TEST(RunConversion, ClosingTheWindowMidRunPutsTheOutermostRemembersPrinterBack) {
    Session r;
    r.list.append("/a");
    r.list.append("/b");
    int yields = 0;
    r.p.ui.onYield = [&] {
        if (++yields == 1) r.press();  // nested run: it remembers "PDF_Printer"
        if (yields == 2) {
            EXPECT_TRUE(r.guard.running());
            r.guard.restoreOnExit(r.p.printers);
            EXPECT_EQ(r.p.printers.userDefault, "Office");
        }
    };
    r.press();
    EXPECT_FALSE(r.guard.running());
}

TEST(RunConversion, ListsLongerThan32766EntriesAreConvertedCompletely) {
    Session r;
    for (int i = 0; i < 40000; ++i) r.list.append("/f" + std::to_string(i));
    r.press();
    ASSERT_EQ(r.p.launcher.started.size(), 40000u);
    EXPECT_EQ(r.p.launcher.started.back().args[1], "/f39999");
    EXPECT_EQ(r.p.printers.userDefault, "Office");
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

    p.printers.readFailure.reset();
    EXPECT_EQ(GetDefaultPrinter(p.printers, p.ui), "Office");
    EXPECT_EQ(p.ui.boxes.size(), 1u);
}

}  // namespace
}  // namespace vx
