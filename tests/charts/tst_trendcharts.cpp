// The trend charts on the main window and the chart page, as the operator uses them.
#include "app/Conversions.h"
#include "ChartInspection.h"
#include "charts/ChartModel.h"
#include "charts/ChartView.h"
#include "PdfReadBack.h"
#include "platform/Printer.h"
#include "TestBed.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

// Print jobs that cannot be finished.
class UnfinishedJobs final : public PrinterFactory {
    struct Job final : Printer {
        QImage image{100, 100, QImage::Format_RGB32};
        QPainter painter;
        QPainter *begin(QPageLayout::Orientation) override { return painter.begin(&image) ? &painter : nullptr; }
        QSizeF printableSize() const override { return {11000, 16000}; }
        bool end() override { return !painter.end(); }
        QString errorText() const override
        {
            return QStringLiteral("Der Druckauftrag konnte nicht abgeschlossen werden");
        }
    };

public:
    Printer *create() override { return new Job; }
};

constexpr double kTolerance = 40; // twips, two points

} // namespace

class TstTrendCharts : public QObject {
    Q_OBJECT

    std::unique_ptr<TestBed> tb;
    SnapshotMessages msgs;
    std::unique_ptr<frmMain> w;
    qint64 person = 0;

    Ui::frmMain &ui() { return w->form(); }

    // Which of value frame, chart, one-or-two frame, legend and date field show, and the
    // quantity caption: "01011 1/R".
    QString state()
    {
        QString s;
        for (QWidget *x : QList<QWidget *>{ui().FraMesswerte, ui().MSChart, ui().fraEinoderZwei,
                                           ui().fraLegende_Widerstand, ui().txtTestDatum})
            s += x->isHidden() ? u'0' : u'1';
        return s + u' ' + ui().lbl1durchR->text();
    }

    void newWindow()
    {
        w.reset();
        w = std::make_unique<frmMain>(tb->platform);
        w->resize(1046, 640);
        msgs.shown.clear();
    }

    // The state the selection leaves behind: a person shown, a segment chosen.
    void choose(qint64 fktn, const QString &segment)
    {
        w->strSegment = segment;
        ui().txtFKTN->setText(QString::number(fktn));
        ui().LBL_Top_Name->setText(QStringLiteral("Musterfrau"));
        ui().LBL_Top_Vorname->setText(QStringLiteral("Erika"));
        ui().LBL_Top_GebDat->setText(QStringLiteral("17.05.1960"));
        ui().lblSegmentAktuell->setText(QStringLiteral("Arm Links"));
        for (QWidget *x : QList<QWidget *>{ui().FraMesswerte, ui().fraEinoderZwei, ui().txtTestDatum, ui().cmdGraph,
                                           ui().cmd_Xc_Graph, ui().cmdPrintOut})
            x->setVisible(true);
    }

    // Day d of the series: W5 600+d, W50 500+d, W100 400+d, Xc50 60+d, second values 10 less.
    void addDays(const QString &segment, int n)
    {
        for (int d = 0; d < n; ++d)
            tb->addMeasurement(segment, person, QDate(2026, 1, 1).addDays(d), QStringLiteral("10:00:00"), 600 + d,
                               500 + d, 400 + d, 70, 60 + d, 50, 590 + d, 490 + d, 390 + d);
    }

    void click(const QString &button) { QTest::mouseClick(w->findChild<QPushButton *>(button), Qt::LeftButton); }

    static QString day(int d) { return germanDate(QDate(2026, 1, 1).addDays(d)); }

private slots:
    void init()
    {
        tb = std::make_unique<TestBed>();
        tb->platform.messages = &msgs;
        msgs.state = [this] { return w ? state() : QString(); };
        msgs.charts = [this] { return w ? QList<QChartView *>{ui().MSChart} : QList<QChartView *>{}; };
        newWindow();
        person = tb->addPerson(QStringLiteral("Musterfrau"), QStringLiteral("Erika"));
    }
    void cleanup()
    {
        w.reset();
        tb.reset();
    }

    // No segment: nothing changes. No records: the steps done before the message show.
    void withoutChart_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("segment");
        QTest::newRow("1/R, no segment") << "cmdGraph" << QString();
        QTest::newRow("Xc/R, no segment") << "cmd_Xc_Graph" << QString();
        QTest::newRow("1/R, no data") << "cmdGraph" << QString("ArmLi");
        QTest::newRow("Xc/R, no data") << "cmd_Xc_Graph" << QString("ArmLi");
    }
    void withoutChart()
    {
        QFETCH(QString, button);
        QFETCH(QString, segment);
        const bool xc = button == QLatin1String("cmd_Xc_Graph");
        addDays(QStringLiteral("ArmRe"), 3); // another segment's records
        choose(person, segment);
        w->bGraphGezeichnet = xc; // an earlier chart's flag stays either way
        const QString before = state();
        click(button);
        const auto &s = msgs.shown.value(0);
        if (segment.isEmpty()) {
            QCOMPARE(msgs.texts(), QStringList{QStringLiteral("Sie haben kein Segment ausgewählt!")});
            QCOMPARE(s.icon, MsgIcon::Information);
            QCOMPARE(s.state, before);
            QCOMPARE(s.charts[0].sets, QList<QList<double>>{{0.0}});
        } else { // the steps before the message show: a prepared chart of seven empty rows
            QCOMPARE(msgs.texts(), QStringList{QStringLiteral("Keine Daten")});
            QCOMPARE(s.icon, MsgIcon::None);
            QCOMPARE(s.state, xc ? QStringLiteral("01010 Xc/R") : QStringLiteral("01011 1/R"));
            QCOMPARE(s.charts[0].sets, QList<QList<double>>(xc ? 1 : 2, QList<double>(7, 0.0)));
        }
        QVERIFY(s.charts[0].lines.isEmpty());
        QCOMPARE(ui().txtTestDatum->isHidden(), !segment.isEmpty());
        QCOMPARE(w->bGraphGezeichnet, xc);
    }

    // From Xc/R to 1/R: the caption changes, and the old values are gone, before the
    // database is read for the new chart.
    void switchingQuantity()
    {
        addDays(QStringLiteral("ArmLi"), 3);
        choose(person, QStringLiteral("ArmLi"));
        click(QStringLiteral("cmd_Xc_Graph"));
        QCOMPARE(inspect(ui().MSChart).sets[0][0], 60.0 / 500);
        choose(tb->addPerson(QStringLiteral("Leer"), QStringLiteral("Lea")), QStringLiteral("ArmLi"));
        click(QStringLiteral("cmdGraph"));
        QCOMPARE(msgs.shown.size(), 1);
        QVERIFY(msgs.shown[0].state.endsWith(QStringLiteral(" 1/R")));
        for (const auto &set : msgs.shown[0].charts[0].sets)
            QVERIFY(!set.contains(60.0 / 500));
    }

    void inverseChart_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<int>>("days");
        QTest::addColumn<int>("base"); // first value of day 0
        QTest::newRow("R50, one") << "W50" << 1 << QList<int>{0} << 500;
        QTest::newRow("R5, eight") << "W5" << 8 << QList<int>{0, 2, 3, 4, 5, 6, 7} << 600;
    }
    void inverseChart()
    {
        QFETCH(QString, field);
        QFETCH(int, n);
        QFETCH(QList<int>, days);
        QFETCH(int, base);
        addDays(QStringLiteral("ArmLi"), n);
        tb->addMeasurement(QStringLiteral("ArmRe"), person, QDate(2026, 1, 1), QStringLiteral("10:00:00"), 1, 1, 1, 1,
                           1, 1); // another segment: not shown
        choose(person, QStringLiteral("ArmLi"));
        w->strWFeld = field;
        click(QStringLiteral("cmdGraph"));
        QVERIFY(msgs.shown.isEmpty());
        QCOMPARE(state(), QStringLiteral("01010 1/R"));
        QVERIFY(w->bGraphGezeichnet);
        const ShownChart c = inspect(ui().MSChart);
        QCOMPARE(c.colours, (QList<QColor>{QColor(255, 0, 0), QColor(0, 160, 0)}));
        for (int row = 0; row < 7; ++row) {
            const bool filled = row < days.size();
            QCOMPARE(c.labels[row], filled ? day(days[row]) : QString());
            QCOMPARE(c.sets[0][row], filled ? 1.0 / (base + days[row] + 0.000001) : 0.0);
            QCOMPARE(c.sets[1][row], filled ? 1.0 / (base - 10 + days[row] + 0.000001) : 0.0);
            QVERIFY(c.sets[0][row] <= c.axisMax && c.sets[1][row] <= c.axisMax && c.axisMin <= 0);
        }
        // A blue least-squares line over the filled rows of each series.
        QCOMPARE(c.lines.size(), days.size() > 1 ? 2 : 0);
        QVERIFY(c.linesOnBarAxes);
        for (int k = 0; k < c.lines.size(); ++k) {
            QList<std::optional<double>> column;
            for (int row = 0; row < days.size(); ++row)
                column << c.sets[k][row];
            const auto line = charts::leastSquares(column);
            QCOMPARE(c.lineColours[k], QColor(0, 0, 255));
            QCOMPARE(c.lines[k], QLineF(0, line->at(0), days.size() - 1, line->at(days.size() - 1)));
        }
    }

    // A record without W50 stops the chart with the rows before it; then a sound one.
    void xcChart()
    {
        addDays(QStringLiteral("ArmLi"), 1);
        tb->addMeasurement(QStringLiteral("ArmLi"), person, QDate(2026, 3, 1), QStringLiteral("10:00:00"), 600, 0, 400,
                           70, 60, 50);
        choose(person, QStringLiteral("ArmLi"));
        click(QStringLiteral("cmd_Xc_Graph"));
        QCOMPARE(msgs.texts(),
                 QStringList{QStringLiteral("Fehler11 (Division durch Null) in Prozedur Draw_Xc_Graph ")});
        QCOMPARE(msgs.shown[0].icon, MsgIcon::None);
        QCOMPARE(inspect(ui().MSChart).sets[0].mid(0, 2), (QList<double>{60.0 / 500, 0.0}));
        QVERIFY(!w->bGraphGezeichnet);

        addDays(QStringLiteral("BeinRe"), 8);
        choose(person, QStringLiteral("BeinRe"));
        w->strWFeld = QStringLiteral("W5"); // the Xc/R chart ignores the R option
        msgs.shown.clear();
        click(QStringLiteral("cmd_Xc_Graph"));
        QVERIFY(msgs.shown.isEmpty());
        QCOMPARE(state(), QStringLiteral("01010 Xc/R"));
        const ShownChart c = inspect(ui().MSChart);
        QCOMPARE(c.colours, QList<QColor>{QColor(255, 0, 0)});
        QVERIFY(c.lines.isEmpty());
        const QList<int> days{0, 2, 3, 4, 5, 6, 7};
        for (int row = 0; row < 7; ++row) {
            QCOMPARE(c.labels[row], day(days[row]));
            QCOMPARE(c.sets[0][row], (60.0 + days[row]) / (500 + days[row]));
        }
        QVERIFY(w->bGraphGezeichnet);
    }

    void databaseFailure()
    {
        QVERIFY(QFile::remove(tb->segmentePath()));
        QVERIFY(QFile(tb->segmentePath()).open(QIODevice::WriteOnly)); // an empty file: no tables
        choose(person, QStringLiteral("ArmLi"));
        click(QStringLiteral("cmdGraph"));
        QCOMPARE(msgs.shown.size(), 1);
        const QString text = msgs.shown[0].text;
        QVERIFY2(text.startsWith(QStringLiteral("Error ")) && text.contains(QStringLiteral("ArmLi")) &&
                     text.endsWith(QStringLiteral(") in procedure Draw_1durchR_Graph of Formular frmMain")),
                 qPrintable(text));
        QVERIFY(!w->bGraphGezeichnet);
    }

    // ---- Print-out ------------------------------------------------------------------

    void notReady_data()
    {
        QTest::addColumn<QString>("segment");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("drawn");
        QTest::newRow("no segment") << QString() << "Musterfrau" << true;
        QTest::newRow("no name") << "ArmLi" << QString() << true;
        QTest::newRow("no chart yet") << "ArmLi"
                                      << "Musterfrau" << false;
    }
    void notReady()
    {
        QFETCH(QString, segment);
        QFETCH(QString, name);
        QFETCH(bool, drawn);
        choose(person, segment);
        ui().LBL_Top_Name->setText(name);
        w->bGraphGezeichnet = drawn;
        click(QStringLiteral("cmdPrintOut"));
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("Keine Daten zum Druck vorhanden")});
        QCOMPARE(msgs.shown[0].icon, MsgIcon::None);
        QVERIFY(!QFile::exists(tb->pdfPath()));
    }

    // The page prints the person shown now, the legend of the chart drawn in a font small
    // enough for its longest line, and the chart fitted by width (wide) or by height (tall),
    // three quarters of that, from (3000, 2000).
    void printedPage_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QSize>("chartSize");
        QTest::addColumn<QStringList>("legend");
        QTest::newRow("1/R, screen size")
            << "cmdGraph" << QSize(481, 321)
            << QStringList{QStringLiteral("grüne Balken: nach Therapie"), QStringLiteral("rote Balken: vor Therapie"),
                           QStringLiteral("Die Balkenhöhe zeigt die prozentuale "
                                          "Wasserveränderung vor und nach der Therapie.")};
        QTest::newRow("Xc/R, tall") << "cmd_Xc_Graph" << QSize(160, 600)
                                    << QStringList{QStringLiteral("Die Balkenhöhe zeigt den Index Xc/R auf und gibt "
                                                                  "indirekt Auskunft über den Phasenwinkel")};
    }
    void printedPage()
    {
        QFETCH(QString, button);
        QFETCH(QSize, chartSize);
        QFETCH(QStringList, legend);
        addDays(QStringLiteral("ArmLi"), 4);
        choose(person, QStringLiteral("ArmLi"));
        click(button);
        ui().MSChart->resize(chartSize);
        ui().LBL_Top_Name->setText(QStringLiteral("Beispiel"));
        ui().lblSegmentAktuell->setText(QStringLiteral("Bein Rechts"));
        click(QStringLiteral("cmdPrintOut"));
        QVERIFY2(msgs.shown.isEmpty(), qPrintable(msgs.texts().join(QLatin1Char('\n'))));

        const PdfPage page = readPdfPage(tb->pdfPath());
        QVERIFY(page.size.height() > page.size.width()); // portrait
        const QStringList header{QStringLiteral("Name: Beispiel"), QStringLiteral("Vorname: Erika"),
                                 QStringLiteral("Geburtsdatum: 17.05.1960"), QStringLiteral("Segment: Bein Rechts")};
        const double lh = page.line(header[1]).top() - page.line(header[0]).top();
        QVERIFY2(lh > 150 && lh < 350, qPrintable(QString::number(lh)));
        // The credit line centred at y = 1000; eleven lines below it the header at x = 500,
        // thirty-six lines below it the legend at x = 3300.
        const QRectF credit =
            page.line(QStringLiteral("Erstellt mit KavioSegment")).united(page.line(QStringLiteral("Medizintechnik")));
        QVERIFY2(qAbs(credit.center().x() - page.printable.width() / 2) < kTolerance &&
                     qAbs(credit.top() - 1000) < kTolerance,
                 qPrintable(QStringLiteral("%1,%2").arg(credit.center().x()).arg(credit.top())));
        const auto placed = [&](const QStringList &lines, double x, int firstLine) {
            for (int i = 0; i < lines.size(); ++i) {
                const QRectF r = page.line(lines[i]);
                QVERIFY2(!r.isNull() && qAbs(r.left() - x) < kTolerance &&
                             qAbs(r.top() - (credit.top() + (firstLine + i) * lh)) < kTolerance &&
                             r.right() <= page.printable.width(),
                         qPrintable(QStringLiteral("%1 at %2,%3").arg(lines[i]).arg(r.left()).arg(r.top())));
            }
        };
        placed(header, 500, 11);
        placed(legend, 3300, 36);
        QVERIFY(!page.contains(QStringLiteral("Name: Musterfrau")));
        QCOMPARE(page.contains(QStringLiteral("grüne Balken:")), button == QLatin1String("cmdGraph"));
        QCOMPARE(page.contains(QStringLiteral("Die Balkenhöhe zeigt den Index Xc/R")), legend.size() == 1);
        // The chart is drawn as vector graphics: its axis labels are text on the page.
        const double top = inspect(ui().MSChart).axisMax;
        QVERIFY2(page.contains(QLocale(QLocale::German).toString(top, 'g', 4)), qPrintable(QString::number(top)));
        // The plot area's background, mapped from the chart's own layout onto the page.
        const QSizeF size = QSizeF(chartSize).scaled(page.printable * 0.75, Qt::KeepAspectRatio);
        const QRectF plot = ui().MSChart->chart()->plotArea();
        const double sx = size.width() / chartSize.width(), sy = size.height() / chartSize.height();
        const QRectF want(3000 + plot.left() * sx, 2000 + plot.top() * sy, plot.width() * sx, plot.height() * sy);
        const QString mismatch = fillMismatch(page, tb->pdfPath(), want, charts::kPlotBackground);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    void printerFailure_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no printer") << 0 << "Error 482 (Druckerfehler)";
        QTest::newRow("file cannot be written") << 1 << "Error 482 (Der Druckauftrag konnte nicht begonnen werden)";
        QTest::newRow("job not finished") << 2 << "Error 482 (Der Druckauftrag konnte nicht abgeschlossen werden)";
        QTest::newRow("picture without height") << 3 << "Error 11 (Division durch Null)";
    }
    void printerFailure()
    {
        QFETCH(int, kind);
        QFETCH(QString, reason);
        PdfPrinterFactory unwritable(tb->path(QStringLiteral("no/such/folder/print.pdf")));
        UnfinishedJobs unfinished;
        tb->platform.printers = QList<PrinterFactory *>{nullptr, &unwritable, &unfinished, tb->printers.get()}[kind];
        newWindow();
        addDays(QStringLiteral("ArmLi"), 2);
        choose(person, QStringLiteral("ArmLi"));
        click(QStringLiteral("cmdGraph"));
        if (kind == 3)
            ui().MSChart->setFixedSize(481, 0);
        click(QStringLiteral("cmdPrintOut"));
        QCOMPARE(msgs.texts(),
                 QStringList{reason + QStringLiteral(" in procedure PrintPictureToFitPage of Formular frmMain")});
        QCOMPARE(msgs.shown[0].icon, MsgIcon::None);
        QVERIFY(!QFile::exists(tb->pdfPath()));
    }
};

QTEST_MAIN(TstTrendCharts)
#include "tst_trendcharts.moc"
