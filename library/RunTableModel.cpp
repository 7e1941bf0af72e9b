#include "library/RunTableModel.h"

#include "controls/PlainToolTip.h"

#include <QFile>

#include <algorithm>

RunTableModel::RunTableModel(QObject* parent) : QAbstractTableModel(parent), columns_(listedColumns())
{
}

void RunTableModel::setRuns(std::vector<LibraryRun> runs)
{
    beginResetModel();
    runs_ = std::move(runs);
    endResetModel();
}

int RunTableModel::columnOf(RunColumn column) const
{
    const auto it = std::find(columns_.begin(), columns_.end(), column);
    return it == columns_.end() ? -1 : static_cast<int>(it - columns_.begin());
}

int RunTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(runs_.size());
}

int RunTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RunTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const LibraryRun& run = runAt(index.row());
    const RunColumn column = columns_[static_cast<std::size_t>(index.column())];
    const bool number = runColumnInfo(column).decimals >= 0;
    // A path is the file system's bytes, not necessarily UTF-8.
    const auto text = [&] {
        return column == RunColumn::File && !run.path.empty() ? QFile::decodeName(run.path.c_str())
                                                             : QString::fromStdString(runText(run, column));
    };
    switch (role) {
    case Qt::DisplayRole: return text();
    case Qt::ToolTipRole: return column == RunColumn::File ? plainToolTip(text()) : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    case kSortRole: {
        if (!number)
            return text();
        // A missing figure sorts below every number.
        const std::optional<double> v = runNumber(run, column);
        return v ? *v : -std::numeric_limits<double>::infinity();
    }
    case kRunIdRole: return QVariant::fromValue<qlonglong>(run.id);
    default: return {};
    }
}

QVariant RunTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    const RunColumnInfo& info = runColumnInfo(columns_[static_cast<std::size_t>(section)]);
    QString label = QString::fromUtf8(info.label);
    if (info.unit[0] != '\0')
        label += QStringLiteral(" (%1)").arg(QString::fromUtf8(info.unit));
    return label;
}
