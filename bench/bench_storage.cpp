// Storing a measurement on a database holding 100,000 of them: the complete first save
// of the window (values read, row stored, counts and list refreshed) and the storing
// routines alone.
#include "app/Conversions.h"
#include "db/Database.h"
#include "Saves.h"
#include "WindowDriver.h"
#include "workstation/frmMain.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>

using namespace kavio;
using namespace kavio::test;

namespace {

constexpr int kPersons = 1000;
constexpr int kRowsPerPersonAndSegment = 25; // 1000 x 25 x 4 = 100,000 measurements
constexpr qint32 kPerson = 500;

// One bed for all benchmarks: filling it takes a few seconds.
TestBed &filledBed()
{
    static TestBed *bed = [] {
        auto *b = new TestBed;
        DbConnection db = DbConnection::open(b->segmentePath());
        db.transaction([&] {
            for (int p = 1; p <= kPersons; ++p)
                db.exec(QStringLiteral("INSERT INTO Teilnehmer (Name, VorName, GebDat) VALUES (?, ?, '1960-05-17')"),
                        {QStringLiteral("Name%1").arg(p), QStringLiteral("Vorname")});
            for (const auto &s : kSegments) {
                QSqlQuery q = db.prepare(
                    QStringLiteral("INSERT INTO %1 (FKTN, Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, Xc100, W5N, "
                                   "W50N, W100N) VALUES (?, ?, '09:00:00', 520, 480, 455, 31, 52, 47, 530, 490, 460)")
                        .arg(QLatin1String(s.table)));
                for (int p = 1; p <= kPersons; ++p)
                    for (int r = 0; r < kRowsPerPersonAndSegment; ++r) {
                        q.addBindValue(p);
                        q.addBindValue(isoDate(QDate(2024, 1, 1).addDays(r * 7)));
                        if (!q.exec())
                            qFatal("fill failed");
                    }
            }
        });
        return b;
    }();
    return *bed;
}

void BM_SaveFirstMeasurement(benchmark::State &state)
{
    TestBed &bed = filledBed();
    frmMain w(bed.platform);
    w.session().chooseSegment(segmentByTable(QStringLiteral("ArmLi")));
    w.LeereAlleFelder();
    w.findChild<QRadioButton *>(QStringLiteral("optEineBeh"))->setChecked(true);
    valueField(w, Quantity::W50, kSegments[0])->setText(QStringLiteral("480"));
    valueField(w, Quantity::Xc50, kSegments[0])->setText(QStringLiteral("52"));
    bed.messages.clear();
    int person = 0;
    for (auto _ : state) {
        // A different person each time, so no list grows beyond a person's usual size.
        state.PauseTiming();
        w.session().choosePerson({person++ % kPersons + 1, QStringLiteral("Name"), QStringLiteral("Vorname"), {}});
        state.ResumeTiming();
        w.cmdSaveMess_Click();
        if (!w.session().stored() || bed.messages.count() != 0)
            state.SkipWithError("the save did not go through");
    }
    state.counters["rows"] =
        double(scalar(bed.segmentePath(), QStringLiteral("SELECT COUNT(*) FROM ArmLi")).toLongLong() * 4);
}
BENCHMARK(BM_SaveFirstMeasurement)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The two refreshes that follow a stored row, for the breakdown of the complete save.
void BM_RefreshCountsAfterSave(benchmark::State &state)
{
    TestBed &bed = filledBed();
    frmMain w(bed.platform);
    w.session().choosePerson({kPerson, QStringLiteral("Name"), QStringLiteral("Vorname"), {}});
    for (auto _ : state)
        w.refreshCounts();
}
BENCHMARK(BM_RefreshCountsAfterSave)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_RefillListAfterSave(benchmark::State &state)
{
    TestBed &bed = filledBed();
    frmMain w(bed.platform);
    w.session().choosePerson({7, QStringLiteral("Name"), QStringLiteral("Vorname"), {}}); // the usual 25 rows
    w.session().chooseSegment(&kSegments[0]);
    for (auto _ : state)
        w.fillGRDMessungen();
}
BENCHMARK(BM_RefillListAfterSave)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_StoreFirstMeasurementOnly(benchmark::State &state)
{
    TestBed &bed = filledBed();
    const SegmentReading v = reading(520, 480, 455, 31, 52, 47);
    for (auto _ : state)
        if (saveFirst(bed.segmentePath(), QStringLiteral("ArmRe"), kPerson, QDate(2026, 12, 6), QTime(10, 30), v)
                .outcome != SaveOutcome::Stored)
            state.SkipWithError("the save did not go through");
}
BENCHMARK(BM_StoreFirstMeasurementOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_StoreSecondMeasurementOnly(benchmark::State &state)
{
    TestBed &bed = filledBed();
    SegmentReading v = reading(530, 490, 460);
    saveFirst(bed.segmentePath(), QStringLiteral("BeinRe"), kPerson, QDate(2026, 12, 6), QTime(10, 30),
              reading(520, 480, 455, 31, 52, 47));
    for (auto _ : state)
        // New values each time: the engine skips writing a row that would not change.
        if (v[Frequency::kHz50].r = qint16(v[Frequency::kHz50].r == 490 ? 491 : 490);
            saveSecond(bed.segmentePath(), QStringLiteral("BeinRe"), kPerson, QDate(2026, 12, 6), v).outcome !=
            SaveOutcome::Stored)
            state.SkipWithError("the save did not go through");
}
BENCHMARK(BM_StoreSecondMeasurementOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    return kavio::bench::runBenchmarks(argc, argv);
}
