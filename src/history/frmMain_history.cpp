// Menu "Export" of the main window.
#include "history/frmHistory.h"
#include "platform/Messages.h"
#include "workstation/frmMain.h"

namespace kavio {

void frmMain::mnuExportHistory_Click()
{
    if (!m_session->segment()) {
        m_platform.messages->info(QStringLiteral("Bitte wählen Sie erst einen Patienten und ein Segment aus!"));
        return;
    }
    auto *history = new frmHistory(m_platform, *m_session, this);
    history->setAttribute(Qt::WA_DeleteOnClose);
    history->show();
}

} // namespace kavio
