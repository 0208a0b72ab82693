#include "workstation/ListModel.h"

#include "app/Errors.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace kavio {

std::unique_ptr<ListModel> ListModel::open(const QString &dbPath, const QString &sql, const QVariantList &values,
                                           QVector<Formatter> formatters)
{
    std::unique_ptr<ListModel> model(new ListModel);
    model->m_db = DbConnection::open(dbPath, OpenMode::ReadOnly);
    {
        QSqlQuery q = model->m_db.exec(sql, values);
        const QSqlRecord record = q.record();
        model->m_columns = record.count();
        for (int c = 0; c < model->m_columns; ++c)
            model->m_fields << record.fieldName(c);
        formatters.resize(model->m_columns);
        while (q.next()) {
            for (int c = 0; c < model->m_columns; ++c) {
                const QVariant v = q.value(c);
                model->m_cells.append(formatters[c] ? formatters[c](v) : v.toString());
            }
            ++model->m_rows;
        }
        if (q.lastError().isValid())
            throw KavioError::fromSql(q.lastError());
    }
    return model;
}

int ListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int ListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

const QString &ListModel::text(int row, int column) const
{
    static const QString empty;
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return empty;
    return m_cells[row * m_columns + column];
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
        return section >= 0 && section < m_fields.size() ? QVariant(m_fields[section]) : QVariant();
    return QString();
}

Qt::ItemFlags ListModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void ListModel::setCellBackground(int row, int column, const QColor &colour)
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return;
    m_background.insert(quint64(row) << 32 | quint32(column), colour);
    const QModelIndex i = index(row, column);
    emit dataChanged(i, i, {Qt::BackgroundRole});
}

QString isoToGermanDate(const QVariant &value)
{
    const QString s = value.toString();
    if (s.size() == 10 && s[4] == QLatin1Char('-') && s[7] == QLatin1Char('-'))
        return s.mid(8, 2) + QLatin1Char('.') + s.mid(5, 2) + QLatin1Char('.') + s.left(4);
    return s;
}

} // namespace kavio
