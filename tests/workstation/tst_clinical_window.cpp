// The evaluation on the main window: phase angles, the day's left/right ratios judged with the
// person's facts, the facts dialog, and the device's own phase angle kept out of sight.
#include "db/SqliteRepository.h"
#include "persons/frmAngaben.h"
#include "WindowDriver.h"

#include <QAction>
#include <QRegularExpression>
#include <QtTest>

using namespace kavio;
using namespace kavio::test;

namespace {

const QDate kDay(2026, 12, 6); // the test bed's today

// The panel as the operator reads it: the three phase angles, then per pair ratio | verdict | note.
QString panel(QWidget &w)
{
    QStringList parts;
    for (const char *name : {"lblPhasenwinkel5", "lblPhasenwinkel50", "lblPhasenwinkel100"})
        parts << textOf(w, QLatin1String(name));
    for (const char *pair : {"Arme", "Beine"}) {
        QStringList row;
        for (const char *what : {"lblVerhaeltnis", "lblUrteil", "lblHinweis"})
            row << textOf(w, QLatin1String(what) + QLatin1String(pair));
        parts << row.join(QStringLiteral(" | "));
    }
    return parts.join(QStringLiteral(" / "));
}

} // namespace

class TestClinicalWindow : public QObject {
    Q_OBJECT
private slots:
    // Hand right, left arm at risk, a woman: the latest row of the day counts, a deletion and
    // typed values change the figures at once, a stored row shows after the segment is chosen anew.
    void figuresFollowTheDayStoreAndDelete()
    {
        Window win;
        auto &bed = win.bed;
        const qint64 p = bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
        QVERIFY(SqliteRepository(bed.segmentePath())
                    .setPersonFacts(qint32(p),
                                    {clinical::Hand::Right, clinical::Sex::Female, {true, false, false, false}}));
        bed.addMeasurement("ArmLi", p, kDay.addDays(-1), "09:00:00", 400, 380, 370, 40, 45, 44);
        bed.addMeasurement("ArmLi", p, kDay, "07:00:00", 500, 470, 460, 25, 50, 47);
        const qint64 latest = bed.addMeasurement("ArmLi", p, kDay, "08:00:00", 520, 480, 470, 30, 52, 48);
        bed.addMeasurement("ArmRe", p, kDay, "08:05:00", 590, 560, 550, 35, 60, 55);
        bed.addMeasurement("BeinLi", p, kDay, "08:10:00", 300, 280, 270, 30, 28, 26);
        bed.addMeasurement("BeinRe", p, kDay, "08:15:00", 345, 320, 310, 33, 30, 29);
        win.open();
        check(*win.w, QStringLiteral("-fraAuswertung"));
        win.choose(1, QStringLiteral("optAL"));
        check(*win.w, QStringLiteral("+fraAuswertung +cmdAngaben +lblPhasenwinkelKHz5 +lblPhasenwinkel100"));

        // 590/520 = 1.135 over the non-dominant arm's 1.106; legs 345/300 = 1.150 over the women's 1.136
        // (the men's 1.167 would pass it).
        QCOMPARE(panel(*win.w),
                 QStringLiteral("3,3° / 6,2° / 5,8° / 1,135 bei 5 kHz | über Grenzwert | links gefährdet / "
                                "1,150 bei 5 kHz | über Grenzwert | rechts größer"));
        const QString tip = control(*win.w, QStringLiteral("lblUrteilArme"))->toolTip();
        QVERIFY2(tip.contains(QStringLiteral("Verhältnis 1,135")) && tip.contains(QStringLiteral("Grenzwert 1,106")),
                 qPrintable(tip));

        // Deleting the latest row: the one before it that day counts.
        clickRow(*win.w, QStringLiteral("grdMessungen"), 1);
        QCOMPARE(textOf(*win.w, QStringLiteral("txtMessNr")), QString::number(latest));
        bed.messages.answer({true});
        click(*win.w, QStringLiteral("cmdErase"));
        QVERIFY(panel(*win.w).startsWith(QStringLiteral("2,9° / 6,1° / 5,8° / 1,180 bei 5 kHz | über Grenzwert")));

        // Typed values count at once; R 0 gives no angle, never "0,0".
        auto *w5 = control<QLineEdit>(*win.w, QStringLiteral("txtW5ArmLinks"));
        auto *xc5 = control<QLineEdit>(*win.w, QStringLiteral("txtXc5ArmLinks"));
        for (const auto &[field, typed] : {std::pair{w5, "560"}, std::pair{xc5, "40"}}) {
            field->selectAll();
            QTest::keyClicks(field, QLatin1String(typed));
        }
        QCOMPARE(panel(*win.w), QStringLiteral("4,1° /  /  / 1,054 bei 5 kHz | unauffällig | links gefährdet / "
                                               "1,150 bei 5 kHz | über Grenzwert | rechts größer"));

        // Stored, then the segment chosen anew with the fields back at 0: the stored row shows.
        for (const auto &[field, typed] : {std::pair{"txtW50ArmLinks", "500"}, std::pair{"txtXc50ArmLinks", "55"}})
            control<QLineEdit>(*win.w, QLatin1String(field))->setText(QLatin1String(typed));
        click(*win.w, QStringLiteral("optEineBeh"));
        click(*win.w, QStringLiteral("cmdSaveMess"));
        click(*win.w, QStringLiteral("cmdMesswerte"));
        check(*win.w, QStringLiteral("-fraAuswertung"));
        click(*win.w, QStringLiteral("optAL"));
        click(*win.w, QStringLiteral("cmdOptSegment"));
        QCOMPARE(textOf(*win.w, QStringLiteral("txtW5ArmLinks")), QStringLiteral("0"));
        QVERIFY(panel(*win.w).startsWith(QStringLiteral("4,1° / 6,3° /  / 1,054 bei 5 kHz | unauffällig")));
    }

    // A single-frequency installation stores 0 at 5 and 100 kHz: judged at 50 kHz and marked so.
    // Hand unknown: the higher arm limit (1.134) applies, so 1.125 passes where 1.106 would not.
    void singleFrequencyAndUnknownHand()
    {
        Window win(TestBed::Options{.multi = false});
        const qint64 p = win.bed.addPerson(QStringLiteral("Berg"), QStringLiteral("Bernd"));
        win.bed.addMeasurement("ArmLi", p, kDay, "09:00:00", 0, 480, 0, 0, 50, 0);
        win.bed.addMeasurement("ArmRe", p, kDay, "09:05:00", 0, 540, 0, 0, 55, 0);
        win.bed.addMeasurement("BeinLi", p, kDay, "09:10:00", 0, 300, 0, 0, 30, 0);
        win.bed.addMeasurement("BeinRe", p, kDay.addDays(-1), "09:15:00", 0, 330, 0, 0, 33, 0);
        win.open();
        win.choose(1, QStringLiteral("optAL"));
        QCOMPARE(panel(*win.w),
                 QStringLiteral(" / 5,9° /  / 1,125 bei 50 kHz | unauffällig | rechts größer, nur 50 kHz / "
                                " |  | keine Messung beider Seiten an diesem Tag"));
        QVERIFY(control(*win.w, QStringLiteral("lblVerhaeltnisArme"))
                    ->toolTip()
                    .contains(QStringLiteral("Grenzwert 1,134")));
        QCOMPARE(control(*win.w, QStringLiteral("lblHinweisBeine"))->toolTip(), QString());
        // Only the frequency measured is offered, as with the value fields.
        check(*win.w, QStringLiteral("-lblPhasenwinkelKHz5 -lblPhasenwinkel5 +lblPhasenwinkel50 -lblPhasenwinkel100"));
    }

    // The facts are edited only with a person chosen, stored through the repository and judged at
    // once; a failed save says so, keeps the dialog open and changes nothing.
    void factsDialogRoundTrip()
    {
        Window win;
        const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
        win.bed.addMeasurement("ArmLi", p, kDay, "09:00:00", 500, 480, 470, 30, 50, 48);
        win.bed.addMeasurement("ArmRe", p, kDay, "09:05:00", 540, 500, 490, 32, 52, 50);
        win.open();
        auto *action = win.w->findChild<QAction *>(QStringLiteral("mnuAngaben"));
        QVERIFY(action && !action->isEnabled());
        win.choose(1, QStringLiteral("optAR"));
        QVERIFY(action->isEnabled());
        QCOMPARE(textOf(*win.w, QStringLiteral("lblHinweisArme")), QStringLiteral("rechts größer"));

        action->trigger();
        auto *dialog = win.w->findChild<frmAngaben *>(QStringLiteral("frmAngaben"));
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(control<QRadioButton>(*dialog, QStringLiteral("optHandUnbekannt"))->isChecked());
        QVERIFY(control<QRadioButton>(*dialog, QStringLiteral("optGeschlechtUnbekannt"))->isChecked());
        click(*dialog, QStringLiteral("optHandLinks"));
        click(*dialog, QStringLiteral("optWeiblich"));
        click(*dialog, QStringLiteral("chkGefaehrdetArmRechts"));
        click(*dialog, QStringLiteral("cmdSpeichern"));
        QTRY_VERIFY(!win.w->findChild<frmAngaben *>());
        const clinical::PersonFacts stored = SqliteRepository(win.bed.segmentePath()).personFacts(qint32(p));
        QVERIFY(stored.dominantHand == clinical::Hand::Left && stored.sex == clinical::Sex::Female);
        QVERIFY((stored.atRisk == clinical::LimbsAtRisk{false, true, false, false}));
        // The right arm is now the one at risk: 500/540, the non-dominant arm's limit.
        QCOMPARE(textOf(*win.w, QStringLiteral("lblVerhaeltnisArme")), QStringLiteral("0,926 bei 5 kHz"));
        QCOMPARE(textOf(*win.w, QStringLiteral("lblHinweisArme")), QStringLiteral("rechts gefährdet"));
        QVERIFY(
            control(*win.w, QStringLiteral("lblUrteilArme"))->toolTip().contains(QStringLiteral("Grenzwert 1,106")));

        // The person went from the database meanwhile: nothing is stored, the operator is told.
        const QString facts = QStringLiteral("SELECT group_concat(DominanteHand || AL || AR || BL || BR) FROM "
                                             "tblTeilnehmerAngaben");
        const QVariant before = scalar(win.bed.segmentePath(), facts);
        scalar(win.bed.segmentePath(), "DELETE FROM Teilnehmer WHERE LfdNr = ?", {p});
        win.bed.messages.clear();
        click(*win.w, QStringLiteral("cmdAngaben"));
        dialog = win.w->findChild<frmAngaben *>(QStringLiteral("frmAngaben"));
        QVERIFY(dialog);
        click(*dialog, QStringLiteral("chkGefaehrdetBeinLinks"));
        click(*dialog, QStringLiteral("cmdSpeichern"));
        QCOMPARE(win.bed.messages.texts(),
                 QStringList{QStringLiteral("Die Angaben zu Adler, Anna konnten nicht "
                                            "gespeichert werden.\nDie Person ist nicht mehr in "
                                            "der Datenbank.\nEs wurde nichts geändert.")});
        QVERIFY(dialog->isVisible());
        QCOMPARE(scalar(win.bed.segmentePath(), facts), before);
        click(*dialog, QStringLiteral("cmdAbbrechen"));
        QTRY_VERIFY(!win.w->findChild<frmAngaben *>());
    }

    // Device values count while they are in hand and are marked as not stored; the device's own
    // angle is only logged, and only when it is more than 0.5° off the computed one.
    void deviceValuesInHandAndTheDevicesOwnAngle()
    {
        Window win;
        win.bed.messages.defaultAnswer = true; // automatic measurement
        const qint64 p = win.bed.addPerson(QStringLiteral("Roth"), QStringLiteral("Ida"));
        win.bed.addMeasurement("ArmLi", p, kDay, "09:00:00", 500, 480, 470, 30, 50, 48);
        win.open();
        win.choose(1, QStringLiteral("optAR"));
        QCOMPARE(textOf(*win.w, QStringLiteral("lblHinweisArme")),
                 QStringLiteral("keine Messung beider Seiten an diesem Tag"));
        // 480/52: 6.18°; the device says 6.2° (agrees), then 10.0° at 5 kHz where 520/31 gives 3.41°.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^phase angle of record"))); // but the one below
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "^phase angle of record AR 5 kHz: computed 3\\.41.*°, device 10° "
                                               "\\(R 520, Xc 31\\)$")));
        win.bed.serial.receive("ARM050 4800,0520,0062;\r\nARM005 5200,0310,0100;\r\n");
        QCOMPARE(panel(*win.w),
                 QStringLiteral("3,4° / 6,2° /  / 1,040 bei 5 kHz | unauffällig | "
                                "rechts größer, noch nicht gespeichert /  |  | keine Messung beider Seiten "
                                "an diesem Tag"));
    }
};

QTEST_MAIN(TestClinicalWindow)
#include "tst_clinical_window.moc"
