#pragma once

#include "platform/Services.h"

namespace vx {

// The user's default CUPS destination, as lpoptions -d reads and sets it: a queue or a
// queue/instance. A name matches that, or else a queue's description: CUPS queue names hold
// no spaces, so "PDF Printer" is found as the queue described "PDF Printer". Setting edits
// only the Default line of the user's lpoptions, so every other setting stays as it was.
class CupsPrinters : public Printers {
  public:
    std::string defaultPrinter() override;
    void setDefaultPrinter(const std::string& name) override;
    std::string ownDefault() override;
    void restoreOwnDefault(const std::string& setting) override;
};

}  // namespace vx
