// Menu "Patienten" of the main window: the person administration in either mode.
#include "persons/frmImport.h"
#include "persons/PersonAdmin.h"
#include "workstation/frmMain.h"

namespace kavio {

static void openPersonAdministration(frmMain &main, bool importMode)
{
    main.hide();
    bImportModus = importMode;
    // Modeless; it lives only while it is open and gives the main window back on closing.
    auto *window =
        new frmImport(main.platform(), main.session().repository(), &main, [&main] { main.fillPersonList(); });
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

void frmMain::mnuImport_Click()
{
    openPersonAdministration(*this, true);
}
void frmMain::mnuloeschen_Click()
{
    openPersonAdministration(*this, false);
}

} // namespace kavio
