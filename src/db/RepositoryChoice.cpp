#include "db/RepositoryChoice.h"

#include "app/Errors.h"
#include "db/Database.h"
#include "db/PostgresRepository.h"
#include "db/Schema.h"
#include "db/ServerSchema.h"
#include "db/SqliteRepository.h"
#include "platform/Platform.h"
#include "platform/Settings.h"

#include <QElapsedTimer>

namespace kavio {

namespace {

constexpr int kStartAttempts = 10;
// A server that does not answer at all costs the connect timeout per attempt: the
// attempts end after this long, so the start does not hang for minutes.
constexpr qint64 kStartPatienceMs = 15000;

QString setting(const Settings &settings, const char *key)
{
    return settings.ownSetting(QStringLiteral("KavioSegment"), QStringLiteral("Datenbank"), QLatin1String(key))
        .trimmed();
}

QString missingServer()
{
    return QStringLiteral("Für die Datenbank auf dem Server fehlen die Einstellungen "
                          "Datenbank/Server oder Datenbank/Datenbank.");
}

QString serverName(const ServerAddress &a)
{
    return QStringLiteral("%1:%2, Datenbank %3").arg(a.host).arg(a.port).arg(a.database);
}

} // namespace

DatabaseChoice databaseChoice(const Settings &settings)
{
    const QString kind = setting(settings, "Art");
    if (kind.isEmpty() || kind.compare(QLatin1String("Datei"), Qt::CaseInsensitive) == 0)
        return {};
    if (kind.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) != 0)
        return {std::nullopt, QStringLiteral("Die Einstellung Datenbank/Art '%1' ist unbekannt "
                                             "(erlaubt: Datei oder PostgreSQL).")
                                  .arg(kind)};
    DatabaseChoice server = configuredServer(settings);
    if (!server.server && server.problem.isEmpty())
        server.problem = missingServer();
    return server;
}

DatabaseChoice configuredServer(const Settings &settings)
{
    ServerAddress a;
    a.host = setting(settings, "Server");
    a.database = setting(settings, "Datenbank");
    a.user = setting(settings, "Benutzer");
    const QString port = setting(settings, "Port");
    const QString schema = setting(settings, "Schema");
    if (!schema.isEmpty())
        a.schema = schema;
    bool ok = true;
    if (!port.isEmpty())
        a.port = port.toInt(&ok);
    if (a.host.isEmpty() && a.database.isEmpty())
        return {};
    if (!ok || a.port < 1 || a.port > 65535)
        return {std::nullopt, QStringLiteral("Die Einstellung Datenbank/Port '%1' ist keine Portnummer.").arg(port)};
    if (a.host.isEmpty() || a.database.isEmpty())
        return {std::nullopt, missingServer()};
    if (!isPlainSchemaName(a.schema))
        return {std::nullopt, QStringLiteral("Die Einstellung Datenbank/Schema '%1' ist ungültig (erlaubt: "
                                             "Kleinbuchstaben, Ziffern und '_', am Anfang ein Buchstabe).")
                                  .arg(a.schema)};
    return {a, {}};
}

std::unique_ptr<SegmentRepository> createRepository(const Platform &platform)
{
    const DatabaseChoice choice = databaseChoice(*platform.settings);
    if (!choice.problem.isEmpty())
        throw KavioError(static_cast<int>(RunError::TypeMismatch), choice.problem);
    if (choice.server)
        return std::make_unique<PostgresRepository>(*choice.server);
    return std::make_unique<SqliteRepository>(segmentePath(platform));
}

QString prepareSegmentDatabase(const Platform &platform)
{
    const DatabaseChoice choice = databaseChoice(*platform.settings);
    if (!choice.problem.isEmpty())
        throw KavioError(static_cast<int>(RunError::TypeMismatch), choice.problem);
    if (!choice.server) {
        ensureSegmentDatabase(segmentePath(platform));
        return {};
    }
    QString lastError;
    QElapsedTimer waited;
    waited.start();
    for (int i = 0; i < kStartAttempts && waited.elapsed() < kStartPatienceMs; ++i) {
        DbConnection db;
        try {
            db = DbConnection::openServer(*choice.server);
        } catch (const KavioError &e) {
            lastError = e.description().trimmed();
            continue;
        }
        ensureServerSchema(db, choice.server->schema);
        return {};
    }
    return QStringLiteral("Der Datenbankserver (%1) ist nicht erreichbar:\n%2\n\n"
                          "Bitte prüfen Sie, ob der Server läuft und ob Server, Port, Datenbank und Benutzer in den "
                          "Einstellungen stimmen (das Kennwort steht in ~/.pgpass). Die nächste Aktion versucht die "
                          "Verbindung erneut.")
        .arg(serverName(*choice.server), lastError);
}

} // namespace kavio
