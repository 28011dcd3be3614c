#pragma once

#include <QCursor>
#include <QWidget>
#include <optional>

#include "convert/RunConversion.h"
#include "filelist/FileList.h"
#include "filelist/Reorder.h"
#include "platform/Services.h"

class QAbstractButton;
class QPushButton;

namespace vx {

class FileListModel;
class ListView1;
class PictureButton;

// The program's one window: the file list, the three command buttons, and the
// handlers of their notifications.
class Form1 : public QWidget {
    Q_OBJECT
  public:
    explicit Form1(Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    // The window-wide pointer setting: 0 default, 11 hourglass, 99 the hand.
    int MousePointer() const { return mousePointer_; }
    void SetMousePointer(int setting);

    FileList& List() { return list_; }
    const DragState& Drag() const { return drag_; }
    bool HandCursorLoaded() const { return handCursor_.has_value(); }

    // The commands of the three buttons.
    void AddPickedFiles();
    void AddFolderFiles();
    void RunConversion();

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Form_Load();
    void CenterForm();
    void centreOnceFramed();
    void Latch(QAbstractButton* button, void (Form1::*command)());
    void Check_MouseMove();
    void Form_MouseMove();
    void ListView1_DblClick();
    void ListView1_ItemClick(std::size_t position);
    void ListView1_MouseDown();
    void ListView1_MouseMove(QPoint point);
    void ListView1_MouseUp();
    void ListView1_OLEDragDrop(const std::vector<std::string>& paths);
    void applyPointer();
    std::string programFile(const char* name) const;

    Platform& platform_;
    FileList list_;
    FileListModel* model_;
    DragState drag_;
    ConversionGuard conversions_{platform_.stateRecord};
    int mousePointer_ = 0;
    std::optional<QCursor> handCursor_;
    bool shownOnce_ = false;
    bool frameCentred_ = false;

    QPushButton* Command1;
    PictureButton* Check1;
    PictureButton* Check2;
    ListView1* listView_;
    PictureButton* Check4;
};

// Reads a .cur or .ico file as a cursor, with the hot spot a cursor file names.
std::optional<QCursor> LoadCursorFile(const QString& path);

}  // namespace vx
