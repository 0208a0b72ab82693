// How long the main window takes to fill its two lists, column sizing included.
// Goals: person list of 100,000 persons under 300 ms; measurement list of one person
// with 5,000 measurements under 50 ms.
#include "db/SqliteRepository.h"
#include "ListData.h"
#include "TestBed.h"
#include "workstation/frmMain.h"
#include "workstation/ListModel.h"
#include "workstation/mdlGrid.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QTableView>

using namespace kavio;

static void BM_FillPersonList(benchmark::State &state)
{
    test::TestBed bed;
    bench::addPersons(bed.segmentePath(), static_cast<int>(state.range(0)));
    frmMain w(bed.platform);
    bed.messages.clear(); // the start-up question
    auto *list = w.findChild<QTableView *>(QStringLiteral("ocxFlex"));
    for (auto _ : state) {
        w.fillPersonList();
        benchmark::DoNotOptimize(FlexGrid(*list).colWidth(2));
    }
    if (FlexGrid(*list).rows() != state.range(0) + 1 || bed.messages.count() != 0)
        state.SkipWithError(qPrintable(QStringLiteral("the list is not complete: %1 rows, messages: %2")
                                           .arg(FlexGrid(*list).rows())
                                           .arg(bed.messages.texts().join(" | "))));
    state.SetLabel("goal < 300 ms for 100000");
}
BENCHMARK(BM_FillPersonList)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The share of the person list that is reading the rows, without sizing the columns.
static void BM_ReadPersonRows(benchmark::State &state)
{
    test::TestBed bed;
    bench::addPersons(bed.segmentePath(), static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto model = ListModel::of(SqliteRepository(bed.segmentePath()).personList({{}, {}, {}, &isoToGermanDate}));
        benchmark::DoNotOptimize(model->rowCount());
    }
}
BENCHMARK(BM_ReadPersonRows)->Arg(100000)->Unit(benchmark::kMillisecond);

static void BM_FillMeasurementList(benchmark::State &state)
{
    test::TestBed bed;
    const qint64 p = bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    bench::addMeasurements(bed.segmentePath(), QStringLiteral("ArmLi"), p, static_cast<int>(state.range(0)));
    frmMain w(bed.platform);
    bed.messages.clear(); // the start-up question
    auto *list = w.findChild<QTableView *>(QStringLiteral("grdMessungen"));
    w.session().choosePerson({qint32(p), QStringLiteral("Adler"), QStringLiteral("Anna"), QDate(1960, 1, 1)});
    w.session().chooseSegment(&kSegments[0]);
    for (auto _ : state) {
        w.fillGRDMessungen();
        benchmark::DoNotOptimize(FlexGrid(*list).colWidth(3));
    }
    if (FlexGrid(*list).rows() != state.range(0) + 1 || bed.messages.count() != 0)
        state.SkipWithError(qPrintable(QStringLiteral("the list is not complete: %1 rows, messages: %2")
                                           .arg(FlexGrid(*list).rows())
                                           .arg(bed.messages.texts().join(" | "))));
    state.SetLabel("goal < 50 ms for 5000");
}
BENCHMARK(BM_FillMeasurementList)->Arg(5000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return kavio::bench::runBenchmarks(argc, argv);
}
