// Menu "Sicherung" of the main window.
#include "backup/BackupFiles.h"
#include "backup/ServerBackupCommands.h"
#include "db/Database.h"
#include "db/RepositoryChoice.h"
#include "platform/Clock.h"
#include "platform/FileDialogs.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"
#include "workstation/frmMain.h"

#include <QApplication>

namespace kavio {

namespace {

const QString kAbgebrochen = QStringLiteral("Vorgang abgebrochen");
const QString kKeineSicherung = QStringLiteral("Diese Datei ist keine Sicherungdatei!");

// The dialog's caption names the folder whose data is saved or replaced.
QString withDataFolder(const QString &caption, const ProgramFolder &folder)
{
    return caption + QStringLiteral(" (") + dataFolderLabel(folder) + QLatin1Char(')');
}

void closeOtherWindows(const QWidget *main)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows)
        if (w != main)
            w->close();
}

// The database on a server is saved and replaced there, not the file of this workstation.
std::optional<ServerAddress> chosenServer(const Platform &platform)
{
    return databaseChoice(*platform.settings).server;
}

} // namespace

void frmMain::mnuDatenSichern_Click()
{
    if (const std::optional<ServerAddress> server = chosenServer(m_platform)) {
        backUpServerDatabase(m_platform, *server);
        return;
    }
    Messages &messages = *m_platform.messages;
    const QString target = chooseBackupTarget(
        m_platform, withDataFolder(QStringLiteral("Ordner für die Sicherung auswählen"), *m_platform.folder),
        backupStamp(m_platform.clock->today()) + kBackupNameText);
    if (target.isEmpty())
        return;
    QString why;
    if (!DatenbankSichern(segmentePath(m_platform), target, true, &why)) {
        messages.stop(QStringLiteral("Die Sicherung konnte nicht angelegt werden.\n") + why);
        return;
    }
    messages.info(QStringLiteral("Die Sicherung wurde unter \n") + target + QStringLiteral(" abgelegt"));
}

void frmMain::mnuDatenWiederherstellen_Click()
{
    if (const std::optional<ServerAddress> server = chosenServer(m_platform)) {
        restoreServerDatabaseCommand(
            m_platform, *server, [this] { releaseDatabase(); }, [this] { showOtherWorkstationsChanges(); });
        return;
    }
    Messages &messages = *m_platform.messages;
    QString startFolder;
    QString title = withDataFolder(QStringLiteral("Sicherungsdatei auswählen"), *m_platform.folder);
    const QString chosen = DateiOeffnenDialog(*m_platform.dialogs, startFolder, title);
    // Only an intact segment database may replace the data; a matching name is not enough.
    // One of a newer program version is named as such: the operator needs that version.
    QString why;
    bool newer = false;
    if (!isBackupName(chosen) || !isSegmentDatabase(chosen, &why, &newer)) {
        messages.stop(newer ? kKeineSicherung + QLatin1Char('\n') + why : kKeineSicherung);
        return;
    }
    if (!messages.ask(QStringLiteral("Möchten Sie diese Datei wiederherstellen?"))) {
        messages.info(kAbgebrochen);
        return;
    }
    const RestoreResult result = restoreSegmentDatabase(
        chosen, segmentePath(m_platform), m_platform.folder->file(safetyCopyName(m_platform.clock->now())), [this] {
            releaseDatabase();
            // Another window still reading the file (the history list) goes with what it
            // holds: the program ends after the restore anyway.
            if (!openConnectionsOn(segmentePath(m_platform)).isEmpty())
                closeOtherWindows(this);
        });
    if (!result.ok) {
        messages.stop(QStringLiteral("Die Datei konnte nicht wiederhergestellt werden.\n") + result.error +
                      (result.liveChanged ? QString() : QStringLiteral("\nDie bisherigen Daten sind unverändert.")));
        return;
    }
    messages.info(QStringLiteral("Datei wiederhergestellt, das Programm wird beendet."));

    // The next start works on the restored file; nothing of this run may touch it again.
    closeOtherWindows(this);
    close();
}

} // namespace kavio
