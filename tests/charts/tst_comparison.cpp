// The left/right comparison window and its page.
#include "app/Conversions.h"
#include "ChartInspection.h"
#include "charts/ChartView.h"
#include "charts/frmVergleichLinksRechts.h"
#include "PdfReadBack.h"
#include "TestBed.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace kavio;
using namespace kavio::test;

namespace {

QList<frmVergleichLinksRechts *> openWindows()
{
    QList<frmVergleichLinksRechts *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *c = qobject_cast<frmVergleichLinksRechts *>(w); c && c->isVisible())
            out << c;
    return out;
}

const QDate kStart(2026, 2, 1);
constexpr double kTolerance = 40; // twips

QString day(int d)
{
    return germanDate(kStart.addDays(d));
}

} // namespace

class TstComparison : public QObject {
    Q_OBJECT

    std::unique_ptr<TestBed> tb;
    SnapshotMessages msgs;
    std::unique_ptr<frmMain> w;
    qint64 person = 0;

    Ui::frmMain &ui() { return w->form(); }

    // n days in a table: W50 = w50 + d, Xc50 = 40 + d.
    void addDays(const QString &table, int n, int w50, qint64 fktn = 0)
    {
        for (int d = 0; d < n; ++d)
            tb->addMeasurement(table, fktn ? fktn : person, kStart.addDays(d), QStringLiteral("10:00:00"), 600, w50 + d,
                               400, 70, 40 + d, 50);
    }

    // Opens the window from the main window with a person and the segment chosen; the
    // comparison window when exactly one shows.
    frmVergleichLinksRechts *open(const QString &segment)
    {
        w->strSegment = segment;
        ui().txtFKTN->setText(QString::number(person));
        ui().LBL_Top_Name->setText(QStringLiteral("Musterfrau"));
        ui().LBL_Top_Vorname->setText(QStringLiteral("Erika"));
        ui().LBL_Top_GebDat->setText(QStringLiteral("17.05.1960"));
        ui().cmdOpenVergleichsFormular->setVisible(true);
        QTest::mouseClick(ui().cmdOpenVergleichsFormular, Qt::LeftButton);
        const auto windows = openWindows();
        return windows.size() == 1 ? windows.first() : nullptr;
    }

    void newWindow()
    {
        w.reset(); // takes its comparison window along
        w = std::make_unique<frmMain>(tb->platform);
        msgs.shown.clear();
    }

private slots:
    void init()
    {
        tb = std::make_unique<TestBed>();
        tb->platform.messages = &msgs;
        msgs.charts = [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *c = qobject_cast<frmVergleichLinksRechts *>(w))
                    return QList<QChartView *>{c->MSChartLinks, c->MSChartRechts};
            return QList<QChartView *>{};
        };
        newWindow();
        person = tb->addPerson(QStringLiteral("Musterfrau"), QStringLiteral("Erika"));
    }
    void cleanup()
    {
        w.reset();
        tb.reset();
    }

    // Either limb of a pair shows the pair, left limb on the left, both axes ending at
    // 1 / the pair's smallest W50.
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
        frmVergleichLinksRechts *c = open(segment);
        QVERIFY(c);
        QVERIFY(msgs.shown.isEmpty());
        QCOMPARE(c->lblSegmentLinks->text(), limbs[left]);
        QCOMPARE(c->lblSegmentRechts->text(), limbs[left + 1]);
        const ShownChart l = inspect(c->MSChartLinks), r = inspect(c->MSChartRechts);
        QCOMPARE(l.sets[0][0], 1.0 / (400 + 100 * left));
        QCOMPARE(r.sets[0][0], 1.0 / (500 + 100 * left));
        QCOMPARE(l.axisMax, 1.0 / (400 + 100 * left));
        QCOMPARE(r.axisMax, 1.0 / (400 + 100 * left));

        QCOMPARE((QStringList{c->windowTitle(), c->lblTitle->text(), c->optWiderstand->text(), c->optXC_durch_R->text(),
                              c->cmdPreview->text(), c->cmdCloseForm->text()}),
                 (QStringList{"Vergleich Extremtitäten", "Gliedervergleich rechts/links", "1/R anzeigen",
                              "Xc/R anzeigen", "Drucken", "Formular schließen"}));
        QVERIFY(c->optWiderstand->isChecked() && !c->isModal() && !c->Timer1->isActive());
        for (QWidget *child : c->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            QVERIFY2(child->isHidden() || c->rect().contains(child->geometry()), qPrintable(child->objectName()));
        for (QLabel *label : {c->lblSegmentLinks, c->lblSegmentRechts})
            QVERIFY(label->fontMetrics().horizontalAdvance(QStringLiteral("Bein rechts (Xc/R)")) <= label->width());
    }

    // The seven newest days of one person; the shared axis follows the smaller side; Xc/R
    // and back, twice.
    void rowsAxisAndQuantity()
    {
        addDays(QStringLiteral("BeinLi"), 10, 410);
        addDays(QStringLiteral("BeinRe"), 3, 395);
        addDays(QStringLiteral("BeinRe"), 2, 100, tb->addPerson(QStringLiteral("Andere"), QStringLiteral("Ida")));
        frmVergleichLinksRechts *c = open(QStringLiteral("BeinLi"));
        QVERIFY(c);
        for (int round = 0; round < 2; ++round) {
            const ShownChart l = inspect(c->MSChartLinks), r = inspect(c->MSChartRechts);
            for (int row = 0; row < 7; ++row) {
                QCOMPARE(l.labels[row], day(3 + row));
                QCOMPARE(l.sets[0][row], 1.0 / (413 + row));
                QCOMPARE(r.labels[row], row < 3 ? day(row) : QString());
                QCOMPARE(r.sets[0][row], row < 3 ? 1.0 / (395 + row) : 0.0);
            }
            QCOMPARE(QList<double>({l.axisMin, l.axisMax, r.axisMax}), QList<double>({0.0, 1.0 / 395, 1.0 / 395}));
            QTest::mouseClick(c->optXC_durch_R, Qt::LeftButton);
            QCOMPARE(c->lblSegmentLinks->text(), QStringLiteral("Bein links (Xc/R)"));
            QCOMPARE(c->lblSegmentRechts->text(), QStringLiteral("Bein rechts (Xc/R)"));
            QCOMPARE(inspect(c->MSChartLinks).sets[0][0], 43.0 / 413);
            QCOMPARE(inspect(c->MSChartLinks).axisMax, 0.16);
            QCOMPARE(inspect(c->MSChartRechts).axisMax, 0.16);
            QTest::mouseClick(c->optWiderstand, Qt::LeftButton);
            QCOMPARE(c->lblSegmentLinks->text(), QStringLiteral("Bein links (1/R)"));
        }
        QVERIFY(msgs.shown.isEmpty());
    }

    // A day with W50 0 shows 0; a smallest W50 of 0 leaves the axes to scale themselves.
    void recordWithoutW50()
    {
        addDays(QStringLiteral("ArmLi"), 2, 400);
        addDays(QStringLiteral("ArmRe"), 1, 0);
        tb->addMeasurement(QStringLiteral("ArmRe"), person, kStart.addDays(1), QStringLiteral("10:00:00"), 600, 450,
                           400, 70, 40, 50);
        frmVergleichLinksRechts *c = open(QStringLiteral("ArmRe"));
        QVERIFY(c);
        QVERIFY(msgs.shown.isEmpty());
        QCOMPARE(inspect(c->MSChartRechts).sets[0].mid(0, 2), (QList<double>{0.0, 1.0 / 450}));
        for (QChartView *chart : {c->MSChartLinks, c->MSChartRechts}) {
            const ShownChart s = inspect(chart);
            QVERIFY2(qIsFinite(s.axisMax) && s.axisMax >= 1.0 / 400, qPrintable(QString::number(s.axisMax)));
        }
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
        open(QStringLiteral("ArmLi"));
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("Keine Daten vorhanden!")});
        QCOMPARE(msgs.shown[0].icon, MsgIcon::Information);
        const ShownChart &left = msgs.shown[0].charts[0], &right = msgs.shown[0].charts[1];
        QCOMPARE(left.sets[0], QList<double>(rightHasRecords ? 7 : 1, 0.0));
        QCOMPARE(right.sets[0][0], rightHasRecords ? 1.0 / 450 : 0.0);
        QTRY_VERIFY_WITH_TIMEOUT(openWindows().isEmpty(), 2000);
        QVERIFY(!ui().cmdExtremitaet->isEnabled()); // the timer leaves the main window alone
    }

    // After a first drawing the window stays open whatever goes wrong; one window at a time.
    void failuresAndReopening()
    {
        addDays(QStringLiteral("ArmLi"), 2, 400);
        addDays(QStringLiteral("ArmRe"), 2, 400);
        QPointer<frmVergleichLinksRechts> c = open(QStringLiteral("ArmLi"));
        QVERIFY(c);
        ui().txtFKTN->setText(QStringLiteral("abc"));
        QTest::mouseClick(c->optXC_durch_R, Qt::LeftButton);
        ui().txtFKTN->setText(QString::number(person));
        w->strSegment.clear();
        QTest::mouseClick(c->optWiderstand, Qt::LeftButton);
        QCOMPARE(msgs.texts(), (QStringList{QStringLiteral("Error 13 (Typen unverträglich) in procedure "
                                                           "DrawExtremitaet_XcR of Formular frmVergleichLinksRechts"),
                                            QStringLiteral("Sie haben kein Segment ausgewählt")}));
        QCOMPARE(msgs.shown[1].icon, MsgIcon::None);
        for (QChartView *chart : {c->MSChartLinks, c->MSChartRechts})
            QCOMPARE(inspect(chart).sets, QList<QList<double>>{{0.0}});
        QTest::qWait(100);
        QVERIFY(c && c->isVisible());

        c->optXC_durch_R->click();
        QCOMPARE(open(QStringLiteral("ArmLi")), c.data()); // no second window, this one left as it was
        QVERIFY(c->optXC_durch_R->isChecked());
        QCOMPARE(msgs.shown.size(), 3);
        QTest::mouseClick(c->cmdCloseForm, Qt::LeftButton);
        QTRY_VERIFY(c.isNull());
        QVERIFY(ui().cmdExtremitaet->isEnabled());
        QVERIFY(open(QStringLiteral("ArmLi")));
    }

    void printedPage()
    {
        addDays(QStringLiteral("ArmLi"), 5, 410);
        addDays(QStringLiteral("ArmRe"), 3, 395);
        frmVergleichLinksRechts *c = open(QStringLiteral("ArmLi"));
        QVERIFY(c);
        QTest::mouseClick(c->cmdPreview, Qt::LeftButton);
        QVERIFY2(msgs.shown.isEmpty(), qPrintable(msgs.texts().join(QLatin1Char('\n'))));

        const PdfPage page = readPdfPage(tb->pdfPath());
        QVERIFY(page.size.width() > page.size.height()); // landscape
        const QStringList texts{"Erstellt mit KavioSegment", "Vergleich von Segmenten", "Arm rechts (1/R)",
                                "Arm links (1/R)",           "Name: Musterfrau",        "Vorname: Erika",
                                "Geburtsdatum: 17.05.1960"};
        QList<QRectF> at;
        for (const QString &text : texts) {
            at << page.line(text);
            QVERIFY2(!at.last().isNull(), qPrintable(text));
        }
        const QRectF credit = at[0], heading = at[1], right = at[2], left = at[3], name = at[4];
        const double lh = at[5].top() - name.top();
        QVERIFY2(lh > 150 && lh < 300, qPrintable(QString::number(lh)));
        // One empty line from y = 1000, the credit line; the heading centred, larger, below
        // two empty lines; the captions on one line below it, the right limb's at 1440, the
        // left limb's at half the width; the person from y = 7000 at x = 1440.
        QVERIFY2(qAbs(credit.top() - (1000 + lh)) < kTolerance, qPrintable(QString::number(credit.top())));
        QVERIFY(qAbs(heading.center().x() - page.printable.width() / 2) < kTolerance);
        QVERIFY(heading.height() > 1.2 * name.height() && heading.top() > credit.bottom() + 2 * lh);
        QVERIFY(qAbs(right.left() - 1440) < kTolerance && qAbs(left.left() - page.printable.width() / 2) < kTolerance);
        QVERIFY(qAbs(left.top() - right.top()) < 5 && right.top() > heading.bottom());
        for (int i = 0; i < 3; ++i)
            QVERIFY2(qAbs(at[4 + i].left() - 1440) < kTolerance && qAbs(at[4 + i].top() - (7000 + i * lh)) < kTolerance,
                     qPrintable(texts[4 + i]));
        // The charts in their own size on the line below the captions: the right limb's on
        // the left half, the left limb's from half the window's width + 1440.
        const QList<std::pair<QChartView *, double>> charts{{c->MSChartRechts, 1440.0},
                                                            {c->MSChartLinks, 13425.0 / 2 + 1440}};
        for (const auto &[view, x] : charts) {
            const QRectF plot = view->chart()->plotArea();
            const QRectF want(QPointF(x, right.top() + lh) + plot.topLeft() * 15, plot.size() * 15);
            const QString mismatch = fillMismatch(page, tb->pdfPath(), want, charts::kPlotBackground);
            QVERIFY2(mismatch.isEmpty(), qPrintable(view->objectName() + u' ' + mismatch));
        }
    }

    void printerFailure()
    {
        PdfPrinterFactory unwritable(tb->path(QStringLiteral("no/such/folder/print.pdf")));
        tb->platform.printers = &unwritable;
        newWindow();
        addDays(QStringLiteral("ArmLi"), 1, 400);
        addDays(QStringLiteral("ArmRe"), 1, 400);
        frmVergleichLinksRechts *c = open(QStringLiteral("ArmLi"));
        QVERIFY(c);
        QTest::mouseClick(c->cmdPreview, Qt::LeftButton);
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("Error 482 (Der Druckauftrag konnte nicht begonnen werden) "
                                                          "in procedure cmdPreview_Click of Formular "
                                                          "frmVergleichLinksRechts")});
        QVERIFY(!QFile::exists(tb->pdfPath()));
    }
};

QTEST_MAIN(TstComparison)
#include "tst_comparison.moc"
