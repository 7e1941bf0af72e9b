#pragma once

#include "library/LibraryRun.h"
#include "library/RunColumns.h"

#include <QAbstractTableModel>

#include <vector>

// The library's runs as a table: the columns `trelvane-library list` prints,
// sorted by their numbers (kSortRole), not by their text.
class RunTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kSortRole = Qt::UserRole;
    static constexpr int kRunIdRole = Qt::UserRole + 1;

    explicit RunTableModel(QObject* parent = nullptr);

    void setRuns(std::vector<LibraryRun> runs);
    const std::vector<LibraryRun>& runs() const { return runs_; }
    const LibraryRun& runAt(int row) const { return runs_[static_cast<std::size_t>(row)]; }
    int columnOf(RunColumn column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<LibraryRun> runs_;
    std::vector<RunColumn> columns_;
};
