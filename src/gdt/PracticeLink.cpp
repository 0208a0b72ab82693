#include "gdt/PracticeLink.h"

#include "app/Conversions.h"
#include "app/Errors.h"
#include "app/Log.h"
#include "gdt/GdtResult.h"
#include "gdt/ResultFile.h"
#include "gdt/ResultFindings.h"
#include "platform/Messages.h"
#include "session/Session.h"

#include <QTimer>

namespace kavio::gdt {

namespace {

QString patientText(const Request &r)
{
    const QString name = r.firstName.isEmpty() ? r.name : QStringLiteral("%1, %2").arg(r.name, r.firstName);
    return QStringLiteral("%1 (geb. %2, Patientennummer %3)").arg(name, germanDate(r.birthDate), r.patientNumber);
}

} // namespace

PracticeLink::PracticeLink(Session &session, Messages &messages, QObject *parent)
    : QObject(parent), m_session(session), m_messages(messages)
{
    connect(&m_session, &Session::measurementStored, this, &PracticeLink::answer);
    // A waiting request is looked at again once the values are saved or discarded, after
    // the window has finished the routine that did so.
    connect(&m_session, &Session::unsavedChanged, this, [this](bool unsaved) {
        if (!unsaved && m_watcher)
            QTimer::singleShot(0, m_watcher.get(), &ExchangeWatcher::scan);
    });
}

PracticeLink::~PracticeLink() = default;

void PracticeLink::setWatching(bool notifications, int pollMs, int settleMs)
{
    m_notifications = notifications;
    m_pollMs = pollMs;
    m_settleMs = settleMs;
}

void PracticeLink::apply(const LinkSettings &settings)
{
    m_watcher.reset();
    m_settings = settings;
    if (!settings.enabled)
        return;
    m_watcher = std::make_unique<ExchangeWatcher>(settings.folder, settings.ownId, settings.practiceId,
                                                  [this](const Request &r) { return takeRequest(r); });
    m_watcher->setSettleTime(m_settleMs);
    connect(m_watcher.get(), &ExchangeWatcher::note, this, &PracticeLink::note);
    connect(m_watcher.get(), &ExchangeWatcher::scanned, this, &PracticeLink::sendWaiting);
    m_watcher->start(m_notifications, m_pollMs);
}

ExchangeWatcher::Handling PracticeLink::takeRequest(const Request &request)
{
    using Handling = ExchangeWatcher::Handling;
    const QString patient = patientText(request);
    if (m_busy && m_busy()) {
        if (m_waitingFor != patient) {
            m_waitingFor = patient;
            emit note(QStringLiteral("GDT: Anforderung für %1 wartet, bis die Messung gespeichert oder verworfen ist.")
                          .arg(patient));
        }
        return Handling::Wait;
    }
    m_waitingFor.clear();
    const PracticePerson wanted{request.patientNumber, request.name, request.firstName, request.birthDate, request.sex};
    std::optional<Person> person;
    try {
        person = m_session.repository().findPracticePerson(wanted);
        if (!person) {
            if (!m_messages.ask(QStringLiteral("Die Praxissoftware fordert eine Messung an für\n%1.\n\n"
                                               "Diese Person ist in KavioSegment noch nicht vorhanden. "
                                               "Soll sie angelegt werden?")
                                    .arg(patient),
                                MsgIcon::Information)) {
                qCInfo(lcGdt) << "operator declined to add the requested patient" << request.patientNumber;
                emit note(
                    QStringLiteral("GDT: Anforderung für %1 nicht übernommen (Person nicht angelegt).").arg(patient));
                return Handling::Taken;
            }
            person = m_session.repository().addPracticePerson(wanted);
        }
    } catch (const KavioError &e) {
        // The request stays in the folder and is offered again.
        qCWarning(lcGdt) << "request not taken:" << e.number() << e.description();
        if (m_waitingFor != patient) {
            m_waitingFor = patient;
            emit note(QStringLiteral("GDT: Anforderung für %1 wartet: %2").arg(patient, e.description()));
        }
        return Handling::Wait;
    }
    m_request = request;
    m_requestPerson = person->number;
    if (m_choose)
        m_choose(*person);
    emit note(QStringLiteral("GDT: %1 von der Praxissoftware übernommen.").arg(patient));
    return Handling::Taken;
}

std::optional<QByteArray> PracticeLink::resultBytes(const SegmentInfo &segment, qint64 messId)
{
    SegmentRepository &repo = m_session.repository();
    const Person &person = m_session.person();
    ResultInput in;
    in.receiverId = m_settings.practiceId;
    in.senderId = m_settings.ownId;
    in.charset = m_settings.charset;
    in.person = person;
    clinical::PersonFacts facts = repo.personFacts(person.number);
    if (m_request && m_requestPerson == person.number) {
        in.patientNumber = m_request->patientNumber;
        facts.sex = in.sex = m_request->sex;
    } else {
        in.patientNumber = repo.practiceNumber(person.number);
    }
    if (in.patientNumber.isEmpty()) {
        emit note(QStringLiteral("GDT: Kein Ergebnis an die Praxissoftware: %1, %2 hat dort keine Patientennummer.")
                      .arg(person.name, person.firstName));
        return std::nullopt;
    }
    std::array<QList<Measurement>, 4> rows;
    for (const SegmentInfo &s : kSegments)
        rows[static_cast<size_t>(s.storeIndex)] = repo.measurements(s, person.number, MeasurementOrder::OldestFirst);
    for (const Measurement &m : rows[static_cast<size_t>(segment.storeIndex)])
        if (m.id == messId) {
            in.segment = &segment;
            in.values = m.values;
            in.day = m.day;
            in.time = m.time;
        }
    if (!in.segment)
        throw KavioError(RunError::NoCurrentRow);
    in.findings = resultFindings(clinical::evaluatePerson(rows, in.day, facts));
    Outcome<QByteArray> bytes = writeResult(in);
    if (!bytes.ok()) {
        m_messages.stop(QStringLiteral("Das Ergebnis kann nicht an die Praxissoftware übergeben werden:\n%1")
                            .arg(bytes.error->reason));
        return std::nullopt;
    }
    return std::move(*bytes.value);
}

void PracticeLink::answer(const SegmentInfo &segment, qint64 messId)
{
    if (!m_settings.enabled)
        return;
    // The measurement is stored whatever happens here: nothing may undo that.
    try {
        if (std::optional<QByteArray> bytes = resultBytes(segment, messId))
            m_outbox.append(std::move(*bytes));
    } catch (const KavioError &e) {
        qCWarning(lcGdt) << "result not made:" << e.number() << e.description();
        emit note(QStringLiteral("GDT: Das Ergebnis konnte nicht erstellt werden: %1").arg(e.description()));
    }
    sendWaiting();
}

void PracticeLink::sendWaiting()
{
    while (!m_outbox.isEmpty()) {
        const ResultFileOutcome out = writeResultFile(m_settings, m_outbox.constFirst());
        switch (out.state) {
        case ResultFileOutcome::State::Written:
            m_outbox.removeFirst();
            qCInfo(lcGdt) << "result written:" << out.fileName;
            emit note(QStringLiteral("GDT: Ergebnis an die Praxissoftware übergeben (%1).").arg(out.fileName));
            continue;
        case ResultFileOutcome::State::Later:
            emit note(QStringLiteral("GDT: Ergebnis wartet: %1").arg(out.problem));
            return;
        case ResultFileOutcome::State::Failed:
            qCWarning(lcGdt) << "result not written:" << out.problem;
            emit note(QStringLiteral("GDT: %1 Neuer Versuch in Kürze.").arg(out.problem));
            return;
        }
    }
}

} // namespace kavio::gdt
