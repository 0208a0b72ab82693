// Menu "Info" of the main window.
#include "workstation/frmMain.h"

namespace kavio {

void frmMain::mnuKontakt_Click() {}

} // namespace kavio
