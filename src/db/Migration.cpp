#include "db/Migration.h"

#include "app/Errors.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/ServerSchema.h"
#include "db/ServerStatements.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace kavio {

namespace {

constexpr int kRowsPerInsert = 200;

KavioError refusal(const QString &text)
{
    return KavioError(static_cast<int>(RunError::UnknownDatabaseFormat), text);
}

QVariantList figures(const DbConnection &db, const sql::server::CopiedTable &t)
{
    QSqlQuery q = db.exec(sql::server::copyFigures(t));
    QVariantList out;
    if (q.next())
        for (int i = 0; i < q.record().count(); ++i)
            out << q.value(i).toLongLong();
    return out;
}

void copyRows(const DbConnection &from, const DbConnection &to, const sql::server::CopiedTable &t)
{
    const auto width = int(t.columns().size());
    QSqlQuery rows = from.exec(sql::server::copySource(t));
    QVariantList batch;
    auto flush = [&] {
        if (!batch.isEmpty())
            to.exec(sql::server::copyTarget(t, int(batch.size()) / width), batch);
        batch.clear();
    };
    while (rows.next()) {
        for (int c = 0; c < width; ++c)
            batch << rows.value(c);
        if (batch.size() == qsizetype(width) * kRowsPerInsert)
            flush();
    }
    flush();
}

} // namespace

QStringList migrateToServer(const QString &file, const ServerAddress &server)
{
    const DbConnection source = DbConnection::open(file, OpenMode::ReadOnly);
    const int version = segmentSchemaVersion(source);
    if (const QString newer = newerSchemaRefusal(file, version); !newer.isEmpty())
        throw refusal(newer);
    if (!hasSegmentSchema(source))
        throw refusal(QStringLiteral("Die Datei %1 ist keine Segmentdatenbank.").arg(file));
    QList<sql::server::CopiedTable> tables = sql::server::copiedTables(version);
    // The practice's patient number, when the file has the column already.
    if (source.db().record(QStringLiteral("Teilnehmer")).indexOf(QStringLiteral("PraxisPatientenNr")) >= 0)
        tables[0].texts << QStringLiteral("PraxisPatientenNr");

    const DbConnection target = DbConnection::openServer(server);
    ensureServerSchema(target, server.schema);
    QStringList report;
    target.transaction([&] {
        QSqlQuery present = target.exec(sql::server::rowsOf(tables));
        if (present.next() && present.value(0).toLongLong() > 0)
            throw refusal(QStringLiteral("Das Schema %1 auf dem Server enthält bereits Daten (%2 Zeilen). "
                                         "Es wurde nichts kopiert.")
                              .arg(server.schema)
                              .arg(present.value(0).toLongLong()));
        present = QSqlQuery();
        for (const auto &t : tables)
            copyRows(source, target, t);
        for (const QString &s : sql::server::continueKeys())
            target.exec(s);
        for (const auto &t : tables) {
            const QVariantList before = figures(source, t), after = figures(target, t);
            if (before != after)
                throw refusal(QStringLiteral("Die Tabelle %1 stimmt nach dem Kopieren nicht mit der Datei überein "
                                             "(Zeilen und Summen). Es wurde nichts kopiert.")
                                  .arg(t.name));
            report << QStringLiteral("%1: %2 Zeilen").arg(t.name).arg(before.value(0).toLongLong());
        }
    });
    return report;
}

} // namespace kavio
