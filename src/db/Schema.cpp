#include "db/Schema.h"

#include "app/Errors.h"
#include "db/Database.h"
#include "db/Segments.h"
#include "db/Statements.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace kavio {

const QStringList &segmentTables()
{
    static const QStringList tables = [] {
        QStringList names;
        for (const SegmentInfo &s : kSegments)
            names << QLatin1String(s.table);
        return names;
    }();
    return tables;
}

static QString int16(const QString &field, bool nullable)
{
    return QStringLiteral("%1 INTEGER%2 CHECK (%1 BETWEEN -32768 AND 32767)")
        .arg(field, nullable ? QString() : QStringLiteral(" NOT NULL"));
}

// Version 1: the persons, tblTeilnehmerSegmente and the four segment tables.
static QStringList baseStatements()
{
    QStringList s;
    s << QStringLiteral("CREATE TABLE IF NOT EXISTS Teilnehmer ("
                        "LfdNr INTEGER PRIMARY KEY AUTOINCREMENT, "
                        "Name TEXT COLLATE NOCASE, VorName TEXT COLLATE NOCASE, "
                        "GebDat TEXT, PLZ TEXT, Ort TEXT, Kennung TEXT, AnzMes INTEGER, "
                        "Geschlecht INTEGER DEFAULT 0)")
      << QStringLiteral("CREATE INDEX IF NOT EXISTS ixTeilnehmerName ON Teilnehmer (Name COLLATE NOCASE)")
      << QStringLiteral("CREATE TABLE IF NOT EXISTS tblTeilnehmerSegmente ("
                        "lfdNR INTEGER PRIMARY KEY, "
                        "AL INTEGER NOT NULL DEFAULT 0 CHECK (AL IN (0, 1)), "
                        "AR INTEGER NOT NULL DEFAULT 0 CHECK (AR IN (0, 1)), "
                        "BL INTEGER NOT NULL DEFAULT 0 CHECK (BL IN (0, 1)), "
                        "BR INTEGER NOT NULL DEFAULT 0 CHECK (BR IN (0, 1)))");
    for (const QString &t : segmentTables()) {
        QStringList cols{
            QStringLiteral("MessID INTEGER PRIMARY KEY AUTOINCREMENT"), QStringLiteral("FKTN INTEGER NOT NULL"),
            QStringLiteral("Datum TEXT NOT NULL CHECK (Datum GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]')"),
            QStringLiteral("Uhrzeit TEXT NOT NULL")};
        for (const char *f : {"W5", "W50", "W100", "Xc5", "Xc50", "Xc100"})
            cols << int16(QString::fromLatin1(f), false);
        for (const char *f : {"W5N", "W50N", "W100N"})
            cols << int16(QString::fromLatin1(f), true);
        s << QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)").arg(t, cols.join(QStringLiteral(", ")))
          << QStringLiteral("CREATE INDEX IF NOT EXISTS ix%1Person ON %1 (FKTN, Datum, Uhrzeit)").arg(t);
    }
    return s;
}

// What the given version adds to the one before it. Each step only adds: the upgrade
// leaves every existing table and row as it is.
static QStringList stepStatements(int version)
{
    switch (version) {
    case 2: {
        // A table of its own rather than columns of Teilnehmer: that table mirrors the
        // host's persons, and tblTeilnehmerSegmente's flags are the host's, not at-risk
        // marks. A missing row reads as the defaults, so the step writes no rows.
        QStringList hands;
        for (const char *h : kStoredHands)
            hands << QStringLiteral("'%1'").arg(QLatin1String(h));
        QStringList cols{QStringLiteral("LfdNr INTEGER PRIMARY KEY"),
                         QStringLiteral("DominanteHand TEXT NOT NULL DEFAULT '%1' CHECK (DominanteHand IN (%2))")
                             .arg(QLatin1String(kStoredHands[2]), hands.join(QStringLiteral(", ")))};
        for (const SegmentInfo &s : kSegments)
            cols << QStringLiteral("%1 INTEGER NOT NULL DEFAULT 0 CHECK (%1 IN (0, 1))").arg(QLatin1String(s.code));
        return {QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)")
                    .arg(kPersonFactsTable, cols.join(QStringLiteral(", ")))};
    }
    case 3:
        // Looked up at every request of the practice software, hence the index.
        return {QStringLiteral("ALTER TABLE Teilnehmer ADD COLUMN %1 TEXT").arg(kPracticeNumberColumn),
                QStringLiteral("CREATE INDEX IF NOT EXISTS ixTeilnehmerPraxisNr ON Teilnehmer (%1)")
                    .arg(kPracticeNumberColumn)};
    default:
        return {};
    }
}

static QString versionStatement(int version)
{
    return QStringLiteral("PRAGMA user_version = %1").arg(version);
}

QStringList segmentSchemaStatements(int version)
{
    QStringList s = baseStatements();
    for (int v = 2; v <= version; ++v)
        s << stepStatements(v);
    s << versionStatement(version);
    return s;
}

QStringList hostSchemaStatements()
{
    return {QStringLiteral("CREATE TABLE IF NOT EXISTS Teilnehmer ("
                           "LfdNr INTEGER PRIMARY KEY AUTOINCREMENT, "
                           "Name TEXT COLLATE NOCASE, VorName TEXT COLLATE NOCASE, Geschlecht INTEGER, "
                           "GebDat TEXT, PLZ TEXT, Ort TEXT, Kennung TEXT, AnzMes INTEGER)"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS ixTeilnehmerName ON Teilnehmer (Name COLLATE NOCASE)")};
}

QStringList flagsSchemaStatements()
{
    return {QStringLiteral("CREATE TABLE IF NOT EXISTS Flags (GroupId INTEGER, CompLogoMonitor TEXT)")};
}

int segmentSchemaVersion(const DbConnection &db)
{
    QSqlQuery q = db.exec(sql::schemaVersion());
    return q.next() ? q.value(0).toInt() : 0;
}

QString newerSchemaRefusal(const QString &path, int fileVersion)
{
    if (fileVersion <= kSegmentSchemaVersion)
        return {};
    return QStringLiteral("Die Datenbank %1 stammt aus einer neueren Programmversion (Datenbankversion %2, "
                          "dieses Programm kennt bis Version %3).\n"
                          "Bitte installieren Sie die neuere Programmversion. Die Datei bleibt unverändert.")
        .arg(QDir::toNativeSeparators(path))
        .arg(fileVersion)
        .arg(kSegmentSchemaVersion);
}

void ensureSegmentDatabase(const QString &path)
{
    if (!QFile::exists(path)) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            throw KavioError(static_cast<int>(RunError::PathAccess),
                             QStringLiteral("%1: %2").arg(path, f.errorString()));
    }
    DbConnection db = DbConnection::open(path);
    auto refuseNewer = [&](int version) {
        if (version > kSegmentSchemaVersion)
            throw KavioError(static_cast<int>(RunError::UnknownDatabaseFormat), newerSchemaRefusal(path, version));
    };
    // Only read so far: a file of a newer version is refused before anything is written.
    const int found = segmentSchemaVersion(db);
    refuseNewer(found);
    if (found == kSegmentSchemaVersion && hasSegmentSchema(db))
        return;
    db.transaction([&] {
        // Read again under the write lock: another start may have upgraded meanwhile.
        const int version = segmentSchemaVersion(db);
        refuseNewer(version);
        if (!hasSegmentSchema(db)) {
            for (const QString &sql : segmentSchemaStatements())
                db.exec(sql);
            return;
        }
        // A complete file without a version (0) holds the tables of version 1.
        for (int v = std::max(version, 1) + 1; v <= kSegmentSchemaVersion; ++v)
            for (const QString &sql : stepStatements(v))
                db.exec(sql);
        db.exec(versionStatement(kSegmentSchemaVersion));
    });
}

bool hasSegmentSchema(const DbConnection &db)
{
    const QStringList needed{QStringLiteral("Teilnehmer"), QStringLiteral("tblTeilnehmerSegmente")};
    const QSqlDatabase d = db.db();
    const QStringList present = d.tables();
    auto has = [&](const QString &t) { return present.contains(t, Qt::CaseInsensitive); };
    for (const QString &t : needed + segmentTables())
        if (!has(t))
            return false;
    const QStringList personFields{QStringLiteral("LfdNr"),   QStringLiteral("Name"),  QStringLiteral("VorName"),
                                   QStringLiteral("GebDat"),  QStringLiteral("PLZ"),   QStringLiteral("Ort"),
                                   QStringLiteral("Kennung"), QStringLiteral("AnzMes")};
    const QSqlRecord person = d.record(QStringLiteral("Teilnehmer"));
    for (const QString &f : personFields)
        if (person.indexOf(f) < 0)
            return false;
    const QStringList measureFields{QStringLiteral("MessID"),  QStringLiteral("FKTN"), QStringLiteral("Datum"),
                                    QStringLiteral("Uhrzeit"), QStringLiteral("W5"),   QStringLiteral("W50"),
                                    QStringLiteral("W100"),    QStringLiteral("Xc5"),  QStringLiteral("Xc50"),
                                    QStringLiteral("Xc100"),   QStringLiteral("W5N"),  QStringLiteral("W50N"),
                                    QStringLiteral("W100N")};
    for (const QString &t : segmentTables()) {
        const QSqlRecord r = d.record(t);
        for (const QString &f : measureFields)
            if (r.indexOf(f) < 0)
                return false;
    }
    if (segmentSchemaVersion(db) < 2)
        return true;
    const QSqlRecord facts = d.record(kPersonFactsTable);
    QStringList factFields{QStringLiteral("LfdNr"), QStringLiteral("DominanteHand")};
    for (const SegmentInfo &s : kSegments)
        factFields << QLatin1String(s.code);
    for (const QString &f : factFields)
        if (facts.indexOf(f) < 0)
            return false;
    if (segmentSchemaVersion(db) < 3)
        return true;
    return person.indexOf(kPracticeNumberColumn) >= 0;
}

} // namespace kavio
