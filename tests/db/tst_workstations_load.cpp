// Eight workstations storing first and second measurements of the same persons at once, two
// also deleting rows: nothing is lost or doubled, every second measurement is on the row it
// was reported for, and no save fails. Prints the stores per second.
#include "app/Errors.h"
#include "db/PostgresRepository.h"
#include "Saves.h"
#include "TestServer.h"

#include <algorithm>
#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QTest>
#include <thread>

using namespace kavio;
using namespace kavio::test;

namespace {

constexpr int kWorkstations = 8;
constexpr int kPairs = 500;
constexpr int kPersons = 10;
const QDate kDay(2026, 12, 7);

// Each segment table numbers its rows itself: a row is known by segment and MessID.
qint64 rowKey(const SegmentInfo &segment, qint64 messId)
{
    return qint64(segment.storeIndex) << 40 | messId;
}

struct Outcome {
    QHash<int, qint64> firstRow;      // code -> row of the first store
    QHash<qint64, QSet<int>> seconds; // row -> codes of the second stores reported on it
    QSet<qint64> deleted;
    QStringList failures;
};

// One workstation: pair i stores code as W50 of the first and as W50N of the second.
void workstation(const ServerAddress &address, int station, Outcome &out, QMutex &lock)
{
    PostgresRepository repo(address);
    for (int i = 0; i < kPairs; ++i) {
        const int code = station * kPairs + i + 1;
        const SegmentInfo &segment = kSegments[static_cast<size_t>(i % 4)];
        const qint32 person = 1 + i % kPersons; // all stations on the same person at once
        try {
            const QTime time = QTime(8, 0).addSecs(code);
            const SaveResult first = repo.storeFirst(segment, person, kDay, time, reading(1, qint16(code), 3, 4, 5, 6));
            const SaveResult second = repo.storeSecond(segment, person, kDay, reading(7, qint16(code), 9));
            const bool gone =
                station >= kWorkstations - 2 && i % 3 == 2 && repo.deleteMeasurement(segment, person, first.messId);
            const QMutexLocker locked(&lock);
            out.firstRow.insert(code, rowKey(segment, first.messId));
            if (second.outcome == SaveOutcome::Stored)
                out.seconds[rowKey(segment, second.messId)].insert(code);
            else
                out.failures << QStringLiteral("Code %1: kein Zeilenbezug").arg(code);
            if (gone)
                out.deleted.insert(rowKey(segment, first.messId));
        } catch (const KavioError &e) {
            const QMutexLocker locked(&lock);
            out.failures << QStringLiteral("Code %1: %2").arg(code).arg(e.description());
        }
    }
}

} // namespace

class TestWorkstationsLoad : public QObject {
    Q_OBJECT
private slots:
    void eightWorkstationsOnTheSamePersons();
};

void TestWorkstationsLoad::eightWorkstationsOnTheSamePersons()
{
    KAVIO_TEST_SERVER(server);
    TestSchema schema(*server);
    PostgresRepository(schema.address()).counts(1); // sets the schema up before the rush

    Outcome out;
    QMutex lock;
    QElapsedTimer clock;
    clock.start();
    std::vector<std::thread> stations;
    for (int s = 0; s < kWorkstations; ++s)
        stations.emplace_back(workstation, schema.address(), s, std::ref(out), std::ref(lock));
    for (std::thread &t : stations)
        t.join();
    const double seconds = double(clock.elapsed()) / 1000.0;
    qInfo("%d Arbeitsplätze, %d Speicherungen in %.1f s: %.0f Speicherungen/s", kWorkstations,
          2 * kWorkstations * kPairs, seconds, 2 * kWorkstations * kPairs / seconds);

    QVERIFY2(out.failures.isEmpty(), qPrintable(out.failures.mid(0, 5).join(QLatin1Char('\n'))));
    // Every row read back: its first code once, its second one of those reported on it.
    QHash<qint64, int> rows;
    int mismatches = 0;
    for (const SegmentInfo &segment : kSegments) {
        PostgresRepository reader(schema.address());
        for (qint32 person = 1; person <= kPersons; ++person)
            for (const Measurement &m : reader.measurements(segment, person, MeasurementOrder::OldestFirst)) {
                const int code = *m[Frequency::kHz50].r;
                const qint64 row = rowKey(segment, m.id);
                rows.insert(row, code);
                const std::optional<qint16> second = m[Frequency::kHz50].rAfter;
                const QSet<int> reported = out.seconds.value(row);
                if (out.firstRow.value(code) != row || (second ? !reported.contains(*second) : !reported.isEmpty()))
                    ++mismatches;
            }
    }
    QCOMPARE(mismatches, 0);
    QCOMPARE(rows.size(), kWorkstations * kPairs - out.deleted.size());
    QVERIFY(!out.deleted.isEmpty() &&
            !std::any_of(out.deleted.begin(), out.deleted.end(), [&](qint64 row) { return rows.contains(row); }));
}

QTEST_MAIN(TestWorkstationsLoad)
#include "tst_workstations_load.moc"
