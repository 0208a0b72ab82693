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

// Records each message with both charts of the open comparison window at that moment.
class SnapshotMessages final : public Messages {
public:
    struct Shown {
        QString text;
        MsgIcon icon;
        ShownChart left, right;
    };
    void show(const QString &text, MsgIcon icon, const QString &) override
    {
        Shown s{text, icon, {}, {}};
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *c = qobject_cast<frmVergleichLinksRechts *>(w)) {
                s.left = inspect(c->MSChartLinks);
                s.right = inspect(c->MSChartRechts);
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
    QList<Shown> shown;
};

const QDate kStart(2026, 2, 1);

constexpr double kTolerance = 40; // twips

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

    void choose(const QString &segment)
    {
        w->strSegment = segment;
        ui().txtFKTN->setText(QString::number(person));
        ui().LBL_Top_Name->setText(QStringLiteral("Musterfrau"));
        ui().LBL_Top_Vorname->setText(QStringLiteral("Erika"));
        ui().LBL_Top_GebDat->setText(QStringLiteral("17.05.1960"));
        ui().cmdOpenVergleichsFormular->setVisible(true);
    }

    frmVergleichLinksRechts *open()
    {
        QTest::mouseClick(ui().cmdOpenVergleichsFormular, Qt::LeftButton);
        const auto windows = openWindows();
        return windows.size() == 1 ? windows.first() : nullptr;
    }

    static QString day(int d) { return germanDate(kStart.addDays(d)); }

private slots:
    void init()
    {
        tb = std::make_unique<TestBed>();
        msgs.shown.clear();
        tb->platform.messages = &msgs;
        w = std::make_unique<frmMain>(tb->platform);
        msgs.shown.clear();
        person = tb->addPerson(QStringLiteral("Musterfrau"), QStringLiteral("Erika"));
    }
    void cleanup()
    {
        w.reset(); // takes its comparison window along
        tb.reset();
    }

    void layout()
    {
        addDays(QStringLiteral("ArmLi"), 1, 400);
        addDays(QStringLiteral("ArmRe"), 1, 400);
        choose(QStringLiteral("ArmLi"));
        frmVergleichLinksRechts *c = open();
        QVERIFY(c);
        QCOMPARE(c->windowTitle(), QStringLiteral("Vergleich Extremtitäten"));
        QCOMPARE(c->size(), QSize(895, 480)); // 13425 x 7200 twips
        QCOMPARE(c->lblTitle->text(), QStringLiteral("Gliedervergleich rechts/links"));
        QCOMPARE(c->MSChartLinks->geometry(), QRect(24, 80, 417, 265));
        QCOMPARE(c->MSChartRechts->geometry(), QRect(456, 80, 417, 265));
        QCOMPARE(c->optWiderstand->text(), QStringLiteral("1/R anzeigen"));
        QCOMPARE(c->optXC_durch_R->text(), QStringLiteral("Xc/R anzeigen"));
        QCOMPARE(c->cmdPreview->text(), QStringLiteral("Drucken"));
        QCOMPARE(c->cmdCloseForm->text(), QStringLiteral("Formular schließen"));
        QVERIFY(c->cmdDrawExtremitaet->isHidden());
        QVERIFY(c->Image1->isHidden());
        QVERIFY(c->optWiderstand->isChecked());
        QVERIFY(!c->isModal());
        QVERIFY(!c->Timer1->isActive());
        // Every control lies inside the client area, the captions fit their labels.
        for (QWidget *child : c->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (!child->isHidden())
                QVERIFY2(c->rect().contains(child->geometry()), qPrintable(child->objectName()));
        for (QLabel *l : {c->lblSegmentLinks, c->lblSegmentRechts})
            QVERIFY(l->fontMetrics().horizontalAdvance(QStringLiteral("Bein rechts (Xc/R)")) <= l->width());
        if (qEnvironmentVariableIsSet("KAVIO_SHOTS")) {
            QVERIFY(QTest::qWaitForWindowExposed(c));
            c->grab().save(qEnvironmentVariable("KAVIO_SHOTS") + QStringLiteral("/comparison.png"));
        }
    }

    void pair_data()
    {
        QTest::addColumn<QString>("segment");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::addColumn<QString>("leftCaption");
        QTest::addColumn<QString>("rightCaption");
        QTest::newRow("ArmRe") << QStringLiteral("ArmRe") << QStringLiteral("ArmLi") << QStringLiteral("ArmRe")
                               << QStringLiteral("Arm links (1/R)") << QStringLiteral("Arm rechts (1/R)");
        QTest::newRow("ArmLi") << QStringLiteral("ArmLi") << QStringLiteral("ArmLi") << QStringLiteral("ArmRe")
                               << QStringLiteral("Arm links (1/R)") << QStringLiteral("Arm rechts (1/R)");
        QTest::newRow("BeinLi") << QStringLiteral("BeinLi") << QStringLiteral("BeinLi") << QStringLiteral("BeinRe")
                                << QStringLiteral("Bein links (1/R)") << QStringLiteral("Bein rechts (1/R)");
        QTest::newRow("BeinRe") << QStringLiteral("BeinRe") << QStringLiteral("BeinLi") << QStringLiteral("BeinRe")
                                << QStringLiteral("Bein links (1/R)") << QStringLiteral("Bein rechts (1/R)");
    }
    void pair()
    {
        QFETCH(QString, segment);
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(QString, leftCaption);
        QFETCH(QString, rightCaption);
        // Every table its own W50, so each chart tells where its values come from.
        const QStringList tables{QStringLiteral("ArmLi"), QStringLiteral("ArmRe"), QStringLiteral("BeinLi"),
                                 QStringLiteral("BeinRe")};
        for (int i = 0; i < tables.size(); ++i)
            addDays(tables[i], 2, 400 + 100 * i);
        choose(segment);
        frmVergleichLinksRechts *c = open();
        QVERIFY(c);
        QVERIFY(msgs.shown.isEmpty());
        QCOMPARE(c->lblSegmentLinks->text(), leftCaption);
        QCOMPARE(c->lblSegmentRechts->text(), rightCaption);
        QCOMPARE(inspect(c->MSChartLinks).sets[0][0], 1.0 / (400 + 100 * tables.indexOf(left)));
        QCOMPARE(inspect(c->MSChartRechts).sets[0][0], 1.0 / (400 + 100 * tables.indexOf(right)));
    }

    void rows_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("firstDay");
        QTest::newRow("three") << 3 << 0;
        QTest::newRow("seven") << 7 << 0;
        QTest::newRow("ten: the seven newest") << 10 << 3;
    }
    void rows()
    {
        QFETCH(int, n);
        QFETCH(int, firstDay);
        addDays(QStringLiteral("ArmRe"), n, 500);
        addDays(QStringLiteral("ArmLi"), 1, 500);
        addDays(QStringLiteral("ArmRe"), 2, 300, tb->addPerson(QStringLiteral("Andere"), QStringLiteral("Ida")));
        choose(QStringLiteral("ArmRe"));
        frmVergleichLinksRechts *c = open();
        QVERIFY(c);
        const ShownChart r = inspect(c->MSChartRechts);
        QCOMPARE(r.sets.size(), 1);
        for (int row = 0; row < 7; ++row) {
            if (row < qMin(n, 7)) {
                QCOMPARE(r.labels[row], day(firstDay + row));
                QCOMPARE(r.sets[0][row], 1.0 / (500 + firstDay + row));
            } else {
                QCOMPARE(r.labels[row], QString());
                QCOMPARE(r.sets[0][row], 0.0);
            }
        }
    }

    // Smallest W50 410 on the left, 395 on the right: both axes end at 1/395.
    void sharedMaximum()
    {
        addDays(QStringLiteral("ArmLi"), 3, 410);
        addDays(QStringLiteral("ArmRe"), 3, 395);
        addDays(QStringLiteral("ArmRe"), 1, 100, tb->addPerson(QStringLiteral("Andere"), QStringLiteral("Ida")));
        choose(QStringLiteral("ArmLi"));
        frmVergleichLinksRechts *c = open();
        QVERIFY(c);
        QCOMPARE(inspect(c->MSChartLinks).axisMax, 1.0 / 395);
        QCOMPARE(inspect(c->MSChartRechts).axisMax, 1.0 / 395);
        QCOMPARE(inspect(c->MSChartLinks).axisMin, 0.0);
        QCOMPARE(c->minW50Links, 410);
        QCOMPARE(c->minW50Rechts, 395);
        QCOMPARE(c->fMinW50Paar(), 395.0);
        QCOMPARE(c->fMinW50(QStringLiteral("BeinLi"), qint32(person)), 0);
    }

    void switchingQuantity()
    {
        addDays(QStringLiteral("BeinLi"), 2, 410);
        addDays(QStringLiteral("BeinRe"), 2, 395);
        choose(QStringLiteral("BeinRe"));
        frmVergleichLinksRechts *c = open();
        QVERIFY(c);
        for (int round = 0; round < 2; ++round) {
            QTest::mouseClick(c->optXC_durch_R, Qt::LeftButton);
            QCOMPARE(c->lblSegmentLinks->text(), QStringLiteral("Bein links (Xc/R)"));
            QCOMPARE(c->lblSegmentRechts->text(), QStringLiteral("Bein rechts (Xc/R)"));
            for (QChartView *chart : {c->MSChartLinks, c->MSChartRechts})
                QCOMPARE(inspect(chart).axisMax, 0.16);
            QCOMPARE(inspect(c->MSChartLinks).sets[0][1], 41.0 / 411);
            QTest::mouseClick(c->optWiderstand, Qt::LeftButton);
            QCOMPARE(c->lblSegmentLinks->text(), QStringLiteral("Bein links (1/R)"));
            QCOMPARE(c->lblSegmentRechts->text(), QStringLiteral("Bein rechts (1/R)"));
            for (QChartView *chart : {c->MSChartLinks, c->MSChartRechts})
                QCOMPARE(inspect(chart).axisMax, 1.0 / 395);
            QCOMPARE(inspect(c->MSChartLinks).sets[0][1], 1.0 / 411);
        }
        QVERIFY(msgs.shown.isEmpty());
    }

    // A day without W50 shows 0; a smallest W50 of 0 leaves the axis to scale itself.
    void recordWithoutW50()
    {
        addDays(QStringLiteral("ArmLi"), 2, 400);
        tb->addMeasurement(QStringLiteral("ArmRe"), person, kStart, QStringLiteral("10:00:00"), 600, 0, 400, 70, 40,
                           50);
        addDays(QStringLiteral("ArmRe"), 2, 450);
        choose(QStringLiteral("ArmRe"));
        frmVergleichLinksRechts *c = open();
        QVERIFY(c);
        QVERIFY(msgs.shown.isEmpty());
        const ShownChart r = inspect(c->MSChartRechts);
        QCOMPARE(r.sets[0].mid(0, 3), (QList<double>{0.0, 1.0 / 450, 1.0 / 451}));
        QCOMPARE(c->minW50Rechts, 0);
        for (QChartView *chart : {c->MSChartLinks, c->MSChartRechts}) {
            const ShownChart s = inspect(chart);
            QVERIFY(qIsFinite(s.axisMax));
            QVERIFY(s.axisMax >= 1.0 / 400);
        }
    }

    void closesItselfWithoutRecords_data()
    {
        QTest::addColumn<bool>("rightHasRecords");
        QTest::newRow("right table empty") << false;
        QTest::newRow("left table empty") << true;
    }
    void closesItselfWithoutRecords()
    {
        QFETCH(bool, rightHasRecords);
        if (rightHasRecords)
            addDays(QStringLiteral("ArmRe"), 2, 450);
        else
            addDays(QStringLiteral("ArmLi"), 2, 450);
        choose(QStringLiteral("ArmLi"));
        QTest::mouseClick(ui().cmdOpenVergleichsFormular, Qt::LeftButton);
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("Keine Daten vorhanden!")});
        QCOMPARE(msgs.shown[0].icon, MsgIcon::Information);
        // The left chart is not even prepared when the right one has nothing; otherwise
        // it is prepared but holds nothing.
        QCOMPARE(msgs.shown[0].left.labels.size(), rightHasRecords ? 7 : 1);
        QCOMPARE(msgs.shown[0].left.sets[0], QList<double>(rightHasRecords ? 7 : 1, 0.0));
        QCOMPARE(msgs.shown[0].right.sets[0][0], rightHasRecords ? 1.0 / 450 : 0.0);
        QTRY_VERIFY_WITH_TIMEOUT(openWindows().isEmpty(), 2000);
        QVERIFY(!ui().cmdExtremitaet->isEnabled()); // the timer leaves the main window alone
    }

    void secondClickOpensNoSecondWindow()
    {
        addDays(QStringLiteral("ArmLi"), 1, 400);
        addDays(QStringLiteral("ArmRe"), 1, 400);
        choose(QStringLiteral("ArmLi"));
        QPointer<frmVergleichLinksRechts> first = open();
        QVERIFY(first);
        first->optXC_durch_R->click();
        QTest::mouseClick(ui().cmdOpenVergleichsFormular, Qt::LeftButton);
        QCOMPARE(openWindows().size(), 1);
        QVERIFY(first->optXC_durch_R->isChecked()); // the open window is left as it was
        // The main window stays usable while it is open.
        QVERIFY(ui().cmdOpenVergleichsFormular->isEnabled());
        QTest::mouseClick(first->cmdCloseForm, Qt::LeftButton);
        QTRY_VERIFY(first.isNull());
        QVERIFY(ui().cmdExtremitaet->isEnabled());
        QVERIFY(open());
    }

    // After a first drawing the window stays open even when there is no segment any more.
    void noSegment()
    {
        addDays(QStringLiteral("ArmLi"), 2, 400);
        addDays(QStringLiteral("ArmRe"), 2, 400);
        choose(QStringLiteral("ArmLi"));
        QPointer<frmVergleichLinksRechts> c = open();
        QVERIFY(c);
        w->strSegment.clear();
        QTest::mouseClick(c->optXC_durch_R, Qt::LeftButton);
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("Sie haben kein Segment ausgewählt")});
        QCOMPARE(msgs.shown[0].icon, MsgIcon::None);
        for (QChartView *chart : {c->MSChartLinks, c->MSChartRechts})
            QCOMPARE(inspect(chart).sets, QList<QList<double>>{{0.0}});
        QTest::qWait(100);
        QVERIFY(c);
        QVERIFY(c->isVisible());
    }

    void databaseFailure()
    {
        addDays(QStringLiteral("ArmLi"), 2, 400);
        addDays(QStringLiteral("ArmRe"), 2, 400);
        choose(QStringLiteral("ArmLi"));
        QPointer<frmVergleichLinksRechts> c = open();
        QVERIFY(c);
        ui().txtFKTN->setText(QStringLiteral("abc"));
        QTest::mouseClick(c->optXC_durch_R, Qt::LeftButton);
        QCOMPARE(msgs.texts(),
                 QStringList{QStringLiteral("Error 13 (Typen unverträglich) in procedure DrawExtremitaet_XcR of "
                                            "Formular frmVergleichLinksRechts")});
        QVERIFY(c);
    }

    void printedPage()
    {
        addDays(QStringLiteral("ArmLi"), 5, 410);
        addDays(QStringLiteral("ArmRe"), 3, 395);
        choose(QStringLiteral("ArmLi"));
        frmVergleichLinksRechts *c = open();
        QVERIFY(c);
        QTest::mouseClick(c->cmdPreview, Qt::LeftButton);
        QVERIFY2(msgs.shown.isEmpty(), qPrintable(msgs.texts().join(QLatin1Char('\n'))));

        const PdfPage page = readPdfText(tb->pdfPath());
        QVERIFY(page.size.width() > page.size.height()); // landscape
        QtPrinter probe(tb->path(QStringLiteral("probe.pdf")));
        probe.begin(QPageLayout::Landscape);
        const QSizeF printable = probe.printableSize();
        probe.end();
        const QPointF origin((page.size.width() - printable.width()) / 2,
                             (page.size.height() - printable.height()) / 2);
        auto at = [&](const QString &text) { return page.lineStartingWith(text).translated(-origin); };

        const QRectF credit = at(QStringLiteral("Erstellt mit KavioSegment"));
        const QRectF heading = at(QStringLiteral("Vergleich von Segmenten"));
        const QRectF right = at(QStringLiteral("Arm rechts (1/R)"));
        const QRectF left = at(QStringLiteral("Arm links (1/R)"));
        const QRectF name = at(QStringLiteral("Name: Musterfrau"));
        const QRectF vorname = at(QStringLiteral("Vorname: Erika"));
        const QRectF geb = at(QStringLiteral("Geburtsdatum: 17.05.1960"));
        for (const QRectF &r : {credit, heading, right, left, name, vorname, geb})
            QVERIFY(!r.isNull());
        const double lh = vorname.top() - name.top();
        QVERIFY2(lh > 150 && lh < 300, qPrintable(QString::number(lh)));
        // One empty line from y = 1000, then the credit line.
        QVERIFY2(qAbs(credit.top() - (1000 + lh)) < kTolerance, qPrintable(QString::number(credit.top())));
        // The heading: centred, larger, below two empty lines.
        QVERIFY(qAbs(heading.center().x() - printable.width() / 2) < kTolerance);
        QVERIFY(heading.height() > 1.2 * name.height());
        QVERIFY(heading.top() > credit.bottom() + 2 * lh);
        // The captions on one line below it: right limb at 1440, left limb at half the width.
        QVERIFY(qAbs(right.left() - 1440) < kTolerance);
        QVERIFY(qAbs(left.left() - printable.width() / 2) < kTolerance);
        QVERIFY(qAbs(left.top() - right.top()) < 5);
        QVERIFY(right.top() > heading.bottom());
        // Person lines from y = 7000 at x = 1440.
        for (int i = 0; i < 3; ++i) {
            const QRectF r = QList<QRectF>{name, vorname, geb}[i];
            QVERIFY2(qAbs(r.left() - 1440) < kTolerance, qPrintable(QString::number(r.left())));
            QVERIFY2(qAbs(r.top() - (7000 + i * lh)) < kTolerance, qPrintable(QString::number(r.top())));
        }

        // The charts in their own size on the line below the captions: the right limb's
        // on the left half, the left limb's from half the window's width + 1440.
        const int dpi = 144;
        const QImage image = renderPdf(tb->pdfPath(), dpi);
        if (qEnvironmentVariableIsSet("KAVIO_SHOTS"))
            renderPdf(tb->pdfPath(), 100)
                .save(qEnvironmentVariable("KAVIO_SHOTS") + QStringLiteral("/comparepage.png"));
        const double chartTop = right.top() + lh;
        const QList<std::pair<QChartView *, double>> charts{{c->MSChartRechts, 1440.0},
                                                            {c->MSChartLinks, 13425.0 / 2 + 1440}};
        for (const auto &[view, x] : charts) {
            const QRectF plot = view->chart()->plotArea();
            const QRectF want(QPointF(x, chartTop) + origin + plot.topLeft() * 15, plot.size() * 15);
            const QRectF got = findFill(image, dpi, want.adjusted(-300, -300, 300, 300), charts::kPlotBackground);
            const QString text = QStringLiteral("%1 at %2,%3 %4x%5, want %6,%7 %8x%9")
                                     .arg(view->objectName())
                                     .arg(got.left())
                                     .arg(got.top())
                                     .arg(got.width())
                                     .arg(got.height())
                                     .arg(want.left())
                                     .arg(want.top())
                                     .arg(want.width())
                                     .arg(want.height());
            QVERIFY2(qAbs(got.left() - want.left()) < kTolerance && qAbs(got.top() - want.top()) < kTolerance,
                     qPrintable(text));
            QVERIFY2(qAbs(got.right() - want.right()) < kTolerance && qAbs(got.bottom() - want.bottom()) < kTolerance,
                     qPrintable(text));
        }
    }

    void printerFailure()
    {
        PdfPrinterFactory unwritable(tb->path(QStringLiteral("no/such/folder/print.pdf")));
        tb->platform.printers = &unwritable;
        w = std::make_unique<frmMain>(tb->platform);
        addDays(QStringLiteral("ArmLi"), 1, 400);
        addDays(QStringLiteral("ArmRe"), 1, 400);
        choose(QStringLiteral("ArmLi"));
        frmVergleichLinksRechts *c = open();
        QVERIFY(c);
        msgs.shown.clear();
        QTest::mouseClick(c->cmdPreview, Qt::LeftButton);
        QCOMPARE(msgs.texts(), QStringList{QStringLiteral("Error 482 (Der Druckauftrag konnte nicht begonnen werden) "
                                                          "in procedure cmdPreview_Click of Formular "
                                                          "frmVergleichLinksRechts")});
        QVERIFY(!QFile::exists(tb->pdfPath()));
    }
};

QTEST_MAIN(TstComparison)
#include "tst_comparison.moc"
