// Chart rows, values, trend lines and axis rules, without any window.
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
static const QVariant null(QMetaType(QMetaType::Int));

static ChartRecord record(int day, const QVariant &r, const QVariant &rN = 0, const QVariant &w50 = 500,
                          const QVariant &xc50 = 60)
{
    return {QDate(2026, 1, 1).addDays(day), r, rN, w50, xc50};
}

class TstChartModel : public QObject {
    Q_OBJECT
private slots:
    void rowIndices_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<int>>("trend"); // the oldest, then the six newest
        QTest::addColumn<QList<int>>("comparison");
        QTest::newRow("none") << 0 << QList<int>{} << QList<int>{};
        QTest::newRow("one") << 1 << QList<int>{0} << QList<int>{0};
        QTest::newRow("seven") << 7 << QList<int>{0, 1, 2, 3, 4, 5, 6} << QList<int>{0, 1, 2, 3, 4, 5, 6};
        QTest::newRow("eight") << 8 << QList<int>{0, 2, 3, 4, 5, 6, 7} << QList<int>{1, 2, 3, 4, 5, 6, 7};
        QTest::newRow("twenty") << 20 << QList<int>{0, 14, 15, 16, 17, 18, 19}
                                << QList<int>{13, 14, 15, 16, 17, 18, 19};
    }
    void rowIndices()
    {
        QFETCH(int, n);
        QFETCH(QList<int>, trend);
        QFETCH(QList<int>, comparison);
        QCOMPARE(trendRowIndices(n), trend);
        QCOMPARE(comparisonRowIndices(n), comparison);
    }

    // 1 / (R + 0.000001) at full precision, also from text; either measurement missing
    // or 0 gives a bar of 0, which the trend line counts.
    void inverseChartValuesAndTrends()
    {
        const ChartData c = inverseRChart(
            {record(0, 500, 480), record(1, QStringLiteral("250"), 0), record(2, null, null), record(3, 0, 480)});
        QCOMPARE(c.colours, (QList<QColor>{QColor(255, 0, 0), QColor(0, 160, 0)}));
        QCOMPARE(c.cells[0].mid(0, 4), (Column{1 / (500 + 0.000001), 1 / (250 + 0.000001), 0.0, 0.0}));
        QCOMPARE(c.cells[1].mid(0, 4), (Column{1 / (480 + 0.000001), 0.0, 0.0, 1 / (480 + 0.000001)}));
        QVERIFY(qAbs(*c.cells[0][0] - 0.001999999996) < 5e-13);
        const ChartData two = inverseRChart({record(0, 500, 480), record(1, 250, 0)});
        QVERIFY(qAbs(two.trends[0]->slope - (1 / 250.000001 - 1 / 500.000001)) < 1e-15);
        QVERIFY(qAbs(two.trends[0]->intercept - 1 / 500.000001) < 1e-15);
        QVERIFY(qAbs(two.trends[1]->slope + 1 / 480.000001) < 1e-15);
        QVERIFY(!inverseRChart({record(0, 500, 480)}).trends[0]);
    }

    void trendLine_data()
    {
        QTest::addColumn<Column>("column");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<double>("slope");
        QTest::addColumn<double>("intercept");
        QTest::addColumn<int>("lastRow");
        // By hand: mean x 1, mean y 2, Sxy 1, Sxx 2.
        QTest::newRow("three points") << Column{1.0, 3.0, 2.0, {}, {}, {}, {}} << true << 0.5 << 1.5 << 2;
        QTest::newRow("gap: (0, 2), (2, 4)") << Column{2.0, {}, 4.0} << true << 1.0 << 2.0 << 2;
        QTest::newRow("falling, seven") << Column{7.0, 5.0, 3.0, 1.0, -1.0, -3.0, -5.0} << true << -2.0 << 7.0 << 6;
        // Mean x 1.5, mean y 0.0015, Sxy 0.001, Sxx 5.
        QTest::newRow("zero bar counts") << Column{0.002, 0.001, 0.0, 0.003} << true << 0.0002 << 0.0012 << 3;
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

    // Xc50 / W50; a bad record stops the chart with the rows before it filled.
    void xcChart_data()
    {
        QTest::addColumn<QVariant>("w50");
        QTest::addColumn<QVariant>("xc50");
        QTest::addColumn<int>("error");
        QTest::newRow("sound") << QVariant(400) << QVariant(48) << 0;
        QTest::newRow("empty W50") << null << QVariant(60) << 94;
        QTest::newRow("empty Xc50") << QVariant(500) << null << 94;
        QTest::newRow("W50 zero") << QVariant(0) << QVariant(60) << 11;
        QTest::newRow("both zero") << QVariant(0) << QVariant(0) << 6;
    }
    void xcChart()
    {
        QFETCH(QVariant, w50);
        QFETCH(QVariant, xc50);
        QFETCH(int, error);
        ChartData c = preparedChart(1);
        int thrown = 0;
        try {
            fillXcRChart({record(0, 1, 1, 500, 60), record(1, 1, 1, w50, xc50), record(2, 1, 1, 500, 60)}, c);
        } catch (const KavioError &e) {
            thrown = e.number();
        }
        QCOMPARE(thrown, error);
        QCOMPARE(c.cells[0].mid(0, 3), (error ? Column{0.12, {}, {}} : Column{0.12, 0.12, 0.12}));
        QVERIFY(c.trends.isEmpty());
    }

    // A day without W50 gives 0; the shared axis ends at 1 / smallest W50 (automatic
    // when that is not positive) or at 0.16.
    void comparisonRules()
    {
        for (auto q : {ComparisonQuantity::InverseR, ComparisonQuantity::XcR}) {
            const ChartData c = comparisonChart({record(0, 1, 1, 0, 60), record(1, 1, 1, null, 60)}, q);
            QCOMPARE(c.cells[0].mid(0, 2), (Column{0.0, 0.0}));
            QVERIFY(!c.labels[1].isEmpty());
            QCOMPARE(comparisonAxisMaximum(q, 0), q == ComparisonQuantity::XcR ? std::optional(0.16) : std::nullopt);
        }
        QCOMPARE(comparisonAxisMaximum(ComparisonQuantity::InverseR, 395), std::optional(1.0 / 395));
        QCOMPARE(comparisonAxisMaximum(ComparisonQuantity::InverseR, -5), std::nullopt);
        QCOMPARE(comparisonAxisMaximum(ComparisonQuantity::XcR, 395), std::optional(0.16));
    }

    // Through the real statement: one person's rows, by date and time of day.
    void readFromDatabase()
    {
        test::TestBed tb;
        const qint64 p = tb.addPerson(QStringLiteral("Muster"), QStringLiteral("Anna"));
        const qint64 other = tb.addPerson(QStringLiteral("Anders"), QStringLiteral("Bea"));
        const QDate day(2026, 3, 4);
        const QString arm = QStringLiteral("ArmLi");
        tb.addMeasurement(arm, p, day, QStringLiteral("14:00:00"), 611, 511, 411, 71, 61, 41, 601, 501, 401);
        tb.addMeasurement(arm, p, day, QStringLiteral("09:30:00"), 610, 510, 410, 70, 60, 40, 600, 500, 400);
        tb.addMeasurement(arm, other, day, QStringLiteral("08:00:00"), 1, 1, 1, 1, 1, 1);
        tb.addMeasurement(arm, p, day.addDays(-10), QStringLiteral("18:00:00"), 1, 2, 3, 4, 5, 6);
        DbConnection db = DbConnection::open(tb.segmentePath());
        QSqlQuery q = db.exec(sql::trendRows(arm), {p});
        const QList<ChartRecord> recs = readChartRecords(q, QStringLiteral("W5"));
        QCOMPARE(recs.size(), 3);
        QCOMPARE(recs[0].datum, day.addDays(-10));
        QVERIFY(recs[0].rN.isNull());
        QCOMPARE((QVariantList{recs[1].r, recs[1].rN, recs[1].w50, recs[1].xc50, recs[2].r}),
                 (QVariantList{610, 600, 510, 60, 611})); // Xc/R reads the 50 kHz values whatever the field
    }
};

QTEST_GUILESS_MAIN(TstChartModel)
#include "tst_chartmodel.moc"
