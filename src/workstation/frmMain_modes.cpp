// Window modes: the formatting routines that show, hide, enable and lock the controls.
#include "app/Errors.h"
#include "app/RegistryReaders.h"
#include "platform/Messages.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

namespace kavio {

void frmMain::setupModes() {}

void frmMain::Ausblenden_Messfelder()
{
    for (QLineEdit *f : m_valueFields)
        f->setVisible(false);
}

void frmMain::Einblenden_Segmentfelder(const QString &segment)
{
    const SegmentInfo *s = segmentByTable(segment);
    if (!s)
        return;
    const int i = s->labelIndex;
    if (fGetMulti(*m_platform.settings, *m_platform.messages)) {
        valueField(Quantity::W100, *s)->setVisible(true);
        valueField(Quantity::Xc100, *s)->setVisible(true);
        valueField(Quantity::W5, *s)->setVisible(true);
        valueField(Quantity::Xc5, *s)->setVisible(true);
        lbl100_AR[i]->setVisible(true);
        lbl5_AR[i]->setVisible(true);
    }
    lbl50_AR[i]->setVisible(true);
    lblR_Ar[i]->setVisible(true);
    lblXc_AR[i]->setVisible(true);
    valueField(Quantity::W50, *s)->setVisible(true);
    valueField(Quantity::Xc50, *s)->setVisible(true);
}

void frmMain::Nullen_Messfelder()
{
    m_session->clearValues(); // the fields follow (setupStorage)
}

void frmMain::Ausblenden_EinOderZwei()
{
    ui->fraEinoderZwei->setVisible(false);
}

void frmMain::Ausblenden_Speicherknoepfe()
{
    ui->cmdSaveMess->setVisible(false);
    ui->cmdZweiteMessungSpeichern->setVisible(false);
}

void frmMain::Ausblenden_Multifrequenz_Schalter()
{
    try {
        const QString type = RegistryWertLesen(*m_platform.settings, HKEY_LOCAL_MACHINE_ROOT,
                                               QStringLiteral("Software\\Kavio_Plus"), QStringLiteral("FrequenzType"));
        ui->fraWiderstand->setVisible(type == QLatin1String("Multi"));
    } catch (const KavioError &e) {
        m_platform.messages->plain(fehlerForm(e, QStringLiteral("Ausblenden_Multifrequenz_Schalter")));
    }
}

void frmMain::Leeren_Segmentoptionen()
{
    // Exclusive radio buttons cannot all be unticked while exclusive.
    for (QRadioButton *o : {ui->optAL, ui->optAR, ui->optBL, ui->optBR}) {
        o->setAutoExclusive(false);
        o->setChecked(false);
        o->setAutoExclusive(true);
    }
}

void frmMain::Leeren_Behandlungsoptionen()
{
    for (QRadioButton *o : {ui->optEineBeh, ui->optZweiBeh}) {
        o->setAutoExclusive(false);
        o->setChecked(false);
        o->setAutoExclusive(true);
    }
    m_session->setTwoMeasurements(false);
}

void frmMain::Leeren_Kopfzeile()
{
    for (QLabel *l :
         {ui->LBL_Top_Alter, ui->LBL_Top_GebDat, ui->LBL_Top_Name, ui->LBL_Top_PNUMMER, ui->LBL_Top_Vorname})
        l->clear();
}

void frmMain::Ausblenden_XcFelder()
{
    for (Quantity q : {Quantity::Xc100, Quantity::Xc50, Quantity::Xc5})
        for (const auto &s : kSegments)
            valueField(q, s)->setVisible(false);
}

void frmMain::Setzen_Segmentbeschriftung(const QString &segment)
{
    if (const SegmentInfo *s = segmentByTable(segment))
        ui->lblSegmentAktuell->setText(QString::fromUtf8(s->heading));
}

void frmMain::Ausblenden_Koerpermarken()
{
    for (QFrame *s : Shape)
        s->setVisible(false);
}

void frmMain::Ausblenden_Wertlabels()
{
    for (int i = 0; i < 4; ++i) {
        lbl5_AR[i]->setVisible(false);
        lbl50_AR[i]->setVisible(false);
        lbl100_AR[i]->setVisible(false);
        lblR_Ar[i]->setVisible(false);
        lblXc_AR[i]->setVisible(false);
    }
}

void frmMain::Leeren_Anzahlen()
{
    for (QLabel *l : {ui->lblAnzMessAL, ui->lblAnzMessAR, ui->lblAnzMessBL, ui->lblAnzMessBR})
        l->clear();
}

void frmMain::Sperren_Messfelder()
{
    for (QLineEdit *f : m_valueFields)
        f->setReadOnly(true);
}

void frmMain::optEineBeh_Click()
{
    m_session->setTwoMeasurements(false);
    showFirstSaveCommand();
}

void frmMain::optZweiBeh_Click()
{
    m_session->setTwoMeasurements(true);
    showFirstSaveCommand();
}

void frmMain::showFirstSaveCommand()
{
    ui->cmdSaveMess->setVisible(true);
    Ausblenden_Multifrequenz_Schalter();
    ui->txtTestDatum->setEnabled(false);
}

void frmMain::optR5_Click()
{
    m_session->setChartResistance(Frequency::kHz5);
}
void frmMain::optR50_Click()
{
    m_session->setChartResistance(Frequency::kHz50);
}
void frmMain::optR100_Click()
{
    m_session->setChartResistance(Frequency::kHz100);
}

} // namespace kavio
