#pragma once

#include "platform/Services.h"

namespace vx {

// Reads the default printer from the spooler; sets it through the WScript.Network
// automation object, a new instance for every call, and through the spooler's
// SetDefaultPrinterW when that object cannot be made or its call fails.
class Win32Printers : public Printers {
  public:
    std::string defaultPrinter() override;
    void setDefaultPrinter(const std::string& name) override;

  private:
    static void SetThroughScriptHost(const std::string& name);
};

}  // namespace vx
