#pragma once

#include "platform/Services.h"

namespace vx {

// The user's default CUPS destination, as lpoptions -d reads and sets it. A name matches
// a queue name, or else a queue's description: CUPS queue names hold no spaces, so
// "PDF Printer" is found as the queue described "PDF Printer".
class CupsPrinters : public Printers {
  public:
    std::string defaultPrinter() override;
    void setDefaultPrinter(const std::string& name) override;
};

}  // namespace vx
