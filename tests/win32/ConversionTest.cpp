#include <gtest/gtest.h>

#include "convert/RunConversion.h"
#include "convert/Wordpad.h"
#include "platform/win32/Win32Launcher.h"
#include "platform/win32/Win32Printers.h"
#include "platform/win32/Win32Registry.h"
#include "win32/Win32Support.h"

namespace vx {
namespace {

// The real launcher, counting what it starts.
struct CountingLauncher : Win32Launcher {
    std::vector<std::string> started;
    void start(const CommandLine& command) override {
        started.push_back(command.text);
        Win32Launcher::start(command);
    }
};

std::optional<std::string> CurrentDefault(Printers& printers) {
    try {
        return printers.defaultPrinter();
    } catch (const PlatformError&) {
        return std::nullopt;
    }
}

bool PdfPrinterInstalled() {
    HANDLE printer = nullptr;
    wchar_t name[] = L"PDF Printer";
    if (!OpenPrinterW(name, &printer, nullptr)) return false;
    ClosePrinter(printer);
    return true;
}

struct Conversion {
    test::ClassesValue wordpad{Widen(kWordpadServerKey)};
    FileList list;
    Win32Registry registry;
    Win32Printers printers;
    CountingLauncher launcher;
    test::RecordingUi ui;
    ConversionGuard guard;
    std::vector<int> pointers;

    explicit Conversion(const std::vector<std::string>& entries) {
        wordpad.set(L'"' + Widen(test::ProgramFolder()) + L"\\record_start.exe\"");
        for (const std::string& e : entries) list.append(e);
    }
    void operator()() {
        RunConversion({list, printers, registry, launcher, ui, guard,
                       [this](int p) { pointers.push_back(p); }});
    }
};

TEST(Win32Conversion, APdfPrinterThatCannotBeMadeDefaultStopsTheRunUnchanged) {
    if (!test::UnderWine() && PdfPrinterInstalled())
        GTEST_SKIP() << "\"PDF Printer\" is installed here, so it can be made the default";
    // Wine's WScript.Network answers SetDefaultPrinter with a failure, as Windows does for a
    // printer that is not installed. A fresh Wine prefix has no printer: give it a default to keep.
    if (test::UnderWine())
        RegSetKeyValueW(HKEY_CURRENT_USER,
                        L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", L"Device",
                        REG_SZ, L"Office,winspool,FILE:", 22 * sizeof(wchar_t));
    Conversion run({"C:\\a.txt", "C:\\b.txt"});
    const std::optional<std::string> before = CurrentDefault(run.printers);
    run();
    EXPECT_TRUE(run.launcher.started.empty());
    ASSERT_FALSE(run.ui.boxes.empty());
    EXPECT_EQ(run.ui.boxes.back().icon, BoxIcon::Critical);
    EXPECT_NE(run.ui.boxes.back().text.find("\"PDF Printer\""), std::string::npos);
    if (test::UnderWine()) {
        EXPECT_EQ(run.ui.boxes.size(), 1u);
    }
    EXPECT_EQ(CurrentDefault(run.printers), before);
    EXPECT_EQ(run.pointers, (std::vector<int>{11, 0}));
    EXPECT_FALSE(run.guard.running());
}

TEST(Win32Conversion, PrintsEveryEntryOnPdfPrinterAndPutsTheDefaultBack) {
    if (test::UnderWine())
        GTEST_SKIP() << "Wine's WScript.Network SetDefaultPrinter is a stub that always fails";
    if (!PdfPrinterInstalled()) GTEST_SKIP() << "no printer named \"PDF Printer\" is installed";
    test::TempFolder t;
    SetEnvironmentVariableW(L"VELLUMAX_RECORD", Widen(t / "record").c_str());
    Conversion run({"C:\\two words.txt", "C:\\\u00FC.txt"});
    std::vector<std::string> defaults;
    run.ui.onBox = [&] { defaults.push_back(run.printers.defaultPrinter()); };
    const std::string before = run.printers.defaultPrinter();
    run();
    const std::string wordpad = GetWordpadPath(run.registry);
    EXPECT_EQ(run.launcher.started,
              (std::vector<std::string>{BuildCommandLine(wordpad, "C:\\two words.txt").text,
                                        BuildCommandLine(wordpad, "C:\\\u00FC.txt").text}));
    ASSERT_EQ(run.ui.boxes.size(), 2u);
    EXPECT_EQ(run.ui.boxes[1].text, "Done.");
    EXPECT_EQ(defaults, (std::vector<std::string>{"PDF Printer", "PDF Printer"}));
    EXPECT_EQ(run.printers.defaultPrinter(), before);
}

}  // namespace
}  // namespace vx
