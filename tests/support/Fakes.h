#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/Services.h"
#ifndef _WIN32
#include "platform/posix/PosixFileSystem.h"
#endif

namespace vx::test {

struct Box {
    std::string text;
    BoxIcon icon;
};

class FakeUi : public Ui {
  public:
    std::vector<Box> boxes;
    std::function<void(const Box&)> onBox;
    std::string folderResult;
    std::function<void()> onDialog, onYield;
    int dialogs = 0, yields = 0, terminations = 0;
    Point pointer{0, 0};
    Size screen{1920, 1080};

    void messageBox(const std::string& text, BoxIcon icon, const std::string&) override {
        boxes.push_back({text, icon});
        if (onBox) onBox(boxes.back());
    }
    std::string openFileDialog(const OpenDialogSettings&) override {
        if (++dialogs; onDialog) onDialog();
        return {};  // cancelled
    }
    std::string browseForFolder(const std::string&) override {
        ++dialogs;
        return folderResult;
    }
    void yield() override {
        if (++yields; onYield) onYield();
    }
    Point cursorPos() override { return pointer; }
    Size screenSize() override { return screen; }
    void terminate() override { ++terminations; }
};

class FakePrinters : public Printers {
  public:
    // Queue names; "PDF Printer" is the description of PDF_Printer.
    std::set<std::string> installed{"PDF_Printer", "Office", "Office/draft"};
    std::optional<std::string> userDefault = std::string("Office");
    std::string serverDefault;  // applies when the user has no default of their own
    std::optional<PlatformError> readFailure;

    std::string defaultPrinter() override {
        if (readFailure) throw *readFailure;
        if (!userDefault && serverDefault.empty())
            throw PlatformError(1030, "There is no default printer.");
        return userDefault.value_or(serverDefault);
    }
    std::string ownDefault() override { return userDefault.value_or(""); }
    void setDefaultPrinter(const std::string& name) override {
        const std::string queue = name == "PDF Printer" ? "PDF_Printer" : name;
        if (!name.empty() && !installed.count(queue))
            throw PlatformError(1030, "The printer \"" + name + "\" cannot be set.");
        userDefault = name.empty() ? std::nullopt : std::optional<std::string>(queue);
    }
};

class FakeStateRecord : public StateRecord {
  public:
    std::optional<std::string> text;
    bool full = false;                            // writing fails as on a full disk
    bool heldElsewhere = false, claimed = false;  // elsewhere: by another window's run
    std::optional<std::string> read() override { return text; }
    void write(const std::string& t) override {
        text = full ? throw PlatformError(28, "Disk full") : t;
    }
    void remove() override { text.reset(); }
    bool claim() override { return claimed = !heldElsewhere; }
    void letGo() override { claimed = false; }
};

class FakeRegistry : public Registry {
  public:
    std::map<std::string, std::string> values;
    std::optional<std::string> defaultValue(const std::string& subKey) override {
        const auto it = values.find(subKey);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
};

class FakeLauncher : public Launcher {
  public:
    std::vector<CommandLine> started;
    std::vector<std::string> urls;
    std::set<std::string> missingPrograms;
    std::function<void(const CommandLine&)> onStart;

    void start(const CommandLine& command) override {
        if (command.program.empty() || missingPrograms.count(command.program))
            throw PlatformError(2, "No such file or directory");
        started.push_back(command);
        if (onStart) onStart(command);
    }
    void openUrl(const std::string& url) override { urls.push_back(url); }
};

#ifndef _WIN32
// The real file system, with folders that cannot be listed, fail, or are listed late.
class FlakyFileSystem : public PosixFileSystem {
  public:
    std::set<std::string> unreadable, failing, slow;
    Listing listFolder(const std::string& folder, unsigned mask) override {
        if (failing.count(folder)) throw PlatformError(5, "Access is denied.");
        if (slow.count(folder)) std::this_thread::sleep_for(std::chrono::milliseconds(40));
        if (unreadable.count(folder)) return Listing{false, 13, {}};
        return PosixFileSystem::listFolder(folder, mask);
    }
};

// A platform of fakes, with the real file system unless a test swaps it.
struct FakePlatform {
    FlakyFileSystem fs;
    FakeRegistry registry;
    FakePrinters printers;
    FakeLauncher launcher;
    FakeUi ui;
    FakeStateRecord record;
    double random = 0.5;
    Platform platform{&fs, &registry, &printers, &launcher, &ui, {}, {}, {}, &record};

    explicit FakePlatform(std::string programFolder = "/nonexistent-vellumax") {
        platform.programFolder = std::move(programFolder);
        platform.homePage = "https://vellumax.example/";
        platform.random = [this] { return random; };
        registry.values["Wordpad.Document.1\\Protocol\\StdFileEditing\\Server"] =
            "/opt/wp/textprint";
    }
};

#endif

}  // namespace vx::test
