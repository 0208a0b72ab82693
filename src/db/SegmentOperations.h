#pragma once

#include "db/SegmentRepository.h"

namespace kavio {

class DbConnection;

// The repository's operations on an open connection, the same for every engine: the
// statements of Statements.h, the checks before writing and the mapping of rows to typed
// values. A repository opens its connection and passes it in.
SaveResult storeFirstOn(const DbConnection &db, const SegmentInfo &segment, qint32 person, const QDate &day,
                        const QTime &time, const SegmentReading &values);
// lookup: the statement finding the day's latest row (Datum, FKTN -> MessID); a server
// locks that row with it, so no other workstation changes or deletes it meanwhile.
SaveResult storeSecondOn(const DbConnection &db, const QString &lookup, const SegmentInfo &segment, qint32 person,
                         const QDate &day, const SegmentReading &values);
// What became of a store whose commit lost its answer, looked up afterwards: the row
// storeFirstOn would have written (nullopt when there is none).
std::optional<qint64> storedFirstOn(const DbConnection &db, const SegmentInfo &segment, qint32 person, const QDate &day,
                                    const QTime &time, const SegmentReading &values);
// The day's latest row when it holds the second values storeSecondOn would have written.
std::optional<qint64> storedSecondOn(const DbConnection &db, const QString &lookup, const SegmentInfo &segment,
                                     qint32 person, const QDate &day, const SegmentReading &values);
bool deleteMeasurementOn(const DbConnection &db, const SegmentInfo &segment, qint32 person, qint64 messId);
QList<Measurement> measurementsOn(const DbConnection &db, const SegmentInfo &segment, qint32 person,
                                  MeasurementOrder order);
SegmentCounts countsOn(const DbConnection &db, qint32 person);
std::optional<qint16> smallestW50On(const DbConnection &db, const SegmentInfo &segment, qint32 person);
clinical::PersonFacts personFactsOn(const DbConnection &db, qint32 lfdNr);
bool setPersonFactsOn(const DbConnection &db, qint32 lfdNr, const clinical::PersonFacts &facts);
std::optional<Person> findPracticePersonOn(const DbConnection &db, const PracticePerson &patient);
Person addPracticePersonOn(const DbConnection &db, const PracticePerson &patient);
QString practiceNumberOn(const DbConnection &db, qint32 lfdNr);

// The time as it is stored in Uhrzeit.
QString storedTime(const QTime &time);

} // namespace kavio
