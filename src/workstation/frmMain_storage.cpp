// Measurement storage and manual entry.
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

namespace kavio {

void frmMain::setupStorage() {}
qint32 frmMain::readFields() { return 0; }
void frmMain::SaveMessung(const QString &, qint32, const QString &) {}
void frmMain::SaveSecondMessung(const QString &, qint32, const QString &) {}
void frmMain::cmdSaveMess_Click() {}
void frmMain::cmdZweiteMessungSpeichern_Click() {}
void frmMain::txtTestDatum_LostFocus() {}

} // namespace kavio
