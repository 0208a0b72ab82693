#include "history/HistoryTable.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace kavio {

void HistoryTable::load(QSqlQuery &query)
{
    beginResetModel();
    m_header.clear();
    m_rows.clear();
    const QSqlRecord record = query.record();
    for (int c = 0; c < record.count(); ++c)
        m_header << record.fieldName(c);
    while (query.next()) {
        QVariantList row;
        row.reserve(record.count());
        for (int c = 0; c < record.count(); ++c)
            row << query.value(c);
        m_rows.push_back(std::move(row));
    }
    endResetModel();
}

void HistoryTable::setContent(QStringList header, std::vector<QVariantList> rows)
{
    beginResetModel();
    m_header = std::move(header);
    m_rows = std::move(rows);
    endResetModel();
}

int HistoryTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int HistoryTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_header.size());
}

QVariant HistoryTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        const QVariantList &row = m_rows[static_cast<size_t>(index.row())];
        return index.column() < row.size() ? row[index.column()] : QVariant();
    }
    if (role == Qt::TextAlignmentRole && index.column() < kCentredColumns)
        return static_cast<int>(Qt::AlignCenter);
    return {};
}

QVariant HistoryTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_header.size() ? m_header[section] : QVariant();
    return section + 1;
}

} // namespace kavio
