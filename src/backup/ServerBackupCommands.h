#pragma once

#include "db/ServerAddress.h"

#include <functional>
#include <QString>

namespace kavio {

struct Platform;

// The folder dialog of a backup and the question before an existing backup of the day is
// replaced, for the file and the server alike: the path to write, or empty (with
// "Vorgang abgebrochen" said) when the operator gave up.
QString chooseBackupTarget(const Platform &platform, QString prompt, const QString &fileName);

// The menu "Sicherung" with the database on the server: the questions and messages of the
// file backup, the work done by pg_dump and pg_restore (ServerBackup).
void backUpServerDatabase(const Platform &platform, const ServerAddress &server);
// release closes the window's connections before the restore; reload shows the restored
// data afterwards.
void restoreServerDatabaseCommand(const Platform &platform, const ServerAddress &server,
                                  const std::function<void()> &release, const std::function<void()> &reload);

} // namespace kavio
