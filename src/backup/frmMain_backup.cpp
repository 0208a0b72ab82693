// Menu "Sicherung" of the main window.
#include "workstation/frmMain.h"

namespace kavio {

void frmMain::mnuDatenSichern_Click() {}
void frmMain::mnuDatenWiederherstellen_Click() {}

} // namespace kavio
