#include "backup/ServerBackupCommands.h"

#include "backup/BackupFiles.h"
#include "backup/ServerBackup.h"
#include "platform/Clock.h"
#include "platform/FileDialogs.h"
#include "platform/LongWork.h"
#include "platform/Messages.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>

namespace kavio {

namespace {

const QString kAbgebrochen = QStringLiteral("Vorgang abgebrochen");

// The dialog's caption names the server whose data are saved or replaced.
QString withServer(const QString &caption, const ServerAddress &server)
{
    return QStringLiteral("%1 (Datenbankserver %2, Datenbank %3)").arg(caption, server.host, server.database);
}

} // namespace

QString chooseBackupTarget(const Platform &platform, QString prompt, const QString &fileName)
{
    Messages &messages = *platform.messages;
    const QString folder = OrdnerAuswaehlen(*platform.dialogs, prompt);
    // Without a folder there is nowhere sensible to write.
    if (folder.isEmpty()) {
        messages.info(kAbgebrochen);
        return {};
    }
    const QString target = folder + QLatin1Char('/') + fileName;
    if (DateiVorhanden(target) &&
        !messages.ask(QStringLiteral("Es existiert am angegebenen Ort bereits eine aktuelle Sicherung\n"
                                     "Möchten Sie diese überschreiben?"))) {
        messages.info(kAbgebrochen);
        return {};
    }
    return target;
}

void backUpServerDatabase(const Platform &platform, const ServerAddress &server)
{
    Messages &messages = *platform.messages;
    const QString target =
        chooseBackupTarget(platform, withServer(QStringLiteral("Ordner für die Sicherung auswählen"), server),
                           serverBackupFileName(platform.clock->today()));
    if (target.isEmpty())
        return;
    ServerToolResult result;
    platform.longWork->run(QStringLiteral("Die Datenbank wird gesichert …"),
                           [&] { result = dumpServerSchema(server, target); });
    if (!result.ok) {
        messages.stop(QStringLiteral("Die Sicherung konnte nicht angelegt werden.\n") + result.error);
        return;
    }
    messages.info(QStringLiteral("Die Sicherung wurde unter \n") + QDir::toNativeSeparators(target) +
                  QStringLiteral(" abgelegt"));
}

void restoreServerDatabaseCommand(const Platform &platform, const ServerAddress &server,
                                  const std::function<void()> &release, const std::function<void()> &reload)
{
    Messages &messages = *platform.messages;
    const QString title = withServer(QStringLiteral("Sicherungsdatei auswählen"), server);
    const QString chosen = platform.dialogs->chooseFile(QDir::currentPath(), title, serverBackupFileFilter());
    if (chosen.isEmpty()) {
        messages.info(kAbgebrochen);
        return;
    }
    // Only a backup of this schema may replace its data; a matching name is not enough.
    ServerToolResult check;
    if (chosen.contains(kServerBackupNameText))
        platform.longWork->run(QStringLiteral("Die Sicherungsdatei wird geprüft …"),
                               [&] { check = checkServerBackup(server, chosen); });
    if (!check.ok) {
        messages.stop(QStringLiteral("Diese Datei ist keine Sicherungdatei!") +
                      (check.error.isEmpty() ? QString() : QLatin1Char('\n') + check.error));
        return;
    }
    if (!messages.ask(QStringLiteral("Möchten Sie diese Datei wiederherstellen?"))) {
        messages.info(kAbgebrochen);
        return;
    }
    // The dump of the data as they are lies beside the chosen backups.
    const QString safetyDump =
        QFileInfo(chosen).absolutePath() + QLatin1Char('/') + serverSafetyDumpName(platform.clock->now());
    // The window's connections belong to its thread: closed here, not by the work.
    release();
    ServerRestoreResult result;
    platform.longWork->run(QStringLiteral("Die bisherigen Daten werden aufbewahrt und die Sicherung eingespielt …"),
                           [&] { result = restoreServerDatabase(server, chosen, safetyDump); });
    reload();
    if (!result.ok) {
        messages.stop(QStringLiteral("Die Datei konnte nicht wiederhergestellt werden.\n") + result.error +
                      (result.liveChanged ? QString() : QStringLiteral("\nDie bisherigen Daten sind unverändert.")));
        return;
    }
    messages.info(QStringLiteral("Datenbank wiederhergestellt. Die bisherigen Daten liegen in\n") +
                  QDir::toNativeSeparators(result.safetyDump));
}

} // namespace kavio
