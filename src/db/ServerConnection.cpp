#include "app/Errors.h"
#include "db/Database.h"
#include "db/ServerAddress.h"
#include "db/ServerConnectionLost.h"
#include "db/ServerStatements.h"

#include <QAtomicInteger>
#include <QRegularExpression>
#include <QSqlError>

namespace kavio {

namespace {

// Seconds the client waits for an answer when the server is gone, instead of the
// operating system's minutes.
constexpr int kConnectTimeoutSeconds = 5;

QString nextServerConnectionName()
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("kavio-pg-%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

void DbConnection::commitFailedOnServer(const KavioError &failure) const
{
    if (answers()) // the server is there and refused the commit: it rolled back
        throw failure;
    // The commit may have reached the server before the connection broke: whoever knows
    // what the transaction wrote may look whether it is there.
    m_broken = true;
    throw ServerConnectionLost(failure, true);
}

bool isPlainSchemaName(const QString &name)
{
    static const QRegularExpression plain(QStringLiteral("^[a-z][a-z0-9_]{0,62}$"));
    return plain.match(name).hasMatch();
}

DbConnection DbConnection::openServer(const ServerAddress &address)
{
    if (!isPlainSchemaName(address.schema))
        throw KavioError(static_cast<int>(RunError::TypeMismatch),
                         QStringLiteral("Der Schemaname '%1' ist ungültig (erlaubt: Kleinbuchstaben, Ziffern, '_')")
                             .arg(address.schema));
    DbConnection c;
    c.m_name = nextServerConnectionName();
    c.m_path = QStringLiteral("%1:%2/%3").arg(address.host).arg(address.port).arg(address.database);
    c.m_server = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), c.m_name);
        db.setHostName(address.host);
        db.setPort(address.port);
        db.setDatabaseName(address.database);
        db.setUserName(address.user);
        db.setConnectOptions(
            QStringLiteral("connect_timeout=%1;application_name=KavioSegment").arg(kConnectTimeoutSeconds));
        if (!db.open()) {
            const ServerConnectionLost e(KavioError::fromSql(db.lastError()), false);
            db = QSqlDatabase();
            c.close();
            throw e;
        }
    }
    try {
        // Names are resolved in the program's schema first; the schema need not exist yet.
        c.run(QStringLiteral("SET search_path TO %1, public").arg(address.schema));
        // The server's notices ("already exists, skipping") are no news to the operator.
        c.run(QStringLiteral("SET client_min_messages TO warning"));
        QSqlQuery process = c.exec(sql::server::serverProcess());
        c.m_serverProcess = process.next() ? process.value(0).toInt() : 0;
    } catch (const KavioError &) {
        c.close();
        throw;
    }
    s_opened.fetch_add(1, std::memory_order_relaxed);
    return c;
}

} // namespace kavio
