#include "db/SqliteRepository.h"

#include "app/Errors.h"
#include "db/Schema.h"
#include "db/Statements.h"

namespace kavio {

namespace {

// A transient lock held by another connection is waited out over a few attempts; the
// last attempt's failure is the one reported.
constexpr int kOpenAttempts = 10;

} // namespace

SqliteRepository::SqliteRepository(QString path) : m_path(std::move(path)) {}

const DbConnection &SqliteRepository::connection()
{
    if (m_db.isOpen())
        return m_db;
    for (int attempt = 1;; ++attempt) {
        try {
            m_db = DbConnection::open(m_path);
        } catch (const KavioError &) {
            if (attempt == kOpenAttempts)
                throw;
            continue;
        }
        const QString refusal = newerSchemaRefusal(m_path, segmentSchemaVersion(m_db));
        if (!refusal.isEmpty()) {
            m_db.close();
            throw KavioError(static_cast<int>(RunError::UnknownDatabaseFormat), refusal);
        }
        return m_db;
    }
}

void SqliteRepository::release()
{
    m_db.close();
}

void SqliteRepository::run(const std::function<void(const DbConnection &)> &work)
{
    work(connection());
}

QString SqliteRepository::latestOfDayLookup(const SegmentInfo &segment) const
{
    // The write lock taken at the transaction's start keeps the row found.
    return sql::latestOfDay(QLatin1String(segment.table));
}

ListRows SqliteRepository::personList(QVector<ListFormatter> formatters, const std::atomic_bool *cancel) const
{
    const DbConnection db = DbConnection::open(m_path, OpenMode::ReadOnly);
    return readListRows(db, sql::personListMain(), {}, std::move(formatters), cancel);
}

QList<PersonRow> SqliteRepository::persons(const QString &searchText)
{
    return readPersonList(connection(), searchText);
}

} // namespace kavio
