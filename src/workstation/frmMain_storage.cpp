// Measurement storage and manual entry.
#include "app/Conversions.h"
#include "app/Errors.h"
#include "db/ServerConnectionLost.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "ui_frmMain.h"
#include "workstation/EntryFilters.h"
#include "workstation/frmMain.h"

namespace kavio {

namespace {

const QString kForm = QStringLiteral("frmMain");
const QString kInvalidValue = QStringLiteral("Bitte geben Sie einen gültigen Messwert >0 ein");
const QString kNoValues = QStringLiteral("Bitte geben Sie Messwerte ein!");
const QString kNoFirstMeasurement =
    QStringLiteral("Sie haben zu dieser Person heute noch keine erste Messung gemacht!");
const QString kInvalidDate = QStringLiteral("Bitte geben Sie ein gültiges Datum ein!");

// The server went away while a measurement was being stored. The operator learns whether
// it was stored; the values stay in the window either way.
QString cutOffText(const ServerConnectionLost &e)
{
    const QString server = QStringLiteral("\n\nMeldung des Servers: ") + e.description().simplified();
    if (e.outcomeUnknown())
        return QStringLiteral("Die Verbindung zum Datenbankserver ist beim Speichern abgebrochen, und der Server ist "
                              "noch nicht wieder erreichbar. Ob die Messung gespeichert wurde, ist deshalb nicht "
                              "bekannt.\nDie Werte bleiben im Fenster. Bitte sehen Sie in der Messungsliste nach, "
                              "sobald der Server wieder erreichbar ist, und speichern Sie nur, wenn die Messung dort "
                              "fehlt.") +
               server;
    return QStringLiteral("Die Messung wurde nicht gespeichert: Die Verbindung zum Datenbankserver ist "
                          "unterbrochen.\nDie Werte bleiben im Fenster. Bitte speichern Sie erneut, sobald der "
                          "Server wieder erreichbar ist.") +
           server;
}

} // namespace

void frmMain::setupStorage()
{
    for (QLineEdit *f : m_valueFields)
        new ValueFieldFilter(f);
    new DateFieldFilter(ui->txtTestDatum, [this] { txtTestDatum_LostFocus(); });
    // The session holds the day the date field shows, and the values the fields show.
    connect(ui->txtTestDatum, &QLineEdit::textChanged, this, [this](const QString &text) {
        QDate day;
        try {
            day = toDate(text);
        } catch (const KavioError &) {
            // no date (yet): nothing can be stored until there is one
        }
        m_session->setDay(day);
    });
    connect(m_session, &Session::valuesCleared, this, [this] {
        for (QLineEdit *f : m_valueFields)
            f->setText(QStringLiteral("0"));
    });
}

SegmentReading frmMain::valuesToStore() const
{
    return m_session->automatic() ? m_session->valuesInHand() : readFields();
}

SegmentReading frmMain::readFields() const
{
    // Every field must convert, the chosen segment's and the others alike.
    std::array<qint16, 24> values{};
    for (size_t i = 0; i < m_valueFields.size(); ++i)
        values[i] = toInt16(m_valueFields[i]->text());
    const SegmentInfo *segment = m_session->segment();
    if (!segment || !m_session->person().isSet())
        throw KavioError(RunError::TypeMismatch);
    SegmentReading reading;
    for (Frequency f : kFrequencies) {
        reading[f].r = values[static_cast<size_t>(storeIndex(resistanceQuantity(f), *segment))];
        reading[f].xc = values[static_cast<size_t>(storeIndex(reactanceQuantity(f), *segment))];
    }
    return reading;
}

void frmMain::SaveMessung(const SegmentReading &values)
{
    // A failed attempt must not leave the success of an earlier save standing.
    m_session->setStored(false);
    const SaveResult result = m_session->storeFirst(m_platform.clock->timeOfDay(), values);
    if (result.outcome != SaveOutcome::Stored) {
        m_platform.messages->plain(kInvalidValue);
        return;
    }
    m_session->setStored(true);
    // The row is stored; a failing count must not make the window forget that, or the
    // operator would store the same values twice.
    try {
        refreshCounts();
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("cmdSaveMess_Click"), kForm));
    }
}

void frmMain::SaveSecondMessung(const SegmentReading &values)
{
    try {
        const SaveResult result = m_session->storeSecond(values);
        switch (result.outcome) {
        case SaveOutcome::NoFirstMeasurement:
            m_platform.messages->info(kNoFirstMeasurement);
            return;
        case SaveOutcome::InvalidValue:
            m_platform.messages->plain(kInvalidValue);
            m_session->setStored(false);
            return;
        case SaveOutcome::Stored:
            break;
        }
        Ausblenden_EinOderZwei();
        Ausblenden_Speicherknoepfe();
    } catch (const ServerConnectionLost &) {
        throw; // the window stays as it is, for another attempt
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("SaveSecondMessung"), kForm));
    }
}

void frmMain::cmdSaveMess_Click()
{
    const QString procedure = QStringLiteral("cmdSaveMess_Click");
    SegmentReading values;
    try {
        values = valuesToStore();
    } catch (const KavioError &e) {
        // An empty or non-numeric field asks for the values; anything else (a value too
        // large) names the failure.
        if (e.number() == static_cast<int>(RunError::TypeMismatch))
            m_platform.messages->info(kNoValues);
        else
            m_platform.messages->plain(errorForm(e, procedure, kForm));
        return;
    }
    try {
        SaveMessung(values);
        if (!m_session->stored())
            return; // the values stay in the fields for correction
        m_session->setUnsaved(false);
        ui->fraEinoderZwei->setEnabled(false);
        if (m_session->twoMeasurements()) {
            ui->cmdZweiteMessungSpeichern->setVisible(true);
            ui->cmdPatientAuswahl->setEnabled(false);
            ui->cmdMesswerte->setEnabled(false);
            ui->cmdSaveMess->setVisible(false);
            Nullen_Messfelder();
            Ausblenden_XcFelder();
        }
        ui->cmdSaveMess->setVisible(false);
        fillGRDMessungen();
    } catch (const ServerConnectionLost &e) {
        m_platform.messages->stop(cutOffText(e));
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, procedure, kForm));
    }
}

void frmMain::cmdZweiteMessungSpeichern_Click()
{
    try {
        SaveSecondMessung(valuesToStore());
        // Whatever the outcome, the window is released again.
        fillGRDMessungen();
        m_session->setUnsaved(false);
        ui->cmdMesswerte->setEnabled(true);
        ui->cmdPatientAuswahl->setEnabled(true);
    } catch (const ServerConnectionLost &e) {
        // Unlike a refusal, a lost connection keeps the second measurement due: releasing
        // the window would let the operator go on to another person and lose the values.
        m_platform.messages->stop(cutOffText(e));
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("cmdZweiteMessungSpeichern_Click"), kForm));
    }
}

void frmMain::txtTestDatum_LostFocus()
{
    const QDate today = m_platform.clock->today();
    QDate day;
    try {
        day = toDate(ui->txtTestDatum->text());
    } catch (const KavioError &) {
        m_platform.messages->stop(kInvalidDate);
        ui->txtTestDatum->setText(germanDate(today));
        return;
    }
    if (day > today)
        ui->txtTestDatum->setText(germanDate(today));
}

} // namespace kavio
