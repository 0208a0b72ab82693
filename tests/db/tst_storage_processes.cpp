// Saves from separate processes: killed at random moments, and two at the same time.
#include "db/Database.h"
#include "TestBed.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

// What a saver process said it committed.
struct Reported {
    QSet<qint64> first, second;
    QStringList failures, wrongRows;
    bool done = false;
    void parse(const QByteArray &output)
    {
        for (const QByteArray &line : output.split('\n')) {
            if (line.startsWith("F "))
                first.insert(line.mid(2).toLongLong());
            else if (line.startsWith("S "))
                second.insert(line.mid(2).toLongLong());
            else if (line.startsWith("E "))
                failures << QString::fromUtf8(line);
            else if (line.startsWith("X "))
                wrongRows << QString::fromUtf8(line);
            done = done || line == "done";
        }
    }
};

QSet<qint64> ids(const QString &db, const QString &where)
{
    DbConnection c = DbConnection::open(db);
    QSet<qint64> result;
    for (QSqlQuery q = c.exec(QStringLiteral("SELECT MessID FROM ArmLi WHERE ") + where); q.next();)
        result.insert(q.value(0).toLongLong());
    return result;
}

// The file is intact and holds no torn or mixed row (see storage_saver for the pattern).
void checkIntactRows(const QString &db)
{
    QCOMPARE(scalar(db, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    QCOMPARE(ids(db, QStringLiteral("NOT (W50 = W5 + 1 AND W100 = W5 + 2 AND Xc5 = W5 + 3 AND Xc50 = W5 + 4 "
                                    "AND Xc100 = W5 + 5 AND Datum = '2026-12-06' AND Uhrzeit = '10:30:00' "
                                    "AND ((W5N IS NULL AND W50N IS NULL AND W100N IS NULL) "
                                    "OR (W5N = W5 + 10 AND W50N = W5 + 11 AND W100N = W5 + 12)))")),
             QSet<qint64>());
}

} // namespace

class tst_StorageProcesses : public QObject {
    Q_OBJECT
private slots:
    void killedMidSaveLeavesOnlyCompleteRows()
    {
        TestBed bed;
        Reported reported;
        constexpr int kKills = 60;
        for (int k = 0; k < kKills; ++k) {
            QProcess saver;
            saver.start(QStringLiteral(KAVIO_STORAGE_SAVER), {bed.segmentePath(), QStringLiteral("loop"), "1"});
            QVERIFY2(saver.waitForStarted(), qPrintable(saver.errorString()));
            // After the first committed save, kill somewhere within the next saves.
            QVERIFY(saver.waitForReadyRead(10000));
            QTest::qSleep(int(QRandomGenerator::global()->bounded(60)));
            saver.kill(); // SIGKILL
            QVERIFY(saver.waitForFinished(5000));
            QCOMPARE(saver.exitStatus(), QProcess::CrashExit);
            reported.parse(saver.readAllStandardOutput());
            QVERIFY2(reported.failures.isEmpty(), qPrintable(reported.failures.join(QLatin1Char('\n'))));
        }
        QVERIFY(reported.wrongRows.isEmpty());
        checkIntactRows(bed.segmentePath());
        // Everything reported as committed survived the kills.
        QVERIFY(ids(bed.segmentePath(), QStringLiteral("FKTN = 1")).contains(reported.first));
        QVERIFY(ids(bed.segmentePath(), QStringLiteral("FKTN = 1 AND W50N IS NOT NULL")).contains(reported.second));
        QVERIFY(reported.first.size() >= kKills);
    }

    void twoProcessesSaveAtTheSameTime()
    {
        TestBed bed;
        constexpr int kSaves = 150;
        QProcess p[2];
        Reported r[2];
        for (int i = 0; i < 2; ++i)
            p[i].start(QStringLiteral(KAVIO_STORAGE_SAVER),
                       {bed.segmentePath(), QStringLiteral("count"), QString::number(i + 1), QString::number(kSaves)});
        qsizetype accounted = 0;
        for (int i = 0; i < 2; ++i) {
            QVERIFY(p[i].waitForFinished(100000));
            QCOMPARE(p[i].exitCode(), 0);
            r[i].parse(p[i].readAllStandardOutput());
            QVERIFY(r[i].done && r[i].wrongRows.isEmpty());
            // A save that did not go through says so with the engine's lock message.
            for (const QString &f : r[i].failures)
                QCOMPARE(f, QStringLiteral("E 5 database is locked"));
            accounted += r[i].first.size() + r[i].failures.size();
        }
        QVERIFY(accounted >= 2 * kSaves);
        checkIntactRows(bed.segmentePath());
        // Each process finds exactly its own rows, and every second save went into its own row.
        for (int i = 0; i < 2; ++i) {
            const QString person = QStringLiteral("FKTN = %1").arg(i + 1);
            QCOMPARE(ids(bed.segmentePath(), person), r[i].first);
            QCOMPARE(ids(bed.segmentePath(), person + QStringLiteral(" AND W50N IS NOT NULL")), r[i].second);
        }
    }
};

QTEST_GUILESS_MAIN(tst_StorageProcesses)
#include "tst_storage_processes.moc"
