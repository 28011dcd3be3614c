#pragma once

#include <QStringList>
#include <chrono>
#include <vector>

#include "platform/Services.h"

class QWidget;

namespace vx {

// Message boxes, dialogs, the event loop and the screen through Qt Widgets.
class QtUi : public Ui {
  public:
    void setOwner(QWidget* owner) { owner_ = owner; }

    void messageBox(const std::string& text, BoxIcon icon, const std::string& caption) override;
    std::string openFileDialog(const OpenDialogSettings& settings) override;
    std::string browseForFolder(const std::string& prompt) override;
    // Runs waiting events at most every few milliseconds: a walk over a big tree asks
    // for a turn after every name, far more often than a window needs one.
    void yield() override;
    Point cursorPos() override;
    Size screenSize() override;
    void terminate() override;

  private:
    QWidget* owner_ = nullptr;
    std::chrono::steady_clock::time_point lastYield_{};
};

// "Desc|pat|Desc|pat" as Qt name filters; "*.*" matches every name, as it does on Windows.
QStringList QtNameFilters(const std::string& filter);

// The Open dialog's result text from the paths the user picked: one path, or the deepest
// folder holding them all followed by each path below it, every part separated by NUL.
std::string DialogResultFromPaths(const std::vector<std::string>& paths, char separator);

}  // namespace vx
