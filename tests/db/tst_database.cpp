#include "app/Errors.h"
#include "db/Database.h"
#include "db/GermanText.h"
#include "db/Schema.h"
#include "db/Statements.h"
#include "TestBed.h"

#include <chrono>
#include <QFile>
#include <QSqlQuery>
#include <QTest>
#include <sqlite3.h>
#include <thread>

using namespace kavio;
using namespace kavio::test;

class TestDatabase : public QObject {
    Q_OBJECT
private slots:
    void schemaIsCreatedOnceAndNamesWorkInAnyCase()
    {
        TestBed bed({.hostDatabase = false, .flags = false, .segmentDatabase = false});
        ensureSegmentDatabase(bed.segmentePath());
        const qint64 p = bed.addPerson(QStringLiteral("Huber"), QStringLiteral("Eva"));
        ensureSegmentDatabase(bed.segmentePath()); // an existing database is left alone
        QCOMPARE(scalar(bed.segmentePath(), QStringLiteral("SELECT COUNT(*) FROM Teilnehmer")).toInt(), 1);
        QCOMPARE(scalar(bed.segmentePath(), QStringLiteral("PRAGMA user_version")).toInt(), kSegmentSchemaVersion);
        QVERIFY(hasSegmentSchema(DbConnection::open(bed.segmentePath())));
        bed.addMeasurement(QStringLiteral("ArmLi"), p, QDate(2026, 1, 2), QStringLiteral("08:00:00"), 1, 2, 3, 4, 5, 6);
        QCOMPARE(scalar(bed.segmentePath(), QStringLiteral("SELECT lfdNR FROM TEILNEHMER WHERE gebdat = '1960-05-17'"))
                     .toLongLong(),
                 p);
        QCOMPARE(scalar(bed.segmentePath(), QStringLiteral("SELECT fktn FROM ARMLI WHERE DATUM = '2026-01-02'")), p);
        QCOMPARE(sql::segmentTable(QStringLiteral("beinre")), QStringLiteral("BeinRe"));
        QVERIFY_THROWS_EXCEPTION(KavioError, sql::segmentTable(QStringLiteral("ArmLi; DROP TABLE Teilnehmer")));
    }

    void schemaChecks_data()
    {
        QTest::addColumn<QString>("insert");
        QTest::addColumn<bool>("accepted");
        const QString m = QStringLiteral("INSERT INTO ArmRe (FKTN, Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, Xc100, "
                                         "W50N) VALUES (1, '%1', '08:00:00', %2, 50, 100, 5, 50, 100, %3)");
        QTest::newRow("16-bit bounds") << m.arg("2026-01-02", "-32768", "32767") << true;
        QTest::newRow("above 16 bits") << m.arg("2026-01-02", "32768", "NULL") << false;
        QTest::newRow("below 16 bits") << m.arg("2026-01-02", "5", "-32769") << false;
        QTest::newRow("German date") << m.arg("02.01.2026", "5", "NULL") << false;
        QTest::newRow("segment flag not 0/1")
            << QStringLiteral("INSERT INTO tblTeilnehmerSegmente (lfdNR, AL) VALUES (1, 2)") << false;
    }
    void schemaChecks()
    {
        QFETCH(QString, insert);
        QFETCH(bool, accepted);
        TestBed bed({.hostDatabase = false, .flags = false});
        const DbConnection db = DbConnection::open(bed.segmentePath());
        bool stored = true;
        try {
            db.exec(insert);
        } catch (const KavioError &) {
            stored = false;
        }
        QCOMPARE(stored, accepted);
    }

    void germanOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        auto row = [](const char *tag, const char *a, const char *b, int order) {
            QTest::newRow(tag) << QString::fromUtf8(a) << QString::fromUtf8(b) << order;
        };
        row("case ignored", "müller", "MÜLLER", 0);
        row("umlaut with base letter", "Äbersold", "Abt", -1);
        row("sharp s as ss", "Groß", "Gross", 0);
        row("ascii", "Becker", "bauer", 1);
        row("prefix shorter first", "Koch", "Kochen", -1);
        row("o umlaut between", "Öztürk", "Pabst", -1);
    }
    void germanOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(compareGerman(a, b), order);
        QCOMPARE(compareGerman(b, a), -order);
    }

    // The person list sorts by FOLD(Name), equal names in the order they were entered.
    void personListOrder()
    {
        TestBed bed({.hostDatabase = false, .flags = false});
        QList<qint64> id;
        for (const char *n : {"Müller", "Zimmer", "MÜLLER", "Abt", "Mueller", "Ärger", "A_rger", "100%"})
            id << bed.addPerson(QString::fromUtf8(n), QStringLiteral("X"));
        DbConnection db = DbConnection::open(bed.segmentePath());
        QStringList names;
        for (QSqlQuery q = db.exec(sql::personListMain()); q.next();)
            names << q.value(1).toString() + QLatin1Char('#') + q.value(0).toString();
        QCOMPARE(names.join(QLatin1Char(' ')), QStringLiteral("100%#8 A_rger#7 Abt#4 Ärger#6 Mueller#5 Müller#1 "
                                                              "MÜLLER#3 Zimmer#2"));
    }

    // Ten attempts, each with a probe query: a lock that goes away is waited out; a file
    // that is no database gives the engine's text once, in a plain message.
    void openingWithRetries()
    {
        TestBed bed;
        sqlite3 *lock = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(bed.segmentePath()).constData(), &lock), SQLITE_OK);
        QCOMPARE(sqlite3_exec(lock, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr),
                 SQLITE_OK);
        std::thread releaser([lock] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            sqlite3_exec(lock, "COMMIT;", nullptr, nullptr, nullptr);
            sqlite3_close(lock);
        });
        DbConnection db = dbOpenSegmente(bed.platform);
        releaser.join();
        QVERIFY(db.isOpen());
        QCOMPARE(bed.messages.count(), 0);
        db.close();

        QFile f(bed.segmentePath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(4096, 'x'));
        f.close();
        QVERIFY(!dbOpenSegmente(bed.platform).isOpen());
        QCOMPARE(bed.messages.count(), 1);
        QCOMPARE(bed.messages.last().icon, MsgIcon::None);
        QCOMPARE(bed.messages.last().text, QStringLiteral("file is not a database"));
    }

    void hostDatabaseOpensReadOnly()
    {
        TestBed bed;
        DbConnection db = dbOpenBIA(bed.platform);
        QVERIFY(db.isOpen());
        QVERIFY(db.exec(QStringLiteral("SELECT COUNT(*) FROM Teilnehmer")).next());
        QVERIFY_THROWS_EXCEPTION(KavioError, db.exec(QStringLiteral("DELETE FROM Teilnehmer")));
    }
};

QTEST_MAIN(TestDatabase)
#include "tst_database.moc"
