// The phase angle's course: its chart data, and the chart as the main window shows and prints it.
#include "app/Conversions.h"
#include "charts/ChartModel.h"
#include "PdfPages.h"
#include "WindowDriver.h"

#include <cmath>
#include <numbers>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QValueAxis>

using namespace kavio;
using namespace kavio::charts;
using namespace kavio::test;

namespace {

using Column = QList<std::optional<double>>;

double degrees(double xc, double r)
{
    return std::atan(xc / r) * 180.0 / std::numbers::pi;
}

const QDate kDay(2026, 1, 1);

// Day d: R and Xc at 50 kHz; at 5 kHz R + 100 and Xc - 10.
Measurement row(int d, std::optional<qint16> r, std::optional<qint16> xc)
{
    Measurement m;
    m.day = kDay.addDays(d);
    m.values[Frequency::kHz50] = {r, xc, std::nullopt};
    m.values[Frequency::kHz5] = {r ? std::optional<qint16>(*r + 100) : std::nullopt,
                                 xc ? std::optional<qint16>(*xc - 10) : std::nullopt, std::nullopt};
    return m;
}

// The bars of a chart view's first set.
QList<double> bars(QChartView *view)
{
    QList<double> out;
    for (QAbstractSeries *s : view->chart()->series())
        if (auto *b = qobject_cast<QBarSeries *>(s))
            for (int i = 0; i < b->barSets().first()->count(); ++i)
                out << b->barSets().first()->at(i);
    return out;
}

bool printed(const TestBed &bed, const QString &text)
{
    return !readPdf(bed.pdfPath()).value(0).line(text).isNull();
}

} // namespace

class TestPhaseChart : public QObject {
    Q_OBJECT
private slots:
    void course_data();
    void course();
    void chartOnScreenAndPaper();
};

void TestPhaseChart::course_data()
{
    QTest::addColumn<QList<Measurement>>("rows");
    QTest::addColumn<int>("khz");
    QTest::addColumn<QList<int>>("days"); // the days that fill the rows, in order
    QTest::addColumn<Column>("angles");

    const QList<Measurement> gaps{row(0, 500, 60), row(1, 0, 60), row(2, std::nullopt, 60), row(3, 480, std::nullopt),
                                  row(4, 400, -50)};
    QTest::newRow("R 0, R or Xc missing: left out; negative Xc kept")
        << gaps << 50 << QList<int>{0, 4} << Column{degrees(60, 500), degrees(-50, 400)};
    QTest::newRow("5 kHz: R5 of day 1 is 100")
        << gaps << 5 << QList<int>{0, 1, 4} << Column{degrees(50, 600), degrees(50, 100), degrees(-60, 500)};
    QList<Measurement> many;
    for (int d = 0; d < 10; ++d)
        many << row(d, d == 2 ? 0 : 500 - 10 * d, 60);
    Column newest{degrees(60, 500)};
    for (int d = 4; d < 10; ++d)
        newest << degrees(60, 500 - 10 * d);
    QTest::newRow("nine with an angle: the oldest, then the six newest")
        << many << 50 << QList<int>{0, 4, 5, 6, 7, 8, 9} << newest;
    QTest::newRow("one: no trend line") << QList<Measurement>{row(0, 0, 60), row(1, 500, 60)} << 50 << QList<int>{1}
                                        << Column{degrees(60, 500)};
    QTest::newRow("none") << QList<Measurement>{row(0, 0, 60), row(1, 0, 0)} << 50 << QList<int>{} << Column{};
}

void TestPhaseChart::course()
{
    QFETCH(QList<Measurement>, rows);
    QFETCH(int, khz);
    QFETCH(QList<int>, days);
    QFETCH(Column, angles);
    const ChartData c = phaseAngleChart(rows, *frequencyOfKiloHertz(khz));
    QStringList labels(kChartRows);
    for (int i = 0; i < days.size(); ++i)
        labels[i] = germanDate(kDay.addDays(days[i]));
    QCOMPARE(c.labels, labels);
    Column want = angles;
    want.resize(kChartRows);
    QCOMPARE(c.cells[0], want);
    // The trend line runs through the filled rows only; with two it meets both bars.
    const std::optional<TrendLine> trend = c.trends.value(0);
    QCOMPARE(trend.has_value(), days.size() >= 2);
    QVERIFY(!trend || (trend->firstRow == 0 && trend->lastRow == days.size() - 1));
    if (days.size() == 2)
        QVERIFY(qAbs(trend->at(0) - *angles[0]) < 1e-9 && qAbs(trend->at(1) - *angles[1]) < 1e-9);
    QCOMPARE(c.valueTitle, QStringLiteral("Phasenwinkel in Grad (%1 kHz)").arg(khz));
}

// The third chart button, the frequency of the R option, the caption, the bars and the trend line;
// a segment whose rows have no angle gives a message, not bars of 0; the print-out carries the
// phase angle's legend, and after the 1/R chart the before/after legend again.
void TestPhaseChart::chartOnScreenAndPaper()
{
    Window win;
    TestBed &bed = win.bed;
    const qint64 person = bed.addPerson(QStringLiteral("Musterfrau"), QStringLiteral("Erika"));
    bed.addMeasurement("ArmLi", person, kDay, "10:00:00", 600, 500, 450, 50, 60, 55);
    bed.addMeasurement("ArmLi", person, kDay.addDays(1), "10:00:00", 0, 0, 0, 50, 60, 55);
    bed.addMeasurement("ArmLi", person, kDay.addDays(2), "10:00:00", 520, 400, 380, 40, 50, 45);
    bed.addMeasurement("ArmRe", person, kDay, "10:00:00", 0, 0, 0, 50, 60, 55);
    win.open();
    win.choose(1, QStringLiteral("optAL"));
    bed.messages.clear(); // the request to choose a segment, answered by the choice
    QWidget &w = *win.w;
    check(w, QStringLiteral("+cmdPhaseGraph -MSChart"));
    auto *chart = control<QChartView>(w, QStringLiteral("MSChart"));

    click(w, QStringLiteral("cmdPhaseGraph"));
    check(w, QStringLiteral("+MSChart -FraMesswerte +fraLegende_Widerstand"));
    QCOMPARE(textOf(w, QStringLiteral("lbl1durchR")), QStringLiteral("φ50"));
    QCOMPARE(bars(chart), (QList<double>{degrees(60, 500), degrees(50, 400), 0, 0, 0, 0, 0}));
    QCOMPARE(chart->chart()->series().size(), 2); // the bars and the trend line
    QCOMPARE(chart->chart()->axes(Qt::Vertical).first()->titleText(), QStringLiteral("Phasenwinkel in Grad (50 kHz)"));

    click(w, QStringLiteral("optR5"));
    click(w, QStringLiteral("cmdPhaseGraph"));
    QCOMPARE(textOf(w, QStringLiteral("lbl1durchR")), QStringLiteral("φ5"));
    QCOMPARE(bars(chart).mid(0, 2), (QList<double>{degrees(50, 600), degrees(40, 520)}));
    QCOMPARE(bed.messages.texts(), QStringList());
    click(w, QStringLiteral("cmdPrintOut"));
    QVERIFY(printed(bed, QStringLiteral("Die Balkenhöhe zeigt den Phasenwinkel φ = arctan(Xc/R) bei 5 kHz in Grad "
                                        "(erste Messung).")));

    click(w, QStringLiteral("cmdGraph"));
    QFile::remove(bed.pdfPath());
    click(w, QStringLiteral("cmdPrintOut"));
    QVERIFY(printed(bed, QStringLiteral("rote Balken: vor Therapie")));

    click(w, QStringLiteral("cmdExtremitaet"));
    click(w, QStringLiteral("optAR"));
    click(w, QStringLiteral("cmdOptSegment"));
    click(w, QStringLiteral("cmdPhaseGraph"));
    QCOMPARE(bed.messages.texts(), QStringList{"Kein Phasenwinkel bei 5 kHz: in keiner Messung dieses Segments sind R "
                                               "(größer als 0) und Xc vorhanden."});
    QCOMPARE(bars(chart), QList<double>(kChartRows, 0.0));
    QCOMPARE(chart->chart()->series().size(), 1);
}

QTEST_MAIN(TestPhaseChart)
#include "tst_phasechart.moc"
