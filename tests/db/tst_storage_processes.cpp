// Saves from separate processes: killed at random moments, and two at the same time.
#include "db/Database.h"
#include "TestBed.h"

#include <QFileInfo>
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
    QStringList failures; // "E <code> <text>"
    QStringList wrongRows;
    bool done = false;
};

void parse(const QByteArray &output, Reported &r)
{
    for (const QByteArray &line : output.split('\n')) {
        if (line.startsWith("F "))
            r.first.insert(line.mid(2).toLongLong());
        else if (line.startsWith("S "))
            r.second.insert(line.mid(2).toLongLong());
        else if (line.startsWith("E "))
            r.failures << QString::fromUtf8(line);
        else if (line.startsWith("X "))
            r.wrongRows << QString::fromUtf8(line);
        else if (line.startsWith("done "))
            r.done = true;
    }
}

// Rows whose values do not hang together the way the saver writes them: torn or mixed.
QStringList brokenRows(const QString &db)
{
    DbConnection c = DbConnection::open(db);
    QSqlQuery q =
        c.exec(QStringLiteral("SELECT MessID FROM ArmLi WHERE NOT ("
                              "W50 = W5 + 1 AND W100 = W5 + 2 AND Xc5 = W5 + 3 AND Xc50 = W5 + 4 AND Xc100 = W5 + 5 "
                              "AND Datum = '2026-12-06' AND Uhrzeit GLOB '[0-2][0-9]:[0-5][0-9]:[0-5][0-9]' "
                              "AND ((W5N IS NULL AND W50N IS NULL AND W100N IS NULL) "
                              "     OR (W5N = W5 + 10 AND W50N = W5 + 11 AND W100N = W5 + 12)))"));
    QStringList ids;
    while (q.next())
        ids << q.value(0).toString();
    return ids;
}

QSet<qint64> ids(const QString &db, const QString &where, const QVariantList &values)
{
    DbConnection c = DbConnection::open(db);
    QSqlQuery q = c.exec(QStringLiteral("SELECT MessID FROM ArmLi WHERE ") + where, values);
    QSet<qint64> result;
    while (q.next())
        result.insert(q.value(0).toLongLong());
    return result;
}

} // namespace

class tst_StorageProcesses : public QObject {
    Q_OBJECT
private slots:
    void killedMidSaveLeavesOnlyCompleteRows();
    void twoProcessesSaveAtTheSameTime();
};

void tst_StorageProcesses::killedMidSaveLeavesOnlyCompleteRows()
{
    TestBed bed;
    Reported reported;
    auto *rng = QRandomGenerator::global();
    constexpr int kKills = 60;
    int halfWay = 0;
    for (int k = 0; k < kKills; ++k) {
        QProcess saver;
        saver.start(QStringLiteral(KAVIO_STORAGE_SAVER),
                    {bed.segmentePath(), QStringLiteral("loop"), QStringLiteral("1")});
        QVERIFY2(saver.waitForStarted(), qPrintable(saver.errorString()));
        // Wait for the first committed save, then kill somewhere within the next saves.
        QVERIFY(saver.waitForReadyRead(10000));
        QTest::qSleep(int(rng->bounded(60)));
        saver.kill(); // SIGKILL
        QVERIFY(saver.waitForFinished(5000));
        // A journal left behind means the kill caught a save half-way.
        if (QFileInfo(bed.segmentePath() + QStringLiteral("-journal")).size() > 0)
            ++halfWay;
        QCOMPARE(saver.exitStatus(), QProcess::CrashExit);
        parse(saver.readAllStandardOutput(), reported);
        QVERIFY2(reported.failures.isEmpty(), qPrintable(reported.failures.join(QLatin1Char('\n'))));
    }
    QVERIFY(reported.wrongRows.isEmpty());

    QCOMPARE(scalar(bed.segmentePath(), QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    QCOMPARE(brokenRows(bed.segmentePath()), QStringList());
    // Everything reported as committed survived the kills.
    const QSet<qint64> stored = ids(bed.segmentePath(), QStringLiteral("FKTN = ?"), {1});
    const QSet<qint64> withSecond = ids(bed.segmentePath(), QStringLiteral("FKTN = ? AND W50N IS NOT NULL"), {1});
    QVERIFY(stored.contains(reported.first));
    QVERIFY(withSecond.contains(reported.second));
    QVERIFY(reported.first.size() >= kKills);
    qInfo("%d kills (%d during a write), %lld rows, %lld with second values", kKills, halfWay, qint64(stored.size()),
          qint64(withSecond.size()));
}

void tst_StorageProcesses::twoProcessesSaveAtTheSameTime()
{
    TestBed bed;
    constexpr int kSaves = 150;
    QProcess a, b;
    const QString n = QString::number(kSaves);
    a.start(QStringLiteral(KAVIO_STORAGE_SAVER), {bed.segmentePath(), QStringLiteral("count"), QStringLiteral("1"), n});
    b.start(QStringLiteral(KAVIO_STORAGE_SAVER), {bed.segmentePath(), QStringLiteral("count"), QStringLiteral("2"), n});
    QVERIFY(a.waitForFinished(100000));
    QVERIFY(b.waitForFinished(100000));
    QCOMPARE(a.exitCode(), 0);
    QCOMPARE(b.exitCode(), 0);

    Reported ra, rb;
    parse(a.readAllStandardOutput(), ra);
    parse(b.readAllStandardOutput(), rb);
    QVERIFY(ra.done && rb.done);
    QVERIFY(ra.wrongRows.isEmpty() && rb.wrongRows.isEmpty());
    // A save that did not go through says so with the engine's lock message, nothing else.
    for (const QString &f : ra.failures + rb.failures)
        QCOMPARE(f, QStringLiteral("E 5 database is locked"));

    QCOMPARE(scalar(bed.segmentePath(), QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    QCOMPARE(brokenRows(bed.segmentePath()), QStringList());
    // Each process finds exactly its own rows, and every second save went into its own row.
    QCOMPARE(ids(bed.segmentePath(), QStringLiteral("FKTN = 1"), {}), ra.first);
    QCOMPARE(ids(bed.segmentePath(), QStringLiteral("FKTN = 2"), {}), rb.first);
    QCOMPARE(ids(bed.segmentePath(), QStringLiteral("FKTN = 1 AND W50N IS NOT NULL"), {}), ra.second);
    QCOMPARE(ids(bed.segmentePath(), QStringLiteral("FKTN = 2 AND W50N IS NOT NULL"), {}), rb.second);
    QVERIFY(ra.first.size() + rb.first.size() + ra.failures.size() + rb.failures.size() >= 2 * kSaves);
    qInfo("stored %lld + %lld, refused %lld + %lld", qint64(ra.first.size()), qint64(rb.first.size()),
          qint64(ra.failures.size()), qint64(rb.failures.size()));
}

QTEST_GUILESS_MAIN(tst_StorageProcesses)
#include "tst_storage_processes.moc"
