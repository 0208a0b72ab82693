// Storing first and second measurements without the window: rows written, rows chosen,
// refusals, and what the engine's failures leave behind.
#include "app/Errors.h"
#include "db/Database.h"
#include "db/MeasurementStore.h"
#include "TestBed.h"
#include "Unprivileged.h"

#include <QFile>
#include <QSqlQuery>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace kavio;
using namespace kavio::test;

namespace {

const QDate kDay(2026, 12, 6);

SegmentValues values(int w5, int w50, int w100, int xc5, int xc50, int xc100)
{
    return {qint16(w5), qint16(w50), qint16(w100), qint16(xc5), qint16(xc50), qint16(xc100)};
}

qint64 rows(const TestBed &bed, const QString &table)
{
    return scalar(bed.segmentePath(), QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toLongLong();
}

// The second values of a row as "W5N/W50N/W100N" ("//" when they are empty).
QString secondOf(const TestBed &bed, const QString &table, qint64 messId)
{
    return scalar(bed.segmentePath(),
                  QStringLiteral("SELECT IFNULL(W5N,'') || '/' || IFNULL(W50N,'') || '/' || IFNULL(W100N,'') "
                                 "FROM %1 WHERE MessID = ?")
                      .arg(table),
                  {messId})
        .toString();
}

// Ways a database cannot be written, each with its own undoing.
enum class Obstacle { ReadOnlyFile, ReadOnlyFolder, LockedByOther, MissingFile };

class ObstacleScope {
public:
    ObstacleScope(TestBed &bed, Obstacle o) : m_bed(bed), m_obstacle(o)
    {
        const QByteArray dir = QFile::encodeName(bed.dir.path());
        const QByteArray file = QFile::encodeName(bed.segmentePath());
        switch (o) {
        case Obstacle::ReadOnlyFile:
            ::chmod(dir.constData(), 0777);
            ::chmod(file.constData(), 0444);
            break;
        case Obstacle::ReadOnlyFolder:
            ::chmod(dir.constData(), 0555);
            ::chmod(file.constData(), 0666);
            break;
        case Obstacle::LockedByOther:
            m_holder = DbConnection::open(bed.segmentePath());
            m_holder.exec(QStringLiteral("BEGIN EXCLUSIVE"));
            break;
        case Obstacle::MissingFile:
            QFile::rename(bed.segmentePath(), bed.segmentePath() + QStringLiteral(".away"));
            break;
        }
    }
    void remove()
    {
        const QByteArray dir = QFile::encodeName(m_bed.dir.path());
        const QByteArray file = QFile::encodeName(m_bed.segmentePath());
        switch (m_obstacle) {
        case Obstacle::ReadOnlyFile:
        case Obstacle::ReadOnlyFolder:
            ::chmod(dir.constData(), 0700);
            ::chmod(file.constData(), 0644);
            break;
        case Obstacle::LockedByOther:
            m_holder.exec(QStringLiteral("ROLLBACK"));
            m_holder.close();
            break;
        case Obstacle::MissingFile:
            QFile::rename(m_bed.segmentePath() + QStringLiteral(".away"), m_bed.segmentePath());
            break;
        }
    }
    bool needsOtherUser() const
    {
        return m_obstacle == Obstacle::ReadOnlyFile || m_obstacle == Obstacle::ReadOnlyFolder;
    }

private:
    TestBed &m_bed;
    Obstacle m_obstacle;
    DbConnection m_holder;
};

} // namespace

Q_DECLARE_METATYPE(SegmentValues)
Q_DECLARE_METATYPE(Obstacle)

class tst_Storage : public QObject {
    Q_OBJECT
private slots:
    void firstSaveWritesCompleteRow_data();
    void firstSaveWritesCompleteRow();
    void firstSaveRefusesValuesNotAboveZero_data();
    void firstSaveRefusesValuesNotAboveZero();
    void firstSaveAlwaysAppends();
    void unknownSegmentIsRefusedBeforeAnyWrite();
    void segmentValuesFollowTheStoreOrder();

    void secondSaveChoosesLatestRowOfTheDay_data();
    void secondSaveChoosesLatestRowOfTheDay();
    void secondSaveChecksOnlyW50();
    void secondSaveOverwritesAndLeavesReactances();

    void blockedDatabaseFailsCleanlyAndRecovers_data();
    void blockedDatabaseFailsCleanlyAndRecovers();
    void blockedSecondSaveChangesNothing();
};

void tst_Storage::firstSaveWritesCompleteRow_data()
{
    QTest::addColumn<QString>("segment");
    QTest::addColumn<QTime>("time");
    QTest::newRow("arm left") << QStringLiteral("ArmLi") << QTime(10, 30, 0);
    QTest::newRow("arm right") << QStringLiteral("ArmRe") << QTime(0, 0, 1);
    QTest::newRow("leg left") << QStringLiteral("BeinLi") << QTime(23, 59, 59);
    QTest::newRow("leg right") << QStringLiteral("BeinRe") << QTime(7, 5, 9, 999);
}

void tst_Storage::firstSaveWritesCompleteRow()
{
    QFETCH(QString, segment);
    QFETCH(QTime, time);
    TestBed bed;
    const qint64 person = bed.addPerson(QStringLiteral("Bauer"), QStringLiteral("Anna"));

    const SaveResult r = saveFirstMeasurement(bed.segmentePath(), segment, qint32(person), QDate(2025, 2, 28), time,
                                              values(-32768, 411, 32767, 21, 48, 55));
    QCOMPARE(r.outcome, SaveOutcome::Stored);
    QVERIFY(r.messId > 0);

    const QString row =
        scalar(bed.segmentePath(),
               QStringLiteral("SELECT FKTN || '|' || Datum || '|' || Uhrzeit || '|' || W5 || '|' || W50 || '|' || "
                              "W100 || '|' || Xc5 || '|' || Xc50 || '|' || Xc100 || '|' || "
                              "(W5N IS NULL AND W50N IS NULL AND W100N IS NULL) FROM %1 WHERE MessID = ?")
                   .arg(segment),
               {r.messId})
            .toString();
    QCOMPARE(row,
             QStringLiteral("%1|2025-02-28|%2|-32768|411|32767|21|48|55|1").arg(person).arg(time.toString("HH:mm:ss")));
    // Only the chosen segment's table got the row.
    qint64 total = 0;
    for (const auto &s : kSegments)
        total += rows(bed, QLatin1String(s.table));
    QCOMPARE(total, 1);
}

void tst_Storage::firstSaveRefusesValuesNotAboveZero_data()
{
    QTest::addColumn<SegmentValues>("v");
    QTest::addColumn<bool>("stored");
    QTest::newRow("W50 zero") << values(400, 0, 380, 20, 40, 35) << false;
    QTest::newRow("Xc50 zero") << values(400, 390, 380, 20, 0, 35) << false;
    QTest::newRow("W50 negative") << values(400, -1, 380, 20, 40, 35) << false;
    QTest::newRow("Xc50 negative") << values(400, 390, 380, 20, -7, 35) << false;
    QTest::newRow("both zero") << values(0, 0, 0, 0, 0, 0) << false;
    QTest::newRow("smallest accepted") << values(0, 1, 0, 0, 1, 0) << true;
    QTest::newRow("other frequencies zero") << values(0, 390, 0, 0, 40, 0) << true;
}

void tst_Storage::firstSaveRefusesValuesNotAboveZero()
{
    QFETCH(SegmentValues, v);
    QFETCH(bool, stored);
    TestBed bed;
    const SaveResult r = saveFirstMeasurement(bed.segmentePath(), QStringLiteral("ArmRe"), 7, kDay, QTime(9, 0), v);
    QCOMPARE(r.outcome, stored ? SaveOutcome::Stored : SaveOutcome::InvalidValue);
    QCOMPARE(rows(bed, QStringLiteral("ArmRe")), stored ? 1 : 0);
}

void tst_Storage::firstSaveAlwaysAppends()
{
    TestBed bed;
    const auto v = values(400, 390, 380, 20, 40, 35);
    const SaveResult a = saveFirstMeasurement(bed.segmentePath(), QStringLiteral("BeinLi"), 3, kDay, QTime(9, 0), v);
    const SaveResult b = saveFirstMeasurement(bed.segmentePath(), QStringLiteral("BeinLi"), 3, kDay, QTime(9, 0), v);
    QVERIFY(a.messId != b.messId);
    QCOMPARE(rows(bed, QStringLiteral("BeinLi")), 2);
}

void tst_Storage::unknownSegmentIsRefusedBeforeAnyWrite()
{
    TestBed bed;
    for (const QString &seg : {QString(), QStringLiteral("Teilnehmer"), QStringLiteral("ArmLi; DROP TABLE ArmRe")}) {
        try {
            saveFirstMeasurement(bed.segmentePath(), seg, 1, kDay, QTime(9, 0), values(1, 2, 3, 4, 5, 6));
            QFAIL(qPrintable(QStringLiteral("no failure for '%1'").arg(seg)));
        } catch (const KavioError &e) {
            QCOMPARE(e.number(), int(RunError::TypeMismatch));
        }
        QVERIFY_THROWS_EXCEPTION(KavioError,
                                 saveSecondMeasurement(bed.segmentePath(), seg, 1, kDay, values(1, 2, 3, 4, 5, 6)));
    }
    QCOMPARE(rows(bed, QStringLiteral("Teilnehmer")), 0);
    QCOMPARE(rows(bed, QStringLiteral("ArmRe")), 0);
}

void tst_Storage::segmentValuesFollowTheStoreOrder()
{
    // Store order: W100, Xc100, W5, Xc5, W50, Xc50, each for ArmLi, ArmRe, BeinLi, BeinRe.
    std::array<qint16, 24> store{};
    for (size_t i = 0; i < store.size(); ++i)
        store[i] = qint16(100 + i);
    const SegmentValues armRe = segmentValues(store, kSegments[1]);
    QCOMPARE(armRe.w100, 101);
    QCOMPARE(armRe.xc100, 105);
    QCOMPARE(armRe.w5, 109);
    QCOMPARE(armRe.xc5, 113);
    QCOMPARE(armRe.w50, 117);
    QCOMPARE(armRe.xc50, 121);
    const SegmentValues beinRe = segmentValues(store, kSegments[3]);
    QCOMPARE(beinRe.w100, 103);
    QCOMPARE(beinRe.xc5, 115);
    QCOMPARE(beinRe.xc50, 123);
}

// Rows of the test below: segment, person, day offset from kDay, time.
struct RowSpec {
    const char *segment;
    int person;
    int dayOffset;
    const char *time;
};
Q_DECLARE_METATYPE(QList<RowSpec>)

void tst_Storage::secondSaveChoosesLatestRowOfTheDay_data()
{
    QTest::addColumn<QList<RowSpec>>("rowsBefore");
    QTest::addColumn<int>("expected"); // index into rowsBefore, -1: no first measurement

    QTest::newRow("only row") << QList<RowSpec>{{"ArmLi", 1, 0, "08:00:00"}} << 0;
    QTest::newRow("later of two") << QList<RowSpec>{{"ArmLi", 1, 0, "08:00:00"}, {"ArmLi", 1, 0, "09:15:00"}} << 1;
    QTest::newRow("later time inserted first")
        << QList<RowSpec>{{"ArmLi", 1, 0, "17:00:00"}, {"ArmLi", 1, 0, "09:15:00"}} << 0;
    QTest::newRow("same second: newest row")
        << QList<RowSpec>{{"ArmLi", 1, 0, "09:15:00"}, {"ArmLi", 1, 0, "09:15:00"}} << 1;
    QTest::newRow("other days ignored") << QList<RowSpec>{{"ArmLi", 1, -1, "23:00:00"},
                                                          {"ArmLi", 1, 0, "06:00:00"},
                                                          {"ArmLi", 1, 1, "05:00:00"}}
                                        << 1;
    QTest::newRow("other person ignored")
        << QList<RowSpec>{{"ArmLi", 1, 0, "08:00:00"}, {"ArmLi", 2, 0, "12:00:00"}} << 0;
    QTest::newRow("other segment ignored")
        << QList<RowSpec>{{"ArmLi", 1, 0, "08:00:00"}, {"ArmRe", 1, 0, "12:00:00"}} << 0;
    QTest::newRow("only yesterday") << QList<RowSpec>{{"ArmLi", 1, -1, "08:00:00"}} << -1;
    QTest::newRow("only another person") << QList<RowSpec>{{"ArmLi", 2, 0, "08:00:00"}} << -1;
    QTest::newRow("only another segment") << QList<RowSpec>{{"BeinRe", 1, 0, "08:00:00"}} << -1;
    QTest::newRow("empty tables") << QList<RowSpec>{} << -1;
}

void tst_Storage::secondSaveChoosesLatestRowOfTheDay()
{
    QFETCH(QList<RowSpec>, rowsBefore);
    QFETCH(int, expected);
    TestBed bed;
    QList<qint64> ids;
    for (const RowSpec &r : rowsBefore)
        ids << bed.addMeasurement(QLatin1String(r.segment), r.person, kDay.addDays(r.dayOffset), QLatin1String(r.time),
                                  500, 450, 420, 30, 50, 45);

    const SaveResult res =
        saveSecondMeasurement(bed.segmentePath(), QStringLiteral("ArmLi"), 1, kDay, values(510, 460, 430, 0, 0, 0));
    if (expected < 0) {
        QCOMPARE(res.outcome, SaveOutcome::NoFirstMeasurement);
    } else {
        QCOMPARE(res.outcome, SaveOutcome::Stored);
        QCOMPARE(res.messId, ids[expected]);
    }
    // Exactly the expected row carries second values, every other row none.
    for (int i = 0; i < ids.size(); ++i)
        QCOMPARE(secondOf(bed, QLatin1String(rowsBefore[i].segment), ids[i]),
                 i == expected ? QStringLiteral("510/460/430") : QStringLiteral("//"));
}

void tst_Storage::secondSaveChecksOnlyW50()
{
    TestBed bed;
    const qint64 id =
        bed.addMeasurement(QStringLiteral("BeinRe"), 4, kDay, QStringLiteral("08:00:00"), 1, 2, 3, 4, 5, 6);
    const SaveResult refused =
        saveSecondMeasurement(bed.segmentePath(), QStringLiteral("BeinRe"), 4, kDay, values(510, 0, 430, 30, 50, 45));
    QCOMPARE(refused.outcome, SaveOutcome::InvalidValue);
    QCOMPARE(secondOf(bed, QStringLiteral("BeinRe"), id), QStringLiteral("//"));

    // Reactances of 0 do not matter for the second measurement.
    const SaveResult stored =
        saveSecondMeasurement(bed.segmentePath(), QStringLiteral("BeinRe"), 4, kDay, values(0, 1, 0, 0, 0, 0));
    QCOMPARE(stored.outcome, SaveOutcome::Stored);
    QCOMPARE(secondOf(bed, QStringLiteral("BeinRe"), id), QStringLiteral("0/1/0"));
}

void tst_Storage::secondSaveOverwritesAndLeavesReactances()
{
    TestBed bed;
    const qint64 id = bed.addMeasurement(QStringLiteral("ArmRe"), 9, kDay, QStringLiteral("08:00:00"), 500, 450, 420,
                                         30, 50, 45, 1, 2, 3);
    QCOMPARE(saveSecondMeasurement(bed.segmentePath(), QStringLiteral("ArmRe"), 9, kDay, values(600, 550, 520, 7, 8, 9))
                 .outcome,
             SaveOutcome::Stored);
    QCOMPARE(secondOf(bed, QStringLiteral("ArmRe"), id), QStringLiteral("600/550/520"));
    QCOMPARE(scalar(bed.segmentePath(),
                    QStringLiteral("SELECT W5 || '/' || W50 || '/' || W100 || '/' || Xc5 || '/' || Xc50 || '/' || "
                                   "Xc100 FROM ArmRe WHERE MessID = ?"),
                    {id})
                 .toString(),
             QStringLiteral("500/450/420/30/50/45"));
}

void tst_Storage::blockedDatabaseFailsCleanlyAndRecovers_data()
{
    QTest::addColumn<Obstacle>("obstacle");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("read-only file") << Obstacle::ReadOnlyFile << 8
                                    << QStringLiteral("attempt to write a readonly database");
    // The engine's extended code: a read-only folder keeps the journal from being made.
    QTest::newRow("read-only folder") << Obstacle::ReadOnlyFolder << 1544
                                      << QStringLiteral("attempt to write a readonly database");
    QTest::newRow("locked by another program") << Obstacle::LockedByOther << 5 << QStringLiteral("database is locked");
    QTest::newRow("file missing") << Obstacle::MissingFile << int(RunError::FileNotFound) << QString();
}

void tst_Storage::blockedDatabaseFailsCleanlyAndRecovers()
{
    QFETCH(Obstacle, obstacle);
    QFETCH(int, code);
    QFETCH(QString, text);
    TestBed bed;
    bed.addMeasurement(QStringLiteral("ArmLi"), 5, kDay.addDays(-3), QStringLiteral("08:00:00"), 1, 2, 3, 4, 5, 6);
    const auto v = values(400, 390, 380, 20, 40, 35);

    ObstacleScope scope(bed, obstacle);
    try {
        if (scope.needsOtherUser()) {
            Unprivileged as;
            saveFirstMeasurement(bed.segmentePath(), QStringLiteral("ArmLi"), 5, kDay, QTime(9, 0), v);
        } else {
            saveFirstMeasurement(bed.segmentePath(), QStringLiteral("ArmLi"), 5, kDay, QTime(9, 0), v);
        }
        QFAIL("the save went through");
    } catch (const KavioError &e) {
        QCOMPARE(e.number(), code);
        if (!text.isEmpty())
            QCOMPARE(e.description(), text);
    }
    scope.remove();

    QCOMPARE(scalar(bed.segmentePath(), QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    QCOMPARE(rows(bed, QStringLiteral("ArmLi")), 1);
    QVERIFY(!QFile::exists(bed.segmentePath() + QStringLiteral("-journal")));

    // Once the cause is gone the same values save.
    const SaveResult r = saveFirstMeasurement(bed.segmentePath(), QStringLiteral("ArmLi"), 5, kDay, QTime(9, 0), v);
    QCOMPARE(r.outcome, SaveOutcome::Stored);
    QCOMPARE(rows(bed, QStringLiteral("ArmLi")), 2);
}

void tst_Storage::blockedSecondSaveChangesNothing()
{
    TestBed bed;
    const qint64 id =
        bed.addMeasurement(QStringLiteral("ArmLi"), 5, kDay, QStringLiteral("08:00:00"), 1, 2, 3, 4, 5, 6);
    {
        ObstacleScope scope(bed, Obstacle::LockedByOther);
        QVERIFY_THROWS_EXCEPTION(KavioError, saveSecondMeasurement(bed.segmentePath(), QStringLiteral("ArmLi"), 5, kDay,
                                                                   values(7, 8, 9, 0, 0, 0)));
        scope.remove();
    }
    QCOMPARE(secondOf(bed, QStringLiteral("ArmLi"), id), QStringLiteral("//"));
    QCOMPARE(
        saveSecondMeasurement(bed.segmentePath(), QStringLiteral("ArmLi"), 5, kDay, values(7, 8, 9, 0, 0, 0)).outcome,
        SaveOutcome::Stored);
    QCOMPARE(secondOf(bed, QStringLiteral("ArmLi"), id), QStringLiteral("7/8/9"));
}

QTEST_GUILESS_MAIN(tst_Storage)
#include "tst_storage.moc"
