#include "convert/GetSetPrinter.h"

namespace vx {

std::string DefaultPrinterErrorReport(long number, const std::string& description) {
    return "Error No: " + std::to_string(number) + "\r\n" + description + "\r\n" +
           "Has occured in modPrinters.GetDefaultPrinter\r\n" + "Please contact Technical Support";
}

std::string GetDefaultPrinter(Printers& printers, Ui& ui) {
    std::string result;
    try {
        result = printers.defaultPrinter();
    } catch (const PlatformError& e) {
        ui.messageBox(DefaultPrinterErrorReport(e.number(), e.description()), BoxIcon::Critical,
                      "Vellumax");
    }
    return result;
}

void ChangeDefaultPrinter(Printers& printers, const std::string& name) {
    printers.setDefaultPrinter(name);
}

}  // namespace vx
