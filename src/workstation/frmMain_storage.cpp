// Measurement storage and manual entry.
#include "app/Conversions.h"
#include "app/Errors.h"
#include "db/Database.h"
#include "db/MeasurementStore.h"
#include "db/Statements.h"
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

const SegmentInfo &chosenSegment(const QString &segment)
{
    // sql::segmentTable refuses anything but the four tables with the program's error.
    const SegmentInfo *s = segmentByTable(sql::segmentTable(segment));
    return *s;
}

} // namespace

void frmMain::setupStorage()
{
    for (QLineEdit *f : valueFields)
        new ValueFieldFilter(f);
    new DateFieldFilter(ui->txtTestDatum, [this] { txtTestDatum_LostFocus(); });
}

qint32 frmMain::readFields()
{
    for (size_t i = 0; i < valueFields.size(); ++i)
        Messwertspeicher[i] = toInt16(valueFields[i]->text());
    return toInt32(ui->txtFKTN->text());
}

void frmMain::SaveMessung(const QString &strSegment, qint32 FKTN, const QString &)
{
    // A failed attempt must not leave the success of an earlier save standing.
    bGespeichert = false;
    const SegmentInfo &segment = chosenSegment(strSegment);
    const QDate day = toDate(ui->txtTestDatum->text());
    const SaveResult result =
        saveFirstMeasurement(segmentePath(m_platform), strSegment, FKTN, day, m_platform.clock->timeOfDay(),
                             segmentValues(Messwertspeicher, segment));
    if (result.outcome != SaveOutcome::Stored) {
        m_platform.messages->plain(kInvalidValue);
        return;
    }
    bGespeichert = true;
    // The row is stored; a failing count must not make the window forget that, or the
    // operator would store the same values twice.
    try {
        refreshCounts();
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("cmdSaveMess_Click"), kForm));
    }
}

void frmMain::SaveSecondMessung(const QString &strSegment, qint32 FKTN, const QString &)
{
    try {
        const SegmentInfo &segment = chosenSegment(strSegment);
        const QDate day = toDate(ui->txtTestDatum->text());
        const SaveResult result = saveSecondMeasurement(segmentePath(m_platform), strSegment, FKTN, day,
                                                        segmentValues(Messwertspeicher, segment));
        switch (result.outcome) {
        case SaveOutcome::NoFirstMeasurement:
            m_platform.messages->info(kNoFirstMeasurement);
            return;
        case SaveOutcome::InvalidValue:
            m_platform.messages->plain(kInvalidValue);
            bGespeichert = false;
            return;
        case SaveOutcome::Stored:
            break;
        }
        Ausblenden_EinOderZwei();
        Ausblenden_Speicherknoepfe();
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("SaveSecondMessung"), kForm));
    }
}

void frmMain::cmdSaveMess_Click()
{
    const QString procedure = QStringLiteral("cmdSaveMess_Click");
    qint32 fktn = 0;
    try {
        fktn = readFields();
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
        SaveMessung(strSegment, fktn, {});
        if (!bGespeichert)
            return; // the values stay in the fields for correction
        bMessungUngespeichert = false;
        ui->fraEinoderZwei->setEnabled(false);
        if (ui->optZweiBeh->isChecked()) {
            ui->cmdZweiteMessungSpeichern->setVisible(true);
            ui->cmdPatientAuswahl->setEnabled(false);
            ui->cmdMesswerte->setEnabled(false);
            ui->cmdSaveMess->setVisible(false);
            Nullen_Messfelder();
            Ausblenden_XcFelder();
        }
        ui->cmdSaveMess->setVisible(false);
        fillGRDMessungen(strSegment, fktn);
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, procedure, kForm));
    }
}

void frmMain::cmdZweiteMessungSpeichern_Click()
{
    try {
        const qint32 fktn = readFields();
        SaveSecondMessung(strSegment, fktn, {});
        // Whatever the outcome, the window is released again.
        fillGRDMessungen(strSegment, toInt32(ui->txtFKTN->text()));
        bMessungUngespeichert = false;
        ui->cmdMesswerte->setEnabled(true);
        ui->cmdPatientAuswahl->setEnabled(true);
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
