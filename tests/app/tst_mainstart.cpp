#include "TestBed.h"
#include "workstation/frmMain.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

// The main window as Form_Load leaves it, and its way out.
class TestMainStart : public QObject {
    Q_OBJECT
private slots:
    void startStateCaptionsAndQuit()
    {
        TestBed bed;
        frmMain w(bed.platform);
        w.show();
        auto child = [&](const QString &name) { return w.findChild<QWidget *>(name); };
        QCOMPARE(w.windowTitle(), QStringLiteral("KavioSegment"));
        QStringList shown;
        for (const QString &name :
             QStringLiteral("ocxFlex grdMessungen MSChart fraOptSegmente fraEinoderZwei fraWiderstand fraBehandlung "
                            "fraSegment fraLegende_Widerstand cmdSaveMess cmdZweiteMessungSpeichern cmdGraph "
                            "cmd_Xc_Graph cmdOpenVergleichsFormular cmdShowMesswerte cmdPrintOut "
                            "cmdVerlaufswerteZweiMessungen cmdPrintMesswerte txtFKTN Shape1 Shape4 FraMesswerte "
                            "txtTestDatum cmdPatientAuswahl cmdNeuerPatient cmdExtremitaet cmdMesswerte "
                            "lblSegmentAktuell")
                 .split(QLatin1Char(' ')))
            if (child(name)->isVisible())
                shown << name + (child(name)->isEnabled() ? "" : "(off)");
        QCOMPARE(shown, (QStringList{"FraMesswerte", "txtTestDatum", "cmdPatientAuswahl", "cmdNeuerPatient",
                                     "cmdExtremitaet(off)", "cmdMesswerte(off)", "lblSegmentAktuell"}));
        for (QLineEdit *f : w.valueFields)
            QVERIFY(!f->isVisible() && f->text() == QStringLiteral("0"));
        for (int i = 0; i < 4; ++i)
            for (QLabel *l : {w.lblR_Ar[i], w.lblXc_AR[i], w.lbl5_AR[i], w.lbl50_AR[i], w.lbl100_AR[i]})
                QVERIFY(!l->isVisible());
        QCOMPARE(w.findChild<QLineEdit *>(QStringLiteral("txtTestDatum"))->text(), QStringLiteral("06.12.2026"));
        QCOMPARE(w.findChild<QLabel *>(QStringLiteral("lblSegmentAktuell"))->text(), QStringLiteral(" "));
        QVERIFY(w.findChild<QRadioButton *>(QStringLiteral("optR50"))->isChecked());
        QVERIFY(w.findChild<QRadioButton *>(QStringLiteral("optBevor"))->isChecked());
        QCOMPARE(w.strWFeld, QStringLiteral("W50"));
        QVERIFY(w.strSegment.isEmpty() && !w.bAutoMessung && !w.bMessungUngespeichert && !w.bGraphGezeichnet);
        for (const char *label :
             {"LBL_Top_Name", "LBL_Top_Vorname", "LBL_Top_GebDat", "LBL_Top_PNUMMER", "LBL_Top_Alter"})
            QVERIFY(w.findChild<QLabel *>(QString::fromLatin1(label))->text().isEmpty());

        // The menus and the actions the program connects to.
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

        // Quitting closes the port and the window.
        bed.serial.setPortNumber(3);
        QVERIFY(bed.serial.open());
        w.findChild<QAction *>(QStringLiteral("cmdBeenden"))->trigger();
        QVERIFY(!bed.serial.isOpen());
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(TestMainStart)
#include "tst_mainstart.moc"
