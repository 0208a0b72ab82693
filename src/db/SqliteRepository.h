#pragma once

#include "db/Database.h"
#include "db/SegmentRepository.h"

namespace kavio {

// The segment database in one SQLite file. One connection for the window's thread,
// opened at the first operation and kept until release(); every write runs in one
// transaction. A file of a newer schema version is refused at opening (KavioError
// UnknownDatabaseFormat), so nothing is ever written into it.
class SqliteRepository final : public SegmentRepository {
public:
    explicit SqliteRepository(QString path);

    const QString &path() const { return m_path; }

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

private:
    const DbConnection &connection();

    QString m_path;
    DbConnection m_db;
};

} // namespace kavio
