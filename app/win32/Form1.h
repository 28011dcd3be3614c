#pragma once

// windows.h first: the other system headers build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <optional>
#include <string>

#include "app/window/FormLogic.h"
#include "filelist/FileList.h"
#include "platform/Services.h"

namespace vx {

class DropTarget;

// The program's one window on Windows: the system's own controls over the shared window
// logic. Positions are twips, turned into pixels at the window's DPI whenever it changes.
class Form1 : private FormView, private FileListObserver {
  public:
    Form1(Platform& platform, HINSTANCE instance);
    ~Form1() override;
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Creates the window and its controls and runs start-up; false when the system refuses.
    bool Create();
    void Show(int how);
    HWND Handle() const { return hwnd_; }
    // Messages for the window's keyboard handling (Tab, Space); true when used.
    bool PreTranslate(MSG& msg);

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
    static LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                       DWORD_PTR self);
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                     DWORD_PTR self);
    LRESULT Handle(UINT message, WPARAM w, LPARAM l);
    LRESULT ListMessage(HWND list, UINT message, WPARAM w, LPARAM l);
    LRESULT Notify(NMHDR* header);

    void CreateControls();
    void Layout();  // positions, fonts and pictures at the current DPI
    int Px(int twips) const { return MulDiv(twips, static_cast<int>(dpi_), 1440); }
    void CenterForm();
    bool SetCursorFor(HWND over, UINT hit);
    void RefreshCursor();
    std::optional<std::size_t> HitTest(POINT inList) const;
    void SyncRows();
    void SyncSelection();

    // FormView
    void showPointer(int setting) override;
    void setListPicturePointer(const std::string& iconFile) override;
    void setListArrowPointer() override;
    void ensureVisible(std::size_t position) override;

    // FileListObserver
    void appended(std::size_t) override { SyncRows(); }
    void aboutToRemove(std::size_t) override {}
    void removed(std::size_t) override { SyncRows(); }
    void textChanged(std::size_t position) override;
    void selectionChanged() override { SyncSelection(); }

    Platform& platform_;
    HINSTANCE instance_;
    FormLogic logic_;
    HWND hwnd_ = nullptr;
    HWND command1_ = nullptr;
    HWND check1_ = nullptr;
    HWND check2_ = nullptr;
    HWND list_ = nullptr;
    HWND check4_ = nullptr;
    HWND tooltip_ = nullptr;
    UINT dpi_ = 96;
    HFONT buttonFont_ = nullptr;
    HFONT listFont_ = nullptr;
    HIMAGELIST pictures_[3] = {};
    HICON blankIcon_ = nullptr;
    HCURSOR hand_ = nullptr;
    HCURSOR dragPicture_ = nullptr;
    int listPointer_ = 0;  // the list's own: 0 none, 1 arrow, 99 the drag picture
    bool syncing_ = false;
    std::wstring shownText_;  // the text the list view is reading
    DropTarget* drop_ = nullptr;
};

}  // namespace vx
