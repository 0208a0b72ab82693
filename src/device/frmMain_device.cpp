// Device link on the main window: start-up question, serial port, receive handler.
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

namespace kavio {

void frmMain::setupDevice() {}
void frmMain::Automatische_Messung() {}
void frmMain::portOpeningSequence() {}
void frmMain::reopenPortForMeasurement() {}
void frmMain::MSComm1_OnComm(int) {}
void frmMain::sSegmentSichtbar() {}
void frmMain::FelderFuellen(qint16, qint16) {}
void frmMain::Unischbar1_Click() { Shape[0]->setVisible(true); }

} // namespace kavio
