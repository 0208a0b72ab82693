#include "app/Errors.h"
#include "app/frmSplash.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "platform/QtFileDialogs.h"
#include "platform/QtMessages.h"
#include "platform/QtPrinters.h"
#include "platform/QtSerialLine.h"
#include "platform/RegistrySettings.h"
#include "platform/Shell.h"
#include "workstation/frmMain.h"

#include <memory>
#include <QApplication>
#include <QLocale>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(kavio::applicationTitle());
    // Dates and numbers are German whatever the system's locale.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    kavio::QtMessages messages(kavio::applicationTitle());
    kavio::RegistrySettings settings = kavio::RegistrySettings::fromEnvironment();
    kavio::QtSerialLine serial;
    kavio::SystemPrinterFactory printers;
    kavio::QtFileDialogs dialogs;
    kavio::DesktopShell shell;
    kavio::SystemClock clock;
    const kavio::ProgramFolder folder = kavio::ProgramFolder::ofExecutable();
    const kavio::Platform platform{&messages, &settings, &serial, &printers, &dialogs, &shell, &clock, &folder};

    std::unique_ptr<kavio::frmMain> mainWindow;
    kavio::frmSplash splash(platform, [&] {
        try {
            kavio::ensureSegmentDatabase(kavio::segmentePath(platform));
        } catch (const kavio::KavioError &e) {
            messages.stop(kavio::errorForm(e, QStringLiteral("Form_Load"), QStringLiteral("frmMain")));
        }
        mainWindow = std::make_unique<kavio::frmMain>(platform);
        mainWindow->show();
    });
    if (!splash.Form_Load())
        return 0;
    splash.show();
    return app.exec();
}
