// Storing first and second measurements without the window: rows written, rows chosen,
// refusals, and what the engine's failures leave behind.
#include "app/Errors.h"
#include "db/Database.h"
#include "db/MeasurementStore.h"
#include "TestBed.h"
#include "Unprivileged.h"

#include <optional>
#include <QFile>
#include <QTest>
#include <sys/stat.h>

using namespace kavio;
using namespace kavio::test;

namespace {

const QDate kDay(2026, 12, 6);
const QString kArmLi = QStringLiteral("ArmLi");

SegmentValues values(int w5, int w50, int w100, int xc5 = 0, int xc50 = 0, int xc100 = 0)
{
    return {qint16(w5), qint16(w50), qint16(w100), qint16(xc5), qint16(xc50), qint16(xc100)};
}

qint64 rows(const TestBed &bed, const QString &table)
{
    return scalar(bed.segmentePath(), QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toLongLong();
}

// A row as "FKTN|Datum|Uhrzeit|W5/W50/W100/Xc5/Xc50/Xc100|W5N/W50N/W100N", empty values as "".
QString rowOf(const TestBed &bed, const QString &table, qint64 messId)
{
    return scalar(bed.segmentePath(),
                  QStringLiteral("SELECT FKTN || '|' || Datum || '|' || Uhrzeit || '|' || W5 || '/' || W50 || '/' || "
                                 "W100 || '/' || Xc5 || '/' || Xc50 || '/' || Xc100 || '|' || IFNULL(W5N, '') || '/' "
                                 "|| IFNULL(W50N, '') || '/' || IFNULL(W100N, '') FROM %1 WHERE MessID = ?")
                      .arg(table),
                  {messId})
        .toString();
}

QString secondOf(const TestBed &bed, const QString &table, qint64 messId)
{
    return rowOf(bed, table, messId).section(QLatin1Char('|'), 4);
}

} // namespace

Q_DECLARE_METATYPE(SegmentValues)

class tst_Storage : public QObject {
    Q_OBJECT
private slots:
    // One new row per save, in the chosen segment's table only; W50 and Xc50 must be above 0.
    void firstSave_data()
    {
        QTest::addColumn<QString>("segment");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<SegmentValues>("v");
        QTest::addColumn<QString>("row"); // empty: refused
        QTest::newRow("16-bit bounds") << "ArmLi" << QTime(10, 30) << values(-32768, 411, 32767, 21, 48, 55)
                                       << "7|2026-12-06|10:30:00|-32768/411/32767/21/48/55|//";
        QTest::newRow("smallest accepted")
            << "BeinLi" << QTime(23, 59, 59) << values(0, 1, 0, 0, 1, 0) << "7|2026-12-06|23:59:59|0/1/0/0/1/0|//";
        QTest::newRow("milliseconds dropped")
            << "BeinRe" << QTime(7, 5, 9, 999) << values(1, 2, 3, 4, 5, 6) << "7|2026-12-06|07:05:09|1/2/3/4/5/6|//";
        QTest::newRow("W50 zero") << "ArmRe" << QTime(9, 0) << values(400, 0, 380, 20, 40, 35) << "";
        QTest::newRow("Xc50 negative") << "ArmRe" << QTime(9, 0) << values(400, 390, 380, 20, -7, 35) << "";
    }
    void firstSave()
    {
        QFETCH(QString, segment);
        QFETCH(QTime, time);
        QFETCH(SegmentValues, v);
        QFETCH(QString, row);
        TestBed bed;
        const SaveResult a = saveFirstMeasurement(bed.segmentePath(), segment, 7, kDay, time, v);
        const SaveResult b = saveFirstMeasurement(bed.segmentePath(), segment, 7, kDay, time, v);
        qint64 total = 0;
        for (const auto &s : kSegments)
            total += rows(bed, QLatin1String(s.table));
        QCOMPARE(a.outcome, row.isEmpty() ? SaveOutcome::InvalidValue : SaveOutcome::Stored);
        QCOMPARE(total, row.isEmpty() ? 0 : 2); // the same values again make a second row
        if (!row.isEmpty()) {
            QCOMPARE(rowOf(bed, segment, a.messId), row);
            QCOMPARE(rowOf(bed, segment, b.messId), row);
        }
    }

    void unknownSegmentIsRefusedBeforeAnyWrite()
    {
        TestBed bed;
        for (const QString &seg :
             {QString(), QStringLiteral("Teilnehmer"), QStringLiteral("ArmLi; DROP TABLE ArmRe")}) {
            QVERIFY_THROWS_EXCEPTION(KavioError, saveFirstMeasurement(bed.segmentePath(), seg, 1, kDay, QTime(9, 0),
                                                                      values(1, 2, 3, 4, 5, 6)));
            QVERIFY_THROWS_EXCEPTION(KavioError,
                                     saveSecondMeasurement(bed.segmentePath(), seg, 1, kDay, values(1, 2, 3)));
        }
        QCOMPARE(rows(bed, QStringLiteral("Teilnehmer")) + rows(bed, QStringLiteral("ArmRe")), 0);
    }

    void segmentValuesFollowTheStoreOrder()
    {
        // Store order: W100, Xc100, W5, Xc5, W50, Xc50, each for ArmLi, ArmRe, BeinLi, BeinRe.
        std::array<qint16, 24> store{};
        for (size_t i = 0; i < store.size(); ++i)
            store[i] = qint16(100 + i);
        const SegmentValues a = segmentValues(store, kSegments[1]), b = segmentValues(store, kSegments[3]);
        QCOMPARE((QList<int>{a.w100, a.xc100, a.w5, a.xc5, a.w50, a.xc50}), (QList<int>{101, 105, 109, 113, 117, 121}));
        QCOMPARE((QList<int>{b.w100, b.xc5, b.xc50}), (QList<int>{103, 115, 123}));
    }

    // Rows before: "segment person dayOffset time"; expected: index of the row that takes
    // the second values, -1 when there is no first measurement.
    void secondSaveChoosesLatestRowOfTheDay_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("expected");
        QTest::newRow("later of two") << QStringList{"ArmLi 1 0 08:00:00", "ArmLi 1 0 09:15:00"} << 1;
        QTest::newRow("later time inserted first") << QStringList{"ArmLi 1 0 17:00:00", "ArmLi 1 0 09:15:00"} << 0;
        QTest::newRow("same second: newest row") << QStringList{"ArmLi 1 0 09:15:00", "ArmLi 1 0 09:15:00"} << 1;
        QTest::newRow("other days, persons, segments ignored")
            << QStringList{"ArmLi 1 -1 23:00:00", "ArmLi 1 0 06:00:00", "ArmLi 1 1 05:00:00", "ArmLi 2 0 12:00:00",
                           "ArmRe 1 0 12:00:00"}
            << 1;
        QTest::newRow("none of the day") << QStringList{"ArmLi 1 -1 08:00:00", "ArmLi 2 0 08:00:00",
                                                        "BeinRe 1 0 08:00:00"}
                                         << -1;
        QTest::newRow("empty tables") << QStringList{} << -1;
    }
    void secondSaveChoosesLatestRowOfTheDay()
    {
        QFETCH(QStringList, before);
        QFETCH(int, expected);
        TestBed bed;
        QList<qint64> ids;
        for (const QString &r : before) {
            const QStringList f = r.split(QLatin1Char(' '));
            ids << bed.addMeasurement(f[0], f[1].toInt(), kDay.addDays(f[2].toInt()), f[3], 500, 450, 420, 30, 50, 45);
        }
        const SaveResult res = saveSecondMeasurement(bed.segmentePath(), kArmLi, 1, kDay, values(510, 460, 430));
        QCOMPARE(res.outcome, expected < 0 ? SaveOutcome::NoFirstMeasurement : SaveOutcome::Stored);
        QCOMPARE(res.messId, expected < 0 ? 0 : ids[expected]);
        // Exactly the expected row carries second values.
        for (int i = 0; i < ids.size(); ++i)
            QCOMPARE(secondOf(bed, before[i].section(QLatin1Char(' '), 0, 0), ids[i]),
                     i == expected ? QStringLiteral("510/460/430") : QStringLiteral("//"));
    }

    // Only W50 is checked; the resistances are overwritten, the first values stay.
    void secondSaveOverwritesOnlyTheResistances()
    {
        TestBed bed;
        const QString armRe = QStringLiteral("ArmRe"),
                      first = QStringLiteral("9|2026-12-06|08:00:00|500/450/420/30/50/45|");
        const qint64 id =
            bed.addMeasurement(armRe, 9, kDay, QStringLiteral("08:00:00"), 500, 450, 420, 30, 50, 45, 1, 2, 3);
        QCOMPARE(saveSecondMeasurement(bed.segmentePath(), armRe, 9, kDay, values(510, 0, 430, 1, 1, 1)).outcome,
                 SaveOutcome::InvalidValue);
        QCOMPARE(rowOf(bed, armRe, id), first + QStringLiteral("1/2/3"));
        QCOMPARE(saveSecondMeasurement(bed.segmentePath(), armRe, 9, kDay, values(0, 1, 0, 7, 8, 9)).outcome,
                 SaveOutcome::Stored);
        QCOMPARE(rowOf(bed, armRe, id), first + QStringLiteral("0/1/0"));
    }

    // An update that changes no row is undone together with all the save did before.
    void secondSaveThatChangesNoRowRollsBack()
    {
        TestBed bed;
        const qint64 id = bed.addMeasurement(kArmLi, 5, kDay, QStringLiteral("08:00:00"), 1, 2, 3, 4, 5, 6);
        DbConnection::open(bed.segmentePath())
            .exec(QStringLiteral("CREATE TRIGGER swallow BEFORE UPDATE ON ArmLi BEGIN "
                                 "INSERT INTO ArmRe (FKTN, Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, Xc100) "
                                 "VALUES (5, '2026-12-06', '08:00:00', 1, 2, 3, 4, 5, 6); SELECT RAISE(IGNORE); END"));
        try {
            saveSecondMeasurement(bed.segmentePath(), kArmLi, 5, kDay, values(7, 8, 9));
            QFAIL("a save that changed nothing was reported as done");
        } catch (const KavioError &e) {
            QCOMPARE(e.number(), int(RunError::NoCurrentRow));
        }
        QCOMPARE(rows(bed, QStringLiteral("ArmRe")), 0);
        QCOMPARE(secondOf(bed, kArmLi, id), QStringLiteral("//"));
    }

    void blockedDatabaseChangesNothingAndRecovers_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        const QString readOnly = QStringLiteral("attempt to write a readonly database");
        QTest::newRow("read-only file") << 8 << readOnly;
        // The engine's extended code: a read-only folder keeps the journal from being made.
        QTest::newRow("read-only folder") << 1544 << readOnly;
        QTest::newRow("locked") << 5 << QStringLiteral("database is locked");
        QTest::newRow("missing") << int(RunError::FileNotFound) << QString();
    }
    void blockedDatabaseChangesNothingAndRecovers()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        const QString obstacle = QString::fromLatin1(QTest::currentDataTag());
        TestBed bed;
        const QString path = bed.segmentePath(), away = path + QStringLiteral(".away");
        const QByteArray dir = QFile::encodeName(bed.dir.path()), file = QFile::encodeName(path);
        const qint64 id = bed.addMeasurement(kArmLi, 5, kDay, QStringLiteral("08:00:00"), 1, 2, 3, 4, 5, 6);
        const auto v = values(400, 390, 380, 20, 40, 35);
        DbConnection holder;
        const bool readOnly = obstacle.startsWith(QLatin1String("read-only"));
        if (readOnly) { // open to the other identity below, except for what must be read-only
            ::chmod(dir.constData(), obstacle.endsWith(QLatin1String("folder")) ? 0555 : 0777);
            ::chmod(file.constData(), obstacle.endsWith(QLatin1String("file")) ? 0444 : 0666);
        } else if (obstacle == QLatin1String("locked"))
            (holder = DbConnection::open(path)).exec(QStringLiteral("BEGIN EXCLUSIVE"));
        else
            QFile::rename(path, away);
        {
            std::optional<Unprivileged> as; // file permissions bind root only under another identity
            if (readOnly)
                as.emplace();
            for (bool second : {false, true}) {
                try {
                    second ? saveSecondMeasurement(path, kArmLi, 5, kDay, v)
                           : saveFirstMeasurement(path, kArmLi, 5, kDay, QTime(9, 0), v);
                    QFAIL("the save went through");
                } catch (const KavioError &e) {
                    QCOMPARE(e.number(), code);
                    QVERIFY(text.isEmpty() || e.description() == text);
                }
            }
        }
        ::chmod(dir.constData(), 0700);
        ::chmod(file.constData(), 0644);
        if (holder.isOpen())
            holder.exec(QStringLiteral("ROLLBACK"));
        holder.close();
        QFile::rename(away, path);

        QCOMPARE(scalar(path, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        QCOMPARE(rows(bed, kArmLi), 1);
        QCOMPARE(secondOf(bed, kArmLi, id), QStringLiteral("//"));
        QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
        // Once the cause is gone the same values save.
        const SaveResult r = saveFirstMeasurement(path, kArmLi, 5, kDay, QTime(9, 0), v);
        QCOMPARE(saveSecondMeasurement(path, kArmLi, 5, kDay, v).messId, r.messId);
        QCOMPARE(rows(bed, kArmLi), 2);
    }
};

QTEST_GUILESS_MAIN(tst_Storage)
#include "tst_storage.moc"
