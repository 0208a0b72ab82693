// Menu "Export" of the main window.
#include "workstation/frmMain.h"

namespace kavio {

void frmMain::mnuExportHistory_Click() {}

} // namespace kavio
