#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/window/StartUp.h"
#include "convert/RunConversion.h"
#include "filelist/FileList.h"
#include "filelist/Reorder.h"
#include "platform/Services.h"

namespace vx {

// The window-wide pointer setting, by the platform's codes.
enum PointerSetting : int { kPointerDefault = 0, kPointerHourglass = 11, kPointerHand = 99 };

// What the window logic asks of the toolkit that draws it.
class FormView {
  public:
    virtual ~FormView() = default;
    // Shows the window-wide pointer setting over the window and its controls.
    virtual void showPointer(int setting) = 0;
    // The list's own pointer: the picture of the icon file, when it loads.
    virtual void setListPicturePointer(const std::string& iconFile) = 0;
    // The list's own pointer back to the standard arrow.
    virtual void setListArrowPointer() = 0;
    virtual void ensureVisible(std::size_t position) = 0;
};

// The main window's behaviour, below any toolkit: the list and its editing, the pointer
// rules, the press latch, the three commands and the borrowed printer setting. A window
// forwards its notifications here and shows what it is told.
class FormLogic {
  public:
    enum class Command { AddPickedFiles, AddFolderFiles, RunConversion };

    FormLogic(Platform& platform, FormView& view);

    FileList& list() { return list_; }
    const FileList& list() const { return list_; }
    const DragState& drag() const { return drag_; }
    int pointer() const { return pointer_; }
    void setPointer(int setting);

    // Once, before the window first shows: draws the home-page chance and returns the hand
    // cursor's file when it exists.
    std::optional<std::string> startUp();
    // Where a window of the given outer size in logical pixels stands centred.
    TwipPoint centre(Size outer) const;
    std::string programFile(const char* name) const;

    // A button's state changed to pressed (true) or released. A press is released first,
    // through release, and then runs its command once; the release's own notification
    // finds the button released and does nothing.
    template <class Release>
    void buttonClicked(Command command, bool pressed, Release&& release) {
        if (!pressed) return;
        release();
        run(command);
    }
    void run(Command command);

    void buttonMoved();      // the hand, unless the hourglass shows
    void backgroundMoved();  // the default, unless the hourglass shows

    void listDoubleClicked();
    // A press on an entry that the list has just selected.
    void listItemClicked(std::size_t position);
    void listPressed();
    // A pointer move over the list; target is the visible entry under it, if any.
    void listMoved(std::optional<std::size_t> target);
    void listReleased();
    void filesDropped(const std::vector<std::string>& paths);

    // The program is ending (closed, the session ends): a run's borrowed setting goes back.
    void ending();

  private:
    Platform& platform_;
    FormView& view_;
    FileList list_;
    DragState drag_;
    ConversionGuard conversions_;
    int pointer_ = kPointerDefault;
};

}  // namespace vx
