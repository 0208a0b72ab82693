#pragma once

#include "db/Database.h"

#include <atomic>
#include <functional>
#include <memory>
#include <QAbstractTableModel>
#include <QColor>
#include <QSet>
#include <QVector>

namespace kavio {

// The rows of one list as the grid shows them: every cell is held as its text.
struct ListRows {
    QStringList fields;
    QVector<QString> cells; // row by row
    int columns = 0;
    int rows = 0;
};

// Turns a stored value into the text of its cell.
using ListFormatter = std::function<QString(const QString &)>;

// Runs the statement on the connection with the bound values and reads every row;
// formatters[i], when set, formats column i. When cancel is given and becomes true the
// read stops with the engine's "interrupted" error. Throws KavioError on failure.
ListRows readListRows(const DbConnection &db, const QString &sql, const QVariantList &values = {},
                      QVector<ListFormatter> formatters = {}, const std::atomic_bool *cancel = nullptr);

// A read-only list bound to one of the main window's grids: the result of one query,
// read once when the list is filled (a static result set) and kept, together with its
// connection, until the window fills the list again. Every cell is held as the text the
// grid shows, so showing and measuring the list never goes back to the database.
class ListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using Formatter = ListFormatter;

    // Opens its own connection to the database file and reads the rows (readListRows).
    // Throws KavioError when the file cannot be opened or the statement fails.
    static std::unique_ptr<ListModel> open(const QString &dbPath, const QString &sql, const QVariantList &values = {},
                                           QVector<Formatter> formatters = {});
    // A list of rows read before (on another thread, say), held with a connection of its own.
    static std::unique_ptr<ListModel> adopt(DbConnection db, ListRows rows);

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

    bool holdsConnection() const { return m_db.isOpen(); }

private:
    ListModel() = default;

    DbConnection m_db;
    ListRows m_rows;
    QHash<quint64, QColor> m_background; // (row << 32 | column) -> colour
};

// "2026-12-06" -> "06.12.2026"; any other text stays as it is.
QString isoToGermanDate(const QString &s);

} // namespace kavio
