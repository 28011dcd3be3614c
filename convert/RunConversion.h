#pragma once

#include <functional>
#include <string>
#include <vector>

#include "filelist/FileList.h"
#include "platform/Services.h"

namespace vx {

inline constexpr const char* kPdfPrinter = "PDF Printer";

// The word processor's command for one entry: path, " /p ", the entry in double quotes.
CommandLine BuildCommandLine(const std::string& wordpadPath, const std::string& entry);

// The user's own default-printer setting, borrowed while runs print on "PDF Printer". The
// outermost run records it durably before switching and removes the record once the
// setting is back, so a run that never ends (a kill, a crash) is undone at the next start.
// Runs nest when "Convert To PDF" is pressed during a yield; each puts back what it found.
class ConversionGuard {
  public:
    explicit ConversionGuard(StateRecord* record = nullptr) : record_(record) {}
    // Before a run switches the default; throws PlatformError when the setting cannot be
    // recorded or another window's run holds the record, and then nothing may be switched.
    void borrow(const std::string& ownSetting);
    // After a run: puts its setting back. The record goes only once the outermost setting
    // is back; a failure passes to the caller as PlatformError.
    void giveBack(Printers& printers);
    // After a switch that failed and changed nothing: drops the borrow without setting.
    void release();
    bool running() const { return !borrowed_.empty(); }
    // The program is ending mid-run: puts the outermost setting back. Failures are not
    // reported, since the program is ending; the record then stays for the next start.
    void restoreOnExit(Printers& printers);

  private:
    StateRecord* record_;
    std::vector<std::string> borrowed_;
};

// At start-up: a record left by a run that did not finish puts the setting it holds back
// and tells the user once. A record that another window's run holds is left alone.
void PutBackUnfinishedRun(Printers& printers, StateRecord& record, Ui& ui);

struct ConversionContext {
    FileList& list;
    Printers& printers;
    Registry& registry;
    Launcher& launcher;
    Ui& ui;
    ConversionGuard& guard;
    std::function<void(int)> setPointer;  // 11 hourglass, 0 default
    // The running program's own folder, where our word processor is when the registry names
    // none; empty: no such fallback.
    std::string programFolder = {};
    char separator = '\\';
};

// "Convert To PDF": prints every entry through the word processor on "PDF Printer".
void RunConversion(const ConversionContext& c);

}  // namespace vx
