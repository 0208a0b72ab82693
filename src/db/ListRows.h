#pragma once

#include "db/Database.h"

#include <atomic>
#include <functional>
#include <QStringList>
#include <QVariantList>
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

// "2026-12-06" -> "06.12.2026"; any other text stays as it is.
QString isoToGermanDate(const QString &s);

} // namespace kavio
