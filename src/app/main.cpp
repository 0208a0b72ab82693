#include "app/frmSplash.h"
#include "app/ProgramStart.h"
#include "platform/ProgramFolder.h"
#include "platform/QtMessages.h"
#include "workstation/frmMain.h"

#include <memory>
#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    kavio::setUpApplication();

    kavio::QtMessages messages(kavio::applicationTitle());
    kavio::SystemParts parts;
    const kavio::ProgramFolder folder = kavio::ProgramFolder::ofThisRun(parts.settings);
    if (!kavio::readyDataFolder(folder, messages))
        return 1;
    const kavio::Platform platform = parts.platform(messages, folder);

    std::unique_ptr<kavio::frmMain> mainWindow;
    kavio::frmSplash splash(platform, [&] {
        mainWindow = kavio::openMainWindow(platform);
        if (!mainWindow)
            QCoreApplication::exit(1);
    });
    if (!splash.Form_Load())
        return 0;
    splash.show();
    return app.exec();
}
