#include "db/SqliteRepository.h"

#include "app/Errors.h"
#include "db/Schema.h"
#include "db/SegmentOperations.h"
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

SaveResult SqliteRepository::storeFirst(const SegmentInfo &segment, qint32 person, const QDate &day, const QTime &time,
                                        const SegmentReading &values)
{
    // The table name is checked before the file is opened.
    sql::segmentTable(QLatin1String(segment.table));
    return storeFirstOn(connection(), segment, person, day, time, values);
}

SaveResult SqliteRepository::storeSecond(const SegmentInfo &segment, qint32 person, const QDate &day,
                                         const SegmentReading &values)
{
    // The write lock taken at the transaction's start keeps the row found.
    const QString lookup = sql::latestOfDay(QLatin1String(segment.table));
    return storeSecondOn(connection(), lookup, segment, person, day, values);
}

bool SqliteRepository::deleteMeasurement(const SegmentInfo &segment, qint32 person, qint64 messId)
{
    return deleteMeasurementOn(connection(), segment, person, messId);
}

QList<Measurement> SqliteRepository::measurements(const SegmentInfo &segment, qint32 person, MeasurementOrder order)
{
    return measurementsOn(connection(), segment, person, order);
}

SegmentCounts SqliteRepository::counts(qint32 person)
{
    return countsOn(connection(), person);
}

std::optional<qint16> SqliteRepository::smallestW50(const SegmentInfo &segment, qint32 person)
{
    return smallestW50On(connection(), segment, person);
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

std::optional<PersonBoxes> SqliteRepository::personDetails(qint32 lfdNr)
{
    return readPersonDetails(connection(), lfdNr);
}

bool SqliteRepository::personPresent(const QString &vorname, const QString &name, const QString &gebDat)
{
    return kavio::personPresent(connection(), vorname, name, gebDat);
}

qint64 SqliteRepository::storePerson(const PersonBoxes &boxes)
{
    return kavio::storePerson(connection(), boxes);
}

void SqliteRepository::deletePerson(qint32 lfdNr)
{
    deletePersonWithMeasurements(connection(), lfdNr);
}

clinical::PersonFacts SqliteRepository::personFacts(qint32 lfdNr)
{
    return personFactsOn(connection(), lfdNr);
}

bool SqliteRepository::setPersonFacts(qint32 lfdNr, const clinical::PersonFacts &facts)
{
    return setPersonFactsOn(connection(), lfdNr, facts);
}

std::optional<Person> SqliteRepository::findPracticePerson(const PracticePerson &patient)
{
    return findPracticePersonOn(connection(), patient);
}

Person SqliteRepository::addPracticePerson(const PracticePerson &patient)
{
    return addPracticePersonOn(connection(), patient);
}

QString SqliteRepository::practiceNumber(qint32 lfdNr)
{
    return practiceNumberOn(connection(), lfdNr);
}

} // namespace kavio
