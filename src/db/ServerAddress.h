#pragma once

#include <QString>

namespace kavio {

// Where the shared segment database lives on a PostgreSQL server. The password is not
// kept here: the client library takes it from ~/.pgpass or its environment.
struct ServerAddress {
    QString host;
    int port = 5432;
    QString database;
    QString user;
    // The program's tables lie in a schema of their own, so a practice database may hold
    // other things beside them.
    QString schema = QStringLiteral("kavio");
    // How long a store whose commit lost its answer is looked for on a fresh connection,
    // while the server comes back (a restart takes a few seconds).
    int commitCheckSeconds = 15;
};

// A schema name the program puts into statement text: lower-case ASCII letters, digits
// and '_', starting with a letter, at most 63 characters.
bool isPlainSchemaName(const QString &name);

} // namespace kavio
