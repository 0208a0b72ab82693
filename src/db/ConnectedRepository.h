#pragma once

#include "db/SegmentRepository.h"

#include <functional>

namespace kavio {

class DbConnection;
class ServerConnectionLost;

// The operations that read and write the same way on every engine, run on the connection
// an engine keeps for the window's thread. An engine opens that connection (run), names
// how a second measurement finds its row, and adds what differs: the person list and
// the person search.
class ConnectedRepository : public SegmentRepository {
public:
    SaveResult storeFirst(const SegmentInfo &segment, qint32 person, const QDate &day, const QTime &time,
                          const SegmentReading &values) final;
    SaveResult storeSecond(const SegmentInfo &segment, qint32 person, const QDate &day,
                           const SegmentReading &values) final;
    bool deleteMeasurement(const SegmentInfo &segment, qint32 person, qint64 messId) final;
    QList<Measurement> measurements(const SegmentInfo &segment, qint32 person, MeasurementOrder order) final;
    SegmentCounts counts(qint32 person) final;
    std::optional<qint16> smallestW50(const SegmentInfo &segment, qint32 person) final;
    std::optional<PersonBoxes> personDetails(qint32 lfdNr) final;
    bool personPresent(const QString &vorname, const QString &name, const QString &gebDat) final;
    qint64 storePerson(const PersonBoxes &boxes) final;
    void deletePerson(qint32 lfdNr) final;
    clinical::PersonFacts personFacts(qint32 lfdNr) final;
    bool setPersonFacts(qint32 lfdNr, const clinical::PersonFacts &facts) final;
    std::optional<Person> findPracticePerson(const PracticePerson &patient) final;
    Person addPracticePerson(const PracticePerson &patient) final;
    QString practiceNumber(qint32 lfdNr) final;

protected:
    // Runs work on the connection of the window's thread, opening it when needed.
    virtual void run(const std::function<void(const DbConnection &)> &work) = 0;
    // The statement finding the person's latest row of the day (Datum, FKTN -> MessID).
    virtual QString latestOfDayLookup(const SegmentInfo &segment) const = 0;
    // A store's commit lost its answer (lost): find, run once the database can be asked
    // again, tells the row the store wrote, nullopt when it is not there. Throws lost again
    // when the database cannot be asked. A file never loses a commit's answer.
    using StoredRow = std::function<std::optional<qint64>(const DbConnection &)>;
    virtual std::optional<qint64> settleLostCommit(const ServerConnectionLost &lost, const StoredRow &find);

    // store's result; when its commit lost its answer, Stored or ServerConnectionLost as
    // settleLostCommit finds the row.
    SaveResult settled(const std::function<SaveResult()> &store, const StoredRow &find);

    // work's result, computed on the connection.
    template <typename Work> auto on(Work &&work)
    {
        decltype(work(std::declval<const DbConnection &>())) result{};
        run([&](const DbConnection &db) { result = work(db); });
        return result;
    }
};

} // namespace kavio
