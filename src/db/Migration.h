#pragma once

#include "db/ServerAddress.h"

#include <QString>
#include <QStringList>

namespace kavio {

// Copies a segment database file into the program's empty schema on a server, in one
// transaction: every row with its numbers (LfdNr, MessID), then the row counts and the
// sums of every number column (and of the lengths of every text) compared table by table.
// A schema that already holds a row, a file of a newer version, a value the server does
// not take and any difference in the comparison throw KavioError with the German reason;
// then nothing is written. Returns one line per table ("Teilnehmer: 1200 Zeilen").
QStringList migrateToServer(const QString &file, const ServerAddress &server);

} // namespace kavio
