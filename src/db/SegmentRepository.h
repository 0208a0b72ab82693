#pragma once

#include "clinical/PersonFacts.h"
#include "db/ListRows.h"
#include "db/Segments.h"
#include "persons/PersonAdmin.h"
#include "session/Values.h"

#include <functional>
#include <optional>
#include <QList>

namespace kavio {

enum class SaveOutcome {
    Stored,             // the row was written (first) or changed (second)
    InvalidValue,       // W50 or Xc50 (first) / W50 (second) not greater than 0; nothing written
    NoFirstMeasurement, // second measurement: the person has no row on that day; nothing written
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::InvalidValue;
    qint64 messId = 0; // the row written or changed, when Stored
};

// A patient as the practice software names it in a request.
struct PracticePerson {
    QString number; // the practice's patient number
    QString name;
    QString firstName;
    QDate birthDate;
    clinical::Sex sex = clinical::Sex::Unknown;
};

// The orders in which a person's rows of a segment are read.
enum class MeasurementOrder {
    NewestFirst, // the measurement list: day, time, MessID, all descending
    OldestFirst, // trend charts: day, time, MessID, all ascending
    ByDay,       // left/right comparison: day, then MessID, ascending (the time is not looked at)
};

// Every operation the program performs on the segment database. Failures of the
// database throw KavioError with the engine's code and text; refusals that the operator
// must be told about come back as results. Implementations keep their own connection
// for the window's thread; release() lets go of it (before the file is replaced).
class SegmentRepository {
public:
    virtual ~SegmentRepository() = default;

    // A new row with the three frequencies' R and Xc, in one transaction. Refuses a W50
    // or Xc50 that is not greater than 0 without writing.
    virtual SaveResult storeFirst(const SegmentInfo &segment, qint32 person, const QDate &day, const QTime &time,
                                  const SegmentReading &values) = 0;
    // The three resistances of values (their r) into the person's latest row of that day
    // (greatest time, then greatest MessID): exactly one row changes, or none. Only W50
    // is checked (> 0).
    virtual SaveResult storeSecond(const SegmentInfo &segment, qint32 person, const QDate &day,
                                   const SegmentReading &values) = 0;
    // Deletes the row only when it is the person's row of that segment; false (nothing
    // deleted) for any other number.
    virtual bool deleteMeasurement(const SegmentInfo &segment, qint32 person, qint64 messId) = 0;

    virtual QList<Measurement> measurements(const SegmentInfo &segment, qint32 person, MeasurementOrder order) = 0;
    // The person's rows in each of the four segments, in one query.
    virtual SegmentCounts counts(qint32 person) = 0;
    // The person's smallest W50 in the segment; nullopt without a row holding one.
    virtual std::optional<qint16> smallestW50(const SegmentInfo &segment, qint32 person) = 0;

    // The person list of the main window: LfdNr, Name, Vorname, Geburtstag, in German
    // name order; formatters and cancel as for readListRows. Reads on a connection of its
    // own, so it may run on any thread while the repository lives.
    virtual ListRows personList(QVector<ListFormatter> formatters = {},
                                const std::atomic_bool *cancel = nullptr) const = 0;

    // -- The persons of the segment database, for the person administration ----------
    // The persons whose surname begins with the search text (readPersonList).
    virtual QList<PersonRow> persons(const QString &searchText) = 0;
    // The detail boxes of one person (readPersonDetails); nullopt when there is none.
    virtual std::optional<PersonBoxes> personDetails(qint32 lfdNr) = 0;
    // Is this person already taken over (personPresent)?
    virtual bool personPresent(const QString &vorname, const QString &name, const QString &gebDat) = 0;
    // Takes the person of the boxes over (storePerson); returns its LfdNr.
    virtual qint64 storePerson(const PersonBoxes &boxes) = 0;
    // The person, its facts and all its measurements, all or nothing
    // (deletePersonWithMeasurements).
    virtual void deletePerson(qint32 lfdNr) = 0;

    // -- Facts of a person for the clinical evaluation -----------------------------------
    // Dominant hand and limbs at risk as stored, the defaults (hand unknown, no limb at
    // risk) when none are; the sex from the person row (unknown when it holds none).
    virtual clinical::PersonFacts personFacts(qint32 lfdNr) = 0;
    // Stores the dominant hand, the limbs at risk and the sex of facts, in one
    // transaction. False, with nothing written, when there is no such person.
    virtual bool setPersonFacts(qint32 lfdNr, const clinical::PersonFacts &facts) = 0;

    // -- Persons the practice software asks for ----------------------------------------
    // The person with this practice number; else the person of the same name, first name
    // (letter case ignored) and birth date who has no practice number yet, which is then
    // given this one (the lowest LfdNr when there are several). nullopt when neither.
    virtual std::optional<Person> findPracticePerson(const PracticePerson &patient) = 0;
    // A new person from the request, with its practice number.
    virtual Person addPracticePerson(const PracticePerson &patient) = 0;
    // The practice number of a person; empty when it has none.
    virtual QString practiceNumber(qint32 lfdNr) = 0;

    // Closes the connection; the next operation opens a new one.
    virtual void release() = 0;

    // From now on changed runs (on this thread's event loop) whenever another workstation
    // has changed persons or measurements. A database with one workstation has no others
    // and never calls it.
    virtual void watchChanges(std::function<void()> changed) { (void)changed; }
};

} // namespace kavio
