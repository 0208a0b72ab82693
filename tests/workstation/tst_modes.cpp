// The window's modes as the operator walks through them, for single- and multi-frequency
// devices, and every transition this window owns.
#include "app/Errors.h"
#include "WindowDriver.h"

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
    for (QLineEdit *f : w.valueFields)
        if (f->isVisible())
            names << f->objectName();
    for (int i = 0; i < 4; ++i)
        for (QLabel *l : {w.lblR_Ar[i], w.lblXc_AR[i], w.lbl5_AR[i], w.lbl50_AR[i], w.lbl100_AR[i]})
            if (l->isVisible())
                names << l->objectName();
    names.sort();
    return names.join(QLatin1Char(' '));
}

// The text of a label or button.
QString text(frmMain &w, const char *name)
{
    return control(w, QLatin1String(name))->property("text").toString();
}

bool anyOptionTicked(frmMain &w)
{
    for (const char *o : {"optAL", "optAR", "optBL", "optBR", "optEineBeh", "optZweiBeh"})
        if (control<QRadioButton>(w, QLatin1String(o))->isChecked())
            return true;
    return false;
}

// Host settings whose reading fails once `failing` is set.
struct FailingSettings final : Settings {
    explicit FailingSettings(Settings &inner) : inner(inner) {}
    bool keyExists(Hive h, const QString &k) const override { return inner.keyExists(h, k); }
    std::optional<RegValue> value(Hive h, const QString &k, const QString &n) const override
    {
        return failing ? throw KavioError(5, QStringLiteral("Ungültiger Prozeduraufruf oder ungültiges Argument"))
                       : inner.value(h, k, n);
    }
    QString ownSetting(const QString &a, const QString &s, const QString &k) const override
    {
        return inner.ownSetting(a, s, k);
    }
    void setOwnSetting(const QString &a, const QString &s, const QString &k, const QString &v) override
    {
        inner.setOwnSetting(a, s, k, v);
    }
    Settings &inner;
    bool failing = false;
};

const QString kChartsShown = QStringLiteral(" +cmdGraph +cmd_Xc_Graph +cmdOpenVergleichsFormular +cmdShowMesswerte "
                                            "+cmdPrintOut");
const QString kChartsHidden = QStringLiteral(" -cmdGraph -cmd_Xc_Graph -cmdOpenVergleichsFormular -cmdShowMesswerte "
                                             "-cmdPrintOut");
const QString kListOpen =
    QStringLiteral("+ocxFlex -grdMessungen +FraMesswerte -MSChart -fraOptSegmente -fraEinoderZwei "
                   "cmdExtremitaet=off cmdMesswerte=off +txtTestDatum=on -fraLegende_Widerstand") +
    kChartsHidden;
const QString kRequest = QStringLiteral("Bitte bestätigen Sie mit OK und wählen anschließend ein Segment aus!");
const QString kDiscard = QStringLiteral("Die Messung wurde noch nicht gespeichert!\nWollen Sie die Messung verwerfen?");

// One walk from the person list to a data-set mode.
struct Walk {
    const char *tag;
    bool multi;
    const char *option, *table, *caption, *dataSet, *values; // values: shown once the segment is confirmed
};

// A command that may ask whether unsaved values are to be discarded.
struct Transition {
    const char *tag;
    bool multi;
    const char *button;
    bool unsaved, discard; // discard: the answer, when asked
    QString expected;
};

} // namespace

Q_DECLARE_METATYPE(Walk)
Q_DECLARE_METATYPE(Transition)

class ModesTest : public QObject {
    Q_OBJECT
private slots:
    void walkThroughTheModes_data();
    void walkThroughTheModes();
    void unsavedValuesQuestion_data();
    void unsavedValuesQuestion();
    void frequencySwitchFollowsTheSetting_data();
    void frequencySwitchFollowsTheSetting();
    void onTheEmptyWindow();
};

void ModesTest::walkThroughTheModes_data()
{
    QTest::addColumn<Walk>("row");
    for (const Walk &r : {Walk{"single, arm left, one data set", false, "optAL", "ArmLi", "Arm Links", "optEineBeh",
                               "lbl50_AR_1 lblR_Ar_1 lblXc_AR_1 txtW50ArmLinks txtXc50ArmLinks"},
                          Walk{"single, leg right, two data sets", false, "optBR", "BeinRe", "Bein Rechts",
                               "optZweiBeh", "lbl50_AR_2 lblR_Ar_2 lblXc_AR_2 txtW50BeinRechts txtXc50BeinRechts"},
                          Walk{"multi, arm right, one data set", true, "optAR", "ArmRe", "Arm Rechts", "optEineBeh",
                               "lbl100_AR_0 lbl50_AR_0 lbl5_AR_0 lblR_Ar_0 lblXc_AR_0 txtW100ArmRechts "
                               "txtW50ArmRechts txtW5ArmRechts txtXc100ArmRechts txtXc50ArmRechts txtXc5ArmRechts"},
                          Walk{"multi, leg left, two data sets", true, "optBL", "BeinLi", "Bein Links", "optZweiBeh",
                               "lbl100_AR_3 lbl50_AR_3 lbl5_AR_3 lblR_Ar_3 lblXc_AR_3 txtW100BeinLinks "
                               "txtW50BeinLinks txtW5BeinLinks txtXc100BeinLinks txtXc50BeinLinks txtXc5Beinlinks"}})
        QTest::newRow(r.tag) << r;
}

void ModesTest::walkThroughTheModes()
{
    QFETCH(Walk, row);
    const bool multi = row.multi;
    const QString table = QLatin1String(row.table), values = QLatin1String(row.values);
    Window win(TestBed::Options{.multi = multi});
    const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    win.bed.addMeasurement(table, p, QDate(2026, 11, 2), QStringLiteral("09:00:00"), 500, 480, 470, 60, 55, 50);
    win.open();
    frmMain &w = *win.w;
    auto &messages = win.bed.messages;

    click(w, QStringLiteral("cmdPatientAuswahl"));
    check(w, kListOpen + QStringLiteral(" -cmdSaveMess -fraWiderstand"));
    QCOMPARE(visibleValueControls(w), QString());
    QCOMPARE(gridRows(w, QStringLiteral("grdMessungen")), 0);

    clickRow(w, QStringLiteral("ocxFlex"), 1);
    check(w, QStringLiteral("-ocxFlex +grdMessungen +FraMesswerte -MSChart +fraOptSegmente=on -fraEinoderZwei "
                            "cmdExtremitaet=on cmdMesswerte=on +txtTestDatum=on -cmdSaveMess") +
                 kChartsHidden);
    QCOMPARE(visibleValueControls(w), QString());
    QCOMPARE(messages.texts(), QStringList{kRequest});
    QCOMPARE(messages.last().icon, MsgIcon::Information);
    QCOMPARE(messages.last().title, QString()); // the application's title
    QVERIFY(w.strSegment.isEmpty());

    click(w, row.option);
    click(w, QStringLiteral("cmdOptSegment"));
    check(w, QStringLiteral("+grdMessungen -fraOptSegmente +fraEinoderZwei cmdExtremitaet=off cmdMesswerte=on "
                            "-cmdSaveMess +txtTestDatum=on -cmdVerlaufswerteZweiMessungen -cmdPrintMesswerte") +
                 kChartsShown);
    QCOMPARE(visibleValueControls(w), values);
    QCOMPARE(gridRows(w, QStringLiteral("grdMessungen")), 2);
    QCOMPARE(w.strSegment, table);
    QCOMPARE(text(w, "lblSegmentAktuell"), QLatin1String(row.caption));

    click(w, row.dataSet);
    QCOMPARE(text(w, "optEineBeh") + '/' + text(w, "optZweiBeh"), QStringLiteral("Ein Datensatz/Zwei Datensätze"));
    check(w, QStringLiteral("+cmdSaveMess +txtTestDatum=off ") + (multi ? "+fraWiderstand" : "-fraWiderstand"));
    QCOMPARE(visibleValueControls(w), values);
    if (multi) { // the charted resistance
        for (const char *r : {"R5", "R100", "R50"}) {
            const QString option = QStringLiteral("opt") + QLatin1String(r);
            QCOMPARE(control(w, option)->property("text").toString(), QLatin1String(r));
            click(w, option);
            QCOMPARE(w.strWFeld, QLatin1Char('W') + QLatin1String(r + 1));
        }
    }
    // The values button brings the value frame back from a drawn chart.
    for (const char *c : {"FraMesswerte", "fraEinoderZwei", "txtTestDatum"})
        control(w, QLatin1String(c))->setVisible(false);
    control(w, QStringLiteral("MSChart"))->setVisible(true);
    control(w, QStringLiteral("fraLegende_Widerstand"))->setVisible(true);
    click(w, QStringLiteral("cmdShowMesswerte"));
    check(w, QStringLiteral("-MSChart +FraMesswerte +fraEinoderZwei -fraLegende_Widerstand -txtTestDatum"));
    QCOMPARE(messages.count(), 1);

    // Choosing a person again empties everything the person and segment filled.
    click(w, QStringLiteral("cmdPatientAuswahl"));
    check(w, kListOpen + QStringLiteral(" +cmdSaveMess")); // left as the data-set choice set it
    QVERIFY(w.strSegment.isEmpty());
    QCOMPARE(gridRows(w, QStringLiteral("grdMessungen")), 0);
    QCOMPARE(visibleValueControls(w), QString());
    for (const char *l : {"LBL_Top_Name", "LBL_Top_Vorname", "LBL_Top_GebDat", "LBL_Top_PNUMMER", "LBL_Top_Alter",
                          "lblAnzMessAL", "lblAnzMessAR", "lblAnzMessBL", "lblAnzMessBR"})
        QVERIFY2(text(w, l).isEmpty(), l);
    QVERIFY(!anyOptionTicked(w));
    for (QFrame *s : w.Shape)
        QVERIFY(!s->isVisible());
    QCOMPARE(gridRows(w, QStringLiteral("ocxFlex")), 2);
}

void ModesTest::unsavedValuesQuestion_data()
{
    QTest::addColumn<Transition>("row");
    const QString newMeasurement =
        QStringLiteral("+fraOptSegmente=on -fraEinoderZwei=on -cmdZweiteMessungSpeichern cmdPatientAuswahl=on ");
    for (bool multi : {false, true})
        for (const Transition &r : {Transition{"segment chooser, nothing unsaved", multi, "cmdExtremitaet", false,
                                               false, "+fraOptSegmente=on" + kChartsHidden},
                                    Transition{"segment chooser, No", multi, "cmdExtremitaet", true, false, ""},
                                    Transition{"segment chooser, Yes", multi, "cmdExtremitaet", true, true,
                                               "+fraOptSegmente=on" + kChartsShown},
                                    Transition{"new measurement, nothing unsaved", multi, "cmdMesswerte", false, false,
                                               newMeasurement + "-cmdGraph -cmdPrintOut"},
                                    Transition{"new measurement, No", multi, "cmdMesswerte", true, false, ""},
                                    Transition{"new measurement, Yes", multi, "cmdMesswerte", true, true,
                                               newMeasurement + "+cmdGraph +cmdPrintOut cmdExtremitaet=on"}})
            QTest::addRow("%s: %s", multi ? "multi" : "single", r.tag) << r;
}

void ModesTest::unsavedValuesQuestion()
{
    QFETCH(Transition, row);
    const bool multi = row.multi, unsaved = row.unsaved;
    Window win(TestBed::Options{.multi = multi});
    const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    win.bed.addMeasurement(QStringLiteral("BeinLi"), p, QDate(2026, 11, 2), QStringLiteral("09:00:00"), 1, 2, 3, 4, 5,
                           6);
    win.open();
    frmMain &w = *win.w;
    win.choose(1, QStringLiteral("optBL"));
    click(w, QStringLiteral("optZweiBeh"));
    QLineEdit *field = w.valueField(Quantity::Xc50, kSegments[2]);
    field->setText(QStringLiteral("61"));
    control<QLineEdit>(w, QStringLiteral("txtTestDatum"))->setText(QStringLiteral("01.12.2026"));
    control(w, QStringLiteral("cmdExtremitaet"))->setEnabled(true); // reachable again through a chart
    if (unsaved) { // values arrived from the device, which locks the person choice
        w.bMessungUngespeichert = true;
        control(w, QStringLiteral("cmdPatientAuswahl"))->setEnabled(false);
    }
    const QString before = visibleValueControls(w);
    win.bed.messages.clear();
    win.bed.messages.answer({row.discard});

    click(w, row.button);

    QCOMPARE(win.bed.messages.texts(), unsaved ? QStringList{kDiscard} : QStringList());
    if (unsaved)
        QVERIFY(win.bed.messages.last().question);
    check(w, row.expected);
    if (unsaved && !row.discard) { // everything stays
        check(w, QStringLiteral("-fraOptSegmente cmdPatientAuswahl=off +cmdGraph"));
        QCOMPARE(visibleValueControls(w), before);
        QCOMPARE(field->text(), QStringLiteral("61"));
        QCOMPARE(w.strSegment, QStringLiteral("BeinLi"));
        QCOMPARE(gridRows(w, QStringLiteral("grdMessungen")), 2);
        QVERIFY(w.bMessungUngespeichert);
        return;
    }
    QVERIFY(!w.bMessungUngespeichert);
    QCOMPARE(visibleValueControls(w), QString());
    if (qstrcmp(row.button, "cmdExtremitaet") == 0) {
        // The segment stays until another is confirmed; OK with none ticked asks again.
        w.Leeren_Segmentoptionen(); // as the chooser is left after "Patient auswählen"
        win.bed.messages.clear();
        click(w, QStringLiteral("cmdOptSegment"));
        QCOMPARE(win.bed.messages.texts(), QStringList{kRequest});
        QCOMPARE(w.strSegment, QStringLiteral("BeinLi"));
        check(w, QStringLiteral("+fraOptSegmente=on -cmdGraph"));
        QCOMPARE(visibleValueControls(w), QString());
        return;
    }
    // A new measurement starts from nothing.
    QVERIFY(w.strSegment.isEmpty());
    QCOMPARE(text(w, "lblSegmentAktuell"), QString());
    QCOMPARE(gridRows(w, QStringLiteral("grdMessungen")), 0);
    for (QLineEdit *f : w.valueFields)
        QCOMPARE(f->text(), QStringLiteral("0"));
    QVERIFY(!anyOptionTicked(w));
    QCOMPARE(control<QLineEdit>(w, QStringLiteral("txtTestDatum"))->text(), QStringLiteral("06.12.2026"));
}

void ModesTest::frequencySwitchFollowsTheSetting_data()
{
    QTest::addColumn<QString>("value"); // "<none>": the value is missing; "<fails>": reading it fails
    QTest::addColumn<bool>("shown");
    QTest::newRow("Multi") << "Multi" << true;
    QTest::newRow("lower case") << "multi" << false;
    QTest::newRow("trailing blank") << "Multi " << false;
    QTest::newRow("single") << "Single" << false;
    QTest::newRow("missing") << "<none>" << false;
    QTest::newRow("unreadable: frame unchanged") << "<fails>" << false;
}

void ModesTest::frequencySwitchFollowsTheSetting()
{
    QFETCH(QString, value);
    QFETCH(bool, shown);
    Window win;
    FailingSettings settings(win.bed.settings);
    win.bed.platform.settings = &settings;
    win.open();
    const QString key = QStringLiteral("Software\\Kavio_Plus");
    if (value == QLatin1String("<none>"))
        win.bed.settings.removeValue(Hive::LocalMachine, key, QStringLiteral("FrequenzType"));
    else
        win.bed.settings.setString(Hive::LocalMachine, key, QStringLiteral("FrequenzType"), value);
    settings.failing = value == QLatin1String("<fails>");
    auto *frame = control(*win.w, QStringLiteral("fraWiderstand"));
    frame->setVisible(!shown);
    win.w->Ausblenden_Multifrequenz_Schalter();
    if (settings.failing) {
        QCOMPARE(win.bed.messages.texts(),
                 QStringList{"Fehler5 (Ungültiger Prozeduraufruf oder ungültiges Argument) in Prozedur "
                             "Ausblenden_Multifrequenz_Schalter "});
        QCOMPARE(win.bed.messages.last().icon, MsgIcon::None);
        QVERIFY(frame->isVisible());
        return;
    }
    QCOMPARE(frame->isVisible(), shown);
    // The value boxes follow the same setting.
    win.w->Einblenden_Segmentfelder(QStringLiteral("ArmLi"));
    QCOMPARE(win.w->valueField(Quantity::W5, kSegments[0])->isVisible(), shown);
    QCOMPARE(win.w->lbl100_AR[1]->isVisible(), shown);
    QVERIFY(win.w->valueField(Quantity::W50, kSegments[0])->isVisible());
    QCOMPARE(win.bed.messages.count(), 0);
}

void ModesTest::onTheEmptyWindow()
{
    Window win;
    win.open();
    frmMain &w = *win.w;
    click(w, QStringLiteral("cmdNeuerPatient"));
    QCOMPARE(win.bed.messages.texts(),
             QStringList{QStringLiteral("Bitte legen Sie neue Personen in Ihrer Kavio Plus Software an")});
    QCOMPARE(win.bed.messages.last().icon, MsgIcon::Information);
    check(w, QStringLiteral("-ocxFlex +cmdExtremitaet=off"));

    // Any name but the four segments keeps the caption and shows no value controls.
    auto *caption = control<QLabel>(w, QStringLiteral("lblSegmentAktuell"));
    for (const QString &segment : {QString(), QStringLiteral("armli")}) {
        caption->setText(QStringLiteral("vorher"));
        w.Setzen_Segmentbeschriftung(segment);
        w.Einblenden_Segmentfelder(segment);
        QCOMPARE(caption->text(), QStringLiteral("vorher"));
        QCOMPARE(visibleValueControls(w), QString());
    }

    win.bed.serial.setPortNumber(3);
    QVERIFY(win.bed.serial.open());
    auto *exit = w.findChild<QAction *>(QStringLiteral("cmdBeenden"));
    QVERIFY(exit);
    QCOMPARE(exit->text(), QStringLiteral("Anwendung schließen"));
    exit->trigger();
    QVERIFY(!win.bed.serial.isOpen());
    QVERIFY(!w.isVisible());
}

QTEST_MAIN(ModesTest)
#include "tst_modes.moc"
