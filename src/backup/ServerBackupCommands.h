#pragma once

#include "db/ServerAddress.h"

#include <functional>

namespace kavio {

struct Platform;

// The menu "Sicherung" with the database on the server: the questions and messages of the
// file backup, the work done by pg_dump and pg_restore (ServerBackup).
void backUpServerDatabase(const Platform &platform, const ServerAddress &server);
// release closes the window's connections before the restore; reload shows the restored
// data afterwards.
void restoreServerDatabaseCommand(const Platform &platform, const ServerAddress &server,
                                  const std::function<void()> &release, const std::function<void()> &reload);

} // namespace kavio
