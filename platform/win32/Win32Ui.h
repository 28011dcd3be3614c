#pragma once

#include <windows.h>

#include "platform/Services.h"

namespace vx {

// Message boxes, the Open dialog and the folder browser owned by the main window; yields
// run the thread's waiting messages.
class Win32Ui : public Ui {
  public:
    void setOwner(HWND owner) { owner_ = owner; }
    void messageBox(const std::string& text, BoxIcon icon, const std::string& caption) override;
    std::string openFileDialog(const OpenDialogSettings& settings) override;
    std::string browseForFolder(const std::string& prompt) override;
    void yield() override;
    Point cursorPos() override;
    Size screenSize() override;
    void terminate() override;

  private:
    HWND owner_ = nullptr;
};

}  // namespace vx
