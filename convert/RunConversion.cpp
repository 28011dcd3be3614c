#include "convert/RunConversion.h"

#include <cerrno>
#include <exception>

#include "convert/GetSetPrinter.h"
#include "convert/Wordpad.h"
#include "platform/CommandLineSplit.h"

namespace vx {

namespace {

constexpr const char* kCaption = "Vellumax";

void Tell(Ui& ui, const std::string& text, BoxIcon icon = BoxIcon::None) {
    ui.messageBox(text, icon, kCaption);
}

// The setting as the user reads it: the empty setting is no default of their own.
std::string Describe(const std::string& setting) {
    return setting.empty() ? "no default printer of your own (the system's default applies)"
                           : "\"" + setting + "\"";
}

// A record is the setting and a line end; one without it was not written by us whole.
std::optional<std::string> Decode(const std::optional<std::string>& record) {
    if (!record || record->empty() || record->back() != '\n') return std::nullopt;
    return record->substr(0, record->size() - 1);
}

void GiveBack(const ConversionContext& c, const std::string& setting) {
    try {
        c.guard.giveBack(c.printers);
    } catch (const PlatformError& e) {
        Tell(c.ui,
             "Your default printer setting, " + Describe(setting) + ", could not be set back:\r\n" +
                 e.description() + "\r\nPlease choose your default printer again.",
             BoxIcon::Warning);
    }
}

std::string OwnSetting(Printers& printers, const std::string& remembered) {
    try {
        return printers.ownDefault();
    } catch (const PlatformError&) {
        return remembered;
    }
}

bool StillOwn(Printers& printers, const std::string& own) {
    try {
        return printers.ownDefault() == own;
    } catch (const PlatformError&) {
        return false;
    }
}

// The outermost run lets the record go however it ends; one kept is for the next start.
struct LetGoAtEnd {
    StateRecord* record;
    ~LetGoAtEnd() {
        if (record != nullptr) record->letGo();
    }
};

}  // namespace

CommandLine BuildCommandLine(const std::string& wordpadPath, const std::string& entry) {
    // Windows splits the stored value into the program and its leading arguments.
    std::vector<std::string> words = SplitCommandLine(wordpadPath);
    CommandLine c{
        words.empty() ? std::string() : words.front(), {}, wordpadPath + " /p \"" + entry + "\""};
    if (!words.empty()) c.args.assign(words.begin() + 1, words.end());
    c.args.push_back("/p");
    c.args.push_back(entry);
    return c;
}

void ConversionGuard::borrow(const std::string& ownSetting) {
    if (borrowed_.empty() && record_ != nullptr) {
        // Another window's run has the default switched: what is set now is not the user's.
        if (!record_->claim())
            throw PlatformError(EWOULDBLOCK,
                                "Another Vellumax window is converting. Try again when it "
                                "has finished.");
        try {
            // A record kept after a put-back failed holds the real setting; what is set now
            // is only what that run left behind.
            if (const auto recorded = Decode(record_->read())) {
                borrowed_.push_back(*recorded);
                return;
            }
            record_->write(ownSetting + "\n");
        } catch (const PlatformError&) {
            record_->letGo();
            throw;
        }
    }
    borrowed_.push_back(ownSetting);
}

void ConversionGuard::giveBack(Printers& printers) {
    if (borrowed_.empty()) return;
    const std::string setting = borrowed_.back();
    borrowed_.pop_back();
    const LetGoAtEnd end{borrowed_.empty() ? record_ : nullptr};
    printers.restoreOwnDefault(setting);
    if (borrowed_.empty() && record_ != nullptr) record_->remove();
}

void ConversionGuard::release() {
    if (borrowed_.empty()) return;
    borrowed_.pop_back();
    const LetGoAtEnd end{borrowed_.empty() ? record_ : nullptr};
    if (borrowed_.empty() && record_ != nullptr) record_->remove();
}

void ConversionGuard::restoreOnExit(Printers& printers) {
    if (borrowed_.empty()) return;
    borrowed_.resize(1);
    try {
        giveBack(printers);
    } catch (const PlatformError&) {
    }
    borrowed_.clear();
}

void PutBackUnfinishedRun(Printers& printers, StateRecord& record, Ui& ui) {
    try {
        // A record another window's run holds is that run's, still going.
        if (!record.claim()) return;
    } catch (const PlatformError&) {
        // It cannot be held at all, so no run holds it either.
    }
    const LetGoAtEnd end{&record};
    const std::optional<std::string> raw = record.read();
    if (!raw) return;
    const std::optional<std::string> setting = Decode(raw);
    std::string failure = "The record of it is damaged.";
    bool keep = false;  // the only copy of the setting stays until it is back
    if (setting) {
        try {
            printers.restoreOwnDefault(*setting);
            failure.clear();
        } catch (const PlatformError& e) {
            failure = e.description();
            keep = true;
        }
    }
    if (!keep) {
        try {
            record.remove();
        } catch (const PlatformError& e) {
            failure += (failure.empty() ? "" : "\r\n") + e.description();
        }
    }
    if (failure.empty()) {
        Tell(ui, "The last conversion did not finish. Your default printer setting, " +
                     Describe(*setting) + ", has been put back.");
    } else {
        Tell(ui,
             "The last conversion did not finish, and your default printer setting could not "
             "be put back:\r\n" +
                 failure +
                 (keep ? "\r\nIt will be tried again at the next start."
                       : "\r\nPlease choose your default printer again."),
             BoxIcon::Warning);
    }
}

void RunConversion(const ConversionContext& c) {
    c.setPointer(11);
    if (c.list.count() == 0) {
        Tell(c.ui, "No files added.");
        c.setPointer(0);
        return;
    }
    const std::string remembered = GetDefaultPrinter(c.printers, c.ui);
    const std::string own = OwnSetting(c.printers, remembered);
    try {
        c.guard.borrow(own);
    } catch (const PlatformError& e) {
        Tell(c.ui,
             "Your default printer setting could not be recorded, so it is left as it is:\r\n" +
                 e.description() + "\r\nNothing was converted.",
             BoxIcon::Critical);
        c.setPointer(0);
        return;
    }
    try {
        ChangeDefaultPrinter(c.printers, kPdfPrinter);
    } catch (const PlatformError& e) {
        // A switch that was refused left the setting as it was: setting it again could only
        // fail the same way.
        if (StillOwn(c.printers, own))
            c.guard.release();
        else
            GiveBack(c, own);
        Tell(c.ui,
             std::string("The printer \"") + kPdfPrinter +
                 "\" could not be made the default printer:\r\n" + e.description() +
                 "\r\nNothing was converted. Install a printer named \"" + kPdfPrinter +
                 "\" (the set-up in the README does it) and try again.",
             BoxIcon::Critical);
        c.setPointer(0);
        return;
    }

    // Whatever goes wrong inside the loop, the setting is put back before it is told.
    std::string failure;
    try {
        // The bound is taken once: entries added during the run wait for the next one.
        const std::size_t bound = c.list.count();
        for (std::size_t position = 1; position <= bound; ++position) {
            c.ui.yield();
            // Entries removed during the yield end the run at the list's new end.
            if (position > c.list.count()) break;
            const std::string entry = c.list.text(position);
            c.setPointer(11);
            const std::string wordpad = WordProcessorPath(c.registry, c.programFolder, c.separator);
            try {
                c.launcher.start(BuildCommandLine(wordpad, entry));
            } catch (const PlatformError& e) {
                failure = "The word processor could not be started for\r\n" + entry + "\r\n" +
                          e.description();
                break;
            }
            Tell(c.ui, "Done.");
        }
    } catch (const std::exception& e) {
        failure = std::string("The conversion failed: ") + e.what();
    } catch (...) {
        failure = "The conversion failed for a reason that was not given.";
    }

    GiveBack(c, own);
    if (!failure.empty())
        Tell(c.ui, failure + "\r\nThe conversion has stopped.", BoxIcon::Critical);
    c.setPointer(0);
}

}  // namespace vx
