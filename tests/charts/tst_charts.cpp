// Chart rules, the trend charts, the left/right comparison window, and their printed pages.
#include "app/Conversions.h"
#include "charts/ChartModel.h"
#include "charts/ChartView.h"
#include "charts/frmVergleichLinksRechts.h"
#include "charts/PageFigures.h"
#include "PdfPages.h"
#include "Unprivileged.h"
#include "WindowDriver.h"
#include "workstation/frmMain.h"

#include <functional>
#include <QAction>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
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
    QList<QLineF> lines;       // trend lines drawn against the bars' axes
    double axisMin = 0, axisMax = 0;
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
            }
        } else if (auto *line = qobject_cast<QLineSeries *>(series); line && line->attachedAxes() == barAxes) {
            s.lines << QLineF(line->at(0), line->at(line->count() - 1)); // the bars come first
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

// Records each message with the window's `state` at that moment; questions (the start-up's) get No.
struct SnapshotMessages final : Messages {
    void show(const QString &text, MsgIcon, const QString &) override
    {
        texts << text;
        states << state();
    }
    bool ask(const QString &text, MsgIcon, const QString &) override
    {
        questions << text;
        return !answers.isEmpty() && answers.takeFirst();
    }
    QStringList questions;
    QList<bool> answers; // for the questions after the start-up's, in order; then No
    std::function<QString()> state;
    QStringList texts, states;
};

// Within two points or so.
bool near(const QPointF &got, const QPointF &want)
{
    return (got - want).manhattanLength() < 60;
}

} // namespace

class TestCharts : public QObject {
    Q_OBJECT

    std::unique_ptr<TestBed> tb;
    SnapshotMessages msgs;
    std::unique_ptr<frmMain> w;
    qint64 person = 0;

    template <typename T = QWidget> T *ui(const char *name) { return control<T>(*w, QLatin1String(name)); }

    // Value frame, chart, one-or-two frame, legend, date field shown, and caption: "01011 1/R".
    QString state()
    {
        QString s;
        for (QWidget *x : QList<QWidget *>{ui("FraMesswerte"), ui<QChartView>("MSChart"), ui("fraEinoderZwei"),
                                           ui("fraLegende_Widerstand"), ui("txtTestDatum")})
            s += x->isHidden() ? u'0' : u'1';
        return s + u' ' + ui<QLabel>("lbl1durchR")->text();
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
            for (QWidget *x : QList<QWidget *>{ui("FraMesswerte"), ui("fraEinoderZwei"), ui("txtTestDatum")})
                x->setVisible(true);
            w->session().choosePerson({qint32(person), QStringLiteral("Musterfrau"), QStringLiteral("Erika"), {}});
        }
        w->session().chooseSegment(segmentByTable(segment));
    }

    void click(const QString &button) { w->findChild<QPushButton *>(button)->click(); }

    // The comparison window the segment's button leaves (open, or closing by itself).
    frmVergleichLinksRechts *compare(const QString &segment)
    {
        choose(segment);
        ui<QPushButton>("cmdOpenVergleichsFormular")->click();
        return w->findChild<frmVergleichLinksRechts *>();
    }

private slots:
    void init()
    {
        w.reset(); // the last test's, before its test bed
        tb = std::make_unique<TestBed>();
        tb->platform.messages = &msgs;
        msgs = SnapshotMessages();
        msgs.state = [this] { return w ? state() : QString(); };
        person = tb->addPerson(QStringLiteral("Musterfrau"), QStringLiteral("Erika"));
    }

    // Rows: the oldest, then the six newest. No W50 gives 0 or an automatic axis, not a division by
    // zero. Trend line by hand for (0, 1), (1, 3), (2, 2): mean x 1, mean y 2, Sxy 1, Sxx 2; a gap
    // passed over, a bar of 0 counted. (Cell values: the window walks and the trend-line table.)
    void model()
    {
        QCOMPARE(trendRowIndices(1), QList<int>{0});
        QCOMPARE(trendRowIndices(7), (QList<int>{0, 1, 2, 3, 4, 5, 6}));
        QCOMPARE(trendRowIndices(8), (QList<int>{0, 2, 3, 4, 5, 6, 7}));
        const QDate day(2026, 1, 1);
        const ChartData cmp = comparisonChart({{day, 1, 1, 0, 60}, {day, 1, 1, {}, 60}}, ComparisonQuantity::InverseR);
        QCOMPARE(cmp.cells[0].mid(0, 2), (Column{0.0, 0.0}));
        QCOMPARE(comparisonAxisMaximum(ComparisonQuantity::InverseR, 0), std::nullopt);
        const auto is = [](const std::optional<TrendLine> &t, double slope, double intercept) {
            return t && qAbs(t->slope - slope) < 1e-12 && qAbs(t->intercept - intercept) < 1e-12;
        };
        QVERIFY(is(leastSquares({1.0, 3.0, 2.0, {}, {}, {}, {}}), 0.5, 1.5));
        QVERIFY(is(leastSquares({0.002, 0.001, 0.0, 0.003}), 0.0002, 0.0012)); // mean y 0.0015, Sxy 0.001, Sxx 5
        QVERIFY(!leastSquares({4.0, {}, {}}));
    }

    // The printed figures where values are missing: an R of 0 has no angle, the latest shown
    // row without a second measurement passes ΔR to the one before it, no second measurement
    // at all is said; no common day of both legs, no ratio.
    void pageFigures()
    {
        const auto row = [](int day, std::optional<qint16> r, std::optional<qint16> after) {
            Measurement m;
            m.day = QDate(2026, 1, day);
            m.values[Frequency::kHz50] = {r, 60, after};
            return m;
        };
        QCOMPARE(chartFigureLines({row(1, 0, std::nullopt)}, Frequency::kHz50),
                 (QStringList{"Phasenwinkel bei 50 kHz am 01.01.2026: kein Wert",
                              "ΔR 50 kHz: keine zweite Messung unter den gezeigten"}));
        QCOMPARE(chartFigureLines({row(1, 500, 510), row(2, 500, 520), row(3, 600, std::nullopt)}, Frequency::kHz50),
                 (QStringList{"Phasenwinkel bei 50 kHz: 6,8° am 01.01.2026, 5,7° am 03.01.2026",
                              "ΔR 50 kHz durch die Therapie am 02.01.2026: +4,0 %"}));
        std::array<QList<Measurement>, 4> legs;
        legs[2] = {row(1, 500, std::nullopt)};
        legs[3] = {row(2, 500, std::nullopt)};
        QCOMPARE(comparisonRatioLines(clinical::Limbs::Legs, legs, {}),
                 QStringList{"Verhältnis der Widerstände links/rechts (Beine): kein Tag, an dem beide Seiten gemessen "
                             "wurden"});
    }

    // A day without an after-therapy value keeps its bar of 0 but not its place in the after-therapy
    // trend line, whether the value is missing or stored as 0; the before-therapy line keeps every day.
    void trendLinesOverMeasuredValuesOnly_data()
    {
        QTest::addColumn<QVariant>("missing");
        QTest::newRow("no value") << QVariant();
        QTest::newRow("value 0") << QVariant(0);
    }
    void trendLinesOverMeasuredValuesOnly()
    {
        QFETCH(QVariant, missing);
        const QDate day(2026, 1, 1);
        const std::optional<qint16> after = missing.isNull() ? std::nullopt : std::optional<qint16>(missing.toInt());
        const ChartData c = inverseRChart(
            {{day, 520, after, 520, 60}, {day.addDays(1), 500, 500, 500, 60}, {day.addDays(2), 480, 400, 480, 60}});
        QCOMPARE(c.cells[1].mid(0, 3), (Column{0.0, 1 / (500 + 0.000001), 1 / (400 + 0.000001)}));
        const std::optional<TrendLine> afterLine = c.trends.value(1);
        QVERIFY(afterLine && afterLine->firstRow == 1 && afterLine->lastRow == 2);
        QVERIFY(qAbs(afterLine->at(1) - *c.cells[1][1]) < 1e-12 && qAbs(afterLine->at(2) - *c.cells[1][2]) < 1e-12);
        const std::optional<TrendLine> before = c.trends.value(0);
        QVERIFY(before && before->firstRow == 0 && before->lastRow == 2);
    }

    // No segment: nothing changes. No records: the steps before "Keine Daten" show; the chart stays
    // prepared, undrawn, unprintable. Ten days of R5, the newest without W50: Xc/R keeps the rows
    // before it, undrawn; 1/R shows the oldest and the six newest, both measurements, trend lines on
    // the bars' axes. A missing printer is reported.
    void trendCharts()
    {
        tb->platform.printers = nullptr;
        const QString arm = QStringLiteral("ArmLi");
        tb->addMeasurement(arm, person, QDate(2026, 1, 9), QStringLiteral("10:30:00"), 608, 0, 400, 70, 68, 50, 598);
        addDays(arm, 9);
        addDays(arm, 1, 100, tb->addPerson(QStringLiteral("Anders"), QStringLiteral("Bea")));
        choose(QString());
        click(QStringLiteral("cmdGraph"));
        choose(QStringLiteral("ArmRe"));
        click(QStringLiteral("cmdGraph"));
        click(QStringLiteral("cmd_Xc_Graph"));
        QCOMPARE(inspect(ui<QChartView>("MSChart")).sets, QList<QList<double>>(1, QList<double>(7, 0.0)));
        click(QStringLiteral("cmdPrintOut"));
        QCOMPARE(msgs.states.mid(0, 3), (QStringList{"10101 1/R", "01011 1/R", "01010 Xc/R"}));

        choose(arm);
        w->findChild<QRadioButton *>(QStringLiteral("optR5"))->click();
        click(QStringLiteral("cmd_Xc_Graph"));
        QCOMPARE(inspect(ui<QChartView>("MSChart")).sets[0].mid(5), (QList<double>{68.0 / 508, 0.0}));
        QVERIFY(!w->session().chartDrawn());
        click(QStringLiteral("cmdGraph"));
        QCOMPARE(state(), QStringLiteral("01010 1/R"));
        const ShownChart c = inspect(ui<QChartView>("MSChart"));
        const QList<int> days{0, 4, 5, 6, 7, 8, 8};
        for (int row = 0; row < 7; ++row) {
            QCOMPARE(c.labels[row], germanDate(QDate(2026, 1, 1).addDays(days[row])));
            QCOMPARE(c.sets[0][row], 1.0 / (600 + days[row] + 0.000001));
            QCOMPARE(c.sets[1][row], 1.0 / (590 + days[row] + 0.000001));
            QVERIFY(c.sets[0][row] <= c.axisMax && c.sets[1][row] <= c.axisMax && c.axisMin <= 0);
        }
        QVERIFY(c.lines.size() == 2 && c.lines[1].p2().x() == 6);
        click(QStringLiteral("cmdPrintOut"));
        QCOMPARE(msgs.texts, (QStringList{"Sie haben kein Segment ausgewählt!", "Keine Daten", "Keine Daten",
                                          "Keine Daten zum Druck vorhanden",
                                          "Fehler11 (Division durch Null) in Prozedur Draw_Xc_Graph ",
                                          "Error 482 (Druckerfehler) in procedure PrintPictureToFitPage of "
                                          "Formular frmMain"}));
    }

    // The print-out names the person and segment whose values the chart plots: after another person or
    // segment is chosen, the chart drawn before is not printed under the new choice.
    void printOutOfTheChartsOwnPerson()
    {
        const qint64 other = tb->addPerson(QStringLiteral("Anders"), QStringLiteral("Bea"));
        addDays(QStringLiteral("ArmLi"), 3);
        addDays(QStringLiteral("ArmLi"), 3, 400, other);
        choose(QStringLiteral("ArmLi"));
        click(QStringLiteral("cmdGraph"));
        const Person anders{qint32(other), QStringLiteral("Anders"), QStringLiteral("Bea"), {}},
            erika{qint32(person), QStringLiteral("Musterfrau"), QStringLiteral("Erika"), {}};
        const auto printed = [&] {
            QFile::remove(tb->pdfPath());
            click(QStringLiteral("cmdPrintOut"));
            return readPdf(tb->pdfPath()).value(0).words;
        };
        w->session().choosePerson(anders);
        QCOMPARE(printed(), QStringList());
        QCOMPARE(msgs.texts, QStringList{"Keine Daten zum Druck vorhanden"});
        click(QStringLiteral("cmdGraph"));
        w->session().choosePerson(erika);
        QCOMPARE(printed(), QStringList());
        w->session().choosePerson(anders);
        w->session().chooseSegment(segmentByTable(QStringLiteral("ArmRe")));
        QCOMPARE(printed(), QStringList());
        QCOMPARE(msgs.texts.size(), 3);
        w->session().chooseSegment(segmentByTable(QStringLiteral("ArmLi")));
        ui<QLabel>("LBL_Top_Name")->setText(QStringLiteral("Umbenannt")); // the label alone changes nothing
        const QStringList page = printed();
        QVERIFY2(page.contains("Anders") && page.contains("Bea") && page.contains("Links") &&
                     !page.contains("Umbenannt") && !page.contains("Musterfrau"),
                 qPrintable(page.join(u' ')));
        QCOMPARE(msgs.texts.size(), 3);
    }

    // A surname of 47 characters wraps left of the chart, the legend keeps its place; the job carries
    // the program's name, what is printed and whose it is.
    void longNameAndJobName()
    {
        const QString surname = QStringLiteral("Leutheusser-Schnarrenberger-Freifrau von Hagens");
        addDays(QStringLiteral("ArmLi"), 3);
        choose(QStringLiteral("ArmLi"));
        w->session().choosePerson({qint32(person), surname, QStringLiteral("Erika"), {}});
        click(QStringLiteral("cmdGraph"));
        click(QStringLiteral("cmdPrintOut"));
        const PdfPage page = readPdf(tb->pdfPath()).value(0);
        const double nameTop = page.line(QStringLiteral("Name:")).top();
        for (const char *part : {"Leutheusser", "Schnarrenberger", "Freifrau", "Hagens"}) {
            const qsizetype at =
                page.words.indexOf(QRegularExpression(QStringLiteral(".*%1.*").arg(QLatin1String(part))));
            QVERIFY2(at >= 0, part);
            const QRectF box = page.boxes[at].translated(-page.origin);
            QVERIFY2(box.left() >= 480 && box.right() < 3000 && box.top() >= nameTop - 20, part);
        }
        const double lh =
            page.line(QStringLiteral("Geburtsdatum:")).top() - page.line(QStringLiteral("Vorname:")).top();
        QVERIFY(near(page.line(QStringLiteral("grüne Balken:")).topLeft(), {3300, 1000 + 36 * lh}));
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {tb->pdfPath()});
        info.waitForFinished(60000);
        QVERIFY(QString::fromUtf8(info.readAllStandardOutput())
                    .simplified()
                    .contains(QStringLiteral("Title: KavioSegment – Verlauf Arm Links – ") + surname +
                              QStringLiteral(", Erika")));
    }

    // On A4 and Letter, printed or turned to landscape in the preview: the person eleven lines below
    // y 1000, the legend 36 lines below it in the largest font up to 10 pt that fits, then the first
    // and last phase angle and the latest ΔR (atan(60/500) 6,8°, atan(63/503) 7,1°, -10/503 -2,0 %);
    // the chart picture in the screen's proportions inside the page above the legend, no word outside.
    void printedPage_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QSize>("chartSize");
        QTest::addColumn<int>("paper");
        QTest::addColumn<QStringList>("legend");
        const QStringList bars{"grüne Balken: nach Therapie", "rote Balken: vor Therapie",
                               "Die Balkenhöhe zeigt die prozentuale Wasserveränderung vor und nach der Therapie."};
        const QStringList index{"Die Balkenhöhe zeigt den Index Xc/R auf und gibt indirekt Auskunft über den "
                                "Phasenwinkel"};
        QTest::addColumn<bool>("turned");
        for (const auto &[name, paper] : {std::pair("A4", QPageSize::A4), std::pair("Letter", QPageSize::Letter)})
            for (const bool turned : {false, true}) {
                const char *how = turned ? "landscape preview" : "printed";
                QTest::addRow("1/R, wide, %s, %s", name, how)
                    << "cmdGraph" << QSize(481, 321) << int(paper) << bars << turned;
                QTest::addRow("Xc/R, tall, %s, %s", name, how)
                    << "cmd_Xc_Graph" << QSize(160, 600) << int(paper) << index << turned;
            }
    }
    void printedPage()
    {
        QFETCH(QString, button);
        QFETCH(QSize, chartSize);
        QFETCH(int, paper);
        QFETCH(QStringList, legend);
        QFETCH(bool, turned);
        tb->printers->paper = QPageSize::PageSizeId(paper);
        if (turned)
            tb->printers->previewOrientation = QPageLayout::Landscape;
        addDays(QStringLiteral("ArmLi"), 4);
        choose(QStringLiteral("ArmLi"));
        w->session().choosePerson({qint32(person), QStringLiteral("Beispiel"), QStringLiteral("Jürgen"), {}});
        click(button);
        ui<QChartView>("MSChart")->resize(chartSize);
        const QString pdf = turned ? tb->printers->previewPath() : tb->pdfPath();
        if (turned)
            w->findChild<QAction *>(QStringLiteral("mnuGrafikVorschau"))->trigger();
        else
            click(QStringLiteral("cmdPrintOut"));

        const PdfPage page = readPdf(pdf).value(0);
        QCOMPARE(page.landscape(), turned);
        QVERIFY2(page.outside().isEmpty(), qPrintable(page.outside().join(u'\n')));
        const QRectF name = page.line(QStringLiteral("Name: Beispiel")), longest = page.line(legend.last());
        const double lh = page.line(QStringLiteral("Vorname: Jürgen")).top() - name.top();
        QVERIFY(near(name.topLeft(), {500, 1000 + 11 * lh}));
        const double legendTop = page.line(legend[0]).top();
        QVERIFY(near(page.line(legend[0]).topLeft(), {3300, 1000 + 36 * lh}));
        // Portrait needs a smaller font for the longest line; landscape has room for 10 pt.
        QVERIFY2(turned || longest.right() > page.printable.width() - 1500,
                 qPrintable(QString::number(longest.right())));
        const QRectF angle = page.line(QStringLiteral("Phasenwinkel bei 50 kHz: 6,8° am 01.01.2026, 7,1° am "
                                                      "04.01.2026")),
                     change = page.line(QStringLiteral("ΔR 50 kHz durch die Therapie am 04.01.2026: -2,0 %"));
        QVERIFY(near(angle.topLeft(), page.line(legend.last()).topLeft() + QPointF(0, lh)));
        QVERIFY(near(change.topLeft(), angle.topLeft() + QPointF(0, lh)));

        QChart *shown = ui<QChartView>("MSChart")->chart();
        shown->resize(chartSize);
        shown->layout()->activate();
        const QRectF plot = shown->plotArea();
        const QRectF drawn = painted(renderFirstPage(pdf), kPlotBackground, page);
        const double k = drawn.width() / plot.width();
        QVERIFY2(qAbs(drawn.height() / plot.height() - k) < 0.03 * k, qPrintable(QString::number(k)));
        const QRectF picture(drawn.topLeft() - plot.topLeft() * k, QSizeF(chartSize) * k);
        QVERIFY(near(picture.topLeft(), {3000, 2000}));
        QVERIFY2(picture.right() <= page.printable.width() + 20 && picture.bottom() < legendTop &&
                     picture.height() > 5000,
                 qPrintable(QDebug::toString(picture)));
    }

    // No printer: the PDF is offered, and No leaves it at that; Yes and a cancelled file dialog:
    // nothing written, nothing said. A folder the program may not write to: the reason told, no
    // file left behind. A name without ".pdf" gets it, no temporary file stays. The preview
    // draws the page the PDF holds, and nothing goes to the printer meanwhile.
    void printFlow()
    {
        addDays(QStringLiteral("ArmLi"), 2);
        choose(QStringLiteral("ArmLi"));
        click(QStringLiteral("cmdGraph"));
        const auto menu = [&](const char *name) { w->findChild<QAction *>(QLatin1String(name))->trigger(); };
        tb->printers->installed = false;
        const QString offer = QStringLiteral("Es ist kein Drucker installiert.\n\nMöchten Sie die Seite stattdessen "
                                             "als PDF-Datei speichern?");
        msgs.questions.clear();
        click(QStringLiteral("cmdPrintOut"));
        QCOMPARE(msgs.questions, QStringList{offer});
        QVERIFY(tb->dialogs.proposed.isEmpty());
        msgs.answers = {true};
        click(QStringLiteral("cmdPrintOut"));
        QCOMPARE(msgs.questions, QStringList(2, offer));
        QVERIFY(msgs.texts.isEmpty());
        QCOMPARE(QFileInfo(tb->dialogs.proposed.value(0)).fileName(),
                 QStringLiteral("Musterfrau_Erika_2026-12-06_Arm_links.pdf"));

        QTemporaryDir out;
        const QString locked = out.filePath(QStringLiteral("gesperrt"));
        QVERIFY(QDir().mkpath(locked));
        QFile::setPermissions(out.path(), QFile::Permissions(0x7755));
        QFile::setPermissions(locked, QFile::Permissions(0x5555));
        tb->dialogs.saveAnswer = locked + QStringLiteral("/Seite.pdf");
        {
            Unprivileged user;
            menu("mnuGrafikPdf");
        }
        QCOMPARE(msgs.texts, QStringList{QStringLiteral("Die PDF-Datei „%1/Seite.pdf“ wurde nicht gespeichert:\n"
                                                        "In den Ordner „%1“ darf nicht geschrieben werden")
                                             .arg(locked)});
        QVERIFY(QDir(locked).isEmpty());
        tb->dialogs.saveAnswer = out.filePath(QStringLiteral("Seite"));
        menu("mnuGrafikPdf");
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Seite.pdf"});
        menu("mnuGrafikVorschau");
        QCOMPARE(tb->printers->previews, QStringList{"KavioSegment – Verlauf Arm Links – Musterfrau, Erika|portrait"});
        const QStringList saved = readPdf(out.filePath(QStringLiteral("Seite.pdf"))).value(0).words;
        QVERIFY(saved.contains("Musterfrau"));
        QCOMPARE(readPdf(tb->printers->previewPath()).value(0).words, saved);
        QCOMPARE(msgs.texts.size(), 1);
        QVERIFY(!QFile::exists(tb->pdfPath()));
    }

    // Either limb opens the pair, left limb on the left. The left's seven newest days of one
    // person, oldest first; three on the right give rows 1 to 3 and four of 0; both axes end at
    // 1 / the pair's smallest W50 (410 and 395: 1/395); Xc/R and back switch captions and maxima.
    void comparison()
    {
        addDays(QStringLiteral("BeinLi"), 10, 410);
        addDays(QStringLiteral("BeinRe"), 3, 395);
        addDays(QStringLiteral("BeinRe"), 2, 100, tb->addPerson(QStringLiteral("Andere"), QStringLiteral("Ida")));
        addDays(QStringLiteral("ArmLi"), 1, 210); // smaller than the legs', so a mix-up shows
        addDays(QStringLiteral("ArmRe"), 1, 220);
        const auto captions = [](frmVergleichLinksRechts *c) {
            return c->lblSegmentLinks->text() + u'|' + c->lblSegmentRechts->text();
        };
        for (const QString segment : {"ArmRe", "ArmLi", "BeinRe"}) {
            frmVergleichLinksRechts *c = compare(segment);
            const QString limb = segment.chopped(2);
            QCOMPARE(captions(c), limb + " links (1/R)|" + limb + " rechts (1/R)");
            QCOMPARE(inspect(c->MSChartLinks).sets[0][0], limb == "Arm" ? 1.0 / 210 : 1.0 / 413);
            c->cmdCloseForm->click();
            QTRY_VERIFY(!w->findChild<frmVergleichLinksRechts *>());
        }
        frmVergleichLinksRechts *c = compare(QStringLiteral("BeinLi"));
        const ShownChart l = inspect(c->MSChartLinks), r = inspect(c->MSChartRechts);
        for (int row = 0; row < 7; ++row) {
            QCOMPARE(l.labels[row], germanDate(QDate(2026, 1, 4).addDays(row)));
            QCOMPARE(l.sets[0][row], 1.0 / (413 + row));
            QCOMPARE(r.labels[row], row < 3 ? germanDate(QDate(2026, 1, 1).addDays(row)) : QString());
            QCOMPARE(r.sets[0][row], row < 3 ? 1.0 / (395 + row) : 0.0);
        }
        QCOMPARE(QList<double>({l.axisMin, l.axisMax, r.axisMax}), QList<double>({0.0, 1.0 / 395, 1.0 / 395}));
        c->optXC_durch_R->click();
        QCOMPARE(captions(c), QStringLiteral("Bein links (Xc/R)|Bein rechts (Xc/R)"));
        QCOMPARE(inspect(c->MSChartLinks).sets[0][0], 63.0 / 413);
        QCOMPARE(inspect(c->MSChartRechts).axisMax, 0.16);
        c->optWiderstand->click();
        QCOMPARE(captions(c), QStringLiteral("Bein links (1/R)|Bein rechts (1/R)"));
        QCOMPARE(inspect(c->MSChartRechts).axisMax, 1.0 / 395);
    }

    // With the right side empty the window closes itself before preparing the left chart. A print job
    // that cannot begin is reported, the window stays. Landscape on A4 and Letter: the heading centred
    // above the captions, the charts below them in their own size (the right limb's at 1440), the
    // person from y 7000, then the arms' ratio of 3 Jan (R5 512 / 497). Turned to portrait in the
    // preview, all of it still fits. One window at a time.
    void comparisonWindowAndPage()
    {
        addDays(QStringLiteral("ArmLi"), 5, 410);
        addDays(QStringLiteral("BeinRe"), 2, 450);
        QCOMPARE(inspect(compare(QStringLiteral("ArmLi"))->MSChartLinks).sets[0], QList<double>{0.0});
        QTRY_VERIFY(!w->findChild<frmVergleichLinksRechts *>());
        frmVergleichLinksRechts *closing = compare(QStringLiteral("BeinLi"));
        QCOMPARE(inspect(closing->MSChartLinks).sets[0], QList<double>(7, 0.0));
        QCOMPARE(inspect(closing->MSChartRechts).sets[0][0], 1.0 / 450);
        QTRY_VERIFY(!w->findChild<frmVergleichLinksRechts *>());
        QCOMPARE(msgs.texts, QStringList(2, QStringLiteral("Keine Daten vorhanden!")));

        addDays(QStringLiteral("ArmRe"), 3, 395);
        QVERIFY(QDir().mkpath(tb->pdfPath())); // in the PDF's way
        QPointer<frmVergleichLinksRechts> c = compare(QStringLiteral("ArmLi"));
        c->cmdPreview->click();
        QCOMPARE(msgs.texts.size(), 3);
        QVERIFY2(msgs.texts[2].startsWith("Error 482 (") && msgs.texts[2].contains("ist ein Ordner"),
                 qPrintable(msgs.texts[2]));
        QTest::qWait(100);
        QVERIFY(c && c->isVisible() && QDir().rmdir(tb->pdfPath()));
        const double leftX = 13425.0 / 2 + 1440;
        for (const QPageSize::PageSizeId paper : {QPageSize::A4, QPageSize::Letter}) {
            tb->printers->paper = paper;
            c->cmdPreview->click();
            const PdfPage page = readPdf(tb->pdfPath()).value(0);
            QVERIFY(page.landscape());
            QVERIFY2(page.outside().isEmpty(), qPrintable(page.outside().join(u'\n')));
            const QRectF heading = page.line("Vergleich von Segmenten"), right = page.line("Arm rechts (1/R)");
            QVERIFY(qAbs(heading.center().x() - page.printable.width() / 2) < 40 && right.top() > heading.bottom());
            QVERIFY(near(right.topLeft(), {1440, right.top()}));
            QVERIFY(near(page.line("Arm links (1/R)").topLeft(), {leftX, right.top()}));
            const QRectF name = page.line("Name: Musterfrau");
            QVERIFY(near(name.topLeft(), {1440, 7000}));
            const double lh = page.line("Vorname: Erika").top() - name.top();
            QVERIFY(
                near(page.line("Verhältnis der Widerstände links/rechts (Arme) am 03.01.2026: unauffällig").topLeft(),
                     {1440, 7000 + 4 * lh}));
            QVERIFY(!page.line("Arme, 5 kHz: Verhältnis 1,030 (links größer)").isNull());
            const QRectF plots = painted(renderFirstPage(tb->pdfPath()), kPlotBackground, page);
            const QRectF r = c->MSChartRechts->chart()->plotArea(), l = c->MSChartLinks->chart()->plotArea();
            QVERIFY(near(plots.topLeft(), QPointF(1440, right.bottom()) + r.topLeft() * 15));
            QVERIFY(near(plots.bottomRight(), QPointF(leftX, right.bottom()) + l.bottomRight() * 15));

            // Turned to portrait in the preview: both charts smaller, side by side, above the person.
            tb->printers->previewOrientation = QPageLayout::Portrait;
            c->cmdVorschau->click();
            tb->printers->previewOrientation.reset();
            const PdfPage upright = readPdf(tb->printers->previewPath()).value(0);
            QVERIFY(!upright.landscape());
            QVERIFY2(upright.outside().isEmpty(), qPrintable(upright.outside().join(u'\n')));
            const QRectF both = painted(renderFirstPage(tb->printers->previewPath()), kPlotBackground, upright);
            QVERIFY(both.left() > 0 && both.right() <= upright.printable.width() && both.width() > plots.width() / 2 &&
                    both.bottom() < upright.line("Name: Musterfrau").top());
        }
        QCOMPARE(msgs.texts.size(), 3);
        compare(QStringLiteral("ArmLi"));
        QCOMPARE(w->findChildren<frmVergleichLinksRechts *>().size(), 1); // no second window
    }
};

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"
