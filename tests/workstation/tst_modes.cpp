// The window's modes as the operator walks through them, for single- and multi-frequency
// devices, and the transitions this window owns.
#include "WindowDriver.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace kavio;
using namespace kavio::test;

namespace {

// Visible value boxes and value labels of the window, by name, space separated.
QString visibleValueControls(frmMain &w)
{
    QStringList names;
    for (QLineEdit *f : valueFields(w))
        if (f->isVisible())
            names << f->objectName();
    for (QLabel *l : valueLabels(w))
        if (l->isVisible())
            names << l->objectName();
    names.sort();
    return names.join(QLatin1Char(' '));
}

bool anyOptionTicked(frmMain &w)
{
    for (const char *o : {"optAL", "optAR", "optBL", "optBR", "optEineBeh", "optZweiBeh"})
        if (control<QRadioButton>(w, QLatin1String(o))->isChecked())
            return true;
    return false;
}

const QString kChartsShown = QStringLiteral(" +cmdGraph +cmd_Xc_Graph +cmdPhaseGraph +cmdOpenVergleichsFormular "
                                            "+cmdShowMesswerte +cmdPrintOut");
const QString kChartsHidden = QStringLiteral(" -cmdGraph -cmd_Xc_Graph -cmdPhaseGraph -cmdOpenVergleichsFormular "
                                             "-cmdShowMesswerte -cmdPrintOut");
const QString kListOpen =
    QStringLiteral("+ocxFlex -grdMessungen +FraMesswerte -MSChart -fraOptSegmente -fraEinoderZwei "
                   "cmdExtremitaet=off cmdMesswerte=off +txtTestDatum=on -fraLegende_Widerstand") +
    kChartsHidden;
const QString kRequest = QStringLiteral("Bitte bestätigen Sie mit OK und wählen anschließend ein Segment aus!");
const QString kDiscard = QStringLiteral("Die Messung wurde noch nicht gespeichert!\nWollen Sie die Messung verwerfen?");

} // namespace

class TestModes : public QObject {
    Q_OBJECT
private slots:

    void walkThroughTheModes_data()
    {
        QTest::addColumn<bool>("multi"); // and two data sets
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("values"); // shown once the segment is confirmed
        const QString armLeft = QStringLiteral("lbl50_AR_1 lblR_Ar_1 lblXc_AR_1 txtW50ArmLinks txtXc50ArmLinks");
        const QString legLeft = QStringLiteral("lbl100_AR_3 lbl50_AR_3 lbl5_AR_3 lblR_Ar_3 lblXc_AR_3 txtW100BeinLinks "
                                               "txtW50BeinLinks txtW5BeinLinks txtXc100BeinLinks txtXc50BeinLinks "
                                               "txtXc5Beinlinks");
        QTest::newRow("single, arm left, one data set") << false << QStringLiteral("ArmLi") << "Arm Links" << armLeft;
        QTest::newRow("multi, leg left, two data sets") << true << QStringLiteral("BeinLi") << "Bein Links" << legLeft;
    }

    void walkThroughTheModes()
    {
        QFETCH(bool, multi);
        QFETCH(QString, table);
        QFETCH(QString, caption);
        QFETCH(QString, values);
        Window win(TestBed::Options{.multi = multi});
        const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
        win.bed.addMeasurement(table, p, QDate(2026, 11, 2), QStringLiteral("09:00:00"), 500, 480, 470, 60, 55, 50);
        win.open();
        frmMain &w = *win.w;
        auto &messages = win.bed.messages;
        click(w, QStringLiteral("cmdNeuerPatient"));
        QCOMPARE(messages.texts(), QStringList{"Bitte legen Sie neue Personen in Ihrer Kavio Plus Software an"});
        QCOMPARE(messages.last().icon, MsgIcon::Information);
        messages.clear();

        click(w, QStringLiteral("cmdPatientAuswahl"));
        check(w, kListOpen + QStringLiteral(" -cmdSaveMess -fraWiderstand"));

        clickRow(w, QStringLiteral("ocxFlex"), 1);
        check(w, QStringLiteral("-ocxFlex +grdMessungen +FraMesswerte -MSChart +fraOptSegmente=on -fraEinoderZwei "
                                "cmdExtremitaet=on cmdMesswerte=on +txtTestDatum=on -cmdSaveMess") +
                     kChartsHidden);
        QCOMPARE(visibleValueControls(w), QString());
        QCOMPARE(gridRows(w, QStringLiteral("grdMessungen")), 0);
        QCOMPARE(messages.texts(), QStringList{kRequest});
        QCOMPARE(messages.last().icon, MsgIcon::Information);
        QCOMPARE(messages.last().title, QString()); // the application's title

        click(w, QStringLiteral("opt") + QLatin1String(segmentByTable(table)->code));
        click(w, QStringLiteral("cmdOptSegment"));
        check(w, QStringLiteral("+grdMessungen -fraOptSegmente +fraEinoderZwei cmdExtremitaet=off cmdMesswerte=on "
                                "-cmdSaveMess +txtTestDatum=on -cmdVerlaufswerteZweiMessungen -cmdPrintMesswerte") +
                     kChartsShown);
        QCOMPARE(visibleValueControls(w), values);
        QCOMPARE(gridRows(w, QStringLiteral("grdMessungen")), 2);
        QCOMPARE(textOf(w, QStringLiteral("lblSegmentAktuell")), caption);

        click(w, multi ? QStringLiteral("optZweiBeh") : QStringLiteral("optEineBeh"));
        check(w, QStringLiteral("+cmdSaveMess +txtTestDatum=off ") + (multi ? "+fraWiderstand" : "-fraWiderstand"));
        QCOMPARE(visibleValueControls(w), values);
        if (multi) { // the resistance the 1/R chart reads
            for (const QString r : {"5", "100", "50"}) {
                click(w, QStringLiteral("optR") + r);
                QCOMPARE(resistanceField(w.session().chartResistance()), QStringLiteral("W") + r);
            }
        }
        // A chart replaces the value frame; the values button brings it back.
        click(w, QStringLiteral("cmdGraph"));
        check(w, QStringLiteral("+MSChart -FraMesswerte"));
        click(w, QStringLiteral("cmdShowMesswerte"));
        check(w, QStringLiteral("-MSChart +FraMesswerte +fraEinoderZwei -fraLegende_Widerstand -txtTestDatum"));
        QCOMPARE(messages.count(), 1);

        // Choosing a person again empties everything the person and segment filled.
        click(w, QStringLiteral("cmdPatientAuswahl"));
        check(w, kListOpen + QStringLiteral(" +cmdSaveMess")); // left as the data-set choice set it
        QVERIFY(!w.session().segment());
        QCOMPARE(gridRows(w, QStringLiteral("grdMessungen")), 0);
        QCOMPARE(visibleValueControls(w), QString());
        QVERIFY(!anyOptionTicked(w)); // a stale tick would confirm the last segment for the next person

        // "Anwendung schließen" lets go of the port and closes the window.
        QVERIFY(win.bed.serial.setPortNumber(3) && win.bed.serial.open());
        w.findChild<QAction *>(QStringLiteral("cmdBeenden"))->trigger();
        QVERIFY(!win.bed.serial.isOpen() && !w.isVisible());
    }

    // On a multi-frequency window, where the most value boxes are shown and must go.
    void unsavedValuesQuestion_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("unsaved");
        QTest::addColumn<bool>("discard"); // the answer, when asked
        QTest::addColumn<QString>("expected");
        const QString newMeasurement = QStringLiteral("+fraOptSegmente=on -fraEinoderZwei -cmdZweiteMessungSpeichern "
                                                      "cmdPatientAuswahl=on cmdExtremitaet=on ");
        const QString kept = QStringLiteral("-fraOptSegmente cmdPatientAuswahl=off +cmdGraph");
        QTest::newRow("segment chooser, nothing unsaved")
            << "cmdExtremitaet" << false << false << "+fraOptSegmente=on" + kChartsHidden;
        QTest::newRow("segment chooser, No") << "cmdExtremitaet" << true << false << kept;
        QTest::newRow("segment chooser, Yes")
            << "cmdExtremitaet" << true << true << "+fraOptSegmente=on" + kChartsShown;
        QTest::newRow("new measurement, nothing unsaved")
            << "cmdMesswerte" << false << false << newMeasurement + "-cmdGraph -cmdPrintOut";
        QTest::newRow("new measurement, No") << "cmdMesswerte" << true << false << kept;
        QTest::newRow("new measurement, Yes")
            << "cmdMesswerte" << true << true << newMeasurement + "+cmdGraph +cmdPrintOut";
    }

    void unsavedValuesQuestion()
    {
        QFETCH(QString, button);
        QFETCH(bool, unsaved);
        QFETCH(bool, discard);
        QFETCH(QString, expected);
        Window win;
        const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
        win.bed.addMeasurement(QStringLiteral("BeinLi"), p, QDate(2026, 11, 2), QStringLiteral("09:00:00"), 1, 2, 3, 4,
                               5, 6);
        win.open();
        frmMain &w = *win.w;
        win.choose(1, QStringLiteral("optBL"));
        click(w, QStringLiteral("optZweiBeh"));
        valueField(w, Quantity::Xc50, kSegments[2])->setText(QStringLiteral("61"));
        control<QLineEdit>(w, QStringLiteral("txtTestDatum"))->setText(QStringLiteral("01.12.2026"));
        control(w, QStringLiteral("cmdExtremitaet"))->setEnabled(true); // reachable again through a chart
        if (unsaved) { // values arrived from the device, which locks the person choice
            w.session().setUnsaved(true);
            control(w, QStringLiteral("cmdPatientAuswahl"))->setEnabled(false);
        }
        const QString before = visibleValueControls(w);
        win.bed.messages.clear();
        win.bed.messages.answer({discard});

        click(w, button);

        QCOMPARE(win.bed.messages.texts(), unsaved ? QStringList{kDiscard} : QStringList());
        check(w, expected);
        const bool kept = unsaved && !discard;
        QCOMPARE(w.session().unsaved(), kept);
        QCOMPARE(visibleValueControls(w), kept ? before : QString());
        if (kept)
            QCOMPARE(valueField(w, Quantity::Xc50, kSegments[2])->text(), QStringLiteral("61"));
        const bool newMeasurement = !kept && button == QLatin1String("cmdMesswerte");
        QCOMPARE(gridRows(w, QStringLiteral("grdMessungen")), newMeasurement ? 0 : 2);
        if (!newMeasurement)
            return;
        // A new measurement starts from nothing.
        QVERIFY(!w.session().segment());
        QCOMPARE(textOf(w, QStringLiteral("lblSegmentAktuell")), QString());
        for (QLineEdit *f : valueFields(w))
            QCOMPARE(f->text(), QStringLiteral("0"));
        QVERIFY(!anyOptionTicked(w));
        QCOMPARE(textOf(w, QStringLiteral("txtTestDatum")), QStringLiteral("06.12.2026"));
    }
};

QTEST_MAIN(TestModes)
#include "tst_modes.moc"
