#pragma once

#include <QCursor>
#include <QWidget>
#include <optional>

#include "app/window/FormLogic.h"
#include "platform/Services.h"

class QAbstractButton;
class QPushButton;

namespace vx {

class FileListModel;
class ListView1;
class PictureButton;

// The program's one window on Linux: the Qt view of the shared window logic, with the
// file list and the three command buttons.
class Form1 : public QWidget, private FormView {
    Q_OBJECT
  public:
    explicit Form1(Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    // The window-wide pointer setting: 0 default, 11 hourglass, 99 the hand.
    int MousePointer() const { return logic_.pointer(); }
    void SetMousePointer(int setting) { logic_.setPointer(setting); }

    FileList& List() { return logic_.list(); }
    const DragState& Drag() const { return logic_.drag(); }
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
    void Latch(QAbstractButton* button, FormLogic::Command command);
    void ListView1_MouseMove(QPoint point);

    // FormView
    void showPointer(int setting) override;
    void setListPicturePointer(const std::string& iconFile) override;
    void setListArrowPointer() override;
    void ensureVisible(std::size_t position) override;

    Platform& platform_;
    FormLogic logic_;
    FileListModel* model_;
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
