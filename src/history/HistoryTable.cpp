#include "history/HistoryTable.h"

#include "session/MeasurementTable.h"

namespace kavio {

void HistoryTable::setMeasurements(const QList<Measurement> &rows)
{
    std::vector<QVariantList> cells;
    cells.reserve(static_cast<size_t>(rows.size()));
    for (const Measurement &m : rows)
        cells.push_back(measurementCells(m));
    setContent(measurementColumns(QStringLiteral("Messdatum")), std::move(cells));
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
