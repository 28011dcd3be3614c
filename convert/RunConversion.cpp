#include "convert/RunConversion.h"

#include "convert/GetSetPrinter.h"
#include "convert/Wordpad.h"

namespace vx {

namespace {

constexpr const char* kCaption = "Vellumax";

void Tell(Ui& ui, const std::string& text, BoxIcon icon = BoxIcon::None) {
    ui.messageBox(text, icon, kCaption);
}

void Restore(const ConversionContext& c, const std::string& remembered) {
    try {
        ChangeDefaultPrinter(c.printers, remembered);
    } catch (const PlatformError& e) {
        Tell(c.ui,
             "Your default printer \"" + remembered + "\" could not be set back:\r\n" +
                 e.description() + "\r\nPlease choose your default printer again.",
             BoxIcon::Warning);
    }
}

}  // namespace

CommandLine BuildCommandLine(const std::string& wordpadPath, const std::string& entry) {
    return CommandLine{wordpadPath, {"/p", entry}, wordpadPath + " /p \"" + entry + "\""};
}

void ConversionGuard::restoreOnExit(Printers& printers) {
    if (remembered_.empty()) return;
    try {
        printers.setDefaultPrinter(remembered_.front());
    } catch (const PlatformError&) {
    }
    remembered_.clear();
}

void RunConversion(const ConversionContext& c) {
    c.setPointer(11);
    if (c.list.count() == 0) {
        Tell(c.ui, "No files added.");
        c.setPointer(0);
        return;
    }
    const std::string remembered = GetDefaultPrinter(c.printers, c.ui);
    try {
        ChangeDefaultPrinter(c.printers, kPdfPrinter);
    } catch (const PlatformError& e) {
        Tell(c.ui,
             std::string("The printer \"") + kPdfPrinter +
                 "\" could not be made the default printer:\r\n" + e.description() +
                 "\r\nNothing was converted. Install a printer named \"" + kPdfPrinter +
                 "\" (the set-up in the README does it) and try again.",
             BoxIcon::Critical);
        c.setPointer(0);
        return;
    }
    c.guard.push(remembered);

    // The bound is taken once: entries added during the run wait for the next one.
    const std::size_t bound = c.list.count();
    for (std::size_t position = 1; position <= bound; ++position) {
        c.ui.yield();
        // Entries removed during the yield end the run at the list's new end.
        if (position > c.list.count()) break;
        const std::string entry = c.list.text(position);
        c.setPointer(11);
        const std::string wordpad = GetWordpadPath(c.registry);
        try {
            c.launcher.start(BuildCommandLine(wordpad, entry));
        } catch (const PlatformError& e) {
            Tell(c.ui,
                 "The word processor could not be started for\r\n" + entry + "\r\n" +
                     e.description() + "\r\nThe conversion has stopped.",
                 BoxIcon::Critical);
            break;
        }
        Tell(c.ui, "Done.");
    }

    c.guard.pop();
    Restore(c, remembered);
    c.setPointer(0);
}

}  // namespace vx
