// The segment database file without the window: opening with retries, schema steps, and what
// a failing engine or a killed process leaves behind.
#include "app/Errors.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/SqliteRepository.h"
#include "Files.h"
#include "Saves.h"
#include "TestBed.h"
#include "Unprivileged.h"

#include <chrono>
#include <functional>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlRecord>
#include <QTest>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>

using namespace kavio;
using namespace kavio::test;

namespace {

const QDate kDay(2026, 12, 6);
const QString kArmLi = QStringLiteral("ArmLi");

// Person 5's rows of ArmLi as "Uhrzeit W50/W50N", in MessID order.
QString rowsOf(const TestBed &bed)
{
    return scalar(bed.segmentePath(), QStringLiteral("SELECT group_concat(Uhrzeit || ' ' || W50 || '/' || "
                                                     "IFNULL(W50N, ''), ', ') FROM (SELECT * FROM ArmLi "
                                                     "WHERE FKTN = 5 ORDER BY MessID)"))
        .toString();
}

// The tables of schema version 1: their definitions and every row, value by value.
QStringList contentOf(const QString &path)
{
    DbConnection db = DbConnection::open(path);
    QStringList out;
    for (const QString &t :
         QStringList{QStringLiteral("Teilnehmer"), QStringLiteral("tblTeilnehmerSegmente")} + segmentTables()) {
        QSqlQuery def = db.exec(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = ?"), {t});
        // Later steps may add columns to these tables; they must come empty.
        const QString added = QStringLiteral(", %1 TEXT").arg(kPracticeNumberColumn);
        out << (def.next() ? def.value(0).toString().remove(added) : QStringLiteral("missing ") + t);
        for (QSqlQuery q = db.exec(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(t)); q.next();) {
            QStringList cells;
            for (int i = 0; i < q.record().count(); ++i)
                if (q.record().fieldName(i) != kPracticeNumberColumn || !q.isNull(i))
                    cells << (q.isNull(i) ? QStringLiteral("NULL") : q.value(i).toString());
            out << t + QStringLiteral(": ") + cells.join(QLatin1Char('|'));
        }
    }
    return out;
}

// A file of the given schema version with two persons, their measurements (extreme and
// missing values among them) and a row of tblTeilnehmerSegmente; returns the first person.
qint64 oldFileWithRows(TestBed &bed, int version)
{
    writeSegmentDatabase(bed.segmentePath(), version);
    const qint64 anna = bed.addPerson(QStringLiteral("Müller"), QStringLiteral("Anna"));
    const qint64 hans = bed.addPerson(QStringLiteral("Groß"), QStringLiteral("Hans"), QDate(1948, 2, 29));
    bed.addMeasurement(kArmLi, anna, kDay, QStringLiteral("08:00:00"), 512, 480, 455, 61, 55, -3, 530, 498, 470);
    bed.addMeasurement(QStringLiteral("BeinRe"), hans, kDay.addDays(-400), QStringLiteral("23:59:59"), -32768, 32767, 1,
                       0, 2, 3);
    bed.addMeasurement(QStringLiteral("ArmRe"), anna, kDay, QStringLiteral("08:01:00"), 400, 390, 380, 20, 40, 35, {},
                       401);
    DbConnection(DbConnection::open(bed.segmentePath()))
        .exec(QStringLiteral("INSERT INTO tblTeilnehmerSegmente (lfdNR, AL, AR, BL, BR) VALUES (?, 1, 0, 1, 0)"),
              {anna});
    return anna;
}

int fileVersion(const QString &path)
{
    return scalar(path, QStringLiteral("PRAGMA user_version")).toInt();
}

QSet<qint64> ids(const QString &db, const QString &where)
{
    DbConnection c = DbConnection::open(db);
    QSet<qint64> result;
    for (QSqlQuery q = c.exec(QStringLiteral("SELECT MessID FROM ArmLi WHERE ") + where); q.next();)
        result.insert(q.value(0).toLongLong());
    return result;
}

} // namespace

class TestStorage : public QObject {
    Q_OBJECT
private slots:
    // Ten attempts: a lock that goes away meanwhile is waited out without a message; a
    // file that never opens shows the engine's last text once, in a plain message.
    void openingWithRetries()
    {
        TestBed bed;
        sqlite3 *lock = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(bed.segmentePath()).constData(), &lock), SQLITE_OK);
        QCOMPARE(sqlite3_exec(lock, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr),
                 SQLITE_OK);
        std::jthread releaser([lock] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            sqlite3_exec(lock, "COMMIT;", nullptr, nullptr, nullptr);
            sqlite3_close(lock);
        });
        DbConnection db = dbOpenSegmente(bed.platform);
        releaser.join();
        QVERIFY(db.isOpen());
        QCOMPARE(bed.messages.count(), 0);
        db.close();

        QVERIFY(writeBytes(bed.segmentePath(), QByteArray(4096, 'x')));
        QVERIFY(!dbOpenSegmente(bed.platform).isOpen());
        QCOMPARE(bed.messages.count(), 1);
        QCOMPARE(bed.messages.last().icon, MsgIcon::None);
        QCOMPARE(bed.messages.last().text, QStringLiteral("file is not a database"));
    }

    // The host's database is only ever read.
    void hostDatabaseReadOnly()
    {
        TestBed bed;
        DbConnection host = dbOpenBIA(bed.platform);
        QVERIFY(host.exec(QStringLiteral("SELECT COUNT(*) FROM Teilnehmer")).next());
        QVERIFY_THROWS_EXCEPTION(KavioError, host.exec(QStringLiteral("DELETE FROM Teilnehmer")));
    }

    // The save fails with the engine's code and changes nothing; once the cause is gone
    // the same values save.
    void blockedDatabaseChangesNothingAndRecovers_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("read-only file") << 8;
        QTest::newRow("read-only folder") << 1544; // extended code: no journal can be made
    }
    void blockedDatabaseChangesNothingAndRecovers()
    {
        QFETCH(int, code);
        const QString obstacle = QString::fromLatin1(QTest::currentDataTag());
        TestBed bed;
        const QString path = bed.segmentePath();
        const QByteArray dir = QFile::encodeName(bed.dir.path()), file = QFile::encodeName(path);
        bed.addMeasurement(kArmLi, 5, kDay, QStringLiteral("08:00:00"), 1, 2, 3, 4, 5, 6);
        const SegmentReading v = reading(400, 390, 380, 20, 40, 35);
        // Open to the other identity below, except for what must be read-only.
        ::chmod(dir.constData(), obstacle.endsWith(QLatin1String("folder")) ? 0555 : 0777);
        ::chmod(file.constData(), obstacle.endsWith(QLatin1String("file")) ? 0444 : 0666);
        {
            Unprivileged as; // file permissions bind root only under another identity
            for (bool second : {false, true}) {
                try {
                    second ? saveSecond(path, kArmLi, 5, kDay, v) : saveFirst(path, kArmLi, 5, kDay, QTime(9, 0), v);
                    QFAIL("the save went through");
                } catch (const KavioError &e) {
                    QCOMPARE(e.number(), code);
                }
            }
        }
        ::chmod(dir.constData(), 0700);
        ::chmod(file.constData(), 0644);
        QCOMPARE(scalar(path, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        QCOMPARE(rowsOf(bed), QStringLiteral("08:00:00 2/"));
        QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
        // The clock's milliseconds are not stored.
        const SaveResult r = saveFirst(path, kArmLi, 5, kDay, QTime(9, 0, 0, 999), v);
        QCOMPARE(saveSecond(path, kArmLi, 5, kDay, v).messId, r.messId);
        QCOMPARE(rowsOf(bed), QStringLiteral("08:00:00 2/, 09:00:00 390/390"));
    }

    // Opening brings an older file up to the current schema version, keeping every row and
    // value, with the facts table at its defaults; a current file is not written; a file
    // of a newer version is refused, by the start and by the repository, and keeps its bytes.
    void schemaStepOnOpen_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("no version") << 0;
        QTest::newRow("version 1") << 1;
        QTest::newRow("version 2") << 2;
        QTest::newRow("current") << kSegmentSchemaVersion;
        QTest::newRow("next") << kSegmentSchemaVersion + 1;
        QTest::newRow("much newer") << 40;
    }
    void schemaStepOnOpen()
    {
        QFETCH(int, version);
        TestBed bed;
        const QString path = bed.segmentePath();
        const qint64 anna = oldFileWithRows(bed, version);
        const QStringList before = contentOf(path);
        const QByteArray bytes = bytesOf(path);
        if (version > kSegmentSchemaVersion) {
            // "<number> <text>" of the refusal, or "geöffnet" when there was none.
            auto refusal = [](const std::function<void()> &open) {
                try {
                    open();
                } catch (const KavioError &e) {
                    return QString::number(e.number()) + QLatin1Char(' ') + e.description();
                }
                return QStringLiteral("geöffnet");
            };
            const QString refused = QStringLiteral("3343 ") + newerSchemaRefusal(path, version);
            QVERIFY(refused.startsWith(QStringLiteral("3343 Die Datenbank ") + path +
                                       QStringLiteral(" stammt aus einer neueren Programmversion (Datenbankversion ") +
                                       QString::number(version)));
            QCOMPARE(refusal([&] { ensureSegmentDatabase(path); }), refused);
            SqliteRepository repo(path);
            QCOMPARE(refusal([&] {
                         repo.storeFirst(*segmentByTable(kArmLi), 1, kDay, QTime(9, 0), reading(1, 2, 3, 4, 5, 6));
                     }),
                     refused);
            QCOMPARE(refusal([&] { repo.setPersonFacts(qint32(anna), {}); }), refused);
            QCOMPARE(bytesOf(path), bytes);
            QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
            return;
        }
        ensureSegmentDatabase(path);
        QCOMPARE(fileVersion(path), kSegmentSchemaVersion);
        QCOMPARE(contentOf(path), before);
        if (version == kSegmentSchemaVersion)
            QCOMPARE(bytesOf(path), bytes); // nothing to do, nothing written
        const QByteArray upgraded = bytesOf(path);
        ensureSegmentDatabase(path);
        QCOMPARE(bytesOf(path), upgraded);
        // Nobody's facts are stored yet; a row with only its number takes the defaults.
        QCOMPARE(scalar(path, QStringLiteral("SELECT count(*) FROM tblTeilnehmerAngaben")).toInt(), 0);
        QCOMPARE(scalar(path,
                        QStringLiteral("INSERT INTO tblTeilnehmerAngaben (LfdNr) VALUES (?) "
                                       "RETURNING DominanteHand || AL || AR || BL || BR"),
                        {anna})
                     .toString(),
                 QStringLiteral("unbekannt0000"));
    }

    // A kill while the upgrade commits leaves the old version whole, and the next open
    // upgrades it; the upgrade is one commit, so no kill can leave half of it (see
    // schema_upgrader: it stops at the given commit until killed).
    void killedMidUpgradeLeavesTheOldVersion_data()
    {
        QTest::addColumn<int>("stopAt");
        QTest::addColumn<QByteArray>("reported");
        QTest::newRow("at the upgrade's commit") << 1 << QByteArray("C 1\n");
        QTest::newRow("at a later commit") << 2 << QByteArray("C 1\nfertig\n");
    }
    void killedMidUpgradeLeavesTheOldVersion()
    {
        QFETCH(int, stopAt);
        QFETCH(QByteArray, reported);
        TestBed bed;
        const QString path = bed.segmentePath();
        oldFileWithRows(bed, 1);
        const QStringList before = contentOf(path);
        QProcess upgrader;
        upgrader.start(QStringLiteral(KAVIO_SCHEMA_UPGRADER), {path, QString::number(stopAt)});
        QVERIFY2(upgrader.waitForStarted(), qPrintable(upgrader.errorString()));
        QByteArray out;
        const QByteArray stopped = "C " + QByteArray::number(stopAt) + '\n';
        while (!out.contains(stopped) && !out.contains("fertig") && upgrader.waitForReadyRead(10000))
            out += upgrader.readAllStandardOutput();
        const bool killed = upgrader.state() == QProcess::Running && out.contains(stopped);
        if (killed)
            upgrader.kill(); // SIGKILL
        QVERIFY(upgrader.waitForFinished(5000));
        out += upgrader.readAllStandardOutput();
        QCOMPARE(out, reported);
        QCOMPARE(upgrader.exitStatus(), killed ? QProcess::CrashExit : QProcess::NormalExit);
        // The next open finds either the old version, whole, or the new one; never a mix.
        QCOMPARE(scalar(path, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        QCOMPARE(fileVersion(path), killed ? 1 : kSegmentSchemaVersion);
        QCOMPARE(scalar(path, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = ?"), {kPersonFactsTable})
                     .toInt(),
                 killed ? 0 : 1);
        QCOMPARE(contentOf(path), before);
        ensureSegmentDatabase(path);
        QCOMPARE(fileVersion(path), kSegmentSchemaVersion);
        QCOMPARE(contentOf(path), before);
    }

    void killedMidSaveLeavesOnlyCompleteRows()
    {
        TestBed bed;
        QSet<qint64> first, second;
        constexpr int kKills = 60;
        for (int k = 0; k < kKills; ++k) {
            QProcess saver;
            saver.start(QStringLiteral(KAVIO_STORAGE_SAVER), {bed.segmentePath()});
            QVERIFY2(saver.waitForStarted(), qPrintable(saver.errorString()));
            // After the first committed save, kill somewhere within the next saves.
            QVERIFY(saver.waitForReadyRead(10000));
            QTest::qSleep(int(QRandomGenerator::global()->bounded(60)));
            saver.kill(); // SIGKILL
            QVERIFY(saver.waitForFinished(5000));
            QCOMPARE(saver.exitStatus(), QProcess::CrashExit);
            for (const QByteArray &line : saver.readAllStandardOutput().split('\n')) {
                if (line.isEmpty())
                    continue;
                QVERIFY2(line.startsWith("F ") || line.startsWith("S "), line.constData());
                (line.startsWith("F ") ? first : second).insert(line.mid(2).toLongLong());
            }
        }
        QCOMPARE(scalar(bed.segmentePath(), QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        // No torn or mixed row (see storage_saver for the pattern).
        QCOMPARE(ids(bed.segmentePath(),
                     QStringLiteral("NOT (W50 = W5 + 1 AND W100 = W5 + 2 AND Xc5 = W5 + 3 AND Xc50 = W5 + 4 "
                                    "AND Xc100 = W5 + 5 AND Datum = '2026-12-06' AND Uhrzeit = '10:30:00' "
                                    "AND ((W5N IS NULL AND W50N IS NULL AND W100N IS NULL) "
                                    "OR (W5N = W5 + 10 AND W50N = W5 + 11 AND W100N = W5 + 12)))")),
                 QSet<qint64>());
        // Everything reported as committed survived the kills.
        QVERIFY(first.size() >= kKills);
        QVERIFY(ids(bed.segmentePath(), QStringLiteral("FKTN = 1")).contains(first));
        QVERIFY(ids(bed.segmentePath(), QStringLiteral("W50N IS NOT NULL")).contains(second));
    }
};

QTEST_GUILESS_MAIN(TestStorage)
#include "tst_storage.moc"
