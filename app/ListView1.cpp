#include "app/ListView1.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>

#include "filelist/FileListModel.h"
#include "filelist/UriList.h"

namespace vx {

ListView1::ListView1(FileListModel* model, QWidget* parent) : QTreeView(parent), model_(model) {
    setModel(model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    setDragDropMode(DropOnly);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(ScrollPerPixel);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::Interactive);
    header()->setSectionsMovable(false);
    connect(model, &FileListModel::selectedRowChanged, this, &ListView1::showSelectedRow);
    // Keys move the highlight without a click: the list keeps what the user sees selected.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList rows = selectionModel()->selectedRows();
        model_->selectRow(rows.isEmpty() ? -1 : rows.front().row());
    });
}

std::optional<std::size_t> ListView1::HitTest(QPoint point) {
    // Only a line the user can see: not under the header, the frame or beyond the window,
    // where the view would count on into rows scrolled out of sight.
    if (!viewport()->rect().contains(point)) return std::nullopt;
    model_->sync();
    const QModelIndex index = indexAt(point);
    if (!index.isValid()) return std::nullopt;
    return static_cast<std::size_t>(index.row()) + 1;
}

void ListView1::EnsureVisible(std::size_t position) {
    model_->sync();
    scrollTo(model_->index(static_cast<int>(position) - 1), QAbstractItemView::EnsureVisible);
}

void ListView1::showSelectedRow(int row) {
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.size() == (row < 0 ? 0 : 1) && (row < 0 || rows.front().row() == row)) return;
    if (row < 0) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = model_->index(row);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void ListView1::setOwnPointer(int setting, const QCursor& picture) {
    ownPointer_ = setting;
    ownPicture_ = picture;
    applyCursor();
}

// The whole list, header and frame included, shows the arrow unless the window is busy;
// the header is left alone so its divider can show the resize pointer.
void ListView1::applyWindowPointer(bool busy) {
    setCursor(busy ? Qt::WaitCursor : Qt::ArrowCursor);
}

void ListView1::applyCursor() {
    if (ownPointer_ == 99) {
        viewport()->setCursor(ownPicture_);
    } else if (ownPointer_ == 1) {
        viewport()->setCursor(Qt::ArrowCursor);
    } else {
        viewport()->unsetCursor();
    }
}

void ListView1::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (const auto hit = HitTest(event->position().toPoint())) emit ItemClick(*hit);
    emit MouseDown();
    event->accept();
}

void ListView1::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(event->position().toPoint());
    event->accept();
}

void ListView1::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseUp();
    event->accept();
}

void ListView1::mouseDoubleClickEvent(QMouseEvent* event) {
    emit DblClick();
    event->accept();
}

std::optional<std::vector<std::string>> ListView1::DroppedPaths(const QMimeData* data) {
    if (data == nullptr || !data->hasFormat(QStringLiteral("text/uri-list"))) return std::nullopt;
    return LocalPathsFromUriList(data->data(QStringLiteral("text/uri-list")).toStdString());
}

// A drop only ever copies names: the source must never delete or move the user's files.
void ListView1::offerCopy(QDragMoveEvent* event) {
    if (!DroppedPaths(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void ListView1::dragEnterEvent(QDragEnterEvent* event) {
    offerCopy(event);
}

void ListView1::dragMoveEvent(QDragMoveEvent* event) {
    offerCopy(event);
}

void ListView1::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
}

void ListView1::dropEvent(QDropEvent* event) {
    const auto paths = DroppedPaths(event->mimeData());
    if (!paths) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit FilesDropped(*paths);
}

}  // namespace vx
