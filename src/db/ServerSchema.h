#pragma once

#include <QString>

namespace kavio {

class DbConnection;

// Makes the program's schema on the server ready: creates the schema and its tables when
// they are missing and leaves a current one alone, all in one transaction, so a failure
// leaves nothing half made. A schema of a newer version is refused (KavioError
// UnknownDatabaseFormat with the German text) without writing. Throws KavioError.
void ensureServerSchema(const DbConnection &db, const QString &schema);

} // namespace kavio
