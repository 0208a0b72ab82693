#pragma once

#include "db/Database.h"
#include "db/SegmentRepository.h"
#include "db/ServerAddress.h"

namespace kavio {

// The segment database shared by several workstations on a PostgreSQL server. One
// connection for the window's thread, opened at the first operation (setting up the
// program's schema when it is missing) and kept until release(). When an operation
// fails because the server went away, the connection is dropped, so the next operation
// connects afresh (and listens again). A schema of a newer version is refused (KavioError
// UnknownDatabaseFormat).
class PostgresRepository final : public SegmentRepository {
public:
    explicit PostgresRepository(ServerAddress address);

    const ServerAddress &address() const { return m_address; }

    SaveResult storeFirst(const SegmentInfo &segment, qint32 person, const QDate &day, const QTime &time,
                          const SegmentReading &values) override;
    SaveResult storeSecond(const SegmentInfo &segment, qint32 person, const QDate &day,
                           const SegmentReading &values) override;
    bool deleteMeasurement(const SegmentInfo &segment, qint32 person, qint64 messId) override;
    QList<Measurement> measurements(const SegmentInfo &segment, qint32 person, MeasurementOrder order) override;
    SegmentCounts counts(qint32 person) override;
    std::optional<qint16> smallestW50(const SegmentInfo &segment, qint32 person) override;
    ListRows personList(QVector<ListFormatter> formatters = {},
                        const std::atomic_bool *cancel = nullptr) const override;
    QList<PersonRow> persons(const QString &searchText) override;
    std::optional<PersonBoxes> personDetails(qint32 lfdNr) override;
    bool personPresent(const QString &vorname, const QString &name, const QString &gebDat) override;
    qint64 storePerson(const PersonBoxes &boxes) override;
    void deletePerson(qint32 lfdNr) override;
    clinical::PersonFacts personFacts(qint32 lfdNr) override;
    bool setPersonFacts(qint32 lfdNr, const clinical::PersonFacts &facts) override;
    std::optional<Person> findPracticePerson(const PracticePerson &patient) override;
    Person addPracticePerson(const PracticePerson &patient) override;
    QString practiceNumber(qint32 lfdNr) override;
    void release() override;
    // Listens on a connection of its own for the changes the other workstations announce.
    void watchChanges(std::function<void()> changed) override;

private:
    const DbConnection &connection();
    // Runs fn on the connection; when it fails and the server no longer answers, the
    // connection is let go before the failure is passed on.
    template <typename Fn> auto onConnection(Fn &&fn);
    void dropIfLost();
    // (Re)opens the listening connection; a failure is logged, the next operation retries.
    void listen();

    ServerAddress m_address;
    DbConnection m_db;
    QString m_serverProcess; // of m_db: its own announcements are no news
    std::function<void()> m_changed;
    DbConnection m_listener;
};

} // namespace kavio
