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

template <typename Fn> auto PostgresRepository::onConnection(Fn &&fn)
{
    const DbConnection &db = connection();
    try {
        return fn(db);
    } catch (const KavioError &) {
        dropIfLost();
        throw;
    }
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

SaveResult PostgresRepository::storeFirst(const SegmentInfo &segment, qint32 person, const QDate &day,
                                          const QTime &time, const SegmentReading &values)
{
    return onConnection([&](const DbConnection &db) { return storeFirstOn(db, segment, person, day, time, values); });
}

SaveResult PostgresRepository::storeSecond(const SegmentInfo &segment, qint32 person, const QDate &day,
                                           const SegmentReading &values)
{
    // The row found stays locked until the commit: another workstation's second
    // measurement waits, and a deletion cannot take it away in between.
    const QString lookup = sql::server::latestOfDayLocked(QLatin1String(segment.table));
    return onConnection(
        [&](const DbConnection &db) { return storeSecondOn(db, lookup, segment, person, day, values); });
}

bool PostgresRepository::deleteMeasurement(const SegmentInfo &segment, qint32 person, qint64 messId)
{
    return onConnection([&](const DbConnection &db) { return deleteMeasurementOn(db, segment, person, messId); });
}

QList<Measurement> PostgresRepository::measurements(const SegmentInfo &segment, qint32 person, MeasurementOrder order)
{
    return onConnection([&](const DbConnection &db) { return measurementsOn(db, segment, person, order); });
}

SegmentCounts PostgresRepository::counts(qint32 person)
{
    return onConnection([&](const DbConnection &db) { return countsOn(db, person); });
}

std::optional<qint16> PostgresRepository::smallestW50(const SegmentInfo &segment, qint32 person)
{
    return onConnection([&](const DbConnection &db) { return smallestW50On(db, segment, person); });
}

ListRows PostgresRepository::personList(QVector<ListFormatter> formatters, const std::atomic_bool *cancel) const
{
    const DbConnection db = DbConnection::openServer(m_address);
    return readServerListRows(db, sql::server::personListMain(), std::move(formatters), cancel);
}

QList<PersonRow> PostgresRepository::persons(const QString &searchText)
{
    return onConnection([&](const DbConnection &db) {
        const QString prefix = searchText.trimmed();
        QSqlQuery q = prefix.isEmpty() ? db.exec(sql::importList())
                                       : db.exec(sql::importListByPrefix(), {sql::foldedPrefixPattern(prefix)});
        return personRowsInNameOrder(q);
    });
}

std::optional<PersonBoxes> PostgresRepository::personDetails(qint32 lfdNr)
{
    return onConnection([&](const DbConnection &db) { return readPersonDetails(db, lfdNr); });
}

bool PostgresRepository::personPresent(const QString &vorname, const QString &name, const QString &gebDat)
{
    return onConnection([&](const DbConnection &db) { return kavio::personPresent(db, vorname, name, gebDat); });
}

qint64 PostgresRepository::storePerson(const PersonBoxes &boxes)
{
    return onConnection([&](const DbConnection &db) { return kavio::storePerson(db, boxes); });
}

void PostgresRepository::deletePerson(qint32 lfdNr)
{
    onConnection([&](const DbConnection &db) { deletePersonWithMeasurements(db, lfdNr); });
}

clinical::PersonFacts PostgresRepository::personFacts(qint32 lfdNr)
{
    return onConnection([&](const DbConnection &db) { return personFactsOn(db, lfdNr); });
}

bool PostgresRepository::setPersonFacts(qint32 lfdNr, const clinical::PersonFacts &facts)
{
    return onConnection([&](const DbConnection &db) { return setPersonFactsOn(db, lfdNr, facts); });
}

std::optional<Person> PostgresRepository::findPracticePerson(const PracticePerson &patient)
{
    return onConnection([&](const DbConnection &db) { return findPracticePersonOn(db, patient); });
}

Person PostgresRepository::addPracticePerson(const PracticePerson &patient)
{
    return onConnection([&](const DbConnection &db) { return addPracticePersonOn(db, patient); });
}

QString PostgresRepository::practiceNumber(qint32 lfdNr)
{
    return onConnection([&](const DbConnection &db) { return practiceNumberOn(db, lfdNr); });
}

} // namespace kavio
