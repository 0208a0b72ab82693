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

SaveResult Session::storeFirst(const QDate &day, const QTime &time, const SegmentReading &values)
{
    const SegmentInfo &segment = requireChoice();
    return m_repository->storeFirst(segment, m_person.number, day, time, values);
}

SaveResult Session::storeSecond(const QDate &day, const SegmentReading &values)
{
    const SegmentInfo &segment = requireChoice();
    return m_repository->storeSecond(segment, m_person.number, day, values);
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
