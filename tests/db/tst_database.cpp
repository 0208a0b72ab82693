#include "app/Errors.h"
#include "db/Database.h"
#include "db/GermanText.h"
#include "db/Schema.h"
#include "db/Statements.h"
#include "TestBed.h"

#include <atomic>
#include <chrono>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <sqlite3.h>
#include <thread>

using namespace kavio;
using namespace kavio::test;

namespace {

// Holds an exclusive lock on a database file from a second connection of the engine.
class ExclusiveLock {
public:
    explicit ExclusiveLock(const QString &path)
    {
        sqlite3_open(path.toUtf8().constData(), &m_db);
        sqlite3_exec(m_db, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr);
    }
    ~ExclusiveLock() { release(); }
    void release()
    {
        if (m_db) {
            sqlite3_exec(m_db, "COMMIT;", nullptr, nullptr, nullptr);
            sqlite3_close(m_db);
            m_db = nullptr;
        }
    }

private:
    sqlite3 *m_db = nullptr;
};

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT
private slots:
    void schemaIsCreatedOnceWithItsTables()
    {
        TestBed bed({.hostDatabase = false, .flags = false, .segmentDatabase = false});
        ensureSegmentDatabase(bed.segmentePath());
        const qint64 id = bed.addPerson(QStringLiteral("Huber"), QStringLiteral("Eva"));
        ensureSegmentDatabase(bed.segmentePath()); // an existing database is left alone
        QCOMPARE(scalar(bed.segmentePath(), QStringLiteral("SELECT COUNT(*) FROM Teilnehmer")).toInt(), 1);
        QCOMPARE(scalar(bed.segmentePath(), QStringLiteral("PRAGMA user_version")).toInt(), kSegmentSchemaVersion);
        DbConnection db = DbConnection::open(bed.segmentePath());
        QVERIFY(hasSegmentSchema(db));
        QVERIFY(id > 0);
    }

    void namesWorkInAnyLetterCase()
    {
        TestBed bed;
        const qint64 p = bed.addPerson(QStringLiteral("Huber"), QStringLiteral("Eva"));
        bed.addMeasurement(QStringLiteral("ArmLi"), p, QDate(2026, 1, 2), QStringLiteral("08:00:00"), 1, 2, 3, 4, 5, 6);
        QCOMPARE(scalar(bed.segmentePath(), QStringLiteral("SELECT lfdNR FROM TEILNEHMER WHERE gebdat = ?"),
                        {QStringLiteral("1960-05-17")})
                     .toLongLong(),
                 p);
        QCOMPARE(scalar(bed.segmentePath(), QStringLiteral("SELECT messid FROM ARMLI WHERE DATUM = '2026-01-02'"))
                         .toLongLong() > 0,
                 true);
        QCOMPARE(sql::segmentTable(QStringLiteral("beinre")), QStringLiteral("BeinRe"));
        QVERIFY_THROWS_EXCEPTION(KavioError, sql::segmentTable(QStringLiteral("ArmLi; DROP TABLE Teilnehmer")));
    }

    void valuesOutsideSixteenBitsAreRefused()
    {
        TestBed bed;
        const qint64 p = bed.addPerson(QStringLiteral("Huber"), QStringLiteral("Eva"));
        DbConnection db = DbConnection::open(bed.segmentePath());
        QVERIFY_THROWS_EXCEPTION(
            KavioError, db.exec(sql::insertMeasurement(QStringLiteral("ArmRe")),
                                {p, QStringLiteral("2026-01-02"), QStringLiteral("08:00:00"), 1, 40000, 3, 4, 5, 6}));
        QCOMPARE(scalar(bed.segmentePath(), QStringLiteral("SELECT COUNT(*) FROM ArmRe")).toInt(), 0);
    }

    void transactionRollsBackOnFailure()
    {
        TestBed bed;
        DbConnection db = DbConnection::open(bed.segmentePath());
        QVERIFY_THROWS_EXCEPTION(KavioError, db.transaction([&] {
            db.exec(sql::insertPerson(), {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("2000-01-01"),
                                          QString(), QString(), QString(), 0});
            throw KavioError(RunError::Overflow);
        }));
        QCOMPARE(scalar(bed.segmentePath(), QStringLiteral("SELECT COUNT(*) FROM Teilnehmer")).toInt(), 0);
    }

    void germanOrderAndFolding_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("case ignored") << "müller"
                                      << "MÜLLER" << 0;
        QTest::newRow("umlaut with base letter") << "Äbersold"
                                                 << "Abt" << -1;
        QTest::newRow("sharp s as ss") << "Groß"
                                       << "Gross" << 0;
        QTest::newRow("ascii") << "Becker"
                               << "bauer" << 1;
        QTest::newRow("prefix shorter first") << "Koch"
                                              << "Kochen" << -1;
        QTest::newRow("o umlaut between") << "Öztürk"
                                          << "Pabst" << -1;
    }
    void germanOrderAndFolding()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(compareGerman(a, b), order);
        QCOMPARE(compareGerman(b, a), -order);
    }

    void personListSortsGermanAndKeepsOrderOfEqualNames()
    {
        TestBed bed;
        const qint64 first = bed.addPerson(QStringLiteral("Müller"), QStringLiteral("Zora"));
        bed.addPerson(QStringLiteral("Zimmer"), QStringLiteral("Al"));
        const qint64 second = bed.addPerson(QStringLiteral("MÜLLER"), QStringLiteral("Anna"));
        bed.addPerson(QStringLiteral("Abt"), QStringLiteral("Bo"));
        bed.addPerson(QStringLiteral("Mueller"), QStringLiteral("Udo"));
        DbConnection db = DbConnection::open(bed.segmentePath());
        QSqlQuery q = db.exec(sql::personListMain());
        QStringList names;
        QList<qint64> ids;
        while (q.next()) {
            names << q.value(1).toString();
            ids << q.value(0).toLongLong();
        }
        QCOMPARE(names, (QStringList{"Abt", "Mueller", "Müller", "MÜLLER", "Zimmer"}));
        QCOMPARE(ids.mid(2, 2), (QList<qint64>{first, second}));
    }

    void prefixPatternTakesSqlCharactersLiterally()
    {
        TestBed bed;
        bed.addPerson(QStringLiteral("O'Neill"), QStringLiteral("Sean"));
        bed.addPerson(QStringLiteral("Ärger"), QStringLiteral("Uwe"));
        bed.addPerson(QStringLiteral("A_rger"), QStringLiteral("Udo"));
        bed.addPerson(QStringLiteral("100%"), QStringLiteral("Max"));
        auto count = [&](const QString &prefix) {
            DbConnection db = DbConnection::open(bed.segmentePath());
            QSqlQuery q = db.exec(sql::importListByPrefix(), {sql::foldedPrefixPattern(prefix)});
            int n = 0;
            while (q.next())
                ++n;
            return n;
        };
        QCOMPARE(count(QStringLiteral("o'")), 1);
        QCOMPARE(count(QStringLiteral("är")), 1);
        QCOMPARE(count(QStringLiteral("ä")), 2); // umlaut with its base letter: Ärger and A_rger
        QCOMPARE(count(QStringLiteral("A_")), 1);
        QCOMPARE(count(QStringLiteral("10%")), 0);
        QCOMPARE(count(QStringLiteral("100%")), 1);
    }

    void retryOpensADatabaseThatBecomesFree()
    {
        TestBed bed;
        auto lock = std::make_unique<ExclusiveLock>(bed.segmentePath());
        std::atomic<bool> released = false;
        std::thread releaser([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            lock->release();
            released = true;
        });
        DbConnection db = dbOpenSegmente(bed.platform);
        releaser.join();
        QVERIFY(released);
        QVERIFY(db.isOpen());
        QCOMPARE(bed.messages.count(), 0);
    }

    void retryShowsTheLastErrorOnceWhenNeverFree()
    {
        TestBed bed;
        QFile f(bed.segmentePath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(4096, 'x')); // not a database at all
        f.close();
        DbConnection db = dbOpenSegmente(bed.platform);
        QVERIFY(!db.isOpen());
        QCOMPARE(bed.messages.count(), 1);
        QCOMPARE(bed.messages.last().icon, MsgIcon::None);
        QCOMPARE(bed.messages.last().text, QStringLiteral("file is not a database"));
    }

    void hostDatabaseIsFoundInOrderAndOpenedReadOnly()
    {
        TestBed bed;
        DbConnection db = dbOpenBIA(bed.platform);
        QVERIFY(db.isOpen());
        QVERIFY_THROWS_EXCEPTION(KavioError, db.exec(QStringLiteral("DELETE FROM Teilnehmer")));
        QVERIFY(scalar(bed.biaPath(), QStringLiteral("SELECT COUNT(*) FROM Teilnehmer")).toInt() > 30);
    }

    void missingHostLocationGivesItsMessage()
    {
        TestBed bed;
        bed.settings.removeValue(Hive::LocalMachine, QStringLiteral("Software\\Kavio_Plus"), QStringLiteral("dbPath"));
        DbConnection db = dbOpenBIA(bed.platform);
        QVERIFY(!db.isOpen());
        QCOMPARE(bed.messages.count(), 1);
        QCOMPARE(bed.messages.last().text, QStringLiteral("Es konnte keine BIA-Datenbnk gefunden werden\n"
                                                          "Bitte installieren Sie eine BIA Software"));
        QCOMPARE(bed.messages.last().icon, MsgIcon::Stop);
    }
};

QTEST_MAIN(TestDatabase)
#include "tst_database.moc"
