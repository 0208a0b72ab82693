#include "platform/ProgramFolder.h"

#include "platform/Messages.h"
#include "platform/Settings.h"

#include <fcntl.h>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <sys/stat.h>
#include <unistd.h>

namespace kavio {

namespace {

const QString kCannotStart = QStringLiteral("\nDas Programm kann nicht gestartet werden!");

// Creates the folder and its missing parents, private to the user (the folder holds
// health data). On failure the folders made here are removed again.
bool makeFolder(const QString &path)
{
    QStringList missing;
    for (QString p = QDir::cleanPath(path); !QFileInfo::exists(p); p = QFileInfo(p).path()) {
        missing.prepend(p);
        if (p == QFileInfo(p).path())
            break;
    }
    QStringList made;
    for (const QString &p : std::as_const(missing)) {
        if (::mkdir(QFile::encodeName(p).constData(), 0700) != 0) {
            for (auto it = made.crbegin(); it != made.crend(); ++it)
                ::rmdir(QFile::encodeName(*it).constData());
            return false;
        }
        made.append(p);
    }
    return true;
}

} // namespace

ProgramFolder ProgramFolder::ofThisRun(const Settings &settings)
{
    return chooseDataFolder(
        {QCoreApplication::applicationDirPath(),
         settings.ownSetting(dataFolderSettingApplication(), dataFolderSettingSection(), dataFolderSettingKey())
             .trimmed(),
         qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath()});
}

QString dataFolderLabel(const ProgramFolder &folder)
{
    return QStringLiteral("Datenordner: ") + QDir::toNativeSeparators(folder.path());
}

ProgramFolder chooseDataFolder(const DataFolderPlaces &places)
{
    if (!places.configured.isEmpty())
        return ProgramFolder(QDir::cleanPath(QDir(places.home).absoluteFilePath(places.configured)),
                             ProgramFolder::Origin::Setting);
    const QDir exe(places.executableFolder);
    if (QFileInfo::exists(exe.filePath(portableMarkerName())) ||
        (isWritableFolder(places.executableFolder) && QFileInfo::exists(exe.filePath(QStringLiteral("Segmente.mdb")))))
        return ProgramFolder(places.executableFolder, ProgramFolder::Origin::Portable);
    // The base-directory convention ignores a relative XDG_DATA_HOME.
    QString dataHome = places.dataHome;
    if (dataHome.isEmpty() || QDir::isRelativePath(dataHome))
        dataHome = places.home + QStringLiteral("/.local/share");
    return ProgramFolder(QDir::cleanPath(dataHome + QStringLiteral("/KavioSegment")), ProgramFolder::Origin::UserData);
}

bool isWritableFolder(const QString &path)
{
    // The effective user's rights: access() would ask about the real user.
    return QFileInfo(path).isDir() &&
           ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK | X_OK, AT_EACCESS) == 0;
}

QString prepareDataFolder(const ProgramFolder &folder)
{
    const QString shown = QDir::toNativeSeparators(folder.path());
    if (!QFileInfo(folder.path()).isDir()) {
        if (folder.origin() == ProgramFolder::Origin::Setting)
            return QStringLiteral("Der in den Einstellungen genannte Datenordner\n%1\nist nicht vorhanden "
                                  "(ist das Netzlaufwerk verbunden?).")
                       .arg(shown) +
                   kCannotStart;
        if (folder.origin() == ProgramFolder::Origin::Portable || !makeFolder(folder.path()))
            return QStringLiteral("Der Datenordner\n%1\nkann nicht angelegt werden.").arg(shown) + kCannotStart;
    }
    if (!isWritableFolder(folder.path()))
        return QStringLiteral("In den Datenordner\n%1\nkann nicht geschrieben werden.\n"
                              "Bitte prüfen Sie die Zugriffsrechte.")
                   .arg(shown) +
               kCannotStart;
    return {};
}

bool readyDataFolder(const ProgramFolder &folder, Messages &messages)
{
    const QString problem = prepareDataFolder(folder);
    if (!problem.isEmpty())
        messages.stop(problem);
    return problem.isEmpty();
}

} // namespace kavio
