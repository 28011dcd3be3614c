#pragma once

#include <QAbstractListModel>

#include "filelist/FileList.h"

namespace vx {

// Shows a FileList in a Qt view. Appends are published to the view in one batch when
// control returns to the event loop (or at sync()), so adding a million entries costs
// one insert notification, not a million.
class FileListModel : public QAbstractListModel, private FileListObserver {
    Q_OBJECT
  public:
    explicit FileListModel(FileList& list, QObject* parent = nullptr);
    ~FileListModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role) override;

    // Publishes pending appends now.
    void sync();
    // Makes the 0-based row (-1: none) the list's selected entry, unless it already is.
    void selectRow(int row);

  signals:
    // 0-based row of the list's selected entry, -1 for none.
    void selectedRowChanged(int row);

  private:
    void appended(std::size_t position) override;
    void aboutToRemove(std::size_t position) override;
    void removed(std::size_t position) override;
    void textChanged(std::size_t position) override;
    void selectionChanged() override;
    int selectedRow() const;

    FileList& list_;
    int published_ = 0;
    bool flushQueued_ = false;
    QString header_;
};

}  // namespace vx
