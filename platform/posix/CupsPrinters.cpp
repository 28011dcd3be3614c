#include "platform/posix/CupsPrinters.h"

#include <cups/cups.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/LpOptions.h"
#include "platform/posix/SmallFile.h"

namespace vx {

namespace {

constexpr std::size_t kOptionsLimit = std::size_t{1} << 20;

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

// "queue" or "queue/instance", the form lpoptions -d takes.
std::string FullName(const cups_dest_t& d) {
    return d.instance == nullptr ? std::string(d.name) : std::string(d.name) + "/" + d.instance;
}

// The file lpoptions -d writes for this user.
std::string UserOptionsFile() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == 0) throw PlatformError(ENOENT, "HOME is not set.");
    return std::string(home) + "/.cups/lpoptions";
}

// The user's settings; nullopt when there are none. A file there that cannot be read is
// an error, never "no settings": writing would replace what the user had.
std::optional<std::string> ReadUserOptions(const std::string& file, unsigned& mode) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return std::nullopt;
    mode = st.st_mode & 07777;
    auto text = ReadSmallFile(file, kOptionsLimit);
    if (!text) throw PlatformError(EIO, "The printer settings \"" + file + "\" cannot be read.");
    return text;
}

}  // namespace

std::string CupsPrinters::defaultPrinter() {
    const Dests dests;
    for (const cups_dest_t& d : dests)
        if (d.is_default) return FullName(d);
    // With settings of the user's own that name no default, the list marks none; the
    // server's default still applies.
    if (const char* server = cupsGetDefault2(CUPS_HTTP_DEFAULT)) return server;
    ThrowLastError(IPP_STATUS_ERROR_NOT_FOUND, "There is no default printer.");
}

std::string CupsPrinters::ownDefault() {
    unsigned mode = 0;
    return lpoptions::DefaultOf(ReadUserOptions(UserOptionsFile(), mode).value_or(""));
}

void CupsPrinters::setDefaultPrinter(const std::string& name) {
    std::string chosen;
    if (!name.empty()) {
        const Dests dests;
        if (dests.count == 0 && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
            ThrowLastError(IPP_STATUS_ERROR_NOT_FOUND, "");
        for (const cups_dest_t& d : dests)
            if (name == FullName(d)) chosen = name;
        if (chosen.empty()) {
            for (const cups_dest_t& d : dests) {
                const char* info = cupsGetOption("printer-info", d.num_options, d.options);
                if (d.instance == nullptr && info != nullptr && name == info) {
                    chosen = d.name;
                    break;
                }
            }
        }
        if (chosen.empty())
            throw PlatformError(IPP_STATUS_ERROR_NOT_FOUND,
                                "The printer \"" + name + "\" is not installed.");
    }
    restoreOwnDefault(chosen);
}

// Written as it was read, without asking the server: a printer out of reach now (a network
// printer away from the office) is still the user's choice.
void CupsPrinters::restoreOwnDefault(const std::string& setting) {
    const std::string file = UserOptionsFile();
    unsigned mode = 0644;
    const std::optional<std::string> before = ReadUserOptions(file, mode);
    if (!before && setting.empty()) return;  // no settings: no default of the user's own
    const std::string after = lpoptions::WithDefault(before.value_or(""), setting);
    if (after != before) ReplaceFileDurably(file, after, mode);
}

}  // namespace vx
