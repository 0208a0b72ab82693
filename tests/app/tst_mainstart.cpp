#include "TestBed.h"
#include "workstation/frmMain.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

// The main window as Form_Load leaves it, control by control.
class TestMainStart : public QObject {
    Q_OBJECT

    template <typename T> static T *child(QWidget &w, const char *name)
    {
        T *c = w.findChild<T *>(QString::fromLatin1(name));
        if (!c)
            qFatal("control %s missing", name);
        return c;
    }

private slots:
    void startState()
    {
        TestBed bed;
        frmMain w(bed.platform);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("KavioSegment"));

        for (const char *hidden : {"ocxFlex",
                                   "grdMessungen",
                                   "MSChart",
                                   "fraOptSegmente",
                                   "fraEinoderZwei",
                                   "fraWiderstand",
                                   "fraBehandlung",
                                   "fraSegment",
                                   "fraLegende_Widerstand",
                                   "cmdSaveMess",
                                   "cmdZweiteMessungSpeichern",
                                   "cmdGraph",
                                   "cmd_Xc_Graph",
                                   "cmdOpenVergleichsFormular",
                                   "cmdShowMesswerte",
                                   "cmdPrintOut",
                                   "cmdVerlaufswerteZweiMessungen",
                                   "cmdPrintMesswerte",
                                   "txtFKTN",
                                   "Shape1",
                                   "Shape2",
                                   "Shape3",
                                   "Shape4"})
            QVERIFY2(!child<QWidget>(w, hidden)->isVisible(), hidden);
        for (const char *shown : {"FraMesswerte", "txtTestDatum", "cmdPatientAuswahl", "cmdNeuerPatient",
                                  "cmdExtremitaet", "cmdMesswerte", "lblSegmentAktuell"})
            QVERIFY2(child<QWidget>(w, shown)->isVisible(), shown);

        QVERIFY(!child<QPushButton>(w, "cmdExtremitaet")->isEnabled());
        QVERIFY(!child<QPushButton>(w, "cmdMesswerte")->isEnabled());
        QVERIFY(child<QPushButton>(w, "cmdPatientAuswahl")->isEnabled());

        for (QLineEdit *f : w.valueFields) {
            QVERIFY(f);
            QVERIFY(!f->isVisible());
            QCOMPARE(f->text(), QStringLiteral("0"));
        }
        for (int i = 0; i < 4; ++i)
            for (QLabel *l : {w.lblR_Ar[i], w.lblXc_AR[i], w.lbl5_AR[i], w.lbl50_AR[i], w.lbl100_AR[i]})
                QVERIFY(l && !l->isVisible());

        QCOMPARE(child<QLineEdit>(w, "txtTestDatum")->text(), QStringLiteral("06.12.2026"));
        QVERIFY(child<QLineEdit>(w, "txtTestDatum")->isEnabled());
        QCOMPARE(child<QLabel>(w, "lblSegmentAktuell")->text(), QStringLiteral(" "));
        QVERIFY(child<QRadioButton>(w, "optR50")->isChecked());
        QVERIFY(!child<QRadioButton>(w, "optR5")->isChecked());
        QVERIFY(!child<QRadioButton>(w, "optR100")->isChecked());
        QVERIFY(child<QRadioButton>(w, "optBevor")->isChecked());
        QCOMPARE(w.strWFeld, QStringLiteral("W50"));
        QVERIFY(w.strSegment.isEmpty());
        QVERIFY(!w.bAutoMessung && !w.bMessungUngespeichert && !w.bGraphGezeichnet);
        for (const char *label :
             {"LBL_Top_Name", "LBL_Top_Vorname", "LBL_Top_GebDat", "LBL_Top_PNUMMER", "LBL_Top_Alter"})
            QVERIFY(child<QLabel>(w, label)->text().isEmpty());
    }

    void captionsAndMenus()
    {
        TestBed bed;
        frmMain w(bed.platform);
        const QList<QPair<const char *, QString>> captions{
            {"cmdPatientAuswahl", "Patient auswählen"},
            {"cmdNeuerPatient", "Neue Person"},
            {"cmdExtremitaet", "Segmentauswahl"},
            {"cmdMesswerte", "Neue Messung"},
            {"cmdSaveMess", "erste Messung speichern"},
            {"cmdZweiteMessungSpeichern", "zweite Messung speichern"},
            {"cmdGraph", "Verlaufswerte 1/R"},
            {"cmd_Xc_Graph", "Verlaufswert Xc/R"},
            {"cmdShowMesswerte", "Messwerte"},
            {"cmdPrintOut", "Druck Graph"},
            {"cmdOpenVergleichsFormular", "Segmentvergleich"},
            {"cmdVerlaufswerteZweiMessungen", "Verlaufswerte R Doppelmessungen"},
            {"cmdPrintMesswerte", "Druck Messwerte"},
            {"cmdErase", "Löschen"},
            {"cmdOptSegment", "O.K."},
        };
        for (const auto &[name, caption] : captions)
            QCOMPARE(child<QPushButton>(w, name)->text(), caption);
        const QList<QPair<const char *, QString>> options{{"optAL", "Arm links"},
                                                          {"optAR", "Arm rechts"},
                                                          {"optBL", "Bein links"},
                                                          {"optBR", "Bein rechts"},
                                                          {"optEineBeh", "Ein Datensatz"},
                                                          {"optZweiBeh", "Zwei Datensätze"},
                                                          {"optR5", "R5"},
                                                          {"optR50", "R50"},
                                                          {"optR100", "R100"},
                                                          {"optBevor", "Vorher"},
                                                          {"optNachher", "Nachher"}};
        for (const auto &[name, caption] : options)
            QCOMPARE(child<QRadioButton>(w, name)->text(), caption);
        QCOMPARE(child<QGroupBox>(w, "fraOptSegmente")->title(), QStringLiteral("Bitte Segment auswählen "));
        QCOMPARE(child<QGroupBox>(w, "fraEinoderZwei")->title(), QStringLiteral("Datensätze pro Behandlung"));
        QCOMPARE(child<QGroupBox>(w, "fraWiderstand")->title(), QStringLiteral("R"));
        QCOMPARE(child<QGroupBox>(w, "fraBehandlung")->title(), QStringLiteral("Behandlung"));

        QStringList menus;
        for (QAction *a : w.menuBar()->actions()) {
            QStringList entries;
            for (QAction *e : a->menu()->actions())
                entries << e->objectName() + QLatin1Char('=') + e->text();
            menus << a->text() + QLatin1Char(':') + entries.join(QLatin1Char(','));
        }
        QCOMPARE(menus,
                 (QStringList{
                     "Beenden:cmdBeenden=Anwendung schließen", "Info:mnuKontakt=Kontakt",
                     "Patienten:mnuImport=Importieren aus Stammdaten,mnuloeschen=löschen aus Gliederanalysesoftware",
                     "Export:mnuExportHistory=Historie exportieren",
                     "Sicherung:mnuDatenSichern=Daten sichern,mnuDatenWiederherstellen=Daten wiederherstellen"}));
    }

    void quitClosesThePortAndTheWindow()
    {
        TestBed bed;
        frmMain w(bed.platform);
        w.show();
        bed.serial.setPortNumber(3);
        QVERIFY(bed.serial.open());
        w.findChild<QAction *>(QStringLiteral("cmdBeenden"))->trigger();
        QVERIFY(!bed.serial.isOpen());
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestMainStart)
#include "tst_mainstart.moc"
