// Menu "Patienten" of the main window.
#include "workstation/frmMain.h"

namespace kavio {

void frmMain::mnuImport_Click() {}
void frmMain::mnuloeschen_Click() {}

} // namespace kavio
