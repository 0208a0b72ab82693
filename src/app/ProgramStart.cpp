#include "app/ProgramStart.h"

#include "app/Errors.h"
#include "app/frmSplash.h"
#include "db/Database.h"
#include "db/RepositoryChoice.h"
#include "db/Schema.h"
#include "platform/Messages.h"
#include "workstation/frmMain.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kavio {

void setUpApplication()
{
    QApplication::setApplicationName(applicationTitle());
    // Lets the desktop match the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("de.kaviosegment.KavioSegment"));
    // The program ends through its main window only: while that is hidden behind the
    // person window, the last message box closing must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    const QLocale german(QLocale::German, QLocale::Germany);
    QLocale::setDefault(german);
    // Qt's own texts (file dialogs, standard buttons) in German as well.
    auto *qtTexts = new QTranslator(qApp);
    if (qtTexts->load(german, QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtTexts);
    else
        delete qtTexts;
}

std::unique_ptr<frmMain> openMainWindow(const Platform &platform)
{
    // Settings naming no usable database: no window, rather than work on the wrong one.
    const QString problem = databaseChoice(*platform.settings).problem;
    if (!problem.isEmpty()) {
        platform.messages->stop(problem);
        return nullptr;
    }
    try {
        const QString unreachable = prepareSegmentDatabase(platform);
        if (!unreachable.isEmpty())
            platform.messages->stop(unreachable);
    } catch (const KavioError &e) {
        // A file of a newer program version is not worked on at all: no window, no writes.
        if (e.number() == static_cast<int>(RunError::UnknownDatabaseFormat)) {
            platform.messages->stop(e.description());
            return nullptr;
        }
        platform.messages->stop(errorForm(e, QStringLiteral("Form_Load"), QStringLiteral("frmMain")));
    }
    auto window = std::make_unique<frmMain>(platform);
    window->show();
    return window;
}

} // namespace kavio
