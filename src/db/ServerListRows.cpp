#include "db/ServerListRows.h"

#include "app/Errors.h"

#include <QSqlRecord>

namespace kavio {

namespace {

// The number and text the file's reader reports for a cancelled read.
constexpr int kInterrupted = 9;

} // namespace

ListRows readServerListRows(const DbConnection &db, const QString &sql, QVector<ListFormatter> formatters,
                            const std::atomic_bool *cancel)
{
    QSqlQuery q = db.exec(sql);
    ListRows out;
    const QSqlRecord record = q.record();
    out.columns = record.count();
    for (int c = 0; c < out.columns; ++c)
        out.fields << record.fieldName(c);
    formatters.resize(out.columns);
    while (q.next()) {
        if (cancel && cancel->load())
            throw KavioError(kInterrupted, QStringLiteral("interrupted"));
        for (int c = 0; c < out.columns; ++c) {
            const QVariant v = q.value(c);
            QString cell = v.isNull() ? QString() : v.toString();
            out.cells.append(formatters[c] ? formatters[c](cell) : std::move(cell));
        }
        ++out.rows;
    }
    return out;
}

} // namespace kavio
