#pragma once

#include "persons/PersonAdmin.h"

#include <QAbstractTableModel>

namespace kavio {

// The rows of the person list, held after the result set is gone; read-only.
class PersonListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(QList<PersonRow> rows);
    void clear() { setRows({}); }

    // The text of a cell (empty outside the rows).
    QString text(int row, int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<PersonRow> m_rows;
};

} // namespace kavio
