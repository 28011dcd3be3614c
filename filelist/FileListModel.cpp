#include "filelist/FileListModel.h"

namespace vx {

FileListModel::FileListModel(FileList& list, QObject* parent)
    : QAbstractListModel(parent), list_(list), published_(static_cast<int>(list.count())) {
    list_.setObserver(this);
}

FileListModel::~FileListModel() {
    list_.setObserver(nullptr);
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : published_;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= published_) return {};
    // Display only: the entry itself keeps its bytes even when they are not valid UTF-8.
    return QString::fromStdString(list_.text(static_cast<std::size_t>(index.row()) + 1));
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole) return header_;
    return QAbstractListModel::headerData(section, orientation, role);
}

bool FileListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                                  int role) {
    if (section != 0 || orientation != Qt::Horizontal || role != Qt::DisplayRole) return false;
    header_ = value.toString();
    emit headerDataChanged(orientation, 0, 0);
    return true;
}

void FileListModel::sync() {
    flushQueued_ = false;
    const int count = static_cast<int>(list_.count());
    if (count <= published_) return;
    beginInsertRows(QModelIndex(), published_, count - 1);
    published_ = count;
    endInsertRows();
}

void FileListModel::appended(std::size_t) {
    if (flushQueued_) return;
    flushQueued_ = true;
    QMetaObject::invokeMethod(this, &FileListModel::sync, Qt::QueuedConnection);
}

void FileListModel::aboutToRemove(std::size_t position) {
    sync();
    const int row = static_cast<int>(position) - 1;
    beginRemoveRows(QModelIndex(), row, row);
}

void FileListModel::removed(std::size_t) {
    --published_;
    endRemoveRows();
}

void FileListModel::textChanged(std::size_t position) {
    sync();
    const QModelIndex i = index(static_cast<int>(position) - 1);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

int FileListModel::selectedRow() const {
    const auto ref = list_.selected();
    const auto pos = ref ? list_.position(*ref) : std::nullopt;
    return pos ? static_cast<int>(*pos) - 1 : -1;
}

void FileListModel::selectRow(int row) {
    if (row == selectedRow()) return;
    if (row < 0) {
        list_.clearSelection();
    } else {
        list_.select(static_cast<std::size_t>(row) + 1);
    }
}

void FileListModel::selectionChanged() {
    sync();
    emit selectedRowChanged(selectedRow());
}

}  // namespace vx
