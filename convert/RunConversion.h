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

// The default printers that running conversions will put back, outermost first, so that
// closing the window mid-run can put the user's own printer back before the program ends.
class ConversionGuard {
  public:
    void push(const std::string& remembered) { remembered_.push_back(remembered); }
    void pop() {
        if (!remembered_.empty()) remembered_.pop_back();
    }
    bool running() const { return !remembered_.empty(); }
    // Puts the printer back that was the default before the outermost run; failures are
    // not reported, since the program is ending.
    void restoreOnExit(Printers& printers);

  private:
    std::vector<std::string> remembered_;
};

struct ConversionContext {
    FileList& list;
    Printers& printers;
    Registry& registry;
    Launcher& launcher;
    Ui& ui;
    ConversionGuard& guard;
    std::function<void(int)> setPointer;  // 11 hourglass, 0 default
};

// "Convert To PDF": prints every entry through the word processor on "PDF Printer".
void RunConversion(const ConversionContext& c);

}  // namespace vx
