// The window's modes as the operator walks through them, for single- and multi-frequency
// devices, and every transition this window owns.
#include "WindowDriver.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace kavio;
using namespace kavio::test;

namespace {

enum Vis { Hidden, Shown, Any };
enum En { Off, On, Either };

struct Expect {
    const char *name;
    Vis visible;
    En enabled = Either;
};

void check(QWidget &w, const QList<Expect> &expectations, const char *mode)
{
    for (const Expect &e : expectations) {
        QWidget *c = control(w, QString::fromLatin1(e.name));
        const QByteArray where = QByteArray(mode) + ": " + e.name;
        if (e.visible != Any)
            QVERIFY2(c->isVisible() == (e.visible == Shown), where.constData());
        if (e.enabled != Either)
            QVERIFY2(c->isEnabled() == (e.enabled == On), where.constData());
    }
}

// Visible value boxes and value labels of the window, by name.
QStringList visibleValueControls(frmMain &w)
{
    QStringList names;
    for (QLineEdit *f : w.valueFields)
        if (f->isVisible())
            names << f->objectName();
    for (int i = 0; i < 4; ++i)
        for (QLabel *l : {w.lblR_Ar[i], w.lblXc_AR[i], w.lbl5_AR[i], w.lbl50_AR[i], w.lbl100_AR[i]})
            if (l->isVisible())
                names << l->objectName();
    names.sort();
    return names;
}

const QList<Expect> kListOpen{{"ocxFlex", Shown},
                              {"grdMessungen", Hidden},
                              {"FraMesswerte", Shown},
                              {"MSChart", Hidden},
                              {"fraOptSegmente", Hidden},
                              {"fraEinoderZwei", Hidden},
                              {"cmdExtremitaet", Any, Off},
                              {"cmdMesswerte", Any, Off},
                              {"cmdGraph", Hidden},
                              {"cmd_Xc_Graph", Hidden},
                              {"cmdOpenVergleichsFormular", Hidden},
                              {"cmdShowMesswerte", Hidden},
                              {"cmdPrintOut", Hidden},
                              {"txtTestDatum", Shown, On},
                              {"fraLegende_Widerstand", Hidden}};

const QList<Expect> kPersonChosen{{"ocxFlex", Hidden},
                                  {"grdMessungen", Shown},
                                  {"FraMesswerte", Shown},
                                  {"MSChart", Hidden},
                                  {"fraOptSegmente", Shown, On},
                                  {"fraEinoderZwei", Hidden},
                                  {"cmdExtremitaet", Any, On},
                                  {"cmdMesswerte", Any, On},
                                  {"cmdGraph", Hidden},
                                  {"cmd_Xc_Graph", Hidden},
                                  {"cmdOpenVergleichsFormular", Hidden},
                                  {"cmdShowMesswerte", Hidden},
                                  {"cmdPrintOut", Hidden},
                                  {"txtTestDatum", Shown, On}};

const QList<Expect> kSegmentConfirmed{{"grdMessungen", Shown},
                                      {"fraOptSegmente", Hidden},
                                      {"fraEinoderZwei", Shown},
                                      {"cmdExtremitaet", Any, Off},
                                      {"cmdMesswerte", Any, On},
                                      {"cmdGraph", Shown},
                                      {"cmd_Xc_Graph", Shown},
                                      {"cmdOpenVergleichsFormular", Shown},
                                      {"cmdShowMesswerte", Shown},
                                      {"cmdPrintOut", Shown},
                                      {"cmdSaveMess", Hidden},
                                      {"txtTestDatum", Shown, On},
                                      {"cmdVerlaufswerteZweiMessungen", Hidden},
                                      {"cmdPrintMesswerte", Hidden}};

const QString kRequest = QStringLiteral("Bitte bestätigen Sie mit OK und wählen anschließend ein Segment aus!");
const QString kDiscard = QStringLiteral("Die Messung wurde noch nicht gespeichert!\nWollen Sie die Messung verwerfen?");

} // namespace

class ModesTest : public QObject {
    Q_OBJECT
private slots:
    void walkThroughTheModes_data();
    void walkThroughTheModes();
    void okWithoutSegmentAsksAgainAndKeepsSegment();
    void segmentChooserWithUnsavedValues_data();
    void segmentChooserWithUnsavedValues();
    void newMeasurementWithoutUnsavedValues();
    void newMeasurementWithUnsavedValues_data();
    void newMeasurementWithUnsavedValues();
    void choosingPersonAgainReturnsToListOpen();
    void valuesButtonBringsBackTheValueFrame();
    void resistanceOptionsSetTheChartedField_data();
    void resistanceOptionsSetTheChartedField();
    void frequencySwitchFollowsTheSetting_data();
    void frequencySwitchFollowsTheSetting();
    void segmentCaption_data();
    void segmentCaption();
    void newPersonOnlyInforms();
    void closingTheApplicationClosesThePort();
    void lockedFieldsRefuseTyping();
};

void ModesTest::walkThroughTheModes_data()
{
    QTest::addColumn<bool>("multi");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("dataSet");
    QTest::addColumn<QStringList>("segmentControls");
    QTest::addColumn<QString>("caption");

    QTest::newRow("single, arm left, one data set")
        << false << "optAL"
        << "optEineBeh" << QStringList{"lbl50_AR_1", "lblR_Ar_1", "lblXc_AR_1", "txtW50ArmLinks", "txtXc50ArmLinks"}
        << "Arm Links";
    QTest::newRow("single, leg right, two data sets")
        << false << "optBR"
        << "optZweiBeh" << QStringList{"lbl50_AR_2", "lblR_Ar_2", "lblXc_AR_2", "txtW50BeinRechts", "txtXc50BeinRechts"}
        << "Bein Rechts";
    QTest::newRow("multi, arm right, one data set")
        << true << "optAR"
        << "optEineBeh" << QStringList{"lbl100_AR_0",       "lbl50_AR_0",       "lbl5_AR_0",       "lblR_Ar_0",
                                       "lblXc_AR_0",        "txtW100ArmRechts", "txtW50ArmRechts", "txtW5ArmRechts",
                                       "txtXc100ArmRechts", "txtXc50ArmRechts", "txtXc5ArmRechts"}
        << "Arm Rechts";
    QTest::newRow("multi, leg left, two data sets")
        << true << "optBL"
        << "optZweiBeh" << QStringList{"lbl100_AR_3",       "lbl50_AR_3",       "lbl5_AR_3",       "lblR_Ar_3",
                                       "lblXc_AR_3",        "txtW100BeinLinks", "txtW50BeinLinks", "txtW5BeinLinks",
                                       "txtXc100BeinLinks", "txtXc50BeinLinks", "txtXc5Beinlinks"}
        << "Bein Links";
}

void ModesTest::walkThroughTheModes()
{
    QFETCH(bool, multi);
    QFETCH(QString, option);
    QFETCH(QString, dataSet);
    QFETCH(QStringList, segmentControls);
    QFETCH(QString, caption);

    Window win(TestBed::Options{.multi = multi});
    const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    const QString table = caption.contains(QStringLiteral("Arm")) ? (option == "optAL" ? "ArmLi" : "ArmRe")
                                                                  : (option == "optBL" ? "BeinLi" : "BeinRe");
    win.bed.addMeasurement(table, p, QDate(2026, 11, 2), QStringLiteral("09:00:00"), 500, 480, 470, 60, 55, 50);
    win.open();
    frmMain &w = *win.w;

    click(w, QStringLiteral("cmdPatientAuswahl"));
    check(w, kListOpen, "list open");
    check(w, {{"cmdSaveMess", Hidden}, {"fraWiderstand", Hidden}}, "list open");
    QVERIFY(visibleValueControls(w).isEmpty());
    QCOMPARE(gridRows(w, QStringLiteral("grdMessungen")), 0);
    QVERIFY(w.strSegment.isEmpty());

    clickRow(w, QStringLiteral("ocxFlex"), 1);
    check(w, kPersonChosen, "person chosen");
    check(w, {{"cmdSaveMess", Hidden}}, "person chosen");
    QVERIFY(visibleValueControls(w).isEmpty());
    QCOMPARE(gridRows(w, QStringLiteral("grdMessungen")), 0);
    QCOMPARE(win.bed.messages.texts(), QStringList{kRequest});
    QCOMPARE(win.bed.messages.last().icon, MsgIcon::Information);
    QCOMPARE(win.bed.messages.last().title, QString()); // the application's title
    QVERIFY(w.strSegment.isEmpty());

    click(w, option);
    click(w, QStringLiteral("cmdOptSegment"));
    check(w, kSegmentConfirmed, "segment confirmed");
    QCOMPARE(visibleValueControls(w), segmentControls);
    QCOMPARE(gridRows(w, QStringLiteral("grdMessungen")), 2);
    QCOMPARE(w.strSegment, table);
    QCOMPARE(control<QLabel>(w, QStringLiteral("lblSegmentAktuell"))->text(), caption);
    QCOMPARE(win.bed.messages.count(), 1);

    click(w, dataSet);
    check(w, {{"cmdSaveMess", Shown}, {"fraWiderstand", multi ? Shown : Hidden}, {"txtTestDatum", Shown, Off}},
          "data-set mode chosen");
    QVERIFY(control<QRadioButton>(w, dataSet)->isChecked());
    QCOMPARE(visibleValueControls(w), segmentControls);
    QCOMPARE(win.bed.messages.count(), 1);
}

void ModesTest::okWithoutSegmentAsksAgainAndKeepsSegment()
{
    Window win;
    win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    win.open();
    frmMain &w = *win.w;
    win.choose(1, QStringLiteral("optAL"));
    click(w, QStringLiteral("cmdExtremitaet"));
    // Untick by hand as the chooser would after "Patient auswählen".
    w.Leeren_Segmentoptionen();
    win.bed.messages.clear();
    click(w, QStringLiteral("cmdOptSegment"));
    QCOMPARE(win.bed.messages.texts(), QStringList{kRequest});
    QCOMPARE(w.strSegment, QStringLiteral("ArmLi"));
    check(w, {{"fraOptSegmente", Shown, On}, {"cmdGraph", Hidden}}, "chooser again");
    QVERIFY(visibleValueControls(w).isEmpty());
}

void ModesTest::segmentChooserWithUnsavedValues_data()
{
    QTest::addColumn<bool>("discard");
    QTest::newRow("No keeps everything") << false;
    QTest::newRow("Yes opens the chooser") << true;
}

void ModesTest::segmentChooserWithUnsavedValues()
{
    QFETCH(bool, discard);
    Window win;
    win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    win.open();
    frmMain &w = *win.w;
    win.choose(1, QStringLiteral("optAR"));
    // Values arrived from the device; the chooser button is reachable again through a chart.
    w.bMessungUngespeichert = true;
    w.valueField(Quantity::W50, kSegments[1])->setText(QStringLiteral("512"));
    control(w, QStringLiteral("cmdExtremitaet"))->setEnabled(true);
    const QStringList before = visibleValueControls(w);
    win.bed.messages.clear();
    win.bed.messages.answer({discard});

    click(w, QStringLiteral("cmdExtremitaet"));

    QCOMPARE(win.bed.messages.count(), 1);
    QCOMPARE(win.bed.messages.last().text, kDiscard);
    QVERIFY(win.bed.messages.last().question);
    QCOMPARE(win.bed.messages.last().icon, MsgIcon::None);
    // The chart and print buttons keep their visibility on both answers.
    check(w, {{"cmdGraph", Shown}, {"cmd_Xc_Graph", Shown}, {"cmdPrintOut", Shown}, {"cmdShowMesswerte", Shown}},
          "after the question");
    QCOMPARE(w.strSegment, QStringLiteral("ArmRe"));
    if (discard) {
        check(w, {{"fraOptSegmente", Shown, On}}, "discarded");
        QVERIFY(visibleValueControls(w).isEmpty());
        QVERIFY(!w.bMessungUngespeichert);
    } else {
        check(w, {{"fraOptSegmente", Hidden}}, "kept");
        QCOMPARE(visibleValueControls(w), before);
        QVERIFY(w.bMessungUngespeichert);
        QCOMPARE(w.valueField(Quantity::W50, kSegments[1])->text(), QStringLiteral("512"));
    }
}

void ModesTest::newMeasurementWithoutUnsavedValues()
{
    Window win;
    const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    win.bed.addMeasurement(QStringLiteral("ArmRe"), p, QDate(2026, 11, 2), QStringLiteral("09:00:00"), 1, 2, 3, 4, 5,
                           6);
    win.open();
    frmMain &w = *win.w;
    win.choose(1, QStringLiteral("optAR"));
    click(w, QStringLiteral("optZweiBeh"));
    w.valueField(Quantity::W50, kSegments[1])->setText(QStringLiteral("512"));
    control<QLineEdit>(w, QStringLiteral("txtTestDatum"))->setText(QStringLiteral("01.12.2026"));
    win.bed.messages.clear();

    click(w, QStringLiteral("cmdMesswerte"));

    QCOMPARE(win.bed.messages.count(), 0);
    check(w, kPersonChosen, "new measurement");
    check(w, {{"fraEinoderZwei", Hidden, On}, {"cmdZweiteMessungSpeichern", Hidden}, {"cmdSaveMess", Shown}},
          "new measurement");
    QVERIFY(w.strSegment.isEmpty());
    QCOMPARE(control<QLabel>(w, QStringLiteral("lblSegmentAktuell"))->text(), QString());
    QCOMPARE(gridRows(w, QStringLiteral("grdMessungen")), 0);
    QVERIFY(visibleValueControls(w).isEmpty());
    for (QLineEdit *f : w.valueFields)
        QCOMPARE(f->text(), QStringLiteral("0"));
    for (const char *o : {"optAL", "optAR", "optBL", "optBR", "optEineBeh", "optZweiBeh"})
        QVERIFY2(!control<QRadioButton>(w, QString::fromLatin1(o))->isChecked(), o);
    QCOMPARE(control<QLineEdit>(w, QStringLiteral("txtTestDatum"))->text(), QStringLiteral("06.12.2026"));
}

void ModesTest::newMeasurementWithUnsavedValues_data()
{
    QTest::addColumn<bool>("discard");
    QTest::newRow("No changes nothing") << false;
    QTest::newRow("Yes discards") << true;
}

void ModesTest::newMeasurementWithUnsavedValues()
{
    QFETCH(bool, discard);
    Window win;
    const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    win.bed.addMeasurement(QStringLiteral("BeinLi"), p, QDate(2026, 11, 2), QStringLiteral("09:00:00"), 1, 2, 3, 4, 5,
                           6);
    win.open();
    frmMain &w = *win.w;
    win.choose(1, QStringLiteral("optBL"));
    w.bMessungUngespeichert = true;
    control(w, QStringLiteral("cmdPatientAuswahl"))->setEnabled(false); // as the device record leaves it
    w.valueField(Quantity::Xc50, kSegments[2])->setText(QStringLiteral("61"));
    win.bed.messages.clear();
    win.bed.messages.answer({discard});

    click(w, QStringLiteral("cmdMesswerte"));

    QCOMPARE(win.bed.messages.texts(), QStringList{kDiscard});
    QVERIFY(win.bed.messages.last().question);
    if (!discard) {
        QCOMPARE(w.strSegment, QStringLiteral("BeinLi"));
        QCOMPARE(w.valueField(Quantity::Xc50, kSegments[2])->text(), QStringLiteral("61"));
        QVERIFY(w.valueField(Quantity::Xc50, kSegments[2])->isVisible());
        QCOMPARE(gridRows(w, QStringLiteral("grdMessungen")), 2);
        QVERIFY(w.bMessungUngespeichert);
        check(w, {{"cmdPatientAuswahl", Shown, Off}, {"fraOptSegmente", Hidden}}, "kept");
        return;
    }
    QVERIFY(w.strSegment.isEmpty());
    QVERIFY(!w.bMessungUngespeichert);
    QCOMPARE(gridRows(w, QStringLiteral("grdMessungen")), 0);
    QVERIFY(visibleValueControls(w).isEmpty());
    QCOMPARE(w.valueField(Quantity::Xc50, kSegments[2])->text(), QStringLiteral("0"));
    // The chart and print buttons keep their visibility on this path.
    check(w,
          {{"cmdPatientAuswahl", Shown, On},
           {"fraOptSegmente", Shown, On},
           {"cmdExtremitaet", Shown, On},
           {"fraEinoderZwei", Hidden, On},
           {"cmdGraph", Shown},
           {"cmdPrintOut", Shown}},
          "discarded");
}

void ModesTest::choosingPersonAgainReturnsToListOpen()
{
    Window win;
    const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    win.bed.addMeasurement(QStringLiteral("ArmLi"), p, QDate(2026, 11, 2), QStringLiteral("09:00:00"), 1, 2, 3, 4, 5,
                           6);
    win.open();
    frmMain &w = *win.w;
    win.choose(1, QStringLiteral("optAL"));
    click(w, QStringLiteral("optEineBeh"));
    QVERIFY(!control<QLabel>(w, QStringLiteral("LBL_Top_Name"))->text().isEmpty());

    click(w, QStringLiteral("cmdPatientAuswahl"));

    check(w, kListOpen, "list open again");
    check(w, {{"cmdSaveMess", Shown}}, "list open again"); // left as the data-set choice set it
    QVERIFY(w.strSegment.isEmpty());
    QCOMPARE(gridRows(w, QStringLiteral("grdMessungen")), 0);
    QVERIFY(visibleValueControls(w).isEmpty());
    for (const char *l : {"LBL_Top_Name", "LBL_Top_Vorname", "LBL_Top_GebDat", "LBL_Top_PNUMMER", "LBL_Top_Alter",
                          "lblAnzMessAL", "lblAnzMessAR", "lblAnzMessBL", "lblAnzMessBR"})
        QVERIFY2(control<QLabel>(w, QString::fromLatin1(l))->text().isEmpty(), l);
    for (const char *o : {"optAL", "optAR", "optBL", "optBR", "optEineBeh", "optZweiBeh"})
        QVERIFY2(!control<QRadioButton>(w, QString::fromLatin1(o))->isChecked(), o);
    for (QFrame *s : w.Shape)
        QVERIFY(!s->isVisible());
    QCOMPARE(gridRows(w, QStringLiteral("ocxFlex")), 2);
}

void ModesTest::valuesButtonBringsBackTheValueFrame()
{
    Window win;
    win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    win.open();
    frmMain &w = *win.w;
    win.choose(1, QStringLiteral("optAL"));
    // As a drawn chart leaves the window.
    control(w, QStringLiteral("FraMesswerte"))->setVisible(false);
    control(w, QStringLiteral("fraEinoderZwei"))->setVisible(false);
    control(w, QStringLiteral("MSChart"))->setVisible(true);
    control(w, QStringLiteral("fraLegende_Widerstand"))->setVisible(true);
    control(w, QStringLiteral("txtTestDatum"))->setVisible(false);

    click(w, QStringLiteral("cmdShowMesswerte"));

    check(w,
          {{"MSChart", Hidden},
           {"FraMesswerte", Shown},
           {"fraEinoderZwei", Shown},
           {"fraLegende_Widerstand", Hidden},
           {"txtTestDatum", Hidden}},
          "values again");
}

void ModesTest::resistanceOptionsSetTheChartedField_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("field");
    QTest::newRow("R5") << QStringList{"optR5"} << "W5";
    QTest::newRow("R100") << QStringList{"optR100"} << "W100";
    QTest::newRow("R5 then R50") << QStringList{"optR5", "optR50"} << "W50";
}

void ModesTest::resistanceOptionsSetTheChartedField()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, field);
    Window win;
    win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    win.open();
    frmMain &w = *win.w;
    win.choose(1, QStringLiteral("optAL"));
    click(w, QStringLiteral("optEineBeh"));
    check(w, {{"fraWiderstand", Shown}}, "multi");
    for (const QString &c : clicks)
        click(w, c);
    QCOMPARE(w.strWFeld, field);
}

void ModesTest::frequencySwitchFollowsTheSetting_data()
{
    QTest::addColumn<QString>("value"); // "<none>": the value is missing
    QTest::addColumn<bool>("shown");
    QTest::newRow("Multi") << "Multi" << true;
    QTest::newRow("lower case") << "multi" << false;
    QTest::newRow("trailing blank") << "Multi " << false;
    QTest::newRow("single") << "Single" << false;
    QTest::newRow("missing") << "<none>" << false;
}

void ModesTest::frequencySwitchFollowsTheSetting()
{
    QFETCH(QString, value);
    QFETCH(bool, shown);
    Window win;
    win.open();
    const QString key = QStringLiteral("Software\\Kavio_Plus");
    if (value == QLatin1String("<none>"))
        win.bed.settings.removeValue(Hive::LocalMachine, key, QStringLiteral("FrequenzType"));
    else
        win.bed.settings.setString(Hive::LocalMachine, key, QStringLiteral("FrequenzType"), value);
    auto *frame = control(*win.w, QStringLiteral("fraWiderstand"));
    frame->setVisible(!shown);
    win.w->Ausblenden_Multifrequenz_Schalter();
    QCOMPARE(frame->isVisible(), shown);
    // The value boxes follow the same setting.
    win.w->Einblenden_Segmentfelder(QStringLiteral("ArmLi"));
    QCOMPARE(win.w->valueField(Quantity::W5, kSegments[0])->isVisible(), shown);
    QCOMPARE(win.w->lbl100_AR[1]->isVisible(), shown);
    QVERIFY(win.w->valueField(Quantity::W50, kSegments[0])->isVisible());
    QCOMPARE(win.bed.messages.count(), 0);
}

void ModesTest::segmentCaption_data()
{
    QTest::addColumn<QString>("segment");
    QTest::addColumn<QString>("caption");
    QTest::newRow("ArmLi") << "ArmLi"
                           << "Arm Links";
    QTest::newRow("ArmRe") << "ArmRe"
                           << "Arm Rechts";
    QTest::newRow("BeinLi") << "BeinLi"
                            << "Bein Links";
    QTest::newRow("BeinRe") << "BeinRe"
                            << "Bein Rechts";
    QTest::newRow("empty keeps") << ""
                                 << "vorher";
    QTest::newRow("other keeps") << "armli"
                                 << "vorher";
}

void ModesTest::segmentCaption()
{
    QFETCH(QString, segment);
    QFETCH(QString, caption);
    Window win;
    win.open();
    auto *label = control<QLabel>(*win.w, QStringLiteral("lblSegmentAktuell"));
    label->setText(QStringLiteral("vorher"));
    win.w->Setzen_Segmentbeschriftung(segment);
    QCOMPARE(label->text(), caption);
    // Unknown names show nothing either.
    win.w->Ausblenden_Messfelder();
    win.w->Einblenden_Segmentfelder(segment);
    QCOMPARE(visibleValueControls(*win.w).isEmpty(), caption == QLatin1String("vorher"));
}

void ModesTest::newPersonOnlyInforms()
{
    Window win;
    win.open();
    click(*win.w, QStringLiteral("cmdNeuerPatient"));
    QCOMPARE(win.bed.messages.count(), 1);
    QCOMPARE(win.bed.messages.last().text,
             QStringLiteral("Bitte legen Sie neue Personen in Ihrer Kavio Plus Software an"));
    QCOMPARE(win.bed.messages.last().icon, MsgIcon::Information);
    QVERIFY(!win.bed.messages.last().question);
    check(*win.w, {{"ocxFlex", Hidden}, {"cmdExtremitaet", Shown, Off}}, "unchanged");
}

void ModesTest::closingTheApplicationClosesThePort()
{
    Window win;
    win.open();
    win.bed.serial.setPortNumber(3);
    QVERIFY(win.bed.serial.open());
    auto *exit = win.w->findChild<QAction *>(QStringLiteral("cmdBeenden"));
    QVERIFY(exit);
    QCOMPARE(exit->text(), QStringLiteral("Anwendung schließen"));
    exit->trigger();
    QVERIFY(!win.bed.serial.isOpen());
    QVERIFY(!win.w->isVisible());
}

void ModesTest::lockedFieldsRefuseTyping()
{
    Window win;
    win.open();
    win.w->Einblenden_Segmentfelder(QStringLiteral("ArmRe"));
    win.w->Sperren_Messfelder();
    QLineEdit *field = win.w->valueField(Quantity::W50, kSegments[1]);
    field->setText(QStringLiteral("512")); // the program can still set it
    QTest::keyClicks(field, QStringLiteral("47"));
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(field->text(), QStringLiteral("512"));
    win.w->Nullen_Messfelder();
    for (QLineEdit *f : win.w->valueFields)
        QCOMPARE(f->text(), QStringLiteral("0"));
    win.w->Ausblenden_XcFelder();
    for (const auto &s : kSegments)
        for (Quantity q : {Quantity::Xc5, Quantity::Xc50, Quantity::Xc100})
            QVERIFY(!win.w->valueField(q, s)->isVisible());
    QVERIFY(field->isVisible());
}

QTEST_MAIN(ModesTest)
#include "tst_modes.moc"
