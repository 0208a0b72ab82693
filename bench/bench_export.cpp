// The history exports of 65,000 rows: our Excel 97-2003 writer and the HTML report,
// with the same table written as .xlsx by libxlsxwriter as the peer. Goals: each export
// under one second; the Excel export at least as fast as the peer.
#include "history/HistoryTable.h"
#include "history/HtmlReport.h"
#include "history/XlsWriter.h"

#include <benchmark/benchmark.h>
#include <QDate>
#include <QTemporaryDir>
#include <xlsxwriter.h>

using namespace kavio;

namespace {

constexpr int kRows = 65000;

const HistoryTable &table()
{
    static HistoryTable t;
    if (t.rowCount() == 0) {
        std::vector<QVariantList> rows;
        rows.reserve(kRows);
        for (int i = 0; i < kRows; ++i) {
            const QDate day = QDate(2026, 12, 6).addDays(-i / 2);
            rows.push_back({day.toString(u"dd.MM.yy"),
                            QStringLiteral("%1:%2").arg(8 + i % 10).arg(i % 60, 2, 10, QLatin1Char('0')),
                            QStringLiteral("%1/%2").arg(400 + i % 300).arg(390 + i % 290),
                            QStringLiteral("%1/").arg(380 + i % 250),
                            QStringLiteral("%1/%2").arg(360 + i % 200).arg(350 + i % 190), qlonglong(30 + i % 40),
                            qlonglong(40 + i % 30), qlonglong(50 + i % 20), qlonglong(kRows - i)});
        }
        t.setContent({"Messdatum", "Zeit", "R5", "R50", "R100", "Xc5", "Xc50", "Xc100", "MessID"}, std::move(rows));
    }
    return t;
}

void BM_ExcelExport(benchmark::State &state)
{
    const HistoryTable &t = table();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Daten.xls"));
    for (auto _ : state) {
        if (xls::writeWorkbook(path, t, QStringLiteral("Historie")))
            state.SkipWithError("export failed");
    }
    state.counters["rows"] = kRows;
}

void BM_HtmlExport(benchmark::State &state)
{
    const HistoryTable &t = table();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.htm"));
    html::ReportSettings s;
    s.title = QStringLiteral("Vendrik GmbH - Gliederanalyse");
    s.caption = QStringLiteral("Messungen");
    const html::PersonLines person{QStringLiteral("Anna"), QStringLiteral("Müller"), QStringLiteral("17.05.1960"),
                                   QStringLiteral("66"), QStringLiteral("12")};
    s.pageHeader = [&](int page, int pages) {
        return html::historyPageHeader(page, pages, QDate(2026, 12, 6), person);
    };
    s.pageFooter = html::historyPageFooter;
    for (auto _ : state) {
        if (html::writeReport(path, t, s))
            state.SkipWithError("export failed");
    }
    state.counters["rows"] = kRows;
}

// The peer: the same cells (bold header, texts and numbers) as an .xlsx workbook.
void BM_XlsxPeer(benchmark::State &state)
{
    const HistoryTable &t = table();
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("Daten.xlsx")).toLocal8Bit();
    for (auto _ : state) {
        lxw_workbook *wb = workbook_new(path.constData());
        lxw_worksheet *ws = workbook_add_worksheet(wb, "Historie");
        lxw_format *bold = workbook_add_format(wb);
        format_set_bold(bold);
        for (int c = 0; c < t.columnCount(); ++c)
            worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c),
                                   t.headerData(c, Qt::Horizontal).toString().toUtf8().constData(), bold);
        for (int r = 0; r < t.rowCount(); ++r)
            for (int c = 0; c < t.columnCount(); ++c) {
                const QVariant v = t.index(r, c).data();
                if (v.typeId() == QMetaType::QString)
                    worksheet_write_string(ws, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(c),
                                           v.toString().toUtf8().constData(), nullptr);
                else if (!v.isNull())
                    worksheet_write_number(ws, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(c), v.toDouble(),
                                           nullptr);
            }
        if (workbook_close(wb) != LXW_NO_ERROR)
            state.SkipWithError("peer failed");
    }
    state.counters["rows"] = kRows;
}

} // namespace

BENCHMARK(BM_ExcelExport)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_HtmlExport)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_XlsxPeer)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
