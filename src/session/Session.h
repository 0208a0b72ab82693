#pragma once

#include "db/SegmentRepository.h"
#include "session/Values.h"

#include <memory>
#include <QObject>

namespace kavio {

// What the main window works on: the chosen person and segment, the treatment choice,
// the state of the values in hand, and the repository they are stored through. Windows
// show what the session holds and pass on what the operator does; other windows
// (history, comparison, print-outs) read the person and segment from here, never from
// another window's controls.
class Session final : public QObject {
    Q_OBJECT
public:
    explicit Session(std::unique_ptr<SegmentRepository> repository, QObject *parent = nullptr);
    ~Session() override;

    SegmentRepository &repository() { return *m_repository; }

    const Person &person() const { return m_person; }
    void choosePerson(const Person &person);
    void clearPerson();

    // nullptr while no segment is chosen.
    const SegmentInfo *segment() const { return m_segment; }
    void chooseSegment(const SegmentInfo *segment);

    // "Zwei Datensätze": a second measurement follows the first.
    bool twoMeasurements() const { return m_twoMeasurements; }
    void setTwoMeasurements(bool two) { m_twoMeasurements = two; }

    // Automatic measurement: values come from the device (switched on at start-up).
    bool automatic() const { return m_automatic; }
    void setAutomatic(bool on) { m_automatic = on; }

    // Values in the fields that are not stored yet.
    bool unsaved() const { return m_unsaved; }
    void setUnsaved(bool unsaved);

    // The last first-measurement save stored a row.
    bool stored() const { return m_stored; }
    void setStored(bool stored) { m_stored = stored; }

    // A chart has been drawn in this run.
    bool chartDrawn() const { return m_chartDrawn; }
    void setChartDrawn(bool drawn) { m_chartDrawn = drawn; }

    // The resistance charted as 1/R.
    Frequency chartResistance() const { return m_chartResistance; }
    void setChartResistance(Frequency f) { m_chartResistance = f; }

    // The day the values are stored under (the date field's day; invalid while the field
    // holds no date).
    const QDate &day() const { return m_day; }
    void setDay(const QDate &day);

    // The values in hand, per segment: what the device delivered (or 0 where nothing
    // came). The window shows them in its value fields.
    const SegmentReading &values(const SegmentInfo &segment) const
    {
        return m_values[static_cast<size_t>(segment.storeIndex)];
    }
    // A device record's resistance and reactance: kept, marked unsaved, announced.
    void takeDeviceReading(const SegmentInfo &segment, Frequency frequency, qint16 r, qint16 xc);
    // Every value back to 0 (announced as one change).
    void clearValues();

    // The chosen segment's values in hand; throws KavioError (type mismatch) while no
    // person or no segment is chosen.
    SegmentReading valuesInHand() const { return values(requireChoice()); }

    // Stores the values as a first measurement of the chosen person and segment on day(),
    // or their resistances as the second measurement of that day. Throw KavioError (type
    // mismatch) while no person or no segment is chosen or the day is no date, and the
    // repository's errors.
    SaveResult storeFirst(const QTime &time, const SegmentReading &values);
    SaveResult storeSecond(const SegmentReading &values);
    // Deletes a row of the chosen person in the chosen segment (see
    // SegmentRepository::deleteMeasurement); false, nothing deleted, without either.
    bool deleteMeasurement(qint64 messId);

    // The chosen person's rows per segment; zero counts without a person.
    SegmentCounts counts();
    // The chosen person's rows of the chosen segment; empty without either.
    QList<Measurement> measurements(MeasurementOrder order);

signals:
    void personChanged();
    // A device reading was taken into the values in hand.
    void readingTaken(const kavio::SegmentInfo &segment, kavio::Frequency frequency);
    // Every value in hand is 0 again.
    void valuesCleared();
    void segmentChanged();
    void unsavedChanged(bool unsaved);
    // A first or second measurement of the chosen person was written into row messId.
    void measurementStored(const kavio::SegmentInfo &segment, qint64 messId);
    void dayChanged();
    // A row of the chosen person was stored, changed or deleted.
    void measurementsChanged();

private:
    const SegmentInfo &requireChoice() const;
    // Passes the result on, announcing a stored row.
    SaveResult announced(const SegmentInfo &segment, const SaveResult &result);

    std::unique_ptr<SegmentRepository> m_repository;
    Person m_person;
    const SegmentInfo *m_segment = nullptr;
    bool m_twoMeasurements = false;
    bool m_automatic = false;
    bool m_unsaved = false;
    bool m_stored = false;
    bool m_chartDrawn = false;
    Frequency m_chartResistance = Frequency::kHz50;
    QDate m_day;
    std::array<SegmentReading, 4> m_values = zeroReadings();

    static std::array<SegmentReading, 4> zeroReadings();
};

// "W5", "W50", "W100": the resistance field of a frequency as stored.
QString resistanceField(Frequency f);

} // namespace kavio
