// Person and segment selection.
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

namespace kavio {

void frmMain::setupSelection() {}
void frmMain::fillPatientenDaten() {}
void frmMain::cmdPatientAuswahl_Click() {}
void frmMain::ocxFlex_SelChange(int) {}
void frmMain::FillPatiendenDaten() {}
void frmMain::cmdExtremitaet_Click() {}
void frmMain::cmdOptSegment_Click() {}
void frmMain::fill_Labels() { Setzen_Segmentbeschriftung(strSegment); }
void frmMain::cmdNeuerPatient_Click() {}
qint32 frmMain::fAnzahlMessungen(qint32, const QString &) { return 0; }
void frmMain::refreshCounts() {}

} // namespace kavio
