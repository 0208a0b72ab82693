#include "app/ProgramStart.h"

#include "app/Errors.h"
#include "app/frmSplash.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "platform/Messages.h"
#include "workstation/frmMain.h"

#include <QApplication>
#include <QLocale>

namespace kavio {

void setUpApplication()
{
    QApplication::setApplicationName(applicationTitle());
    // The program ends through its main window only: while that is hidden behind the
    // person window, the last message box closing must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

std::unique_ptr<frmMain> openMainWindow(const Platform &platform)
{
    try {
        ensureSegmentDatabase(segmentePath(platform));
    } catch (const KavioError &e) {
        platform.messages->stop(errorForm(e, QStringLiteral("Form_Load"), QStringLiteral("frmMain")));
    }
    auto window = std::make_unique<frmMain>(platform);
    window->show();
    return window;
}

} // namespace kavio
