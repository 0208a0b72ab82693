#include "persons/PersonListModel.h"

namespace kavio {

void PersonListModel::setRows(QList<PersonRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

QString PersonListModel::text(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= kPersonColumns)
        return {};
    return m_rows[row][column];
}

int PersonListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int PersonListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kPersonColumns;
}

QVariant PersonListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    // The tip shows what a narrow column cuts off.
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return text(index.row(), index.column());
    // Numbers line up on the right, as in every list of the program.
    if (role == Qt::TextAlignmentRole && index.column() >= 6)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant PersonListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || section < 0)
        return {};
    if (orientation == Qt::Horizontal)
        return section < kPersonColumns ? QString::fromLatin1(kPersonColumnNames[section]) : QVariant();
    return section + 1;
}

} // namespace kavio
