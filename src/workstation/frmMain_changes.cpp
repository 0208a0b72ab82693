// What the main window shows again when another workstation has changed the shared
// database.
#include "app/Errors.h"
#include "app/Log.h"
#include "session/Session.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

namespace kavio {

void frmMain::showOtherWorkstationsChanges()
{
    fillPersonListInBackground();
    if (!m_session->person().isSet())
        return;
    try {
        refreshCounts();
    } catch (const KavioError &e) {
        // The operator's next action meets the same failure and is told there.
        qCWarning(lcWindow) << "Anzahl der Messungen nicht neu gelesen:" << e.description();
        return;
    }
    if (m_session->segment() && ui->grdMessungen->isVisible())
        fillGRDMessungen();
}

} // namespace kavio
