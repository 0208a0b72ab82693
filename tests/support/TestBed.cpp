#include "TestBed.h"

#include "app/Conversions.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/Statements.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QSqlQuery>

namespace kavio::test {

TestBed::TestBed() : TestBed(Options{}) {}

TestBed::TestBed(const Options &options)
{
    folder = std::make_unique<ProgramFolder>(dir.path());
    printers = std::make_unique<FakePrinters>(path(QStringLiteral("print.pdf")));
    platform =
        Platform{&messages, &settings, &serial, printers.get(), &dialogs, &shell, &clock, folder.get(), &longWork};

    settings.setAppSetting(QStringLiteral("KAVIO_PLUS"), QStringLiteral("Vers"), QStringLiteral("CurrentVersion"),
                           QStringLiteral("5.4"));
    settings.setAppSetting(QStringLiteral("KAVIO_PLUS"), QStringLiteral("Einstellungen"), QStringLiteral("Port"),
                           QStringLiteral("3"));
    if (options.multi)
        settings.setString(Hive::LocalMachine, QStringLiteral("Software\\Kavio_Plus"), QStringLiteral("FrequenzType"),
                           QStringLiteral("Multi"));
    if (options.hostDatabase) {
        QDir().mkpath(path(QStringLiteral("host")));
        demo::writeHostDatabase(biaPath(), demo::demoPersons());
        settings.setString(Hive::LocalMachine, QStringLiteral("Software\\Kavio_Plus"), QStringLiteral("dbPath"),
                           biaPath());
    }
    if (options.flags)
        demo::writeFlagsDatabase(path(QStringLiteral("Flags.mdb")), QStringLiteral("KAVIO-LOGO-1"));
    if (options.segmentDatabase)
        ensureSegmentDatabase(segmentePath());
}

qint64 TestBed::addPerson(const QString &name, const QString &vorname, const QDate &gebDat)
{
    DbConnection db = DbConnection::open(segmentePath());
    // No sex recorded (NULL), as for a host person whose field is empty.
    QSqlQuery q = db.exec(sql::insertPerson(),
                          {name, vorname, QVariant(QMetaType(QMetaType::Int)), isoDate(gebDat), QStringLiteral("12345"),
                           QStringLiteral("Musterstadt"), QStringLiteral("K-1"), 0});
    return q.lastInsertId().toLongLong();
}

qint64 TestBed::addMeasurement(const QString &segment, qint64 fktn, const QDate &day, const QString &time, int w5,
                               int w50, int w100, int xc5, int xc50, int xc100, const QVariant &w5n,
                               const QVariant &w50n, const QVariant &w100n)
{
    DbConnection db = DbConnection::open(segmentePath());
    QSqlQuery q = db.exec(QStringLiteral("INSERT INTO %1 (FKTN, Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, Xc100, "
                                         "W5N, W50N, W100N) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                              .arg(sql::segmentTable(segment)),
                          {fktn, isoDate(day), time, w5, w50, w100, xc5, xc50, xc100,
                           w5n.isValid() ? w5n : QVariant(QMetaType(QMetaType::Int)),
                           w50n.isValid() ? w50n : QVariant(QMetaType(QMetaType::Int)),
                           w100n.isValid() ? w100n : QVariant(QMetaType(QMetaType::Int))});
    return q.lastInsertId().toLongLong();
}

void writeSegmentDatabase(const QString &path, int version)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("%s: %s", qPrintable(path), qPrintable(file.errorString()));
    file.close();
    DbConnection db = DbConnection::open(path);
    db.transaction([&] {
        for (const QString &statement : segmentSchemaStatements(std::min(version, kSegmentSchemaVersion)))
            db.exec(statement);
        db.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
    });
}

QVariant scalar(const QString &dbPath, const QString &sql, const QVariantList &values)
{
    DbConnection db = DbConnection::open(dbPath);
    QSqlQuery q = db.exec(sql, values);
    return q.next() ? q.value(0) : QVariant();
}

} // namespace kavio::test
