#include "db/Statements.h"

#include "app/Errors.h"
#include "db/GermanText.h"
#include "db/Schema.h"
#include "db/Segments.h"

namespace kavio::sql {

QString segmentTable(const QString &seg)
{
    for (const QString &t : segmentTables())
        if (t.compare(seg, Qt::CaseInsensitive) == 0)
            return t;
    throw KavioError(RunError::TypeMismatch);
}

QString insertMeasurement(const QString &seg)
{
    return QStringLiteral("INSERT INTO %1 (FKTN, Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, Xc100) "
                          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")
        .arg(segmentTable(seg));
}

QString latestOfDay(const QString &seg)
{
    return QStringLiteral("SELECT MessID FROM %1 WHERE Datum = ? AND FKTN = ? "
                          "ORDER BY Datum, Uhrzeit DESC, MessID DESC LIMIT 1")
        .arg(segmentTable(seg));
}

QString storeSecondMeasurement(const QString &seg)
{
    return QStringLiteral("UPDATE %1 SET W50N = ?, W5N = ?, W100N = ? WHERE MessID = ?").arg(segmentTable(seg));
}

QString firstMeasurementsLike(const QString &seg)
{
    return QStringLiteral("SELECT MessID FROM %1 WHERE FKTN = ? AND Datum = ? AND Uhrzeit = ? "
                          "AND W5 IS NOT DISTINCT FROM ? AND W50 IS NOT DISTINCT FROM ? "
                          "AND W100 IS NOT DISTINCT FROM ? AND Xc5 IS NOT DISTINCT FROM ? "
                          "AND Xc50 IS NOT DISTINCT FROM ? AND Xc100 IS NOT DISTINCT FROM ? ORDER BY MessID DESC")
        .arg(segmentTable(seg));
}

QString secondValuesOf(const QString &seg)
{
    return QStringLiteral("SELECT W5N, W50N, W100N FROM %1 WHERE MessID = ?").arg(segmentTable(seg));
}

QString measurementsOf(const QString &seg, RowOrder order)
{
    static const char *const orders[] = {
        "Datum DESC, Uhrzeit DESC, MessID DESC",
        "Datum ASC, Uhrzeit ASC, MessID ASC",
        "Datum ASC, MessID ASC",
    };
    return QStringLiteral("SELECT MessID, FKTN, Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, Xc100, W5N, W50N, W100N "
                          "FROM %1 WHERE FKTN = ? ORDER BY %2")
        .arg(segmentTable(seg), QLatin1String(orders[static_cast<int>(order)]));
}

QString countsOfPerson()
{
    QStringList counts;
    for (const QString &t : segmentTables())
        counts << QStringLiteral("(SELECT COUNT(*) FROM %1 WHERE FKTN = ?)").arg(t);
    return QStringLiteral("SELECT ") + counts.join(QStringLiteral(", "));
}

QString minW50(const QString &seg)
{
    return QStringLiteral("SELECT MIN(W50) FROM %1 WHERE FKTN = ?").arg(segmentTable(seg));
}

QString deleteMeasurement(const QString &seg)
{
    return QStringLiteral("DELETE FROM %1 WHERE MessID = ? AND FKTN = ?").arg(segmentTable(seg));
}

QString deletePersonMeasurements(const QString &seg)
{
    return QStringLiteral("DELETE FROM %1 WHERE FKTN = ?").arg(segmentTable(seg));
}

static QStringList factColumns()
{
    QStringList cols{QStringLiteral("DominanteHand")};
    for (const SegmentInfo &s : kSegments)
        cols << QLatin1String(s.code);
    return cols;
}

QString personFacts()
{
    return QStringLiteral("SELECT %1 FROM %2 WHERE LfdNr = ?")
        .arg(factColumns().join(QStringLiteral(", ")), kPersonFactsTable);
}

QString storePersonFacts()
{
    const QStringList cols = factColumns();
    QStringList updates;
    for (const QString &c : cols)
        updates << QStringLiteral("%1 = excluded.%1").arg(c);
    return QStringLiteral("INSERT INTO %1 (LfdNr, %2) SELECT ?, ?, ?, ?, ?, ? "
                          "WHERE EXISTS (SELECT 1 FROM Teilnehmer WHERE LfdNr = ?) "
                          "ON CONFLICT (LfdNr) DO UPDATE SET %3")
        .arg(kPersonFactsTable, cols.join(QStringLiteral(", ")), updates.join(QStringLiteral(", ")));
}

QString personSex()
{
    return QStringLiteral("SELECT Geschlecht FROM Teilnehmer WHERE LfdNr = ?");
}

QString storePersonSex()
{
    return QStringLiteral("UPDATE Teilnehmer SET Geschlecht = ? WHERE LfdNr = ?");
}

QString deletePersonFacts()
{
    return QStringLiteral("DELETE FROM %1 WHERE LfdNr = ?").arg(kPersonFactsTable);
}

QString deletePerson()
{
    return QStringLiteral("DELETE FROM Teilnehmer WHERE LfdNr = ?");
}

QString insertPerson()
{
    return QStringLiteral("INSERT INTO Teilnehmer (Name, VorName, Geschlecht, GebDat, PLZ, Ort, Kennung, AnzMes) "
                          "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
}

QString personExists()
{
    return QStringLiteral("SELECT Name, Vorname, GebDat FROM Teilnehmer "
                          "WHERE GebDat = ? AND FOLDCASE(Name) = FOLDCASE(?) AND FOLDCASE(Vorname) = FOLDCASE(?)");
}

QString personByPracticeNumber()
{
    return QStringLiteral("SELECT LfdNr, Name, VorName, GebDat FROM Teilnehmer WHERE PraxisPatientenNr = ? "
                          "ORDER BY LfdNr LIMIT 1");
}

QString unlinkedPersonByName()
{
    return QStringLiteral("SELECT LfdNr, Name, VorName, GebDat FROM Teilnehmer "
                          "WHERE COALESCE(PraxisPatientenNr, '') = '' AND GebDat = ? "
                          "AND FOLDCASE(Name) = FOLDCASE(?) AND FOLDCASE(COALESCE(VorName, '')) = FOLDCASE(?) "
                          "ORDER BY LfdNr LIMIT 1");
}

QString linkPracticeNumber()
{
    return QStringLiteral("UPDATE Teilnehmer SET PraxisPatientenNr = ? "
                          "WHERE LfdNr = ? AND COALESCE(PraxisPatientenNr, '') = ''");
}

QString insertPracticePerson()
{
    return QStringLiteral("INSERT INTO Teilnehmer (Name, VorName, GebDat, Geschlecht, PraxisPatientenNr, AnzMes) "
                          "VALUES (?, ?, ?, ?, ?, 0)");
}

QString practiceNumberOf()
{
    return QStringLiteral("SELECT PraxisPatientenNr FROM Teilnehmer WHERE LfdNr = ?");
}

QString personListMain()
{
    return QStringLiteral("SELECT LfdNr, Name, Vorname AS Vorname, GebDat AS Geburtstag FROM Teilnehmer "
                          "ORDER BY FOLD(Name), LfdNr");
}

static const char *kImportColumns = "SELECT Name, Vorname, GebDat, PLZ, Ort, Kennung, AnzMes, LfdNr FROM Teilnehmer ";

QString importList()
{
    return QString::fromLatin1(kImportColumns);
}

QString importListByPrefix()
{
    return QString::fromLatin1(kImportColumns) + QStringLiteral("WHERE FOLDCASE(Name) LIKE ? ESCAPE '\\'");
}

QString importListByNameRanges(int boundedFolded, bool plainRange)
{
    const QString select = QString::fromLatin1(kImportColumns);
    const QString pattern = QStringLiteral(" AND FOLDCASE(Name) LIKE ? ESCAPE '\\'");
    // NOCASE spelled out: the ranges rely on it whatever the column was declared with.
    const QString range = QStringLiteral("WHERE Name COLLATE NOCASE >= ? AND Name COLLATE NOCASE < ?");
    QStringList parts{select + QStringLiteral("WHERE Name COLLATE NOCASE >= ?") + pattern};
    for (int i = 0; i < boundedFolded; ++i)
        parts << select + range + pattern;
    if (plainRange)
        parts << select + range;
    return parts.join(QStringLiteral(" UNION ALL "));
}

QString mappedReading()
{
    return QStringLiteral("PRAGMA mmap_size = 268435456");
}

QString foldedPrefixPattern(const QString &prefix)
{
    QString p = foldCase(prefix);
    p.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    p.replace(QLatin1Char('%'), QLatin1String("\\%"));
    p.replace(QLatin1Char('_'), QLatin1String("\\_"));
    return p + QLatin1Char('%');
}

QString personDetails()
{
    return QStringLiteral("SELECT Name, VorName, Geschlecht, GebDat, PLZ, Ort, Kennung, AnzMes, LfdNr "
                          "FROM Teilnehmer WHERE LfdNr = ?");
}

QString companyLogo()
{
    return QStringLiteral("SELECT CompLogoMonitor FROM Flags WHERE GroupId = 11258 LIMIT 1");
}

QString schemaVersion()
{
    return QStringLiteral("PRAGMA user_version");
}

QString integrityCheck()
{
    return QStringLiteral("PRAGMA integrity_check");
}
QString readLockProbe()
{
    return QStringLiteral("SELECT count(*) FROM sqlite_master");
}
QString journalMode()
{
    return QStringLiteral("PRAGMA journal_mode");
}
QString backupTargetSettings()
{
    return QStringLiteral("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF");
}

} // namespace kavio::sql
