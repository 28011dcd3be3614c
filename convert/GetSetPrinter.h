#pragma once

#include <string>

#include "platform/Services.h"

namespace vx {

// The four-line report GetDefaultPrinter shows when it cannot read the default printer.
std::string DefaultPrinterErrorReport(long number, const std::string& description);

// The user's default printer, or the empty text after showing the error report.
std::string GetDefaultPrinter(Printers& printers, Ui& ui);

// Makes the named printer the user's default; failures pass to the caller as PlatformError.
void ChangeDefaultPrinter(Printers& printers, const std::string& name);

}  // namespace vx
