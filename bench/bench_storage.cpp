// Storing a measurement on a database holding 100,000 of them: the complete first save
// of the window (values read, row stored, counts and list refreshed) and the storing
// routines alone.
#include "app/Conversions.h"
#include "db/Database.h"
#include "db/MeasurementStore.h"
#include "TestBed.h"
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
    w.strSegment = QStringLiteral("ArmLi");
    w.LeereAlleFelder();
    w.findChild<QRadioButton *>(QStringLiteral("optEineBeh"))->setChecked(true);
    w.valueField(Quantity::W50, kSegments[0])->setText(QStringLiteral("480"));
    w.valueField(Quantity::Xc50, kSegments[0])->setText(QStringLiteral("52"));
    bed.messages.clear();
    auto *fktn = w.findChild<QLineEdit *>(QStringLiteral("txtFKTN"));
    int person = 0;
    for (auto _ : state) {
        // A different person each time, so no list grows beyond a person's usual size.
        state.PauseTiming();
        fktn->setText(QString::number(person++ % kPersons + 1));
        state.ResumeTiming();
        w.cmdSaveMess_Click();
        if (!w.bGespeichert || bed.messages.count() != 0)
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
    w.findChild<QLineEdit *>(QStringLiteral("txtFKTN"))->setText(QString::number(kPerson));
    for (auto _ : state)
        w.refreshCounts();
}
BENCHMARK(BM_RefreshCountsAfterSave)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_RefillListAfterSave(benchmark::State &state)
{
    TestBed &bed = filledBed();
    frmMain w(bed.platform);
    for (auto _ : state)
        w.fillGRDMessungen(QStringLiteral("ArmLi"), 7); // a person with the usual 25 rows
}
BENCHMARK(BM_RefillListAfterSave)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_StoreFirstMeasurementOnly(benchmark::State &state)
{
    TestBed &bed = filledBed();
    const SegmentValues v{520, 480, 455, 31, 52, 47};
    for (auto _ : state)
        if (saveFirstMeasurement(bed.segmentePath(), QStringLiteral("ArmRe"), kPerson, QDate(2026, 12, 6),
                                 QTime(10, 30), v)
                .outcome != SaveOutcome::Stored)
            state.SkipWithError("the save did not go through");
}
BENCHMARK(BM_StoreFirstMeasurementOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_StoreSecondMeasurementOnly(benchmark::State &state)
{
    TestBed &bed = filledBed();
    SegmentValues v{530, 490, 460, 0, 0, 0};
    saveFirstMeasurement(bed.segmentePath(), QStringLiteral("BeinRe"), kPerson, QDate(2026, 12, 6), QTime(10, 30),
                         {520, 480, 455, 31, 52, 47});
    for (auto _ : state)
        // New values each time: the engine skips writing a row that would not change.
        if (v.w50 = qint16(v.w50 == 490 ? 491 : 490);
            saveSecondMeasurement(bed.segmentePath(), QStringLiteral("BeinRe"), kPerson, QDate(2026, 12, 6), v)
                .outcome != SaveOutcome::Stored)
            state.SkipWithError("the save did not go through");
}
BENCHMARK(BM_StoreSecondMeasurementOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    return kavio::bench::runBenchmarks(argc, argv);
}
