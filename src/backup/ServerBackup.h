#pragma once

#include "db/ServerAddress.h"

#include <QDate>
#include <QDateTime>
#include <QString>

namespace kavio {

// The text a backup of the server's database carries in its name, with this letter case.
inline const QString kServerBackupNameText = QStringLiteral("Segmente.dump");

// "dd-MM-yyyy_Segmente.dump"
QString serverBackupFileName(const QDate &day);
// Name of the dump of the server's data taken before a restore replaces it; it passes the
// name test, so the restore command itself can bring it back.
QString serverSafetyDumpName(const QDateTime &when);
// The file-type list of the open-file dialog for server backups.
QString serverBackupFileFilter();

struct ServerToolResult {
    bool ok = false;
    QString error; // German cause, with the tool's own text, when !ok
};

// The program's schema on the server into target (pg_dump, custom format). Written under a
// temporary name beside target and renamed when pg_dump succeeded; an existing target is
// replaced. On failure nothing is left behind.
ServerToolResult dumpServerSchema(const ServerAddress &server, const QString &target);

// The file is a backup of the program's schema of that server (pg_restore lists its
// tables there).
ServerToolResult checkServerBackup(const ServerAddress &server, const QString &file);

struct ServerRestoreResult {
    bool ok = false;
    bool liveChanged = false; // false: the server's data are as they were
    QString safetyDump;       // where the former data were kept (empty when that failed)
    QString error;            // German cause when !ok
};

// Replaces the schema's content by the chosen backup. The data as they are go into
// safetyDump first; when that fails nothing is restored. pg_restore runs in one
// transaction; afterwards the workstations listening for changes are told that every
// table changed. Touches no connection of the caller: it may run on a thread of its own.
ServerRestoreResult restoreServerDatabase(const ServerAddress &server, const QString &chosen,
                                          const QString &safetyDump);

} // namespace kavio
