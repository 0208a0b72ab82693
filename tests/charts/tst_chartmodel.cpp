// Chart rows, values, trend lines and axis rules, without any window.
#include "app/Conversions.h"
#include "app/Errors.h"
#include "charts/ChartModel.h"
#include "db/Database.h"
#include "db/Statements.h"
#include "TestBed.h"

#include <QSqlQuery>
#include <QTest>

using namespace kavio;
using namespace kavio::charts;

using Column = QList<std::optional<double>>;

static ChartRecord record(int day, const QVariant &r, const QVariant &rN = 0, const QVariant &w50 = 500,
                          const QVariant &xc50 = 60)
{
    return {QDate(2026, 1, 1).addDays(day), r, rN, w50, xc50};
}

static QList<ChartRecord> records(int n)
{
    QList<ChartRecord> out;
    for (int i = 0; i < n; ++i)
        out << record(i, 400 + i, 390 + i, 400 + i, 50 + i);
    return out;
}

class TstChartModel : public QObject {
    Q_OBJECT
private slots:
    void trendRows_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("none") << 0 << QList<int>{};
        QTest::newRow("one") << 1 << QList<int>{0};
        QTest::newRow("two") << 2 << QList<int>{0, 1};
        QTest::newRow("seven") << 7 << QList<int>{0, 1, 2, 3, 4, 5, 6};
        QTest::newRow("eight: second-oldest left out") << 8 << QList<int>{0, 2, 3, 4, 5, 6, 7};
        QTest::newRow("twenty") << 20 << QList<int>{0, 14, 15, 16, 17, 18, 19};
    }
    void trendRows()
    {
        QFETCH(int, n);
        QFETCH(QList<int>, rows);
        QCOMPARE(trendRowIndices(n), rows);
    }

    void comparisonRows_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("none") << 0 << QList<int>{};
        QTest::newRow("three") << 3 << QList<int>{0, 1, 2};
        QTest::newRow("seven") << 7 << QList<int>{0, 1, 2, 3, 4, 5, 6};
        QTest::newRow("ten: seven newest") << 10 << QList<int>{3, 4, 5, 6, 7, 8, 9};
    }
    void comparisonRows()
    {
        QFETCH(int, n);
        QFETCH(QList<int>, rows);
        QCOMPARE(comparisonRowIndices(n), rows);
    }

    void inverseValues_data()
    {
        QTest::addColumn<QVariant>("r");
        QTest::addColumn<double>("expected");
        QTest::newRow("500") << QVariant(500) << 0.001999999996;
        QTest::newRow("480") << QVariant(480) << 0.002083333329;
        QTest::newRow("text from the engine") << QVariant(QStringLiteral("250")) << 0.003999999984;
        QTest::newRow("zero gives no bar") << QVariant(0) << 0.0;
        QTest::newRow("null gives no bar") << QVariant(QMetaType(QMetaType::Int)) << 0.0;
    }
    void inverseValues()
    {
        QFETCH(QVariant, r);
        QFETCH(double, expected);
        const double v = inverseResistance(r);
        QVERIFY2(qAbs(v - expected) < 5e-13, qPrintable(QString::number(v, 'g', 17)));
        if (expected != 0.0) // the addend is part of every value, at full precision
            QCOMPARE(v, 1.0 / (r.toDouble() + 0.000001));
    }

    void inverseChartRows_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<int>>("days"); // day offsets of the filled rows
        QTest::newRow("one") << 1 << QList<int>{0};
        QTest::newRow("seven") << 7 << QList<int>{0, 1, 2, 3, 4, 5, 6};
        QTest::newRow("eight") << 8 << QList<int>{0, 2, 3, 4, 5, 6, 7};
    }
    void inverseChartRows()
    {
        QFETCH(int, n);
        QFETCH(QList<int>, days);
        const ChartData c = inverseRChart(records(n));
        QCOMPARE(c.rows, 7);
        QCOMPARE(c.columns(), 2);
        QCOMPARE(c.colours, (QList<QColor>{kFirstSeriesColour, kSecondSeriesColour}));
        QCOMPARE(c.colours[0], QColor(Qt::red));
        QVERIFY(c.colours[1].green() > 0 && c.colours[1].red() == 0 && c.colours[1].blue() == 0);
        for (int row = 0; row < 7; ++row) {
            if (row < days.size()) {
                const int d = days[row];
                QCOMPARE(c.labels[row], germanDate(QDate(2026, 1, 1).addDays(d)));
                QCOMPARE(c.value(0, row), std::optional<double>(1.0 / (400 + d + 0.000001)));
                QCOMPARE(c.value(1, row), std::optional<double>(1.0 / (390 + d + 0.000001)));
            } else {
                QVERIFY(c.labels[row].isEmpty());
                QVERIFY(!c.value(0, row) && !c.value(1, row));
            }
        }
    }

    void secondValueMissing()
    {
        const QVariant null(QMetaType(QMetaType::Int));
        const ChartData c =
            inverseRChart({record(0, 500, 0), record(1, 500, null), record(2, null, 480), record(3, 0, 480)});
        QCOMPARE(c.value(1, 0), std::optional<double>(0.0));
        QCOMPARE(c.value(1, 1), std::optional<double>(0.0));
        QCOMPARE(c.value(0, 2), std::optional<double>(0.0));
        QCOMPARE(c.value(0, 3), std::optional<double>(0.0));
        QCOMPARE(c.value(1, 3), std::optional<double>(1.0 / (480 + 0.000001)));
    }

    void trendLine_data()
    {
        QTest::addColumn<Column>("column");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<double>("slope");
        QTest::addColumn<double>("intercept");
        QTest::addColumn<int>("lastRow");
        // By hand: mean x 1, mean y 2, Sxy 1, Sxx 2 -> slope 0.5, intercept 1.5.
        QTest::newRow("three points") << Column{1.0, 3.0, 2.0, {}, {}, {}, {}} << true << 0.5 << 1.5 << 2;
        // Rows without a value take no part: (0, 2), (2, 4).
        QTest::newRow("gap") << Column{2.0, {}, 4.0} << true << 1.0 << 2.0 << 2;
        // x 0..6, y = 7 - 2x exactly.
        QTest::newRow("falling, seven") << Column{7.0, 5.0, 3.0, 1.0, -1.0, -3.0, -5.0} << true << -2.0 << 7.0 << 6;
        // (0,0.002) (1,0.001) (2,0) (3,0.003): mean x 1.5, mean y 0.0015, Sxy 0.001, Sxx 5.
        QTest::newRow("zero bar counts") << Column{0.002, 0.001, 0.0, 0.003} << true << 0.0002 << 0.0012 << 3;
        QTest::newRow("flat") << Column{4.0, 4.0, 4.0} << true << 0.0 << 4.0 << 2;
        QTest::newRow("single point") << Column{4.0, {}, {}} << false << 0.0 << 0.0 << 0;
        QTest::newRow("empty") << Column(7) << false << 0.0 << 0.0 << 0;
    }
    void trendLine()
    {
        QFETCH(Column, column);
        QFETCH(bool, exists);
        QFETCH(double, slope);
        QFETCH(double, intercept);
        QFETCH(int, lastRow);
        const auto t = leastSquares(column);
        QCOMPARE(t.has_value(), exists);
        if (!exists)
            return;
        QVERIFY2(qAbs(t->slope - slope) < 1e-12, qPrintable(QString::number(t->slope, 'g', 17)));
        QVERIFY2(qAbs(t->intercept - intercept) < 1e-12, qPrintable(QString::number(t->intercept, 'g', 17)));
        QCOMPARE(t->firstRow, 0);
        QCOMPARE(t->lastRow, lastRow);
    }

    void inverseChartHasTrendPerSeries()
    {
        const ChartData c = inverseRChart({record(0, 500, 480), record(1, 250, 0)});
        QCOMPARE(c.trends.size(), 2);
        const double a = 1.0 / 500.000001, b = 1.0 / 250.000001;
        QVERIFY(qAbs(c.trends[0]->slope - (b - a)) < 1e-15);
        QVERIFY(qAbs(c.trends[0]->intercept - a) < 1e-15);
        QVERIFY(qAbs(c.trends[1]->slope + 1.0 / 480.000001) < 1e-15);
        QVERIFY(!inverseRChart({record(0, 500, 480)}).trends[0]);
    }

    void xcChart()
    {
        ChartData c = preparedChart(1);
        fillXcRChart({record(0, 1, 1, 500, 60), record(1, 1, 1, 400, 48)}, c);
        QCOMPARE(c.value(0, 0), std::optional<double>(0.12));
        QCOMPARE(c.value(0, 1), std::optional<double>(0.12));
        QVERIFY(!c.value(0, 2));
        QVERIFY(c.trends.isEmpty());
        QCOMPARE(c.colours, QList<QColor>{kFirstSeriesColour});
    }

    void xcChartStopsAtBadRecord_data()
    {
        QTest::addColumn<QVariant>("w50");
        QTest::addColumn<QVariant>("xc50");
        QTest::addColumn<int>("error");
        const QVariant null(QMetaType(QMetaType::Int));
        QTest::newRow("empty W50") << null << QVariant(60) << 94;
        QTest::newRow("empty Xc50") << QVariant(500) << null << 94;
        QTest::newRow("W50 zero") << QVariant(0) << QVariant(60) << 11;
        QTest::newRow("both zero") << QVariant(0) << QVariant(0) << 6;
    }
    void xcChartStopsAtBadRecord()
    {
        QFETCH(QVariant, w50);
        QFETCH(QVariant, xc50);
        QFETCH(int, error);
        ChartData c = preparedChart(1);
        try {
            fillXcRChart({record(0, 1, 1, 500, 60), record(1, 1, 1, w50, xc50), record(2, 1, 1, 500, 60)}, c);
            QFAIL("no error");
        } catch (const KavioError &e) {
            QCOMPARE(e.number(), error);
        }
        QCOMPARE(c.value(0, 0), std::optional<double>(0.12));
        QVERIFY(!c.value(0, 1));
        QVERIFY(!c.value(0, 2));
    }

    void comparison_data()
    {
        QTest::addColumn<int>("quantity");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("firstDay");
        QTest::newRow("1/R, three") << int(ComparisonQuantity::InverseR) << 3 << 0;
        QTest::newRow("1/R, ten") << int(ComparisonQuantity::InverseR) << 10 << 3;
        QTest::newRow("Xc/R, ten") << int(ComparisonQuantity::XcR) << 10 << 3;
    }
    void comparison()
    {
        QFETCH(int, quantity);
        QFETCH(int, n);
        QFETCH(int, firstDay);
        const auto q = ComparisonQuantity(quantity);
        const ChartData c = comparisonChart(records(n), q);
        QCOMPARE(c.columns(), 1);
        QVERIFY(c.trends.isEmpty());
        const int filled = qMin(n, 7);
        for (int row = 0; row < 7; ++row) {
            if (row < filled) {
                const int d = firstDay + row;
                QCOMPARE(c.labels[row], germanDate(QDate(2026, 1, 1).addDays(d)));
                const double expected = q == ComparisonQuantity::InverseR ? 1.0 / (400 + d) : (50.0 + d) / (400 + d);
                QCOMPARE(c.value(0, row), std::optional<double>(expected));
            } else {
                QCOMPARE(c.labels[row], QString());
                QCOMPARE(c.value(0, row), std::optional<double>(0.0));
            }
        }
    }

    void comparisonWithoutW50()
    {
        const QVariant null(QMetaType(QMetaType::Int));
        for (auto q : {ComparisonQuantity::InverseR, ComparisonQuantity::XcR}) {
            const ChartData c = comparisonChart({record(0, 1, 1, 0, 60), record(1, 1, 1, null, 60)}, q);
            QCOMPARE(c.value(0, 0), std::optional<double>(0.0));
            QCOMPARE(c.value(0, 1), std::optional<double>(0.0));
            QVERIFY(!c.labels[1].isEmpty());
        }
    }

    void comparisonAxis_data()
    {
        QTest::addColumn<int>("quantity");
        QTest::addColumn<int>("minW50");
        QTest::addColumn<bool>("fixed");
        QTest::addColumn<double>("maximum");
        QTest::newRow("1/R, 395") << int(ComparisonQuantity::InverseR) << 395 << true << 1.0 / 395;
        QTest::newRow("1/R, zero: automatic") << int(ComparisonQuantity::InverseR) << 0 << false << 0.0;
        QTest::newRow("1/R, negative: automatic") << int(ComparisonQuantity::InverseR) << -5 << false << 0.0;
        QTest::newRow("Xc/R") << int(ComparisonQuantity::XcR) << 395 << true << 0.16;
        QTest::newRow("Xc/R, zero") << int(ComparisonQuantity::XcR) << 0 << true << 0.16;
    }
    void comparisonAxis()
    {
        QFETCH(int, quantity);
        QFETCH(int, minW50);
        QFETCH(bool, fixed);
        QFETCH(double, maximum);
        const auto m = comparisonAxisMaximum(ComparisonQuantity(quantity), minW50);
        QCOMPARE(m.has_value(), fixed);
        if (fixed)
            QCOMPARE(*m, maximum);
    }

    // Reading through the real statements: the field chosen, order by date and time.
    void readFromDatabase_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("rN");
        QTest::newRow("R5") << QStringLiteral("W5") << 610 << 600;
        QTest::newRow("R50") << QStringLiteral("W50") << 510 << 500;
        QTest::newRow("R100") << QStringLiteral("W100") << 410 << 400;
    }
    void readFromDatabase()
    {
        QFETCH(QString, field);
        QFETCH(int, r);
        QFETCH(int, rN);
        test::TestBed tb;
        const qint64 p = tb.addPerson(QStringLiteral("Muster"), QStringLiteral("Anna"));
        const qint64 other = tb.addPerson(QStringLiteral("Anders"), QStringLiteral("Bea"));
        const QDate day(2026, 3, 4);
        // Inserted out of order: the later time of the day first, the older day last.
        tb.addMeasurement(QStringLiteral("ArmLi"), p, day, QStringLiteral("14:00:00"), 611, 511, 411, 71, 61, 41, 601,
                          501, 401);
        tb.addMeasurement(QStringLiteral("ArmLi"), p, day, QStringLiteral("09:30:00"), 610, 510, 410, 70, 60, 40, 600,
                          500, 400);
        tb.addMeasurement(QStringLiteral("ArmLi"), other, day, QStringLiteral("08:00:00"), 1, 1, 1, 1, 1, 1);
        tb.addMeasurement(QStringLiteral("ArmLi"), p, day.addDays(-10), QStringLiteral("18:00:00"), 1, 2, 3, 4, 5, 6);

        DbConnection db = DbConnection::open(tb.segmentePath());
        QSqlQuery q = db.exec(sql::trendRows(QStringLiteral("ArmLi")), {p});
        const QList<ChartRecord> recs = readChartRecords(q, field);
        QCOMPARE(recs.size(), 3);
        QCOMPARE(recs[0].datum, day.addDays(-10));
        QCOMPARE(recs[1].datum, day);
        QCOMPARE(recs[1].r.toInt(), r);
        QCOMPARE(recs[1].rN.toInt(), rN);
        QCOMPARE(recs[2].r.toInt(), r + 1);
        // Xc/R always reads the 50 kHz values, whichever field the 1/R chart uses.
        QCOMPARE(recs[1].w50.toInt(), 510);
        QCOMPARE(recs[1].xc50.toInt(), 60);
        QVERIFY(recs[0].rN.isNull());
        const ChartData c = inverseRChart(recs);
        QCOMPARE(c.labels.mid(0, 4), (QStringList{QStringLiteral("22.02.2026"), QStringLiteral("04.03.2026"),
                                                  QStringLiteral("04.03.2026"), QString()}));
    }

    void clearedAndPrepared()
    {
        const ChartData cleared = clearedChart();
        QCOMPARE(cleared.rows, 1);
        QCOMPARE(cleared.columns(), 1);
        QCOMPARE(cleared.value(0, 0), std::optional<double>(0.0));
        for (int cols : {1, 2}) {
            const ChartData p = preparedChart(cols);
            QCOMPARE(p.rows, 7);
            QCOMPARE(p.columns(), cols);
            QCOMPARE(p.barGap, -0.25);
            QVERIFY(!p.axisMaximum);
            for (const auto &col : p.cells)
                QCOMPARE(col.count(std::nullopt), 7);
        }
    }
};

QTEST_GUILESS_MAIN(TstChartModel)
#include "tst_chartmodel.moc"
