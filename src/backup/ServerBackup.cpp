#include "backup/ServerBackup.h"

#include "app/Errors.h"
#include "app/Log.h"
#include "backup/BackupFiles.h"
#include "db/Database.h"
#include "db/ServerStatements.h"

#include <algorithm>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace kavio {

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

ServerToolResult failed(const QString &why)
{
    return {false, why};
}

// The connection options both tools take; never a password prompt: it comes from
// ~/.pgpass or PGPASSWORD, or the tool fails and says so.
QStringList connectionOptions(const ServerAddress &server)
{
    QStringList options{QStringLiteral("--no-password"), QStringLiteral("--host=") + server.host,
                        QStringLiteral("--port=") + QString::number(server.port),
                        QStringLiteral("--schema=") + server.schema};
    if (!server.user.isEmpty())
        options << QStringLiteral("--username=") + server.user;
    return options;
}

struct ToolRun {
    bool ok = false;
    QString output;
    QString error;
};

// Runs the PostgreSQL tool to its end; a failure carries the tool's own message.
ToolRun runTool(const QString &tool, const QStringList &arguments)
{
    ToolRun run;
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        run.error = QStringLiteral("Das Programm %1 wurde nicht gefunden (PostgreSQL-Clientprogramme).").arg(tool);
        return run;
    }
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted() || !process.waitForFinished(-1)) {
        run.error = QStringLiteral("%1 konnte nicht ausgeführt werden (%2).").arg(tool, process.errorString());
        return run;
    }
    run.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString said = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        run.error = QStringLiteral("%1 meldet einen Fehler (Code %2):\n%3").arg(tool).arg(process.exitCode()).arg(said);
        return run;
    }
    run.ok = true;
    return run;
}

// The highest version in the rows of the version table as pg_restore writes them: the lines
// between "COPY ... FROM stdin;" and "\.". 0 when there are none.
int storedSchemaVersion(const QString &script)
{
    int highest = 0;
    bool inRows = false;
    for (const QString &line : script.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("COPY ")))
            inRows = true;
        else if (line == QLatin1String("\\."))
            inRows = false;
        else if (inRows)
            highest = std::max(highest, line.trimmed().toInt());
    }
    return highest;
}

// The other workstations read their lists and counts again. pg_restore announces nothing
// itself: the triggers come after the rows. The restore stands when this fails.
void announceRestore(const ServerAddress &server)
{
    try {
        const DbConnection db = DbConnection::openServer(server);
        db.exec(sql::server::announceAllChanged(), {sql::server::changeChannel(server.schema)});
    } catch (const KavioError &e) {
        qCWarning(lcWindow) << "Wiederherstellung den anderen Arbeitsplätzen nicht gemeldet:" << e.description();
    }
}

} // namespace

QString serverBackupFileName(const QDate &day)
{
    return backupStamp(day) + kServerBackupNameText;
}

QString serverSafetyDumpName(const QDateTime &when)
{
    return safetyCopyName(when).replace(kBackupNameText, kServerBackupNameText);
}

QString serverBackupFileFilter()
{
    return QStringLiteral("Sicherungen der Serverdatenbank (*Segmente.dump)");
}

ServerToolResult dumpServerSchema(const ServerAddress &server, const QString &target)
{
    const QString folder = QFileInfo(target).absolutePath();
    if (!QFileInfo(folder).isDir())
        return failed(QStringLiteral("Der Ordner %1 existiert nicht.").arg(shown(folder)));
    QTemporaryFile temp(backupTempTemplate(folder));
    if (!temp.open())
        return failed(QStringLiteral("Im Ordner %1 kann keine Datei angelegt werden (%2).")
                          .arg(shown(folder), temp.errorString()));
    // pg_dump keeps the mode of the file it writes into: others at the practice must be
    // able to restore the backup.
    QString why;
    if (!giveBackupItsMode(temp, target, &why))
        return failed(why);
    temp.close();
    const ToolRun run =
        runTool(QStringLiteral("pg_dump"), connectionOptions(server) << QStringLiteral("--format=custom")
                                                                     << QStringLiteral("--file=") + temp.fileName()
                                                                     << QStringLiteral("--dbname=") + server.database);
    if (!run.ok)
        return failed(run.error);
    if (!moveBackupIntoPlace(temp.fileName(), target, true, &why))
        return failed(why);
    temp.setAutoRemove(false);
    return {true, {}};
}

ServerToolResult checkServerBackup(const ServerAddress &server, const QString &file)
{
    if (!QFileInfo(file).isFile())
        return failed(QStringLiteral("Die Datei %1 wurde nicht gefunden.").arg(shown(file)));
    const ToolRun run = runTool(QStringLiteral("pg_restore"),
                                {QStringLiteral("--list"), QStringLiteral("--schema=") + server.schema, file});
    if (!run.ok)
        return failed(run.error);
    // The listing names each table as "TABLE <schema> <name> <owner>".
    if (!run.output.contains(QStringLiteral(" TABLE %1 teilnehmer ").arg(server.schema)))
        return failed(
            QStringLiteral("Die Datei %1 enthält keine Segmentdaten des Schemas %2.").arg(shown(file), server.schema));
    // Restored, a schema of a newer program version would be refused at the next
    // operation: it is refused here, while the data are still in place.
    const ToolRun version = runTool(QStringLiteral("pg_restore"),
                                    {QStringLiteral("--data-only"), QStringLiteral("--schema=") + server.schema,
                                     QStringLiteral("--table=kavio_schema_version"), QStringLiteral("--file=-"), file});
    if (!version.ok)
        return failed(version.error);
    const int stored = storedSchemaVersion(version.output);
    if (stored > sql::server::kServerSchemaVersion)
        return failed(QStringLiteral("Die Datei %1 stammt aus einer neueren Programmversion (Datenbankversion %2, "
                                     "dieses Programm kennt bis Version %3).")
                          .arg(shown(file))
                          .arg(stored)
                          .arg(sql::server::kServerSchemaVersion));
    return {true, {}};
}

ServerRestoreResult restoreServerDatabase(const ServerAddress &server, const QString &chosen, const QString &safetyDump)
{
    ServerRestoreResult r;
    const ServerToolResult kept = dumpServerSchema(server, safetyDump);
    if (!kept.ok) {
        r.error = QStringLiteral("Die bisherigen Daten konnten nicht aufbewahrt werden: ") + kept.error;
        return r;
    }
    r.safetyDump = safetyDump;
    // One transaction: a restore that fails on the way leaves the schema as it was.
    const ToolRun run =
        runTool(QStringLiteral("pg_restore"),
                connectionOptions(server) << QStringLiteral("--clean") << QStringLiteral("--if-exists")
                                          << QStringLiteral("--single-transaction") << QStringLiteral("--exit-on-error")
                                          << QStringLiteral("--dbname=") + server.database << chosen);
    if (!run.ok) {
        r.error = run.error;
        return r;
    }
    r.ok = r.liveChanged = true;
    announceRestore(server);
    return r;
}

} // namespace kavio
