#include "session/Session.h"

#include "app/Errors.h"

namespace kavio {

Session::Session(std::unique_ptr<SegmentRepository> repository, QObject *parent)
    : QObject(parent), m_repository(std::move(repository))
{}

Session::~Session() = default;

void Session::choosePerson(const Person &person)
{
    m_person = person;
    emit personChanged();
}

void Session::clearPerson()
{
    choosePerson({});
}

void Session::chooseSegment(const SegmentInfo *segment)
{
    if (m_segment == segment)
        return;
    m_segment = segment;
    emit segmentChanged();
}

void Session::setUnsaved(bool unsaved)
{
    if (m_unsaved == unsaved)
        return;
    m_unsaved = unsaved;
    emit unsavedChanged(unsaved);
}

const SegmentInfo &Session::requireChoice() const
{
    if (!m_person.isSet() || !m_segment)
        throw KavioError(RunError::TypeMismatch);
    return *m_segment;
}

void Session::setDay(const QDate &day)
{
    if (m_day == day)
        return;
    m_day = day;
    emit dayChanged();
}

SaveResult Session::announced(const SegmentInfo &segment, const SaveResult &result)
{
    if (result.outcome == SaveOutcome::Stored) {
        emit measurementStored(segment, result.messId);
        emit measurementsChanged();
    }
    return result;
}

SaveResult Session::storeFirst(const QTime &time, const SegmentReading &values)
{
    const SegmentInfo &segment = requireChoice();
    return announced(segment, m_repository->storeFirst(segment, m_person.number, m_day, time, values));
}

SaveResult Session::storeSecond(const SegmentReading &values)
{
    const SegmentInfo &segment = requireChoice();
    return announced(segment, m_repository->storeSecond(segment, m_person.number, m_day, values));
}

bool Session::deleteMeasurement(qint64 messId)
{
    if (!m_person.isSet() || !m_segment || !m_repository->deleteMeasurement(*m_segment, m_person.number, messId))
        return false;
    emit measurementsChanged();
    return true;
}

std::array<SegmentReading, 4> Session::zeroReadings()
{
    std::array<SegmentReading, 4> zero;
    for (SegmentReading &reading : zero)
        for (Impedance &at : reading.at)
            at = {0, 0, std::nullopt};
    return zero;
}

void Session::takeDeviceReading(const SegmentInfo &segment, Frequency frequency, qint16 r, qint16 xc)
{
    Impedance &at = m_values[static_cast<size_t>(segment.storeIndex)][frequency];
    at.r = r;
    at.xc = xc;
    emit readingTaken(segment, frequency);
    setUnsaved(true);
}

void Session::clearValues()
{
    m_values = zeroReadings();
    emit valuesCleared();
}

SegmentCounts Session::counts()
{
    return m_person.isSet() ? m_repository->counts(m_person.number) : SegmentCounts{};
}

QList<Measurement> Session::measurements(MeasurementOrder order)
{
    if (!m_person.isSet() || !m_segment)
        return {};
    return m_repository->measurements(*m_segment, m_person.number, order);
}

QString resistanceField(Frequency f)
{
    return QStringLiteral("W") + QString::number(kiloHertz(f));
}

} // namespace kavio
