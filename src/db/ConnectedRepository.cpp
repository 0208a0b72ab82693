#include "db/ConnectedRepository.h"

#include "db/Database.h"
#include "db/SegmentOperations.h"
#include "db/ServerConnectionLost.h"
#include "db/Statements.h"
#include "persons/PersonAdmin.h"

namespace kavio {

SaveResult ConnectedRepository::storeFirst(const SegmentInfo &segment, qint32 person, const QDate &day,
                                           const QTime &time, const SegmentReading &values)
{
    // The table name is checked before the database is opened.
    sql::segmentTable(QLatin1String(segment.table));
    return settled(
        [&] {
            return on([&](const DbConnection &db) { return storeFirstOn(db, segment, person, day, time, values); });
        },
        [&](const DbConnection &db) { return storedFirstOn(db, segment, person, day, time, values); });
}

SaveResult ConnectedRepository::storeSecond(const SegmentInfo &segment, qint32 person, const QDate &day,
                                            const SegmentReading &values)
{
    const QString lookup = latestOfDayLookup(segment);
    return settled(
        [&] {
            return on([&](const DbConnection &db) { return storeSecondOn(db, lookup, segment, person, day, values); });
        },
        [&](const DbConnection &db) { return storedSecondOn(db, lookup, segment, person, day, values); });
}

SaveResult ConnectedRepository::settled(const std::function<SaveResult()> &store, const StoredRow &find)
{
    try {
        return store();
    } catch (const ServerConnectionLost &lost) {
        if (!lost.outcomeUnknown())
            throw;
        const std::optional<qint64> row = settleLostCommit(lost, find);
        if (!row)
            throw ServerConnectionLost(lost, false);
        return {SaveOutcome::Stored, *row};
    }
}

std::optional<qint64> ConnectedRepository::settleLostCommit(const ServerConnectionLost &lost, const StoredRow &)
{
    throw lost;
}

bool ConnectedRepository::deleteMeasurement(const SegmentInfo &segment, qint32 person, qint64 messId)
{
    return on([&](const DbConnection &db) { return deleteMeasurementOn(db, segment, person, messId); });
}

QList<Measurement> ConnectedRepository::measurements(const SegmentInfo &segment, qint32 person, MeasurementOrder order)
{
    return on([&](const DbConnection &db) { return measurementsOn(db, segment, person, order); });
}

SegmentCounts ConnectedRepository::counts(qint32 person)
{
    return on([&](const DbConnection &db) { return countsOn(db, person); });
}

std::optional<qint16> ConnectedRepository::smallestW50(const SegmentInfo &segment, qint32 person)
{
    return on([&](const DbConnection &db) { return smallestW50On(db, segment, person); });
}

std::optional<PersonBoxes> ConnectedRepository::personDetails(qint32 lfdNr)
{
    return on([&](const DbConnection &db) { return readPersonDetails(db, lfdNr); });
}

bool ConnectedRepository::personPresent(const QString &vorname, const QString &name, const QString &gebDat)
{
    return on([&](const DbConnection &db) { return kavio::personPresent(db, vorname, name, gebDat); });
}

qint64 ConnectedRepository::storePerson(const PersonBoxes &boxes)
{
    return on([&](const DbConnection &db) { return kavio::storePerson(db, boxes); });
}

void ConnectedRepository::deletePerson(qint32 lfdNr)
{
    run([&](const DbConnection &db) { deletePersonWithMeasurements(db, lfdNr); });
}

clinical::PersonFacts ConnectedRepository::personFacts(qint32 lfdNr)
{
    return on([&](const DbConnection &db) { return personFactsOn(db, lfdNr); });
}

bool ConnectedRepository::setPersonFacts(qint32 lfdNr, const clinical::PersonFacts &facts)
{
    return on([&](const DbConnection &db) { return setPersonFactsOn(db, lfdNr, facts); });
}

std::optional<Person> ConnectedRepository::findPracticePerson(const PracticePerson &patient)
{
    return on([&](const DbConnection &db) { return findPracticePersonOn(db, patient); });
}

Person ConnectedRepository::addPracticePerson(const PracticePerson &patient)
{
    return on([&](const DbConnection &db) { return addPracticePersonOn(db, patient); });
}

QString ConnectedRepository::practiceNumber(qint32 lfdNr)
{
    return on([&](const DbConnection &db) { return practiceNumberOn(db, lfdNr); });
}

} // namespace kavio
