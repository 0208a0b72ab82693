// Menu "Info" of the main window.
#include "about/frmAbout.h"
#include "workstation/frmMain.h"

namespace kavio {

void frmMain::mnuKontakt_Click()
{
    // Built afresh each time and not modal: the main window stays usable.
    auto *about = new frmAbout(platform(), this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->setModal(false);
    about->show();
}

} // namespace kavio
