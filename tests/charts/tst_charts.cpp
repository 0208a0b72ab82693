// Chart rules, the trend charts, the left/right comparison window, and their printed pages.
#include "app/Conversions.h"
#include "charts/ChartModel.h"
#include "charts/ChartView.h"
#include "charts/frmVergleichLinksRechts.h"
#include "db/Database.h"
#include "db/Statements.h"
#include "TestBed.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

#include <functional>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTest>
#include <QValueAxis>

using namespace kavio;
using namespace kavio::charts;
using namespace kavio::test;
using Column = QList<std::optional<double>>;

namespace {

// What a chart view shows, read back from its chart.
struct ShownChart {
    QStringList labels;        // category labels, trailing blanks removed
    QList<QList<double>> sets; // bar values per set
    QList<QColor> colours;
    QList<QLineF> lines; // trend lines
    double axisMin = 0, axisMax = 0;
    bool linesOnBarAxes = true;
};

ShownChart inspect(QChartView *view)
{
    ShownChart s;
    QList<QAbstractAxis *> barAxes;
    for (QAbstractSeries *series : view->chart()->series())
        if (auto *bars = qobject_cast<QBarSeries *>(series)) {
            barAxes = bars->attachedAxes();
            for (QBarSet *set : bars->barSets()) {
                s.sets.append(QList<double>());
                for (int i = 0; i < set->count(); ++i)
                    s.sets.last() << set->at(i);
                s.colours << set->color();
            }
        } else if (auto *line = qobject_cast<QLineSeries *>(series)) {
            s.lines << QLineF(line->at(0), line->at(line->count() - 1));
            for (QAbstractAxis *a : line->attachedAxes())
                s.linesOnBarAxes = s.linesOnBarAxes && barAxes.contains(a); // the bars come first
        }
    for (QAbstractAxis *axis : view->chart()->axes()) {
        if (auto *cat = qobject_cast<QBarCategoryAxis *>(axis))
            for (const QString &c : cat->categories())
                s.labels << c.trimmed();
        if (auto *val = qobject_cast<QValueAxis *>(axis))
            std::tie(s.axisMin, s.axisMax) = std::pair(val->min(), val->max());
    }
    return s;
}

// Records every message with what the windows show at that moment; answers No.
struct SnapshotMessages final : Messages {
    struct Shown {
        QString text;
        MsgIcon icon;
        QString state;
        QList<ShownChart> charts;
    };
    void show(const QString &text, MsgIcon icon, const QString &) override
    {
        shown.append({text, icon, state ? state() : QString(), {}});
        for (QChartView *view : charts ? charts() : QList<QChartView *>{})
            shown.last().charts << inspect(view);
    }
    bool ask(const QString &text, MsgIcon icon, const QString &title) override
    {
        show(text, icon, title);
        return false;
    }
    QStringList texts() const
    {
        QStringList t;
        for (const auto &s : shown)
            t << s.text;
        return t;
    }
    std::function<QString()> state;
    std::function<QList<QChartView *>()> charts;
    QList<Shown> shown;
};

// The first page of a PDF as pdftotext -bbox reads it, in twips (the tool's points times
// 20), with the PDF printer's printable area for the page's orientation.
struct PdfPage {
    QString path;
    QSizeF size, printable;
    QPointF origin;                          // top left of the printable area on the page
    QList<std::pair<QString, QRectF>> words; // boxes from the page's top left

    explicit PdfPage(const QString &pdfPath) : path(pdfPath)
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {"-bbox", "-l", "1", path, "-"});
        p.waitForFinished(60000);
        static const QRegularExpression re(QStringLiteral(R"x(<(page|word) (?:xMin="([\d.]+)" yMin="([\d.]+)" )?)x"
                                                          R"x((?:width|xMax)="([\d.]+)" (?:height|yMax)="([\d.]+)">)x"
                                                          R"x(([^<]*))x"));
        for (auto it = re.globalMatch(QString::fromUtf8(p.readAllStandardOutput())); it.hasNext();) {
            const auto m = it.next();
            const auto at = [&](int i) { return m.captured(i).toDouble() * 20; };
            if (m.captured(1) == QLatin1String("page"))
                size = QSizeF(at(4), at(5));
            else
                words.append({m.captured(6), QRectF(QPointF(at(2), at(3)), QPointF(at(4), at(5)))});
        }
        // The PDF printer's margins are the same on opposite sides.
        QTemporaryDir dir;
        QtPrinter probe(dir.filePath(QStringLiteral("probe.pdf")));
        probe.begin(size.width() > size.height() ? QPageLayout::Landscape : QPageLayout::Portrait);
        printable = probe.printableSize();
        probe.end();
        origin = QPointF(size.width() - printable.width(), size.height() - printable.height()) / 2;
    }

    // The box (from the printable area's top left) of the first words on one line reading `text`.
    QRectF line(const QString &text) const
    {
        const QStringList parts = text.split(QLatin1Char(' '));
        for (int i = 0; i + parts.size() <= words.size(); ++i) {
            QRectF box = words[i].second;
            for (int k = 0; k < parts.size() && !box.isNull(); ++k)
                box = words[i + k].first == parts[k] && qAbs(words[i + k].second.top() - box.top()) < 40
                          ? box.united(words[i + k].second)
                          : QRectF();
            if (!box.isNull())
                return box.translated(-origin);
        }
        return {};
    }

    // Empty when the page, rendered by pdftoppm at 10 twips a pixel, shows `colour` filling
    // `want` (twips of the printable area) to within two points; otherwise where it does.
    QString fillMismatch(const QRectF &want, const QColor &colour) const
    {
        QTemporaryDir dir;
        QProcess::execute(QStringLiteral("pdftoppm"),
                          {"-r", "144", "-l", "1", "-singlefile", "-png", path, dir.filePath("page")});
        const QImage image(dir.filePath(QStringLiteral("page.png")));
        const QRectF near = want.translated(origin).adjusted(-300, -300, 300, 300);
        QRect got;
        for (int y = qMax(0, int(near.top() / 10)); y < qMin(image.height(), int(near.bottom() / 10)); ++y)
            for (int x = qMax(0, int(near.left() / 10)); x < qMin(image.width(), int(near.right() / 10)); ++x) {
                if (image.pixel(x, y) == colour.rgb())
                    got |= QRect(x, y, 1, 1);
            }
        const QRectF found = QRectF(QRectF(got).topLeft() * 10, QRectF(got).size() * 10).translated(-origin);
        const QLineF tl(found.topLeft(), want.topLeft()), br(found.bottomRight(), want.bottomRight());
        if (!got.isNull() && qMax(qAbs(tl.dx()), qAbs(tl.dy())) < 40 && qMax(qAbs(br.dx()), qAbs(br.dy())) < 40)
            return {};
        QString text;
        QDebug(&text) << "fill at" << found;
        return text;
    }
};

ChartRecord record(int day, const QVariant &r, const QVariant &rN, const QVariant &w50, const QVariant &xc50)
{
    return {QDate(2026, 1, 1).addDays(day), r, rN, w50, xc50};
}

const QVariant null(QMetaType(QMetaType::Int));

} // namespace

class TstCharts : public QObject {
    Q_OBJECT

    std::unique_ptr<TestBed> tb;
    SnapshotMessages msgs;
    std::unique_ptr<frmMain> w;
    qint64 person = 0;

    Ui::frmMain &ui() { return w->form(); }

    // Value frame, chart, one-or-two frame, legend, date field shown, and caption: "01011 1/R".
    QString state()
    {
        QString s;
        for (QWidget *x : QList<QWidget *>{ui().FraMesswerte, ui().MSChart, ui().fraEinoderZwei,
                                           ui().fraLegende_Widerstand, ui().txtTestDatum})
            s += x->isHidden() ? u'0' : u'1';
        return s + u' ' + ui().lbl1durchR->text();
    }

    // Day d from 1 Jan 2026: W5 w50+100+d, W50 w50+d, Xc50 60+d, second values 10 less.
    void addDays(const QString &segment, int n, int w50 = 500, qint64 fktn = 0)
    {
        for (int d = 0; d < n; ++d)
            tb->addMeasurement(segment, fktn ? fktn : person, QDate(2026, 1, 1).addDays(d), QStringLiteral("10:00:00"),
                               w50 + 100 + d, w50 + d, w50 - 100 + d, 70, 60 + d, 50, w50 + 90 + d, w50 - 10 + d);
    }

    // The main window (new the first time) as the selection leaves it: person shown, segment chosen.
    void choose(const QString &segment)
    {
        if (!w) {
            w = std::make_unique<frmMain>(tb->platform);
            w->resize(1046, 640);
            msgs.shown.clear();
            for (QWidget *x : QList<QWidget *>{ui().FraMesswerte, ui().fraEinoderZwei, ui().txtTestDatum})
                x->setVisible(true);
        }
        w->strSegment = segment;
        ui().txtFKTN->setText(QString::number(person));
        ui().LBL_Top_Name->setText(QStringLiteral("Musterfrau"));
        ui().LBL_Top_Vorname->setText(QStringLiteral("Erika"));
        ui().LBL_Top_GebDat->setText(QStringLiteral("17.05.1960"));
        ui().lblSegmentAktuell->setText(QStringLiteral("Bein Rechts"));
    }

    void click(const QString &button) { w->findChild<QPushButton *>(button)->click(); }

    // The comparison window opened for the segment, when exactly one shows.
    frmVergleichLinksRechts *compare(const QString &segment)
    {
        choose(segment);
        ui().cmdOpenVergleichsFormular->click();
        const auto windows = w->findChildren<frmVergleichLinksRechts *>();
        return windows.size() == 1 && windows[0]->isVisible() ? windows[0] : nullptr;
    }

private slots:
    void init()
    {
        tb = std::make_unique<TestBed>();
        tb->platform.messages = &msgs;
        msgs.state = [this] { return w ? state() : QString(); };
        msgs.charts = [this] {
            auto *c = w ? w->findChild<frmVergleichLinksRechts *>() : nullptr;
            return c   ? QList<QChartView *>{c->MSChartLinks, c->MSChartRechts}
                   : w ? QList<QChartView *>{ui().MSChart}
                       : QList<QChartView *>{};
        };
        person = tb->addPerson(QStringLiteral("Musterfrau"), QStringLiteral("Erika"));
    }
    void cleanup()
    {
        w.reset(); // takes its comparison window along
        tb.reset();
    }

    // The oldest, then the six newest; a comparison the seven newest.
    void rowIndices()
    {
        QCOMPARE(trendRowIndices(1), QList<int>{0});
        QCOMPARE(trendRowIndices(7), (QList<int>{0, 1, 2, 3, 4, 5, 6}));
        QCOMPARE(trendRowIndices(8), (QList<int>{0, 2, 3, 4, 5, 6, 7}));
        QCOMPARE(comparisonRowIndices(8), (QList<int>{1, 2, 3, 4, 5, 6, 7}));
    }

    // By hand for (0, 1), (1, 3), (2, 2): mean x 1, mean y 2, Sxy 1, Sxx 2. A gap is passed
    // over; a bar of 0 counts: mean x 1.5, mean y 0.0015, Sxy 0.001, Sxx 5.
    void trendLine()
    {
        const auto is = [](const std::optional<TrendLine> &t, double slope, double intercept) {
            return t && qAbs(t->slope - slope) < 1e-12 && qAbs(t->intercept - intercept) < 1e-12;
        };
        QVERIFY(is(leastSquares({1.0, 3.0, 2.0, {}, {}, {}, {}}), 0.5, 1.5));
        QVERIFY(is(leastSquares({2.0, {}, 4.0}), 1.0, 2.0));
        QVERIFY(is(leastSquares({0.002, 0.001, 0.0, 0.003}), 0.0002, 0.0012));
        QVERIFY(!leastSquares({4.0, {}, {}}));
    }

    // W50 500, W50N 480, Xc50 60: 1 / (R + 0.000001) at full precision, Xc/R 0.12; no R gives
    // 0. A comparison day without W50 gives 0, a smallest W50 of 0 an automatic axis.
    void workedExample()
    {
        const ChartData c = inverseRChart({record(0, 500, 480, 500, 60), record(1, 250, null, 250, 60)});
        QCOMPARE(c.cells[0].mid(0, 2), (Column{1 / (500 + 0.000001), 1 / (250 + 0.000001)}));
        QCOMPARE(c.cells[1].mid(0, 2), (Column{1 / (480 + 0.000001), 0.0}));
        ChartData xc = preparedChart(1);
        fillXcRChart({record(0, 500, 480, 500, 60)}, xc);
        QCOMPARE(*xc.cells[0][0], 0.12);
        const ChartData cmp =
            comparisonChart({record(0, 1, 1, 0, 60), record(1, 1, 1, null, 60)}, ComparisonQuantity::InverseR);
        QCOMPARE(cmp.cells[0].mid(0, 2), (Column{0.0, 0.0}));
        QCOMPARE(comparisonAxisMaximum(ComparisonQuantity::InverseR, 0), std::nullopt);
    }

    // Through the real statement: one person's rows, by date and time of day; "R5" reads
    // W5 and W5N, Xc/R the 50 kHz values whatever the field.
    void readFromDatabase()
    {
        const qint64 other = tb->addPerson(QStringLiteral("Anders"), QStringLiteral("Bea"));
        const QDate day(2026, 3, 4);
        const QString arm = QStringLiteral("ArmLi");
        tb->addMeasurement(arm, person, day, QStringLiteral("14:00:00"), 611, 511, 411, 71, 61, 41, 601, 501, 401);
        tb->addMeasurement(arm, person, day, QStringLiteral("09:30:00"), 610, 510, 410, 70, 60, 40, 600, 500, 400);
        tb->addMeasurement(arm, other, day, QStringLiteral("08:00:00"), 1, 1, 1, 1, 1, 1);
        tb->addMeasurement(arm, person, day.addDays(-10), QStringLiteral("18:00:00"), 1, 2, 3, 4, 5, 6);
        DbConnection db = DbConnection::open(tb->segmentePath());
        QSqlQuery q = db.exec(sql::trendRows(arm), {person});
        const QList<ChartRecord> recs = readChartRecords(q, QStringLiteral("W5"));
        QCOMPARE(recs.size(), 3);
        QCOMPARE((QVariantList{recs[0].r, recs[1].r, recs[1].rN, recs[1].w50, recs[1].xc50, recs[2].r}),
                 (QVariantList{1, 610, 600, 510, 60, 611}));
    }

    // No segment: nothing changes. No records: the steps done before the message show.
    void withoutChart_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("segment");
        QTest::addColumn<QString>("state"); // at the message; empty: as before
        QTest::newRow("no segment") << "cmdGraph" << QString() << QString();
        QTest::newRow("1/R, no data") << "cmdGraph" << QString("ArmLi") << "01011 1/R";
        QTest::newRow("Xc/R, no data") << "cmd_Xc_Graph" << QString("ArmLi") << "01010 Xc/R";
    }
    void withoutChart()
    {
        QFETCH(QString, button);
        QFETCH(QString, segment);
        QFETCH(QString, state);
        addDays(QStringLiteral("ArmRe"), 3); // another segment's records
        choose(segment);
        const QString before = this->state();
        click(button);
        QCOMPARE(msgs.texts(), QStringList{segment.isEmpty() ? QStringLiteral("Sie haben kein Segment ausgewählt!")
                                                             : QStringLiteral("Keine Daten")});
        QCOMPARE(msgs.shown[0].icon, segment.isEmpty() ? MsgIcon::Information : MsgIcon::None);
        QCOMPARE(msgs.shown[0].state, state.isEmpty() ? before : state);
        const int sets = button == QLatin1String("cmdGraph") && !segment.isEmpty() ? 2 : 1;
        const int rows = segment.isEmpty() ? 1 : 7; // a prepared chart of seven empty rows
        QCOMPARE(msgs.shown[0].charts[0].sets, QList<QList<double>>(sets, QList<double>(rows, 0.0)));
        QVERIFY(!w->bGraphGezeichnet);
    }

    // Eight days of R5: the oldest and the six newest, both measurements, trend lines on the bars' axes.
    void inverseChart()
    {
        addDays(QStringLiteral("ArmLi"), 8);
        choose(QStringLiteral("ArmLi"));
        w->strWFeld = QStringLiteral("W5");
        click(QStringLiteral("cmdGraph"));
        QVERIFY(msgs.shown.isEmpty() && w->bGraphGezeichnet);
        QCOMPARE(state(), QStringLiteral("01010 1/R"));
        const ShownChart c = inspect(ui().MSChart);
        QCOMPARE(c.colours, (QList<QColor>{QColor(255, 0, 0), QColor(0, 160, 0)}));
        const QList<int> days{0, 2, 3, 4, 5, 6, 7};
        for (int row = 0; row < 7; ++row) {
            QCOMPARE(c.labels[row], germanDate(QDate(2026, 1, 1).addDays(days[row])));
            QCOMPARE(c.sets[0][row], 1.0 / (600 + days[row] + 0.000001));
            QCOMPARE(c.sets[1][row], 1.0 / (590 + days[row] + 0.000001));
            QVERIFY(c.sets[0][row] <= c.axisMax && c.sets[1][row] <= c.axisMax && c.axisMin <= 0);
        }
        QVERIFY(c.lines.size() == 2 && c.linesOnBarAxes && c.lines[1].p2().x() == 6);
    }

    // A record without W50 stops the Xc/R chart with the rows before it; no printer is reported.
    void xcChartAndFailures()
    {
        tb->platform.printers = nullptr;
        addDays(QStringLiteral("ArmLi"), 1);
        tb->addMeasurement(QStringLiteral("ArmLi"), person, QDate(2026, 3, 1), QStringLiteral("10:00:00"), 600, 0, 400,
                           70, 60, 50);
        choose(QStringLiteral("ArmLi"));
        click(QStringLiteral("cmd_Xc_Graph"));
        QCOMPARE(inspect(ui().MSChart).sets[0].mid(0, 2), (QList<double>{60.0 / 500, 0.0}));
        QVERIFY(!w->bGraphGezeichnet);
        click(QStringLiteral("cmdGraph"));
        click(QStringLiteral("cmdPrintOut"));
        QCOMPARE(msgs.texts(), (QStringList{"Fehler11 (Division durch Null) in Prozedur Draw_Xc_Graph ",
                                            "Error 482 (Druckerfehler) in procedure PrintPictureToFitPage of "
                                            "Formular frmMain"}));
    }

    // Not ready: nothing printed. Then the page prints the person shown now, the legend of
    // the chart drawn in a font small enough for its longest line, and the chart fitted by
    // width (wide) or by height (tall), three quarters of that, from (3000, 2000).
    void printedPage_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QSize>("chartSize");
        QTest::addColumn<QStringList>("legend");
        QTest::newRow("1/R, wide") << "cmdGraph" << QSize(481, 321)
                                   << QStringList{"grüne Balken: nach Therapie", "rote Balken: vor Therapie",
                                                  "Die Balkenhöhe zeigt die prozentuale Wasserveränderung vor und "
                                                  "nach der Therapie."};
        QTest::newRow("Xc/R, tall") << "cmd_Xc_Graph" << QSize(160, 600)
                                    << QStringList{"Die Balkenhöhe zeigt den Index Xc/R auf und gibt indirekt "
                                                   "Auskunft über den Phasenwinkel"};
    }
    void printedPage()
    {
        QFETCH(QString, button);
        QFETCH(QSize, chartSize);
        QFETCH(QStringList, legend);
        addDays(QStringLiteral("ArmLi"), 4);
        choose(QStringLiteral("ArmLi"));
        click(QStringLiteral("cmdPrintOut")); // no chart yet
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("Keine Daten zum Druck vorhanden")});
        QVERIFY(!QFile::exists(tb->pdfPath()));
        msgs.shown.clear();
        click(button);
        ui().MSChart->resize(chartSize);
        ui().LBL_Top_Name->setText(QStringLiteral("Beispiel"));
        click(QStringLiteral("cmdPrintOut"));
        QVERIFY2(msgs.shown.isEmpty(), qPrintable(msgs.texts().join(QLatin1Char('\n'))));

        const PdfPage page(tb->pdfPath());
        QVERIFY(page.size.height() > page.size.width()); // portrait
        const QStringList lines =
            QStringList{"Name: Beispiel", "Vorname: Erika", "Geburtsdatum: 17.05.1960", "Segment: Bein Rechts"} +
            legend;
        const double lh = page.line(lines[1]).top() - page.line(lines[0]).top();
        QVERIFY2(lh > 150 && lh < 350, qPrintable(QString::number(lh)));
        // The credit line at y = 1000; eleven lines below it the header at x = 500, thirty-six
        // lines below it the legend at x = 3300, inside the printable width.
        const double top = page.line(QStringLiteral("Erstellt mit KavioSegment")).top();
        QVERIFY(qAbs(top - 1000) < 40);
        for (int i = 0; i < lines.size(); ++i) {
            const QRectF r = page.line(lines[i]);
            QVERIFY2(!r.isNull() && qAbs(r.left() - (i < 4 ? 500 : 3300)) < 40 &&
                         qAbs(r.top() - top - (i < 4 ? 11 + i : 32 + i) * lh) < 40 &&
                         r.right() <= page.printable.width(),
                     qPrintable(QStringLiteral("%1 at %2,%3").arg(lines[i]).arg(r.left()).arg(r.top())));
        }
        QCOMPARE(page.line(QStringLiteral("grüne Balken:")).isNull(), legend.size() == 1);
        // The plot area's background, mapped from the chart's own layout onto the page.
        const QSizeF size = QSizeF(chartSize).scaled(page.printable * 0.75, Qt::KeepAspectRatio);
        const QRectF plot = ui().MSChart->chart()->plotArea();
        const double sx = size.width() / chartSize.width(), sy = size.height() / chartSize.height();
        const QRectF want(3000 + plot.left() * sx, 2000 + plot.top() * sy, plot.width() * sx, plot.height() * sy);
        const QString mismatch = page.fillMismatch(want, kPlotBackground);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    // Either limb shows the pair, left limb on the left, both axes ending at 1 / the smallest W50.
    void pair_data()
    {
        QTest::addColumn<QString>("segment");
        QTest::addColumn<int>("left"); // index of the tables below
        QTest::newRow("ArmRe") << "ArmRe" << 0;
        QTest::newRow("ArmLi") << "ArmLi" << 0;
        QTest::newRow("BeinLi") << "BeinLi" << 2;
        QTest::newRow("BeinRe") << "BeinRe" << 2;
    }
    void pair()
    {
        QFETCH(QString, segment);
        QFETCH(int, left);
        const QStringList tables{"ArmLi", "ArmRe", "BeinLi", "BeinRe"};
        const QStringList limbs{"Arm links (1/R)", "Arm rechts (1/R)", "Bein links (1/R)", "Bein rechts (1/R)"};
        for (int i = 0; i < tables.size(); ++i) // each table its own W50
            addDays(tables[i], 2, 400 + 100 * i);
        frmVergleichLinksRechts *c = compare(segment);
        QVERIFY(c && msgs.shown.isEmpty());
        QCOMPARE(c->lblSegmentLinks->text() + u'|' + c->lblSegmentRechts->text(), limbs[left] + u'|' + limbs[left + 1]);
        const ShownChart l = inspect(c->MSChartLinks), r = inspect(c->MSChartRechts);
        const double smallest = 1.0 / (400 + 100 * left);
        QCOMPARE(QList<double>({l.sets[0][0], r.sets[0][0], l.axisMax, r.axisMax}),
                 QList<double>({smallest, 1.0 / (500 + 100 * left), smallest, smallest}));
    }

    // The seven newest days of one person, oldest first; the axis of the smaller side; Xc/R and back.
    void rowsAxisAndQuantity()
    {
        addDays(QStringLiteral("BeinLi"), 10, 410);
        addDays(QStringLiteral("BeinRe"), 3, 395);
        addDays(QStringLiteral("BeinRe"), 2, 100, tb->addPerson(QStringLiteral("Andere"), QStringLiteral("Ida")));
        frmVergleichLinksRechts *c = compare(QStringLiteral("BeinLi"));
        QVERIFY(c);
        const ShownChart l = inspect(c->MSChartLinks), r = inspect(c->MSChartRechts);
        for (int row = 0; row < 7; ++row) {
            QCOMPARE(l.labels[row], germanDate(QDate(2026, 1, 4).addDays(row)));
            QCOMPARE(l.sets[0][row], 1.0 / (413 + row));
            QCOMPARE(r.labels[row], row < 3 ? germanDate(QDate(2026, 1, 1).addDays(row)) : QString());
            QCOMPARE(r.sets[0][row], row < 3 ? 1.0 / (395 + row) : 0.0);
        }
        QCOMPARE(QList<double>({l.axisMin, l.axisMax, r.axisMax}), QList<double>({0.0, 1.0 / 395, 1.0 / 395}));
        c->optXC_durch_R->click();
        QCOMPARE(c->lblSegmentLinks->text() + u'|' + c->lblSegmentRechts->text(),
                 QStringLiteral("Bein links (Xc/R)|Bein rechts (Xc/R)"));
        QCOMPARE(inspect(c->MSChartLinks).sets[0][0], 63.0 / 413);
        QCOMPARE(inspect(c->MSChartRechts).axisMax, 0.16);
        c->optWiderstand->click();
        QCOMPARE(c->lblSegmentLinks->text(), QStringLiteral("Bein links (1/R)"));
        QCOMPARE(inspect(c->MSChartRechts).axisMax, 1.0 / 395);
        QVERIFY(msgs.shown.isEmpty());
    }

    // The right side is read first: with it empty the left chart is not even prepared.
    void closesItselfWithoutRecords_data()
    {
        QTest::addColumn<bool>("rightHasRecords");
        QTest::newRow("right table empty") << false;
        QTest::newRow("left table empty") << true;
    }
    void closesItselfWithoutRecords()
    {
        QFETCH(bool, rightHasRecords);
        addDays(rightHasRecords ? QStringLiteral("ArmRe") : QStringLiteral("ArmLi"), 2, 450);
        compare(QStringLiteral("ArmLi"));
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("Keine Daten vorhanden!")});
        QCOMPARE(msgs.shown[0].icon, MsgIcon::Information);
        QCOMPARE(msgs.shown[0].charts[0].sets[0], QList<double>(rightHasRecords ? 7 : 1, 0.0));
        QCOMPARE(msgs.shown[0].charts[1].sets[0][0], rightHasRecords ? 1.0 / 450 : 0.0);
        QTRY_VERIFY_WITH_TIMEOUT(!w->findChild<frmVergleichLinksRechts *>(), 2000);
    }

    // After a first drawing the window stays open whatever goes wrong; one window at a time.
    void comparisonFailuresAndReopening()
    {
        PdfPrinterFactory unwritable(tb->path(QStringLiteral("no/such/folder/print.pdf")));
        tb->platform.printers = &unwritable;
        addDays(QStringLiteral("ArmLi"), 2, 400);
        addDays(QStringLiteral("ArmRe"), 2, 400);
        QPointer<frmVergleichLinksRechts> c = compare(QStringLiteral("ArmLi"));
        QVERIFY(c);
        c->cmdPreview->click();
        QCOMPARE(msgs.texts(), QStringList{"Error 482 (Der Druckauftrag konnte nicht begonnen werden) in procedure "
                                           "cmdPreview_Click of Formular frmVergleichLinksRechts"});
        QVERIFY(!QFile::exists(tb->pdfPath()));
        QTest::qWait(100);
        QVERIFY(c && c->isVisible());

        c->optXC_durch_R->click();
        QCOMPARE(compare(QStringLiteral("ArmLi")), c.data()); // no second window, this one left as it was
        QVERIFY(c->optXC_durch_R->isChecked() && msgs.shown.size() == 1);
        c->cmdCloseForm->click();
        QTRY_VERIFY(c.isNull());
        QVERIFY(compare(QStringLiteral("ArmLi")));
    }

    // Landscape: the credit line one empty line below y = 1000, the heading centred and larger
    // two lines below, the captions on one line (right limb's at 1440, left limb's at half the
    // width) with the charts in their own size below, the person from y = 7000 at x = 1440.
    void comparisonPage()
    {
        addDays(QStringLiteral("ArmLi"), 5, 410);
        addDays(QStringLiteral("ArmRe"), 3, 395);
        frmVergleichLinksRechts *c = compare(QStringLiteral("ArmLi"));
        QVERIFY(c);
        c->cmdPreview->click();
        QVERIFY2(msgs.shown.isEmpty(), qPrintable(msgs.texts().join(QLatin1Char('\n'))));

        const PdfPage page(tb->pdfPath());
        QVERIFY(page.size.width() > page.size.height());
        const QRectF credit = page.line("Erstellt mit KavioSegment"), heading = page.line("Vergleich von Segmenten"),
                     name = page.line("Name: Musterfrau"), right = page.line("Arm rechts (1/R)");
        const double lh = page.line("Vorname: Erika").top() - name.top(), half = page.printable.width() / 2;
        QVERIFY(heading.height() > 1.2 * name.height() && heading.top() > credit.bottom() + 2 * lh);
        QVERIFY(qAbs(heading.center().x() - half) < 40 && right.top() > heading.bottom());
        const QList<std::tuple<QString, double, double>> at{{"Erstellt mit KavioSegment", credit.left(), 1000 + lh},
                                                            {"Arm rechts (1/R)", 1440, right.top()},
                                                            {"Arm links (1/R)", half, right.top()},
                                                            {"Name: Musterfrau", 1440, 7000},
                                                            {"Vorname: Erika", 1440, 7000 + lh},
                                                            {"Geburtsdatum: 17.05.1960", 1440, 7000 + 2 * lh}};
        for (const auto &[text, x, y] : at) {
            const QRectF r = page.line(text);
            QVERIFY2(qAbs(r.left() - x) < 40 && qAbs(r.top() - y) < 40, qPrintable(text));
        }
        for (const auto &[view, x] :
             {std::pair(c->MSChartRechts, 1440.0), std::pair(c->MSChartLinks, 13425.0 / 2 + 1440)}) {
            const QRectF plot = view->chart()->plotArea();
            const QString mismatch = page.fillMismatch(
                QRectF(QPointF(x, right.top() + lh) + plot.topLeft() * 15, plot.size() * 15), kPlotBackground);
            QVERIFY2(mismatch.isEmpty(), qPrintable(view->objectName() + u' ' + mismatch));
        }
    }
};

QTEST_MAIN(TstCharts)
#include "tst_charts.moc"
