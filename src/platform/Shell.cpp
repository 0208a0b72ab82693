#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace kavio {

bool DesktopShell::openFile(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopShell::startProgram(const QString &path)
{
    if (!QFileInfo(path).isExecutable())
        return false;
    return QProcess::startDetached(path, {});
}

} // namespace kavio
