// Device link on the main window: start-up question, serial port, receive handler.
#include "app/Errors.h"
#include "app/Log.h"
#include "app/RegistryReaders.h"
#include "clinical/PhaseAngle.h"
#include "device/DeviceLink.h"
#include "platform/Messages.h"
#include "platform/SerialLine.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

#include <QLineEdit>

namespace kavio {

void frmMain::setupDevice()
{
    MSComm1 = new DeviceLink(this);
    connect(m_session, &Session::readingTaken, this, &frmMain::showReading);
    // Device values lock the person choice while they are pending; once they are stored or
    // discarded another person may be chosen again (a second measurement still to come
    // locks it anew).
    connect(m_session, &Session::unsavedChanged, this, [this](bool unsaved) {
        if (!unsaved)
            ui->cmdPatientAuswahl->setEnabled(true);
    });
    if (SerialLine *serial = m_platform.serial) {
        connect(serial, &SerialLine::dataReceived, this, [this] { MSComm1_OnComm(comEvReceive); });
        connect(serial, &SerialLine::overrun, this, [this] { MSComm1_OnComm(comEventOverrun); });
        connect(serial, &SerialLine::bufferOverflow, this, [this] { MSComm1_OnComm(comEventRxOver); });
    }
}

void frmMain::Automatische_Messung()
{
    SerialLine *serial = m_platform.serial;
    // Any failure leaves manual mode, silently: the window goes on loading.
    try {
        if (!m_platform.messages->ask(QStringLiteral("Automatische Messung?")))
            return;
        if (!serial || serial->isOpen())
            return;
        portOpeningSequence();
        if (!serial->isOpen())
            return; // the sequence stopped at a failing step
        m_platform.messages->info(QStringLiteral("Eingestellter Com-Port ") +
                                  QString::number(fGetPort(*m_platform.settings)) + QStringLiteral(" gefunden"));
        m_session->setAutomatic(true);
        Sperren_Messfelder();
    } catch (const std::exception &e) {
        qCWarning(lcDevice) << "Automatische_Messung: staying in manual mode after a failure:" << e.what();
    }
}

void frmMain::portOpeningSequence()
{
    SerialLine &serial = *m_platform.serial;
    serial.setRtsEnable(true);
    serial.setDtrEnable(true);
    if (!serial.setSettings(QStringLiteral("9600,n,8,1")))
        return;
    const qint32 port = fGetPort(*m_platform.settings);
    if (port < -32768 || port > 32767)
        throw KavioError(RunError::Overflow);
    if (!serial.setPortNumber(port))
        return;
    // The line reads everything waiting and reports the first character; nothing is sent.
    serial.open();
}

void frmMain::reopenPortForMeasurement()
{
    SerialLine *serial = m_platform.serial;
    if (!m_session->automatic() || !serial || serial->isOpen())
        return;
    if (!serial->open())
        m_platform.messages->stop(QStringLiteral("Der eingestellte Com-Port ") + QString::number(serial->portNumber()) +
                                  QStringLiteral(" lässt sich nicht öffnen. Die Werte des Messgeräts können "
                                                 "nicht empfangen werden."));
}

void frmMain::MSComm1_OnComm(int event)
{
    DeviceLink &link = *MSComm1;
    // Another receive event adds nothing to one still waiting: the read takes everything.
    if (!link.waiting.contains(event))
        link.waiting.append(event);
    if (link.busy)
        return;
    link.busy = true;
    Messages &messages = *m_platform.messages;

    auto takeRecord = [&](const DeviceRecord &record) {
        link.strMessSegment = record.code;
        link.iMessFrequenz = record.frequency;
        const SegmentInfo *chosen = m_session->segment();
        if (!SegmentPasst(chosen ? QLatin1String(chosen->table) : QString(), link.strMessSegment)) {
            messages.stop(QStringLiteral("Sie haben das falsche Segment gemessen!"));
            return;
        }
        sSegmentSichtbar();
        if (record.r)
            link.iMessR = *record.r;
        if (record.xc)
            link.iMessXc = *record.xc;
        if (!fieldsFor(link.strMessSegment, link.iMessFrequenz))
            return; // no frequency tag yet: nothing to fill, nothing pending
        FelderFuellen(link.iMessR, link.iMessXc);
        ui->cmdPatientAuswahl->setEnabled(false); // no other person while values are pending
        logDevicePhaseAngle(record);
    };

    auto readWaiting = [&] { return m_platform.serial ? m_platform.serial->readAll() : QByteArray(); };
    while (!link.waiting.isEmpty()) {
        const int ev = link.waiting.takeFirst();
        try {
            if (m_session->segment() && (ev == comEventOverrun || ev == comEventRxOver))
                messages.plain(QStringLiteral("Datenverlust!"));
            // The line announces nothing new while this handler runs, so what arrived while
            // one of its messages was open is read here until nothing is left: otherwise it
            // would wait for the device's next character, and records of the time without
            // a segment could be taken once one is chosen.
            for (QByteArray data = readWaiting(); !data.isEmpty(); data = readWaiting()) {
                if (!m_session->segment()) {
                    // Read and dropped, so that nothing of it can fill the fields later.
                    link.parser.feed(data, RecordParser::Mode::Discard, [&](const DeviceRecord &) {
                        messages.stop(QStringLiteral("Bitte wählen Sie einen Patienten und ein Segment aus!"));
                    });
                } else {
                    link.parser.feed(data, RecordParser::Mode::Accept, takeRecord);
                }
            }
        } catch (const std::exception &e) {
            // A step that fails is passed over; the next event is handled as usual.
            qCWarning(lcDevice) << "MSComm1_OnComm: event" << ev << "passed over after a failure:" << e.what();
        }
    }
    link.busy = false;
}

void frmMain::logDevicePhaseAngle(const DeviceRecord &record) const
{
    if (!record.phaseTenths || !record.r || !record.xc)
        return;
    const auto mismatch =
        clinical::devicePhaseMismatch(clinical::phaseAngle(Impedance{record.r, record.xc, {}}), *record.phaseTenths);
    if (mismatch)
        qCWarning(lcDevice).nospace().noquote()
            << "phase angle of record " << record.code << " " << record.frequency << " kHz: computed "
            << mismatch->computed << "°, device " << mismatch->device << "° (R " << *record.r << ", Xc " << *record.xc
            << ")";
}

void frmMain::sSegmentSichtbar()
{
    const SegmentInfo *s = segmentByCode(MSComm1->strMessSegment);
    if (!s)
        return;
    for (int i = 0; i < 4; ++i)
        Shape[i]->setVisible(i == s->marker - 1);
}

void frmMain::FelderFuellen(qint16 R, qint16 Xc)
{
    // The session keeps the values; the fields show them (showReading).
    const SegmentInfo *segment = segmentByCode(MSComm1->strMessSegment);
    const auto frequency = frequencyOfKiloHertz(MSComm1->iMessFrequenz);
    if (segment && frequency)
        m_session->takeDeviceReading(*segment, *frequency, R, Xc);
}

void frmMain::showReading(const SegmentInfo &segment, Frequency frequency)
{
    const Impedance &at = m_session->values(segment)[frequency];
    valueField(resistanceQuantity(frequency), segment)->setText(QString::number(at.r.value_or(0)));
    valueField(reactanceQuantity(frequency), segment)->setText(QString::number(at.xc.value_or(0)));
}

void frmMain::Unischbar1_Click()
{
    Shape[0]->setVisible(true);
}

} // namespace kavio
