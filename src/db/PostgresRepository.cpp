#include "db/PostgresRepository.h"

#include "app/Errors.h"
#include "app/Log.h"
#include "db/SegmentOperations.h"
#include "db/ServerConnectionLost.h"
#include "db/ServerListRows.h"
#include "db/ServerSchema.h"
#include "db/ServerStatements.h"
#include "db/Statements.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

namespace kavio {

PostgresRepository::PostgresRepository(ServerAddress address) : m_address(std::move(address)) {}

const DbConnection &PostgresRepository::connection()
{
    if (m_db.usable())
        return m_db;
    const bool reconnecting = m_db.isOpen();
    release();
    DbConnection db = DbConnection::openServer(m_address);
    ensureServerSchema(db, m_address.schema);
    m_serverProcess = QString::number(db.serverProcess());
    m_db = std::move(db);
    if (m_changed) {
        listen();
        // What the others changed while this workstation was cut off was not announced to it.
        if (reconnecting)
            QMetaObject::invokeMethod(QCoreApplication::instance(), m_changed, Qt::QueuedConnection);
    }
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
    } catch (const ServerConnectionLost &) {
        m_lostProcess = m_db.serverProcess();
        release();
        throw;
    } catch (const KavioError &e) {
        if (dropIfLost())
            throw ServerConnectionLost(e, false); // cut off before the commit: rolled back
        throw;
    }
}

QString PostgresRepository::latestOfDayLookup(const SegmentInfo &segment) const
{
    // The row found stays locked until the commit: another workstation's second
    // measurement waits, and a deletion cannot take it away in between.
    return sql::server::latestOfDayLocked(QLatin1String(segment.table));
}

std::optional<qint64> PostgresRepository::settleLostCommit(const ServerConnectionLost &lost, const StoredRow &find)
{
    const QDeadlineTimer deadline(std::chrono::seconds(m_address.commitCheckSeconds));
    QString problem;
    do {
        try {
            const DbConnection &db = connection();
            if (m_lostProcess) {
                db.exec(sql::server::endOpenSession(), {m_lostProcess});
                while (db.exec(sql::server::sessionOpen(), {m_lostProcess}).next() && !deadline.hasExpired())
                    QThread::msleep(20);
                m_lostProcess = 0;
            }
            return find(db);
        } catch (const KavioError &e) {
            problem = e.description();
            release();
        }
        QThread::msleep(250);
    } while (!deadline.hasExpired());
    qCWarning(lcServer) << "Ob die Messung gespeichert wurde, ließ sich nicht klären:" << problem;
    throw lost;
}

bool PostgresRepository::dropIfLost()
{
    if (m_db.answers())
        return false;
    release();
    return true;
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
