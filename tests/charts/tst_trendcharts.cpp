// The trend charts on the main window and the chart page, as the operator uses them.
#include "app/Conversions.h"
#include "ChartInspection.h"
#include "charts/ChartView.h"
#include "PdfReadBack.h"
#include "platform/Printer.h"
#include "TestBed.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

#include <functional>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPushButton>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

// The state of the window at the moment a message comes up.
struct Snapshot {
    QString text;
    MsgIcon icon;
    bool valueFrameShown, chartShown, einOderZweiShown, legendShown, dateShown;
    QString quantity;
    ShownChart chart;
};

// Records every message together with the window's state at that moment.
class SnapshotMessages final : public Messages {
public:
    void show(const QString &text, MsgIcon icon, const QString &) override
    {
        Snapshot s{text, icon, false, false, false, false, false, {}, {}};
        if (window) {
            Ui::frmMain &ui = window->form();
            s.valueFrameShown = !ui.FraMesswerte->isHidden();
            s.chartShown = !ui.MSChart->isHidden();
            s.einOderZweiShown = !ui.fraEinoderZwei->isHidden();
            s.legendShown = !ui.fraLegende_Widerstand->isHidden();
            s.dateShown = !ui.txtTestDatum->isHidden();
            s.quantity = ui.lbl1durchR->text();
            s.chart = inspect(ui.MSChart);
        }
        shown << s;
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
    frmMain *window = nullptr;
    QList<Snapshot> shown;
};

// A printer that is not there, or whose job cannot be finished.
class BrokenPrinter final : public Printer {
public:
    explicit BrokenPrinter(bool failAtEnd) : m_failAtEnd(failAtEnd) {}
    QPainter *begin(QPageLayout::Orientation) override
    {
        if (!m_failAtEnd)
            return nullptr;
        m_image = QImage(100, 100, QImage::Format_RGB32);
        m_painter.begin(&m_image);
        return &m_painter;
    }
    QSizeF printableSize() const override { return {11000, 16000}; }
    bool end() override
    {
        m_painter.end();
        return false;
    }
    QString errorText() const override
    {
        return m_failAtEnd ? QStringLiteral("Der Druckauftrag konnte nicht abgeschlossen werden")
                           : QStringLiteral("Es ist kein Drucker installiert");
    }

private:
    bool m_failAtEnd;
    QImage m_image;
    QPainter m_painter;
};

class BrokenPrinters final : public PrinterFactory {
public:
    explicit BrokenPrinters(bool failAtEnd) : m_failAtEnd(failAtEnd) {}
    Printer *create() override { return new BrokenPrinter(m_failAtEnd); }

private:
    bool m_failAtEnd;
};

// Printable area and margins of the PDF printer for an orientation.
struct PdfGeometry {
    QSizeF printable;
    QPointF origin; // top left of the printable area on the page, twips
};

PdfGeometry pdfGeometry(const QString &dir, QPageLayout::Orientation o, QSizeF pageSize)
{
    QtPrinter printer(dir + QStringLiteral("/probe.pdf"));
    printer.begin(o);
    const QSizeF printable = printer.printableSize();
    printer.end();
    // The PDF printer's margins are the same on opposite sides.
    return {printable,
            QPointF((pageSize.width() - printable.width()) / 2, (pageSize.height() - printable.height()) / 2)};
}

constexpr double kTolerance = 40; // twips, two points

} // namespace

class TstTrendCharts : public QObject {
    Q_OBJECT

    std::unique_ptr<TestBed> tb;
    SnapshotMessages msgs;
    std::unique_ptr<frmMain> w;
    qint64 person = 0;

    Ui::frmMain &ui() { return w->form(); }

    // The state the selection leaves behind: a person shown, a segment chosen.
    void choose(qint64 fktn, const QString &segment)
    {
        w->strSegment = segment;
        ui().txtFKTN->setText(QString::number(fktn));
        ui().LBL_Top_Name->setText(QStringLiteral("Musterfrau"));
        ui().LBL_Top_Vorname->setText(QStringLiteral("Erika"));
        ui().LBL_Top_GebDat->setText(QStringLiteral("17.05.1960"));
        ui().lblSegmentAktuell->setText(QStringLiteral("Arm Links"));
        ui().FraMesswerte->setVisible(true);
        ui().fraEinoderZwei->setVisible(true);
        ui().txtTestDatum->setVisible(true);
        ui().cmdGraph->setVisible(true);
        ui().cmd_Xc_Graph->setVisible(true);
        ui().cmdPrintOut->setVisible(true);
    }

    // Day d of the series: W5 600+d, W50 500+d, W100 400+d, Xc50 60+d, second values 10 less.
    void addDays(const QString &segment, qint64 fktn, int n)
    {
        for (int d = 0; d < n; ++d)
            tb->addMeasurement(segment, fktn, QDate(2026, 1, 1).addDays(d), QStringLiteral("10:00:00"), 600 + d,
                               500 + d, 400 + d, 70, 60 + d, 50, 590 + d, 490 + d, 390 + d);
    }

    void click(QPushButton *b) { QTest::mouseClick(b, Qt::LeftButton); }

    static QString day(int d) { return germanDate(QDate(2026, 1, 1).addDays(d)); }

private slots:
    void init()
    {
        tb = std::make_unique<TestBed>();
        msgs.shown.clear();
        msgs.window = nullptr;
        tb->platform.messages = &msgs;
        w = std::make_unique<frmMain>(tb->platform);
        msgs.window = w.get();
        msgs.shown.clear();
        person = tb->addPerson(QStringLiteral("Musterfrau"), QStringLiteral("Erika"));
        w->resize(1046, 640);
    }
    void cleanup()
    {
        w.reset();
        tb.reset();
    }

    void noSegment_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("1/R") << QStringLiteral("cmdGraph");
        QTest::newRow("Xc/R") << QStringLiteral("cmd_Xc_Graph");
    }
    void noSegment()
    {
        QFETCH(QString, button);
        addDays(QStringLiteral("ArmLi"), person, 3);
        choose(person, QString());
        click(w->findChild<QPushButton *>(button));
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("Sie haben kein Segment ausgewählt!")});
        QCOMPARE(msgs.shown[0].icon, MsgIcon::Information);
        QVERIFY(!ui().FraMesswerte->isHidden());
        QVERIFY(ui().MSChart->isHidden());
        QVERIFY(!ui().txtTestDatum->isHidden());
        QCOMPARE(inspect(ui().MSChart).sets, QList<QList<double>>{{0.0}});
        QVERIFY(!w->bGraphGezeichnet);
    }

    // "Keine Daten" comes up in the middle of the steps: what is already done shows.
    void orderOfSteps_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<bool>("dateShownAtMessage");
        QTest::addColumn<int>("sets");
        QTest::newRow("1/R") << QStringLiteral("cmdGraph") << QStringLiteral("1/R") << true << 2;
        QTest::newRow("Xc/R") << QStringLiteral("cmd_Xc_Graph") << QStringLiteral("Xc/R") << false << 1;
    }
    void orderOfSteps()
    {
        QFETCH(QString, button);
        QFETCH(QString, quantity);
        QFETCH(bool, dateShownAtMessage);
        QFETCH(int, sets);
        choose(person, QStringLiteral("ArmLi"));
        click(w->findChild<QPushButton *>(button));
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("Keine Daten")});
        const Snapshot &s = msgs.shown[0];
        QCOMPARE(s.icon, MsgIcon::None);
        QVERIFY(!s.valueFrameShown);
        QVERIFY(s.chartShown);
        QVERIFY(!s.einOderZweiShown);
        QVERIFY(s.legendShown);
        QCOMPARE(s.quantity, quantity);
        QCOMPARE(s.dateShown, dateShownAtMessage);
        // Prepared: seven empty rows, one bar set per series, nothing from the database.
        QCOMPARE(s.chart.labels.size(), 7);
        QCOMPARE(s.chart.sets.size(), sets);
        for (const auto &set : s.chart.sets)
            QCOMPARE(set, QList<double>(7, 0.0));
        QVERIFY(s.chart.lines.isEmpty());
        QVERIFY(ui().txtTestDatum->isHidden());
        QVERIFY(!w->bGraphGezeichnet);
    }

    void keineDatenKeepsTheFlag()
    {
        addDays(QStringLiteral("ArmLi"), person, 2);
        choose(person, QStringLiteral("ArmLi"));
        click(ui().cmdGraph);
        QVERIFY(w->bGraphGezeichnet);
        choose(person, QStringLiteral("BeinRe"));
        click(ui().cmd_Xc_Graph);
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("Keine Daten")});
        QVERIFY(w->bGraphGezeichnet);
    }

    // From Xc/R to 1/R: the caption changes, and the old values are gone, before the
    // database is read for the new chart.
    void switchingQuantity()
    {
        addDays(QStringLiteral("ArmLi"), person, 3);
        const qint64 empty = tb->addPerson(QStringLiteral("Leer"), QStringLiteral("Lea"));
        choose(person, QStringLiteral("ArmLi"));
        click(ui().cmd_Xc_Graph);
        QCOMPARE(ui().lbl1durchR->text(), QStringLiteral("Xc/R"));
        QCOMPARE(inspect(ui().MSChart).sets[0][0], 60.0 / 500);
        choose(empty, QStringLiteral("ArmLi"));
        click(ui().cmdGraph);
        QCOMPARE(msgs.shown.size(), 1);
        QCOMPARE(msgs.shown[0].quantity, QStringLiteral("1/R"));
        for (const auto &set : msgs.shown[0].chart.sets)
            QVERIFY(!set.contains(60.0 / 500));
    }

    void inverseChart_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<int>>("days");
        QTest::addColumn<int>("base"); // first value of day 0
        QTest::newRow("R50, one") << QStringLiteral("W50") << 1 << QList<int>{0} << 500;
        QTest::newRow("R50, seven") << QStringLiteral("W50") << 7 << QList<int>{0, 1, 2, 3, 4, 5, 6} << 500;
        QTest::newRow("R5, eight") << QStringLiteral("W5") << 8 << QList<int>{0, 2, 3, 4, 5, 6, 7} << 600;
        QTest::newRow("R100, nine") << QStringLiteral("W100") << 9 << QList<int>{0, 3, 4, 5, 6, 7, 8} << 400;
    }
    void inverseChart()
    {
        QFETCH(QString, field);
        QFETCH(int, n);
        QFETCH(QList<int>, days);
        QFETCH(int, base);
        addDays(QStringLiteral("ArmLi"), person, n);
        addDays(QStringLiteral("ArmRe"), person, 2); // another segment: not shown
        choose(person, QStringLiteral("ArmLi"));
        w->strWFeld = field;
        click(ui().cmdGraph);
        QVERIFY(msgs.shown.isEmpty());
        const ShownChart c = inspect(ui().MSChart);
        QCOMPARE(c.sets.size(), 2);
        QCOMPARE(c.colours, (QList<QColor>{QColor(255, 0, 0), QColor(0, 160, 0)}));
        for (int row = 0; row < 7; ++row) {
            if (row < days.size()) {
                QCOMPARE(c.labels[row], day(days[row]));
                QCOMPARE(c.sets[0][row], 1.0 / (base + days[row] + 0.000001));
                QCOMPARE(c.sets[1][row], 1.0 / (base - 10 + days[row] + 0.000001));
            } else {
                QCOMPARE(c.labels[row], QString());
                QCOMPARE(c.sets[0][row], 0.0);
            }
        }
        QCOMPARE(c.lines.size(), days.size() > 1 ? 2 : 0);
        QVERIFY(c.linesOnBarAxes);
        for (const QColor &colour : c.lineColours)
            QCOMPARE(colour, QColor(0, 0, 255));
        // Every bar and the trend lines fit the automatic axis.
        for (const auto &set : c.sets)
            for (double v : set)
                QVERIFY(v <= c.axisMax && v >= c.axisMin);
        QVERIFY(w->bGraphGezeichnet);
        QVERIFY(ui().txtTestDatum->isHidden());
        QVERIFY(!ui().MSChart->isHidden());
    }

    void trendLineOnScreen()
    {
        // Day values 1/(500+d) falling almost linearly: the line runs from row 0 to row 2
        // through the least-squares values.
        addDays(QStringLiteral("ArmLi"), person, 3);
        choose(person, QStringLiteral("ArmLi"));
        click(ui().cmdGraph);
        const ShownChart c = inspect(ui().MSChart);
        QCOMPARE(c.lines.size(), 2);
        const double y0 = 1 / 500.000001, y1 = 1 / 501.000001, y2 = 1 / 502.000001;
        const double slope = (y2 - y0) / 2, intercept = (y0 + y1 + y2) / 3 - slope;
        QCOMPARE(c.lines[0].p1().x(), 0.0);
        QCOMPARE(c.lines[0].p2().x(), 2.0);
        QVERIFY(qAbs(c.lines[0].p1().y() - intercept) < 1e-15);
        QVERIFY(qAbs(c.lines[0].p2().y() - (intercept + 2 * slope)) < 1e-15);
    }

    void secondValueZero()
    {
        tb->addMeasurement(QStringLiteral("ArmLi"), person, QDate(2026, 2, 1), QStringLiteral("10:00:00"), 600, 500,
                           400, 70, 60, 50, 0, 0, 0);
        tb->addMeasurement(QStringLiteral("ArmLi"), person, QDate(2026, 2, 2), QStringLiteral("10:00:00"), 600, 500,
                           400, 70, 60, 50); // no second measurement at all
        choose(person, QStringLiteral("ArmLi"));
        click(ui().cmdGraph);
        const ShownChart c = inspect(ui().MSChart);
        QCOMPARE(c.sets[1].mid(0, 2), (QList<double>{0.0, 0.0}));
        QVERIFY(c.axisMax < 0.01); // no bar of a million
    }

    void xcChart()
    {
        addDays(QStringLiteral("BeinRe"), person, 8);
        choose(person, QStringLiteral("BeinRe"));
        w->strWFeld = QStringLiteral("W5"); // the Xc/R chart ignores the R option
        click(ui().cmd_Xc_Graph);
        QVERIFY(msgs.shown.isEmpty());
        const ShownChart c = inspect(ui().MSChart);
        QCOMPARE(c.sets.size(), 1);
        QCOMPARE(c.colours, QList<QColor>{QColor(255, 0, 0)});
        QVERIFY(c.lines.isEmpty());
        const QList<int> days{0, 2, 3, 4, 5, 6, 7};
        for (int row = 0; row < 7; ++row) {
            QCOMPARE(c.labels[row], day(days[row]));
            QCOMPARE(c.sets[0][row], (60.0 + days[row]) / (500 + days[row]));
        }
        QVERIFY(w->bGraphGezeichnet);
    }

    void xcChartBadRecord()
    {
        addDays(QStringLiteral("ArmLi"), person, 1);
        tb->addMeasurement(QStringLiteral("ArmLi"), person, QDate(2026, 3, 1), QStringLiteral("10:00:00"), 600, 0, 400,
                           70, 60, 50);
        choose(person, QStringLiteral("ArmLi"));
        click(ui().cmd_Xc_Graph);
        QCOMPARE(msgs.texts(),
                 QStringList{QStringLiteral("Fehler11 (Division durch Null) in Prozedur Draw_Xc_Graph ")});
        QCOMPARE(msgs.shown[0].icon, MsgIcon::None);
        const ShownChart c = inspect(ui().MSChart);
        QCOMPARE(c.sets[0][0], 60.0 / 500); // the row before the failure stays
        QCOMPARE(c.sets[0][1], 0.0);
        QVERIFY(!w->bGraphGezeichnet);
    }

    void databaseFailure()
    {
        QVERIFY(QFile::remove(tb->segmentePath()));
        QVERIFY(QFile(tb->segmentePath()).open(QIODevice::WriteOnly)); // an empty file: no tables
        choose(person, QStringLiteral("ArmLi"));
        click(ui().cmdGraph);
        QCOMPARE(msgs.shown.size(), 1);
        QVERIFY2(msgs.shown[0].text.startsWith(QStringLiteral("Error ")), qPrintable(msgs.shown[0].text));
        QVERIFY2(msgs.shown[0].text.endsWith(QStringLiteral(") in procedure Draw_1durchR_Graph of Formular frmMain")),
                 qPrintable(msgs.shown[0].text));
        QVERIFY(msgs.shown[0].text.contains(QStringLiteral("ArmLi")));
        QVERIFY(!w->bGraphGezeichnet);
    }

    // ---- Print-out ------------------------------------------------------------------

    void notReady_data()
    {
        QTest::addColumn<bool>("segment");
        QTest::addColumn<bool>("name");
        QTest::addColumn<bool>("drawn");
        QTest::newRow("no segment") << false << true << true;
        QTest::newRow("no name") << true << false << true;
        QTest::newRow("no chart yet") << true << true << false;
    }
    void notReady()
    {
        QFETCH(bool, segment);
        QFETCH(bool, name);
        QFETCH(bool, drawn);
        choose(person, segment ? QStringLiteral("ArmLi") : QString());
        if (!name)
            ui().LBL_Top_Name->clear();
        w->bGraphGezeichnet = drawn;
        QCOMPARE(w->fDruckbereit(w->strSegment), segment && name && drawn);
        click(ui().cmdPrintOut);
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("Keine Daten zum Druck vorhanden")});
        QCOMPARE(msgs.shown[0].icon, MsgIcon::None);
        QVERIFY(!QFile::exists(tb->pdfPath()));
    }

    void printedPage_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("legend");
        QTest::newRow("after 1/R") << QStringLiteral("cmdGraph")
                                   << QStringList{QStringLiteral("grüne Balken: nach Therapie"),
                                                  QStringLiteral("rote Balken: vor Therapie"),
                                                  QStringLiteral("Die Balkenhöhe zeigt die prozentuale "
                                                                 "Wasserveränderung vor und nach der Therapie.")};
        QTest::newRow("after Xc/R") << QStringLiteral("cmd_Xc_Graph")
                                    << QStringList{QStringLiteral("Die Balkenhöhe zeigt den Index Xc/R auf und gibt "
                                                                  "indirekt Auskunft über den Phasenwinkel")};
    }
    void printedPage()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, legend);
        addDays(QStringLiteral("ArmLi"), person, 4);
        choose(person, QStringLiteral("ArmLi"));
        click(w->findChild<QPushButton *>(button));
        click(ui().cmdPrintOut);
        QVERIFY2(msgs.shown.isEmpty(), qPrintable(msgs.texts().join(QLatin1Char('\n'))));
        if (qEnvironmentVariableIsSet("KAVIO_SHOTS")) { // pictures to look at
            const QString dir = qEnvironmentVariable("KAVIO_SHOTS");
            renderPdf(tb->pdfPath(), 100).save(dir + QStringLiteral("/chartpage_%1.png").arg(button));
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            w->grab().save(dir + QStringLiteral("/mainwindow_%1.png").arg(button));
        }

        const PdfPage page = readPdfText(tb->pdfPath());
        QVERIFY(page.size.height() > page.size.width()); // portrait
        const PdfGeometry g = pdfGeometry(tb->dir.path(), QPageLayout::Portrait, page.size);
        auto at = [&](const QString &text) { return page.lineStartingWith(text).translated(-g.origin); };

        const QString name = QStringLiteral("Name: Musterfrau");
        const QStringList header{name, QStringLiteral("Vorname: Erika"), QStringLiteral("Geburtsdatum: 17.05.1960"),
                                 QStringLiteral("Segment: Arm Links")};
        const QRectF first = at(header[0]), second = at(header[1]);
        QVERIFY2(!first.isNull() && !second.isNull(), "header lines missing");
        const double lh = second.top() - first.top();
        QVERIFY2(lh > 150 && lh < 350, qPrintable(QString::number(lh)));

        // The credit line: centred, at y = 1000.
        const QRectF credit = at(QStringLiteral("Erstellt mit KavioSegment"));
        QVERIFY(!credit.isNull());
        const QRectF creditLine = credit.united(at(QStringLiteral("Medizintechnik")));
        QVERIFY2(qAbs(creditLine.center().x() - g.printable.width() / 2) < kTolerance,
                 qPrintable(QString::number(creditLine.center().x())));
        QVERIFY2(qAbs(creditLine.top() - 1000) < kTolerance, qPrintable(QString::number(creditLine.top())));

        // Eleven lines below the credit line, one after the other, at x = 500.
        for (int i = 0; i < header.size(); ++i) {
            const QRectF r = at(header[i]);
            QVERIFY2(!r.isNull(), qPrintable(header[i]));
            QVERIFY2(qAbs(r.left() - 500) < kTolerance, qPrintable(QString::number(r.left())));
            QVERIFY2(qAbs(r.top() - (creditLine.top() + (11 + i) * lh)) < kTolerance, qPrintable(header[i]));
        }
        // The legend, thirty-six lines below the credit line, at x = 3300.
        for (int i = 0; i < legend.size(); ++i) {
            const QRectF r = at(legend[i]);
            QVERIFY2(!r.isNull(), qPrintable(legend[i]));
            QVERIFY2(qAbs(r.left() - 3300) < kTolerance, qPrintable(QString::number(r.left())));
            QVERIFY2(qAbs(r.top() - (creditLine.top() + (36 + i) * lh)) < kTolerance, qPrintable(legend[i]));
        }
        // Only the legend of the chart drawn.
        QCOMPARE(page.contains(QStringLiteral("grüne Balken:")), legend.size() == 3);
        QCOMPARE(page.contains(QStringLiteral("Die Balkenhöhe zeigt den Index Xc/R")), legend.size() == 1);
        // The chart is drawn as vector graphics: its axis labels are text on the page.
        const double top = inspect(ui().MSChart).axisMax;
        QVERIFY2(page.contains(QLocale(QLocale::German).toString(top, 'g', 4)), qPrintable(QString::number(top)));
    }

    // The picture fitted by width (wide chart) or by height (tall chart), three quarters
    // of that, from (3000, 2000).
    void picturePlacement_data()
    {
        QTest::addColumn<QSize>("chartSize");
        QTest::addColumn<bool>("byWidth");
        QTest::newRow("screen size") << QSize(481, 321) << true;
        QTest::newRow("wide") << QSize(500, 110) << true;
        QTest::newRow("tall") << QSize(160, 600) << false;
    }
    void picturePlacement()
    {
        QFETCH(QSize, chartSize);
        QFETCH(bool, byWidth);
        addDays(QStringLiteral("ArmLi"), person, 3);
        choose(person, QStringLiteral("ArmLi"));
        click(ui().cmdGraph);
        ui().MSChart->resize(chartSize);
        click(ui().cmdPrintOut);
        QVERIFY(msgs.shown.isEmpty());

        const PdfPage page = readPdfText(tb->pdfPath());
        const PdfGeometry g = pdfGeometry(tb->dir.path(), QPageLayout::Portrait, page.size);
        const double ratio = double(chartSize.width()) / chartSize.height();
        const QSizeF expected = byWidth ? QSizeF(0.75 * g.printable.width(), 0.75 * g.printable.width() / ratio)
                                        : QSizeF(0.75 * g.printable.height() * ratio, 0.75 * g.printable.height());
        const QRectF want(QPointF(3000, 2000) + g.origin, expected);
        // The plot area's background, mapped from the chart's own layout onto the page.
        const QRectF plot = ui().MSChart->chart()->plotArea();
        const double sx = want.width() / chartSize.width(), sy = want.height() / chartSize.height();
        const QRectF wantPlot(want.left() + plot.left() * sx, want.top() + plot.top() * sy, plot.width() * sx,
                              plot.height() * sy);
        const int dpi = 144;
        const QImage image = renderPdf(tb->pdfPath(), dpi);
        if (qEnvironmentVariableIsSet("KAVIO_SHOTS"))
            image.save(qEnvironmentVariable("KAVIO_SHOTS") +
                       QStringLiteral("/placement_%1x%2.png").arg(chartSize.width()).arg(chartSize.height()));
        const QRectF box = findFill(image, dpi, wantPlot.adjusted(-200, -200, 200, 200), charts::kPlotBackground);
        const QString got = QStringLiteral("%1,%2 %3x%4 (want %5,%6 %7x%8)")
                                .arg(box.left())
                                .arg(box.top())
                                .arg(box.width())
                                .arg(box.height())
                                .arg(wantPlot.left())
                                .arg(wantPlot.top())
                                .arg(wantPlot.width())
                                .arg(wantPlot.height());
        QVERIFY2(!box.isNull(), qPrintable(got));
        QVERIFY2(qAbs(box.left() - wantPlot.left()) < kTolerance && qAbs(box.top() - wantPlot.top()) < kTolerance,
                 qPrintable(got));
        QVERIFY2(qAbs(box.right() - wantPlot.right()) < kTolerance &&
                     qAbs(box.bottom() - wantPlot.bottom()) < kTolerance,
                 qPrintable(got));
    }

    // After any chart of the run, the page prints whatever the chart holds under the
    // person now shown.
    void printsCurrentPerson()
    {
        addDays(QStringLiteral("ArmLi"), person, 2);
        choose(person, QStringLiteral("ArmLi"));
        click(ui().cmdGraph);
        ui().LBL_Top_Name->setText(QStringLiteral("Beispiel"));
        ui().lblSegmentAktuell->setText(QStringLiteral("Bein Rechts"));
        click(ui().cmdPrintOut);
        const PdfPage page = readPdfText(tb->pdfPath());
        QVERIFY(page.contains(QStringLiteral("Name: Beispiel")));
        QVERIFY(page.contains(QStringLiteral("Segment: Bein Rechts")));
        QVERIFY(!page.contains(QStringLiteral("Name: Musterfrau")));
    }

    void printerFailure_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("no printer") << 0
                                    << QStringLiteral("Error 482 (Es ist kein Drucker installiert) in procedure "
                                                      "PrintPictureToFitPage of Formular frmMain");
        QTest::newRow("job not finished") << 1
                                          << QStringLiteral("Error 482 (Der Druckauftrag konnte nicht abgeschlossen "
                                                            "werden) in procedure PrintPictureToFitPage of Formular "
                                                            "frmMain");
        QTest::newRow("file cannot be written")
            << 2
            << QStringLiteral("Error 482 (Der Druckauftrag konnte nicht begonnen werden) in procedure "
                              "PrintPictureToFitPage of Formular frmMain");
        QTest::newRow("picture without height")
            << 3
            << QStringLiteral("Error 11 (Division durch Null) in procedure PrintPictureToFitPage of Formular frmMain");
    }
    void printerFailure()
    {
        QFETCH(int, kind);
        QFETCH(QString, message);
        BrokenPrinters broken(kind == 1);
        PdfPrinterFactory unwritable(tb->path(QStringLiteral("no/such/folder/print.pdf")));
        if (kind <= 1)
            tb->platform.printers = &broken;
        else if (kind == 2)
            tb->platform.printers = &unwritable;
        w = std::make_unique<frmMain>(tb->platform);
        msgs.window = w.get();
        addDays(QStringLiteral("ArmLi"), person, 2);
        choose(person, QStringLiteral("ArmLi"));
        click(ui().cmdGraph);
        if (kind == 3) {
            ui().MSChart->setFixedSize(481, 0);
            QCOMPARE(ui().MSChart->height(), 0);
        }
        msgs.shown.clear();
        click(ui().cmdPrintOut);
        QCOMPARE(msgs.texts(), QStringList{message});
        QCOMPARE(msgs.shown[0].icon, MsgIcon::None);
        QVERIFY(!QFile::exists(tb->pdfPath()));
    }
};

QTEST_MAIN(TstTrendCharts)
#include "tst_trendcharts.moc"
