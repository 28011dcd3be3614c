#include <gtest/gtest.h>

#include "convert/RunConversion.h"
#include "convert/Wordpad.h"
#include "support/Fakes.h"

namespace vx {
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

TEST(RunConversion, EachEntryUnchangedInOrderOnPdfPrinterWithItsOwnLookupAndTheSettingRecorded) {
    Session r({"/d/a \"b\".txt", "/d/b c.txt"});
    r.p.registry.values[kWordpadServerKey] = "\"/opt/my wp/tp\" -q ";
    std::string during;
    r.p.launcher.onStart = [&](const CommandLine&) {
        during += *r.p.printers.userDefault + "|" + *r.p.record.text;
    };
    r.p.ui.onBox = [&](const test::Box&) { r.p.registry.values[kWordpadServerKey] = "/new/wp"; };
    r.press();
    EXPECT_EQ(r.started(), "/opt/my wp/tp|-q|/p|/d/a \"b\".txt/new/wp|/p|/d/b c.txt");
    EXPECT_EQ(during, "PDF_Printer|Office\nPDF_Printer|Office\n");
    EXPECT_EQ(r.told(), "Done.\nDone.\n");
}

TEST(RunConversion, WithoutARegisteredWordProcessorOurOwnBesideTheProgramPrintsYetAKeyWins) {
    const std::string own = kOwnWordProcessor;
    struct Case {
        Opt key;
        std::string folder;
        char separator;
        std::string started;  // program and arguments; empty when nothing could start
    };
    const std::vector<Case> cases = {
        {"\"C:\\WP\\wp.exe\" -q", "C:\\Vx", '\\', "C:\\WP\\wp.exe|-q|/p|/a"},
        {std::nullopt, "C:\\Program Files\\Vellumax", '\\',
         "C:\\Program Files\\Vellumax\\" + own + "|/p|/a"},
        {"", "D:\\", '\\', "D:\\" + own + "|/p|/a"},
        {" \t", "/opt/vx", '/', "/opt/vx/" + own + "|/p|/a"},
        {std::string("\0old", 4), "C:\\Vx", '\\', "C:\\Vx\\" + own + "|/p|/a"},
        // Too long for the buffer Windows reads it into: as good as absent.
        {std::string(300, 'x'), "C:\\Vx", '\\', "C:\\Vx\\" + own + "|/p|/a"},
        {std::nullopt, "", '\\', ""},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        Session r({"/a"});
        r.programFolder = c.folder;
        r.separator = c.separator;
        r.p.registry.values.erase(kWordpadServerKey);
        if (c.key) r.p.registry.values[kWordpadServerKey] = *c.key;
        r.press();
        EXPECT_EQ(r.started(), c.started) << "case " << i;
        EXPECT_NE(r.told().find(c.started.empty() ? "could not be started" : "Done.\n"),
                  std::string::npos)
            << "case " << i;
    }
}

TEST(RunConversion, TheBoundIsTakenOnceRemovalsEndTheRunAtTheNewEndAndLongListsEndWhole) {
    Session grow;
    grow.p.ui.onYield = [&] {
        if (grow.list.count() < 4) grow.list.append("/added");
    };
    grow.press();
    EXPECT_EQ(grow.told(), "Done.\nDone.\n");

    Session shrink({"/a", "/b", "/c", "/d"});
    shrink.p.ui.onBox = [&](const test::Box&) {
        shrink.list.remove(shrink.list.count() == 4 ? 4 : 1);
    };
    shrink.press();
    EXPECT_EQ(shrink.told(), "Done.\nDone.\n");

    Session big(std::vector<std::string>(40000, "/f"));  // beyond a 16-bit counter
    big.press();
    EXPECT_EQ(big.p.launcher.started.size(), 40000u);
}

TEST(RunConversion, TheUsersOwnSettingIsPutBackExactlyWhateverHappens) {
    struct Case {
        std::function<void(test::FakePrinters&, Session&)> plant;
        std::string told;
        std::size_t started;
        Opt after;
    };
    const std::vector<Case> cases = {
        {[](auto&, auto& r) { r.list.remove(2), r.list.remove(1); }, "No files added.", 0,
         "Office"},
        {[](auto& p, auto&) { p.userDefault = "Office/draft"; }, "Done.", 2, "Office/draft"},
        {[](auto& p, auto&) { p.userDefault.reset(); }, "Done.", 2, std::nullopt},
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
    for (const Case& c : cases) {
        Session r;
        c.plant(r.p.printers, r);
        r.press();
        EXPECT_EQ(r.p.launcher.started.size(), c.started) << c.told;
        EXPECT_NE(r.told().find(c.told), std::string::npos) << r.told();
        EXPECT_EQ(r.pointers.back(), 0) << c.told;
        EXPECT_EQ(r.p.printers.userDefault, c.after) << c.told;
        EXPECT_EQ(r.p.record.text.has_value(), c.told == "could not be set back") << c.told;
        EXPECT_FALSE(r.p.record.claimed) << c.told;  // a later start may put back
    }
}

TEST(PutBackUnfinishedRun, ARecordLeftBehindPutsTheSettingBackAndTellsOnce) {
    // the record, the setting after, what is told ("" nothing), held by a run still going
    const std::vector<std::tuple<Opt, Opt, std::string, bool>> cases = {
        {std::nullopt, "PDF_Printer", "", false},
        {"Office/draft\n", "Office/draft", "\"Office/draft\", has been put back", false},
        {"\n", std::nullopt, "no default printer of your own", false},
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

}  // namespace
}  // namespace vx
