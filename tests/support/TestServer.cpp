#include "TestServer.h"

#include "app/Errors.h"
#include "db/Database.h"
#include "Fakes.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QFile>
#include <QSqlQuery>

namespace kavio::test {

namespace {

std::optional<ServerAddress> parseAddress(const QString &line)
{
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    bool ok = false;
    if (parts.size() != 4)
        return std::nullopt;
    ServerAddress a{parts[0], parts[1].toInt(&ok), parts[3], parts[2]};
    return ok ? std::optional<ServerAddress>(a) : std::nullopt;
}

} // namespace

void chooseServerDatabase(FakeSettings &settings, const ServerAddress &server)
{
    const QStringList pairs{
        "Art",       "PostgreSQL",    "Server",   server.host, "Port",   QString::number(server.port),
        "Datenbank", server.database, "Benutzer", server.user, "Schema", server.schema};
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2)
        settings.setOwnSetting(QStringLiteral("KavioSegment"), QStringLiteral("Datenbank"), pairs[i], pairs[i + 1]);
}

bool serverTestsOptedOut()
{
    return qEnvironmentVariable("KAVIO_PG_SKIP") == QLatin1String("1");
}

std::optional<ServerAddress> testServerAddress(QString *why)
{
    if (qEnvironmentVariableIsSet("KAVIO_PG_SERVER"))
        return parseAddress(qEnvironmentVariable("KAVIO_PG_SERVER"));
    const QString file = qEnvironmentVariable("KAVIO_PG_ADDRESS_FILE");
    QFile f(file);
    if (!file.isEmpty() && f.open(QIODevice::ReadOnly))
        if (auto a = parseAddress(QString::fromUtf8(f.readAll())))
            return a;
    *why = QStringLiteral("Kein PostgreSQL-Testserver: KAVIO_PG_SERVER ist nicht gesetzt und die Adressdatei '%1' "
                          "fehlt (scripts/pg-test-server.sh; KAVIO_PG_SKIP=1 überspringt diese Tests)")
               .arg(file);
    return std::nullopt;
}

TestSchema::TestSchema(const ServerAddress &server) : m_address(server)
{
    static QAtomicInteger<int> counter;
    m_address.schema =
        QStringLiteral("t%1_%2").arg(QCoreApplication::applicationPid()).arg(counter.fetchAndAddRelaxed(1));
    // A schema left by an earlier run of the same process number goes first.
    const DbConnection db = DbConnection::openServer(m_address);
    db.run(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_address.schema));
}

TestSchema::~TestSchema()
{
    try {
        const DbConnection db = DbConnection::openServer(m_address);
        db.run(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_address.schema));
    } catch (const KavioError &e) {
        qWarning("Testschema %s nicht entfernt: %s", qPrintable(m_address.schema), qPrintable(e.description()));
    }
}

QVariant TestSchema::scalar(const QString &sql, const QVariantList &values) const
{
    const DbConnection db = DbConnection::openServer(m_address);
    QSqlQuery q = db.exec(sql, values);
    return q.next() ? q.value(0) : QVariant();
}

} // namespace kavio::test
