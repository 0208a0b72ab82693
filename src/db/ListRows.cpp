#include "db/ListRows.h"

#include "app/Errors.h"

#include <QSqlError>
#include <sqlite3.h>

namespace kavio {

namespace {

KavioError engineError(sqlite3 *db)
{
    return KavioError(sqlite3_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
}

void bind(sqlite3 *db, sqlite3_stmt *stmt, int i, const QVariant &v)
{
    int rc = SQLITE_OK;
    if (v.isNull()) {
        rc = sqlite3_bind_null(stmt, i);
    } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::UInt) {
        rc = sqlite3_bind_int64(stmt, i, v.toLongLong());
    } else {
        const QByteArray text = v.toString().toUtf8();
        rc = sqlite3_bind_text(stmt, i, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK)
        throw engineError(db);
}

// Asks the engine, every thousand steps of a statement, whether to stop; the handler
// goes with the read, the connection may live on.
class CancelHandler {
public:
    CancelHandler(sqlite3 *db, const std::atomic_bool *cancel) : m_db(cancel ? db : nullptr)
    {
        if (m_db)
            sqlite3_progress_handler(m_db, 1000, &stop, const_cast<std::atomic_bool *>(cancel));
    }
    ~CancelHandler()
    {
        if (m_db)
            sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
    }
    CancelHandler(const CancelHandler &) = delete;
    CancelHandler &operator=(const CancelHandler &) = delete;

private:
    static int stop(void *cancel) { return static_cast<const std::atomic_bool *>(cancel)->load() ? 1 : 0; }
    sqlite3 *m_db;
};

} // namespace

ListRows readListRows(const DbConnection &connection, const QString &sql, const QVariantList &values,
                      QVector<ListFormatter> formatters, const std::atomic_bool *cancel)
{
    // Read straight from the engine: a list of 100,000 rows is read in a fraction of
    // the time the general query interface takes, which converts every value twice.
    sqlite3 *db = engineHandle(connection.db());
    if (!db)
        throw KavioError::fromSql(connection.db().lastError());
    const CancelHandler cancelHandler(db, cancel);
    sqlite3_stmt *stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), static_cast<int>(text.size()), &stmt, nullptr) != SQLITE_OK)
        throw engineError(db);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> guard(stmt, &sqlite3_finalize);
    for (int i = 0; i < values.size(); ++i)
        bind(db, stmt, i + 1, values[i]);

    ListRows out;
    const int columns = sqlite3_column_count(stmt);
    out.columns = columns;
    for (int c = 0; c < columns; ++c)
        out.fields << QString::fromUtf8(sqlite3_column_name(stmt, c));
    formatters.resize(columns);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            QString cell;
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_NULL:
                break;
            case SQLITE_INTEGER:
                cell = QString::number(sqlite3_column_int64(stmt, c));
                break;
            default:
                cell = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, c)),
                                         sqlite3_column_bytes(stmt, c));
            }
            out.cells.append(formatters[c] ? formatters[c](cell) : std::move(cell));
        }
        ++out.rows;
    }
    if (rc != SQLITE_DONE)
        throw engineError(db);
    return out;
}

QString isoToGermanDate(const QString &s)
{
    if (s.size() != 10 || s[4] != QLatin1Char('-') || s[7] != QLatin1Char('-'))
        return s;
    const QChar german[10] = {s[8], s[9], QLatin1Char('.'), s[5], s[6], QLatin1Char('.'), s[0], s[1], s[2], s[3]};
    return QString(german, 10);
}

} // namespace kavio
