#include "db/PostgresRepository.h"

#include "app/Errors.h"
#include "app/Log.h"
#include "db/SegmentOperations.h"
#include "db/ServerListRows.h"
#include "db/ServerSchema.h"
#include "db/ServerStatements.h"
#include "db/Statements.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace kavio {

PostgresRepository::PostgresRepository(ServerAddress address) : m_address(std::move(address)) {}

const DbConnection &PostgresRepository::connection()
{
    if (m_db.isOpen())
        return m_db;
    DbConnection db = DbConnection::openServer(m_address);
    ensureServerSchema(db, m_address.schema);
    QSqlQuery process = db.exec(sql::server::serverProcess());
    m_serverProcess = process.next() ? process.value(0).toString() : QString();
    process = QSqlQuery();
    m_db = std::move(db);
    if (m_changed && !m_listener.isOpen())
        listen();
    return m_db;
}

void PostgresRepository::watchChanges(std::function<void()> changed)
{
    m_changed = std::move(changed);
    listen();
}

void PostgresRepository::listen()
{
    try {
        DbConnection listener = DbConnection::openServer(m_address);
        QSqlDriver *driver = listener.db().driver();
        if (!driver->subscribeToNotification(sql::server::changeChannel(m_address.schema)))
            throw KavioError::fromSql(driver->lastError());
        // The driver goes with the listening connection, and this connection with it.
        QObject::connect(driver, &QSqlDriver::notification, driver,
                         [this](const QString &, QSqlDriver::NotificationSource, const QVariant &payload) {
                             if (payload.toString().section(QLatin1Char(' '), 1) != m_serverProcess)
                                 m_changed();
                         });
        m_listener = std::move(listener);
    } catch (const KavioError &e) {
        qCWarning(lcWindow) << "Änderungen anderer Arbeitsplätze werden nicht gemeldet:" << e.description();
    }
}

void PostgresRepository::run(const std::function<void(const DbConnection &)> &work)
{
    const DbConnection &db = connection();
    try {
        work(db);
    } catch (const KavioError &) {
        dropIfLost();
        throw;
    }
}

QString PostgresRepository::latestOfDayLookup(const SegmentInfo &segment) const
{
    // The row found stays locked until the commit: another workstation's second
    // measurement waits, and a deletion cannot take it away in between.
    return sql::server::latestOfDayLocked(QLatin1String(segment.table));
}

void PostgresRepository::dropIfLost()
{
    QSqlQuery probe(m_db.db());
    if (!probe.exec(QStringLiteral("SELECT 1"))) {
        probe = QSqlQuery();
        m_db.close();
        m_listener.close();
    }
}

void PostgresRepository::release()
{
    m_db.close();
    m_listener.close();
}

ListRows PostgresRepository::personList(QVector<ListFormatter> formatters, const std::atomic_bool *cancel) const
{
    const DbConnection db = DbConnection::openServer(m_address);
    return readServerListRows(db, sql::server::personListMain(), std::move(formatters), cancel);
}

QList<PersonRow> PostgresRepository::persons(const QString &searchText)
{
    return on([&](const DbConnection &db) {
        const QString prefix = searchText.trimmed();
        QSqlQuery q = prefix.isEmpty() ? db.exec(sql::importList())
                                       : db.exec(sql::importListByPrefix(), {sql::foldedPrefixPattern(prefix)});
        return personRowsInNameOrder(q);
    });
}

} // namespace kavio
