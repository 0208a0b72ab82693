// Print-outs written as PDF files: the chart page of a person with a long history, and
// the history report of 5,000 rows (143 pages). Goals: the chart page under 300 ms, the
// history under 3 s.
#include "charts/ChartModel.h"
#include "charts/PagePrinter.h"
#include "history/HistoryTable.h"
#include "history/ReportPages.h"
#include "platform/QtPrinters.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>
#include <QTemporaryDir>

using namespace kavio;

namespace {

constexpr int kRows = 5000;

void BM_ChartPageToPdf(benchmark::State &state)
{
    QList<charts::ChartRecord> records;
    for (int i = 0; i < kRows; ++i)
        records.append({QDate(2012, 1, 1).addDays(i), qint16(500 + i % 40), qint16(490 + i % 40), qint16(500 + i % 40),
                        qint16(60 + i % 9)});
    charts::ChartPage page;
    page.chart = charts::inverseRChart(records);
    page.chartSize = QSizeF(481, 321) * 15;
    page.header = {"Name: Müller", "Vorname: Anna", "Geburtsdatum: 17.05.1960", "Segment: Arm Links"};
    page.legend = charts::chartPageLegend(QStringLiteral("1/R"));
    page.figures = {"Phasenwinkel bei 50 kHz: 6,8° am 01.01.2012, 7,1° am 08.09.2025",
                    "ΔR 50 kHz durch die Therapie am 08.09.2025: -2,0 %"};
    page.jobName = QStringLiteral("KavioSegment – Verlauf Arm Links – Müller, Anna");
    QTemporaryDir dir;
    for (auto _ : state) {
        QtPrinter pdf(dir.filePath(QStringLiteral("seite.pdf")));
        charts::printChartPage(pdf, page);
    }
}
BENCHMARK(BM_ChartPageToPdf)->Unit(benchmark::kMillisecond);

void BM_HistoryReportToPdf(benchmark::State &state)
{
    HistoryTable table;
    std::vector<QVariantList> rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i)
        rows.push_back({QDate(2026, 12, 6).addDays(-i / 2).toString(u"dd.MM.yy"), QStringLiteral("10:00"),
                        QStringLiteral("%1/%2").arg(400 + i % 300).arg(390 + i % 290),
                        QStringLiteral("%1/").arg(380 + i % 250),
                        QStringLiteral("%1/%2").arg(360 + i % 200).arg(350 + i % 190), qlonglong(30 + i % 40),
                        qlonglong(40 + i % 30), qlonglong(50 + i % 20), qlonglong(kRows - i)});
    table.setContent({"Messdatum", "Zeit", "R5", "R50", "R100", "Xc5", "Xc50", "Xc100", "MessID"}, std::move(rows));
    const ReportPrint report{
        QStringLiteral("Historie"),  QDate(2026, 12, 6), {"Anna", "Müller", "17.05.1960", "66 Jahre", "12"},
        QStringLiteral("Messungen"), QPixmap(),          {}};
    QTemporaryDir dir;
    for (auto _ : state) {
        QtPrinter pdf(dir.filePath(QStringLiteral("historie.pdf")));
        printHistoryReport(pdf, table, report);
    }
    state.counters["rows"] = kRows;
}
BENCHMARK(BM_HistoryReportToPdf)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return kavio::bench::runBenchmarks(argc, argv);
}
