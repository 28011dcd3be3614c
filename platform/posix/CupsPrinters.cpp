#include "platform/posix/CupsPrinters.h"

#include <cups/cups.h>

#include <memory>

namespace vx {

namespace {

// Every call works on its own fresh copy of the destinations.
struct Dests {
    cups_dest_t* list = nullptr;
    int count = 0;
    Dests() { count = cupsGetDests2(CUPS_HTTP_DEFAULT, &list); }
    ~Dests() { cupsFreeDests(count, list); }
    Dests(const Dests&) = delete;
    Dests& operator=(const Dests&) = delete;
    cups_dest_t* begin() const { return list; }
    cups_dest_t* end() const { return list + count; }
};

[[noreturn]] void ThrowLastError(long fallbackNumber, const std::string& fallbackText) {
    const ipp_status_t status = cupsLastError();
    if (status > IPP_STATUS_OK_EVENTS_COMPLETE) throw PlatformError(status, cupsLastErrorString());
    throw PlatformError(fallbackNumber, fallbackText);
}

}  // namespace

std::string CupsPrinters::defaultPrinter() {
    const Dests dests;
    for (const cups_dest_t& d : dests)
        if (d.is_default && d.instance == nullptr) return d.name;
    ThrowLastError(IPP_STATUS_ERROR_NOT_FOUND, "There is no default printer.");
}

void CupsPrinters::setDefaultPrinter(const std::string& name) {
    Dests dests;
    if (dests.count == 0 && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
        ThrowLastError(IPP_STATUS_ERROR_NOT_FOUND, "");
    cups_dest_t* chosen = nullptr;
    if (!name.empty()) {
        for (cups_dest_t& d : dests)
            if (d.instance == nullptr && name == d.name) chosen = &d;
        if (chosen == nullptr) {
            for (cups_dest_t& d : dests) {
                const char* info = cupsGetOption("printer-info", d.num_options, d.options);
                if (d.instance == nullptr && info != nullptr && name == info) {
                    chosen = &d;
                    break;
                }
            }
        }
        if (chosen == nullptr)
            throw PlatformError(IPP_STATUS_ERROR_NOT_FOUND,
                                "The printer \"" + name + "\" is not installed.");
    }
    for (cups_dest_t& d : dests) d.is_default = &d == chosen ? 1 : 0;
    if (cupsSetDests2(CUPS_HTTP_DEFAULT, dests.count, dests.list) != 0)
        ThrowLastError(IPP_STATUS_ERROR_INTERNAL, "The default printer could not be saved.");
}

}  // namespace vx
