// Drawing the 1/R trend chart for a person with a long history: query, chart rows and
// values, trend lines and the chart update.
#include "db/Database.h"
#include "db/Statements.h"
#include "TestBed.h"
#include "workstation/frmMain.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QChartView>
#include <QLineEdit>
#include <QSqlQuery>

using namespace kavio;

namespace {

constexpr int kRecords = 5000;

struct Fixture {
    test::TestBed tb;
    std::unique_ptr<frmMain> window;
    QChartView *chart = nullptr;
    qint64 person = 0;

    Fixture()
    {
        person = tb.addPerson(QStringLiteral("Muster"), QStringLiteral("Max"));
        const qint64 other = tb.addPerson(QStringLiteral("Anders"), QStringLiteral("Eva"));
        DbConnection db = DbConnection::open(tb.segmentePath());
        db.transaction([&] {
            QSqlQuery q = db.prepare(sql::insertMeasurement(QStringLiteral("ArmLi")));
            const QDate start(2000, 1, 1);
            for (int i = 0; i < kRecords * 2; ++i) {
                // Every other row belongs to someone else, as in a real practice.
                q.addBindValue(i % 2 ? other : person);
                q.addBindValue(start.addDays(i / 2).toString(Qt::ISODate));
                q.addBindValue(QStringLiteral("10:00:00"));
                for (int v : {600 + i % 50, 500 + i % 40, 400 + i % 30, 70, 60 + i % 9, 50})
                    q.addBindValue(v);
                if (!q.exec())
                    throw std::runtime_error("insert failed");
            }
        });
        window = std::make_unique<frmMain>(tb.platform);
        window->session().chooseSegment(segmentByTable(QStringLiteral("ArmLi")));
        window->session().choosePerson(
            {qint32(person), QStringLiteral("Berg"), QStringLiteral("Eva"), QDate(1960, 1, 1)});
        window->resize(1046, 640);
        chart = window->findChild<QChartView *>(QStringLiteral("MSChart"));
        chart->setVisible(true);
        window->show();
    }
};

std::unique_ptr<Fixture> g_fixture;

// Built on first use, inside the running application; gone before the application is.
Fixture &fixture()
{
    if (!g_fixture)
        g_fixture = std::make_unique<Fixture>();
    return *g_fixture;
}

void BM_DrawTrendChart(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        f.window->ChartDatenLeeren();
        f.window->Draw_1durchR_Graph(2);
        // Let the chart lay itself out and paint, as the operator would see it.
        f.chart->repaint();
    }
    if (!f.window->session().chartDrawn())
        state.SkipWithError("chart not drawn");
}
BENCHMARK(BM_DrawTrendChart)->Unit(benchmark::kMillisecond);

void BM_DrawXcChart(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        f.window->Draw_Xc_Graph();
        f.chart->repaint();
    }
}
BENCHMARK(BM_DrawXcChart)->Unit(benchmark::kMillisecond);

// The share of the database: the statement and walking its rows.
void BM_TrendQueryOnly(benchmark::State &state)
{
    Fixture &f = fixture();
    SegmentRepository &repository = f.window->session().repository();
    for (auto _ : state) {
        const auto rows = repository.measurements(kSegments[0], qint32(f.person), MeasurementOrder::OldestFirst);
        benchmark::DoNotOptimize(rows.size());
    }
}
BENCHMARK(BM_TrendQueryOnly)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return kavio::bench::runBenchmarks(argc, argv, {}, [] { g_fixture.reset(); });
}
