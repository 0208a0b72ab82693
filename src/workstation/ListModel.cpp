#include "workstation/ListModel.h"

#include "app/Errors.h"

namespace kavio {

std::unique_ptr<ListModel> ListModel::of(ListRows rows)
{
    std::unique_ptr<ListModel> model(new ListModel);
    model->m_rows = std::move(rows);
    return model;
}

int ListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.rows;
}

int ListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.columns;
}

const QString &ListModel::text(int row, int column) const
{
    static const QString empty;
    if (row < 0 || row >= m_rows.rows || column < 0 || column >= m_rows.columns)
        return empty;
    return m_rows.cells[row * m_rows.columns + column];
}

QVariant ListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::BackgroundRole: {
        const auto it = m_background.constFind(quint64(index.row()) << 32 | quint32(index.column()));
        return it == m_background.constEnd() ? QVariant() : QVariant(*it);
    }
    default:
        return {};
    }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_rows.fields.size() ? QVariant(m_rows.fields[section]) : QVariant();
    return QString();
}

Qt::ItemFlags ListModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void ListModel::setCellBackground(int row, int column, const QColor &colour)
{
    if (row < 0 || row >= m_rows.rows || column < 0 || column >= m_rows.columns)
        return;
    m_background.insert(quint64(row) << 32 | quint32(column), colour);
    const QModelIndex i = index(row, column);
    emit dataChanged(i, i, {Qt::BackgroundRole});
}

} // namespace kavio
