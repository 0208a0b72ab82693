#pragma once

#include "db/ListRows.h"

#include <atomic>
#include <functional>
#include <memory>
#include <QAbstractTableModel>
#include <QColor>
#include <QSet>
#include <QVector>

namespace kavio {

// A read-only list bound to one of the main window's grids: rows read once when the list
// is filled and kept until the window fills the list again. Every cell is held as the
// text the grid shows, so showing and measuring the list never goes back to the database.
class ListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using Formatter = ListFormatter;

    static std::unique_ptr<ListModel> of(ListRows rows);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The text of a cell; empty outside the list.
    const QString &text(int row, int column) const;
    const QStringList &fieldNames() const { return m_rows.fields; }

    // Paints the background of one cell (the grid's cell colour).
    void setCellBackground(int row, int column, const QColor &colour);

private:
    ListModel() = default;

    ListRows m_rows;
    QHash<quint64, QColor> m_background; // (row << 32 | column) -> colour
};

} // namespace kavio
