#pragma once

#include <QTreeView>
#include <optional>
#include <string>
#include <vector>

namespace vx {

class FileListModel;

// The report-style file list. It does no selecting or dragging of its own: presses,
// moves and drops become the notifications the window handles, in the order the
// reorder drag needs (an entry click before the moves of the drag it starts).
class ListView1 : public QTreeView {
    Q_OBJECT
  public:
    ListView1(FileListModel* model, QWidget* parent);

    // 1-based position of the entry whose line lies at the point (viewport coordinates).
    std::optional<std::size_t> HitTest(QPoint point);
    void EnsureVisible(std::size_t position);

    // The list's own pointer: 0 none (the window's shows), 1 arrow, 99 custom picture.
    void setOwnPointer(int setting, const QCursor& picture = QCursor());
    int ownPointer() const { return ownPointer_; }
    void applyWindowPointer(bool busy);

    // Local file paths a drag offers, or nullopt when it offers no file-name list.
    static std::optional<std::vector<std::string>> DroppedPaths(const QMimeData* data);

  signals:
    // A press on an entry: the control selects it, then reports the entry click.
    void ItemClick(std::size_t position);
    void MouseDown();
    void MouseMove(QPoint point);
    void MouseUp();
    void DblClick();
    void FilesDropped(const std::vector<std::string>& paths);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void showSelectedRow(int row);
    void offerCopy(QDragMoveEvent* event);
    void applyCursor();

    FileListModel* model_;
    int ownPointer_ = 0;
    QCursor ownPicture_;
};

}  // namespace vx
