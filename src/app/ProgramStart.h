#pragma once

#include "app/frmSplash.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/QtFileDialogs.h"
#include "platform/QtLongWork.h"
#include "platform/QtPrinters.h"
#include "platform/QtSerialLine.h"
#include "platform/RegistrySettings.h"
#include "platform/Shell.h"

#include <memory>

namespace kavio {

class frmMain;

// The program's own outside services; the operator's messages and the program folder are
// the caller's.
struct SystemParts {
    RegistrySettings settings = RegistrySettings::fromEnvironment();
    QtSerialLine serial;
    SystemPrinterFactory printers;
    QtFileDialogs dialogs;
    DesktopShell shell;
    SystemClock clock;
    QtLongWork longWork{applicationTitle()};

    Platform platform(Messages &messages, const ProgramFolder &folder)
    {
        return {&messages, &settings, &serial, &printers, &dialogs, &shell, &clock, &folder, &longWork};
    }
};

// Application name, and German dates and numbers whatever the system's locale.
void setUpApplication();

// Leaving the splash window: makes sure Segmente.mdb is there and of this program's schema
// version (a failure is shown with the stop icon; the main window then reports what it
// cannot read), builds the main window and shows it. A file of a newer version is
// refused with its message and no window is made (nullptr): the program ends.
std::unique_ptr<frmMain> openMainWindow(const Platform &platform);

} // namespace kavio
