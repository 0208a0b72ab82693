// Trend charts and their print-out on the main window.
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

namespace kavio {

void frmMain::setupCharts() {}
void frmMain::ChartDatenLeeren() {}
void frmMain::cmdGraph_Click() {}
void frmMain::cmd_Xc_Graph_Click() {}
void frmMain::Draw_1durchR_Graph(const QString &, qint32, int) {}
void frmMain::Draw_Xc_Graph(qint32, const QString &) {}
bool frmMain::fDruckbereit(const QString &) { return false; }
void frmMain::cmdPrintOut_Click() {}
void frmMain::cmdOpenVergleichsFormular_Click() {}

} // namespace kavio
