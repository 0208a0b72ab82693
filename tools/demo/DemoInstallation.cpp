#include "DemoInstallation.h"

#include "app/Conversions.h"
#include "app/Errors.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/Statements.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace kavio::demo {

QList<HostPerson> demoPersons()
{
    struct Row {
        const char *name, *vorname;
        int g;
        int y, m, d;
        const char *plz, *ort;
    };
    static const Row rows[] = {
        {"Müller", "Anna", 1, 1958, 3, 14, "80331", "München"},
        {"Müller", "Jürgen", 0, 1961, 11, 2, "80331", "München"},
        {"MÜLLER", "Petra", 1, 1975, 6, 30, "50667", "Köln"},
        {"Schmidt", "Hans", 0, 1949, 1, 9, "10115", "Berlin"},
        {"Schmidt", "Gisela", 1, 1952, 8, 21, "10115", "Berlin"},
        {"Schneider", "Lena", 1, 1990, 12, 31, "20095", "Hamburg"},
        {"Fischer", "Karl-Heinz", 0, 1944, 4, 17, "04109", "Leipzig"},
        {"Weber", "Sabine", 1, 1968, 2, 29, "70173", "Stuttgart"},
        {"Meyer", "Thomas", 0, 1971, 7, 7, "30159", "Hannover"},
        {"Wagner", "Ursula", 1, 1939, 10, 1, "90402", "Nürnberg"},
        {"Becker", "Stefan", 0, 1983, 5, 12, "28195", "Bremen"},
        {"Schäfer", "Monika", 1, 1957, 9, 3, "60311", "Frankfurt am Main"},
        {"Schulz", "Dieter", 0, 1947, 12, 24, "01067", "Dresden"},
        {"Hoffmann", "Claudia", 1, 1979, 3, 8, "45127", "Essen"},
        {"Koch", "Wolfgang", 0, 1955, 6, 15, "44135", "Dortmund"},
        {"Bauer", "Brigitte", 1, 1950, 11, 11, "93047", "Regensburg"},
        {"Richter", "Michael", 0, 1966, 1, 27, "99084", "Erfurt"},
        {"Klein", "Sophie", 1, 1998, 8, 5, "66111", "Saarbrücken"},
        {"Wolf", "Günter", 0, 1942, 2, 2, "34117", "Kassel"},
        {"Schröder", "Renate", 1, 1953, 4, 30, "24103", "Kiel"},
        {"Neumann", "Frank", 0, 1974, 10, 19, "39104", "Magdeburg"},
        {"Schwarz", "Heike", 1, 1969, 7, 23, "79098", "Freiburg im Breisgau"},
        {"Zimmermann", "Jörg", 0, 1960, 9, 9, "55116", "Mainz"},
        {"Braun", "Erika", 1, 1946, 5, 5, "38100", "Braunschweig"},
        {"Krüger", "Matthias", 0, 1987, 12, 1, "18055", "Rostock"},
        {"Hofmann", "Ingrid", 1, 1951, 3, 3, "97070", "Würzburg"},
        {"Hartmann", "Uwe", 0, 1963, 8, 16, "86150", "Augsburg"},
        {"Lange", "Katrin", 1, 1981, 1, 1, "14467", "Potsdam"},
        {"Schmitt", "Bernd", 0, 1958, 6, 6, "54290", "Trier"},
        {"Werner", "Elke", 1, 1964, 11, 28, "06108", "Halle (Saale)"},
        {"Krause", "Horst", 0, 1937, 7, 14, "03046", "Cottbus"},
        {"Meier", "Doris", 1, 1956, 2, 12, "67059", "Ludwigshafen"},
        {"Öztürk", "Ayşe", 1, 1985, 4, 4, "68159", "Mannheim"},
        {"Äbersold", "Rüdiger", 0, 1970, 10, 10, "72070", "Tübingen"},
        {"Groß", "Hildegard", 1, 1940, 9, 29, "33602", "Bielefeld"},
        {"Ungerer", "", 0, 1977, 5, 20, "89073", "Ulm"},
        {"Vogel", "Lutz", 0, 0, 0, 0, "48143", "Münster"},
    };
    QList<HostPerson> out;
    int n = 0;
    for (const Row &r : rows) {
        HostPerson p;
        p.name = QString::fromUtf8(r.name);
        p.vorname = QString::fromUtf8(r.vorname);
        p.geschlecht = r.g;
        if (r.y)
            p.gebDat = QDate(r.y, r.m, r.d);
        p.plz = QString::fromUtf8(r.plz);
        p.ort = QString::fromUtf8(r.ort);
        p.kennung = QStringLiteral("K-%1").arg(1000 + n * 7);
        p.anzMes = (n * 5) % 13;
        out << p;
        ++n;
    }
    return out;
}

void createDatabase(const QString &path, const QStringList &statements)
{
    QFile::remove(path);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw KavioError(static_cast<int>(RunError::PathAccess), path + QStringLiteral(": ") + f.errorString());
    f.close();
    DbConnection db = DbConnection::open(path);
    db.transaction([&] {
        for (const QString &s : statements)
            db.exec(s);
    });
}

static QVariant dateOrNull(const QDate &d)
{
    return d.isValid() ? QVariant(isoDate(d)) : QVariant(QMetaType(QMetaType::QString));
}

void writeHostDatabase(const QString &path, const QList<HostPerson> &persons)
{
    createDatabase(path, hostSchemaStatements());
    DbConnection db = DbConnection::open(path);
    db.transaction([&] {
        QSqlQuery q = db.prepare(QStringLiteral("INSERT INTO Teilnehmer (Name, VorName, Geschlecht, GebDat, PLZ, Ort, "
                                                "Kennung, AnzMes) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const HostPerson &p : persons) {
            q.addBindValue(p.name);
            q.addBindValue(p.vorname);
            q.addBindValue(p.geschlecht);
            q.addBindValue(dateOrNull(p.gebDat));
            q.addBindValue(p.plz);
            q.addBindValue(p.ort);
            q.addBindValue(p.kennung);
            q.addBindValue(p.anzMes);
            if (!q.exec())
                throw KavioError::fromSql(q.lastError());
        }
    });
}

void writeFlagsDatabase(const QString &path, const QString &logo)
{
    createDatabase(path, flagsSchemaStatements());
    if (logo.isEmpty())
        return;
    DbConnection db = DbConnection::open(path);
    db.exec(QStringLiteral("INSERT INTO Flags (GroupId, CompLogoMonitor) VALUES (11258, ?)"), {logo});
}

static QString regString(const QString &s)
{
    QString out = s;
    out.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    out.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QByteArray machineRegText(const HostSettings &s)
{
    QString t =
        QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Kavio_Plus]\r\n");
    if (!s.dbPath.isNull())
        t += QStringLiteral("\"dbPath\"=") + regString(s.dbPath) + QStringLiteral("\r\n");
    if (!s.frequenzType.isNull())
        t += QStringLiteral("\"FrequenzType\"=") + regString(s.frequenzType) + QStringLiteral("\r\n");
    // The registry editor writes UTF-16LE with a byte-order mark.
    QByteArray out("\xFF\xFE", 2);
    out.append(reinterpret_cast<const char *>(t.utf16()), t.size() * 2);
    return out;
}

QByteArray userRegText(const HostSettings &s)
{
    QString t = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n");
    const QString base = QStringLiteral("[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KAVIO_PLUS\\");
    if (!s.currentVersion.isNull())
        t += base + QStringLiteral("Vers]\r\n\"CurrentVersion\"=") + regString(s.currentVersion) +
             QStringLiteral("\r\n\r\n");
    if (!s.port.isNull())
        t += base + QStringLiteral("Einstellungen]\r\n\"Port\"=") + regString(s.port) + QStringLiteral("\r\n");
    QByteArray out("\xFF\xFE", 2);
    out.append(reinterpret_cast<const char *>(t.utf16()), t.size() * 2);
    return out;
}

static void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        throw KavioError(static_cast<int>(RunError::PathAccess), path + QStringLiteral(": ") + f.errorString());
}

void writeRegistryFiles(const QString &machineFolder, const QString &userFolder, const HostSettings &s)
{
    writeFile(machineFolder + QStringLiteral("/host.reg"), machineRegText(s));
    writeFile(userFolder + QStringLiteral("/host.reg"), userRegText(s));
}

// Imports the persons into Segmente.mdb and gives some of them a course of measurements.
static void fillSegmentDatabase(const QString &path, const QList<HostPerson> &persons, const QDate &today)
{
    ensureSegmentDatabase(path);
    DbConnection db = DbConnection::open(path);
    QRandomGenerator rng(20261206);
    db.transaction([&] {
        qint64 personNo = 0;
        for (const HostPerson &p : persons) {
            if (p.vorname.isEmpty())
                continue; // the import refuses a person without first name
            QSqlQuery ins = db.exec(sql::insertPerson(), {p.name, p.vorname, p.geschlecht,
                                                          isoDate(p.gebDat.isValid() ? p.gebDat : standInBirthDay()),
                                                          p.plz, p.ort, p.kennung, p.anzMes});
            const qint64 lfdNr = ins.lastInsertId().toLongLong();
            if (personNo++ % 3 != 0)
                continue;
            for (const QString &seg : segmentTables()) {
                const bool leg = seg.startsWith(QLatin1String("Bein"));
                const int days = 3 + static_cast<int>(rng.bounded(8));
                int r50 = leg ? 260 + static_cast<int>(rng.bounded(40)) : 380 + static_cast<int>(rng.bounded(60));
                for (int d = days; d >= 1; --d) {
                    const QDate day = today.addDays(-7 * d);
                    const int xc50 = r50 / 9 + static_cast<int>(rng.bounded(5));
                    db.exec(sql::insertMeasurement(seg),
                            {lfdNr, isoDate(day), QStringLiteral("09:%1:00").arg(10 + d, 2, 10, QLatin1Char('0')),
                             r50 + 40, r50, r50 - 25, xc50 + 6, xc50, xc50 - 4});
                    QSqlQuery last = db.exec(QStringLiteral("SELECT last_insert_rowid()"));
                    last.next();
                    const qint64 id = last.value(0).toLongLong();
                    const int after = r50 - 8 - static_cast<int>(rng.bounded(10));
                    db.exec(sql::storeSecondMeasurement(seg), {after, after + 40, after - 25, id});
                    r50 -= static_cast<int>(rng.bounded(6));
                }
            }
        }
    });
}

void writeDemoInstallation(const QString &root, const HostSettings &settings, const QDate &today)
{
    const QString program = root + QStringLiteral("/program");
    const QString host = root + QStringLiteral("/host");
    QDir().mkpath(program);
    QDir().mkpath(host);
    const QList<HostPerson> persons = demoPersons();
    HostSettings s = settings;
    if (s.dbPath.isEmpty())
        s.dbPath = host + QStringLiteral("/BIA.mdb");
    writeHostDatabase(host + QStringLiteral("/BIA.mdb"), persons);
    writeFlagsDatabase(program + QStringLiteral("/Flags.mdb"), QStringLiteral("KAVIO-LOGO-1"));
    QFile::remove(program + QStringLiteral("/Segmente.mdb"));
    fillSegmentDatabase(program + QStringLiteral("/Segmente.mdb"), persons, today);
    writeRegistryFiles(root + QStringLiteral("/etc/xdg/KavioSegment/registry"),
                       root + QStringLiteral("/home/.config/KavioSegment/registry"), s);
}

} // namespace kavio::demo
