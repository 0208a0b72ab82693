#include "db/ServerSchema.h"

#include "app/Errors.h"
#include "db/Database.h"
#include "db/ServerStatements.h"

#include <QSqlQuery>
#include <QVariant>

namespace kavio {

void ensureServerSchema(const DbConnection &db, const QString &schema)
{
    db.transaction([&] {
        // Two workstations starting together: the second waits and finds the schema made.
        db.exec(sql::server::lockSchemaSetup());
        db.run(sql::server::createSchema(schema));
        db.run(sql::server::createVersionTable());
        QSqlQuery q = db.exec(sql::server::schemaVersion());
        const int version = q.next() ? q.value(0).toInt() : 0;
        q.finish();
        if (version > sql::server::kServerSchemaVersion)
            throw KavioError(static_cast<int>(RunError::UnknownDatabaseFormat),
                             QStringLiteral("Die Datenbank %1 (Schema %2) stammt aus einer neueren Programmversion "
                                            "(Datenbankversion %3, dieses Programm kennt bis Version %4).\n"
                                            "Bitte installieren Sie die neuere Programmversion. Die Datenbank "
                                            "bleibt unverändert.")
                                 .arg(db.path(), schema)
                                 .arg(version)
                                 .arg(sql::server::kServerSchemaVersion));
        if (version == sql::server::kServerSchemaVersion)
            return;
        for (const QString &statement : sql::server::schemaStatements())
            db.run(statement);
        db.run(sql::server::storeSchemaVersion(sql::server::kServerSchemaVersion));
    });
}

} // namespace kavio
