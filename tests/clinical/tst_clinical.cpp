// The derived figures against values worked out by hand.
#include "clinical/Clinical.h"

#include <limits>
#include <QTest>

using namespace kavio;
using namespace kavio::clinical;

Q_DECLARE_METATYPE(kavio::Measurement)

namespace {

// An empty value in the tables.
constexpr int none = std::numeric_limits<int>::min();

std::optional<qint16> opt(int v)
{
    return v == none ? std::nullopt : std::optional<qint16>(qint16(v));
}

Impedance imp(int r, int xc = none, int rAfter = none)
{
    return {opt(r), opt(xc), opt(rAfter)};
}

Measurement row(qint64 id, const QDate &day, const QTime &time, int r5, int r50 = none)
{
    Measurement m;
    m.id = id;
    m.person = 1;
    m.day = day;
    m.time = time;
    m.values[Frequency::kHz5] = imp(r5);
    m.values[Frequency::kHz50] = imp(r50);
    return m;
}

const QDate kDay(2026, 3, 2);

// "AR,BL" as flags in the order of kSegments.
LimbsAtRisk atRisk(const QString &codes)
{
    LimbsAtRisk flags{};
    for (const QString &code : codes.split(QLatin1Char(','), Qt::SkipEmptyParts))
        flags[static_cast<size_t>(segmentByCode(code)->storeIndex)] = true;
    return flags;
}

ThresholdChoice olderArmLimits()
{
    ThresholdChoice c = defaultThresholds();
    c.perCase[0] = thresholdByKey(QStringLiteral("arm-nondominant-older"));
    c.perCase[1] = thresholdByKey(QStringLiteral("arm-dominant-older"));
    return c;
}

} // namespace

class TestClinical : public QObject {
    Q_OBJECT
private slots:
    void phaseAngles_data()
    {
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("xc");
        QTest::addColumn<double>("degrees"); // NaN: no value
        QTest::addColumn<QString>("text");
        const double no = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("arm 50 kHz") << 480 << 52 << 6.18293 << "6,2";       // atan(52/480) = 6.18293°
        QTest::newRow("Xc 0") << 480 << 0 << 0.0 << "0,0";                  // atan(0) = 0°
        QTest::newRow("negative Xc") << 480 << -52 << -6.18293 << "-6,2";   // atan(-52/480) = -6.18293°
        QTest::newRow("tiny negative") << 30000 << -1 << -0.00191 << "0,0"; // -0.00191° rounds to 0, no "-0,0"
        QTest::newRow("near 90") << 1 << 32767 << 89.99825 << "90,0";       // atan(32767) = 89.99825°
        QTest::newRow("R 0") << 0 << 52 << no << "";
        QTest::newRow("R missing") << none << 52 << no << "";
        QTest::newRow("R negative") << -480 << 52 << no << "";
        QTest::newRow("Xc missing") << 480 << none << no << "";
    }
    void phaseAngles()
    {
        QFETCH(int, r);
        QFETCH(int, xc);
        QFETCH(double, degrees);
        QFETCH(QString, text);
        SegmentReading reading;
        reading[Frequency::kHz50] = imp(r, xc);
        const std::optional<double> angle = phaseAngle(reading, Frequency::kHz50);
        QCOMPARE(angle.has_value(), !std::isnan(degrees));
        if (angle)
            QVERIFY2(std::abs(*angle - degrees) < 1e-5, qPrintable(QString::number(*angle, 'g', 10)));
        QCOMPARE(phaseAngleText(angle), text);
        QVERIFY(!phaseAngle(reading, Frequency::kHz5)); // the other frequencies are empty
    }

    // The device's own angle is only compared, and only a difference over 0.5° counts.
    void deviceAngle_data()
    {
        QTest::addColumn<double>("computed");
        QTest::addColumn<int>("deviceTenths");
        QTest::addColumn<bool>("logged");
        QTest::newRow("exactly 0.5 up") << 6.0 << 65 << false;   // 6.5 - 6.0
        QTest::newRow("0.6 up") << 6.0 << 66 << true;            // 6.6 - 6.0
        QTest::newRow("exactly 0.5 down") << 6.0 << 55 << false; // 6.0 - 5.5
        QTest::newRow("0.6 down") << 6.0 << 54 << true;          // 6.0 - 5.4
        QTest::newRow("sign differs") << -6.18293 << 62 << true; // 12.4°
    }
    void deviceAngle()
    {
        QFETCH(double, computed);
        QFETCH(int, deviceTenths);
        QFETCH(bool, logged);
        const auto mismatch = devicePhaseMismatch(computed, qint16(deviceTenths));
        QCOMPARE(mismatch.has_value(), logged);
        if (mismatch) {
            QCOMPARE(mismatch->computed, computed);
            QCOMPARE(mismatch->device, deviceTenths / 10.0);
        }
        QVERIFY(!devicePhaseMismatch(std::nullopt, qint16(deviceTenths)));
    }

    void therapyChanges_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<int>("tenths"); // none: no value
        QTest::addColumn<QString>("text");
        QTest::newRow("same") << 500 << 500 << 0 << "0,0 %";
        QTest::newRow("half up") << 400 << 405 << 13 << "+1,3 %";    // 5/400 = 1.25 %
        QTest::newRow("half down") << 400 << 395 << -13 << "-1,3 %"; // -1.25 %, halves away from zero
        QTest::newRow("tiny fall") << 3000 << 2999 << 0 << "0,0 %";  // -0.0333 %, no "-0,0"
        QTest::newRow("R before 0") << 0 << 500 << none << "";
        QTest::newRow("R after 0") << 500 << 0 << none << "";
        QTest::newRow("before missing") << none << 500 << none << "";
        QTest::newRow("no second") << 500 << none << none << "";
    }
    void therapyChanges()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(int, tenths);
        QFETCH(QString, text);
        const auto change = therapyChange(imp(before, 40, after));
        QCOMPARE(change.has_value(), tenths != none);
        if (change) {
            QCOMPARE(change->tenthsOfPercent, qint64(tenths));
            QVERIFY(std::abs(change->percent - (after - before) * 100.0 / before) < 1e-9);
        }
        QCOMPARE(therapyChangeText(change), text);
    }

    void latestOfTheDay_data()
    {
        QTest::addColumn<QList<Measurement>>("rows");
        QTest::addColumn<qlonglong>("latest"); // 0: none that day
        const QDate before = kDay.addDays(-1);
        QTest::newRow("later time") << QList{row(1, kDay, {9, 0}, 500), row(2, kDay, {14, 0}, 500)} << 2LL;
        QTest::newRow("later time, lower id") << QList{row(1, kDay, {14, 0}, 500), row(2, kDay, {9, 0}, 500)} << 1LL;
        QTest::newRow("same time") << QList{row(7, kDay, {10, 0}, 500), row(5, kDay, {10, 0}, 500)} << 7LL;
        QTest::newRow("no time first") << QList{row(9, kDay, {}, 500), row(3, kDay, {8, 0}, 500)} << 3LL;
        QTest::newRow("other day later") << QList{row(4, before, {18, 0}, 500), row(2, kDay, {9, 0}, 500)} << 2LL;
        QTest::newRow("none that day") << QList{row(4, before, {18, 0}, 500)} << 0LL;
    }
    void latestOfTheDay()
    {
        QFETCH(QList<Measurement>, rows);
        QFETCH(qlonglong, latest);
        const Measurement *m = latestOfDay(rows, kDay);
        QCOMPARE(m ? m->id : 0, latest);
    }

    // The ratio as shown and the side it names: the other R over the at-risk side's, else the larger over the smaller.
    void ratios_data()
    {
        QTest::addColumn<bool>("legs");
        QTest::addColumn<QString>("atRisk");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::addColumn<QString>("shown"); // empty: no ratio
        QTest::newRow("right at risk") << false << "AR" << 553 << 500 << "1,106 rechts gefährdet";
        QTest::newRow("at-risk side larger") << false << "AR" << 500 << 553 << "0,904 rechts gefährdet"; // 500/553
        QTest::newRow("left at risk") << false << "AL" << 450 << 495 << "1,100 links gefährdet";
        QTest::newRow("none, right larger") << false << "" << 450 << 495 << "1,100 rechts größer";
        QTest::newRow("none, left larger") << false << "" << 495 << 450 << "1,100 links größer";
        QTest::newRow("equal limbs") << false << "" << 480 << 480 << "1,000 beide gleich";
        QTest::newRow("both at risk") << false << "AL,AR" << 450 << 495 << "1,100 beide gefährdet, rechts größer";
        QTest::newRow("half rounds up") << false << "" << 2001 << 2000 << "1,001 links größer"; // 1.0005
        QTest::newRow("leg at risk") << true << "BR" << 584 << 500 << "1,168 rechts gefährdet";
        QTest::newRow("arm flag not for legs") << true << "AL" << 500 << 584 << "1,168 rechts größer";
        QTest::newRow("R 0") << false << "AR" << 0 << 500 << "";
        QTest::newRow("R missing") << false << "AR" << 500 << none << "";
        QTest::newRow("R negative") << false << "" << -500 << 500 << "";
    }
    void ratios()
    {
        QFETCH(bool, legs);
        QFETCH(QString, atRisk);
        QFETCH(int, left);
        QFETCH(int, right);
        QFETCH(QString, shown);
        const Limbs limbs = legs ? Limbs::Legs : Limbs::Arms;
        const auto ratio = limbRatio(limbs, Frequency::kHz5, imp(left), imp(right), ::atRisk(atRisk));
        QCOMPARE(ratio.has_value(), !shown.isEmpty());
        if (!ratio)
            return;
        QCOMPARE(ratioText(*ratio) + u' ' + ratioSideText(*ratio), shown);
        const double num = ratio->numerator == Side::Left ? left : right;
        const double den = ratio->denominator == Side::Left ? left : right;
        QCOMPARE(ratio->value, num / den);
        QVERIFY(ratio->numerator != ratio->denominator);
    }

    // Each limit exactly at and above its value; the limit chosen by hand, sex and
    // limb at risk; the frequency judged.
    void judgements_data()
    {
        QTest::addColumn<bool>("legs");
        QTest::addColumn<int>("hand");
        QTest::addColumn<int>("sex");
        QTest::addColumn<QString>("atRisk");
        QTest::addColumn<bool>("older");   // the older arm limits chosen
        QTest::addColumn<QList<int>>("r"); // left 5, right 5, left 50, right 50 kHz
        QTest::addColumn<int>("verdict");
        QTest::addColumn<int>("limit"); // 0: none
        QTest::addColumn<int>("khz");
        const int R = int(Hand::Right), L = int(Hand::Left), HU = int(Hand::Unknown);
        const int M = int(Sex::Male), F = int(Sex::Female), SU = int(Sex::Unknown);
        const int ok = int(Verdict::Unremarkable), over = int(Verdict::AboveThreshold), not_ = int(Verdict::NotJudged);
        const auto r5 = [](int l, int r) { return QList<int>{l, r, none, none}; };
        // Right-handed, left (non-dominant) arm at risk: right R / left R against 1.106.
        QTest::newRow("1.106 at") << false << R << F << "AL" << false << r5(500, 553) << ok << 1106 << 5;
        QTest::newRow("1.106 above") << false << R << F << "AL" << false << r5(500, 554) << over << 1106 << 5; // 1.108
        QTest::newRow("1.1064 shown 1,106") << false << R << F << "AL" << false << r5(2500, 2766) << ok << 1106 << 5;
        QTest::newRow("1.1068 shown 1,107") << false << R << F << "AL" << false << r5(2500, 2767) << over << 1106 << 5;
        // Right arm (dominant) at risk: left R / right R against 1.134.
        QTest::newRow("1.134 at") << false << R << F << "AR" << false << r5(567, 500) << ok << 1134 << 5;
        QTest::newRow("1.134 above") << false << R << F << "AR" << false << r5(568, 500) << over << 1134 << 5; // 1.136
        // Left-handed: the left arm at risk is the dominant one.
        QTest::newRow("left-handed") << false << L << F << "AL" << false << r5(500, 560) << ok << 1134 << 5; // 1.120
        QTest::newRow("right-handed") << false << R << F << "AL" << false << r5(500, 560) << over << 1106 << 5;
        QTest::newRow("hand unknown") << false << HU << F << "AL" << false << r5(500, 560) << ok << 1134 << 5;
        // The older limits: 1.066 non-dominant, 1.139 dominant at risk.
        QTest::newRow("1.066 at") << false << R << F << "AL" << true << r5(500, 533) << ok << 1066 << 5;
        QTest::newRow("1.066 above") << false << R << F << "AL" << true << r5(500, 534) << over << 1066 << 5; // 1.068
        QTest::newRow("1.139 at") << false << R << F << "AR" << true << r5(1139, 1000) << ok << 1139 << 5;
        QTest::newRow("1.139 above") << false << R << F << "AR" << true << r5(1140, 1000) << over << 1139 << 5;
        // No arm at risk: the side with the smaller R is judged (right-handed).
        QTest::newRow("none, left smaller") << false << R << F << "" << false << r5(500, 560) << over << 1106 << 5;
        QTest::newRow("none, right smaller") << false << R << F << "" << false << r5(560, 500) << ok << 1134 << 5;
        QTest::newRow("none, equal") << false << R << F << "" << false << r5(480, 480) << ok << 1134 << 5;
        QTest::newRow("both arms") << false << R << F << "AL,AR" << false << r5(500, 600) << not_ << 0 << 5;
        // Legs: 1.167 men, 1.136 women, whichever hand.
        QTest::newRow("1.167 at") << true << L << M << "BL" << false << r5(1000, 1167) << ok << 1167 << 5;
        QTest::newRow("1.167 above") << true << L << M << "BL" << false << r5(1000, 1168) << over << 1167 << 5;
        QTest::newRow("1.136 at") << true << R << F << "BR" << false << r5(568, 500) << ok << 1136 << 5;
        QTest::newRow("1.136 above") << true << R << F << "BR" << false << r5(569, 500) << over << 1136 << 5; // 1.138
        QTest::newRow("sex unknown") << true << R << SU << "BR" << false << r5(1150, 1000) << ok << 1167 << 5;
        QTest::newRow("women 1.150") << true << R << F << "BR" << false << r5(1150, 1000) << over << 1136 << 5;
        QTest::newRow("older arms, legs same") << true << R << F << "BR" << true << r5(569, 500) << over << 1136 << 5;
        // The lowest frequency both limbs have: 5 kHz decides even where 50 kHz would not.
        QTest::newRow("5 kHz decides") << false << R << F << "AL" << false << QList<int>{500, 553, 400, 480} << ok
                                       << 1106 << 5; // 50 kHz: 480/400 = 1.200
        QTest::newRow("single-frequency")
            << false << R << F << "AL" << false << QList<int>{none, none, 500, 554} << over << 1106 << 50;
        QTest::newRow("5 kHz stored as 0")
            << false << R << F << "AL" << false << QList<int>{0, 0, 500, 553} << ok << 1106 << 50;
        QTest::newRow("5 kHz of one limb")
            << false << R << F << "AL" << false << QList<int>{500, none, 500, 600} << over << 1106 << 50; // 1.200
    }
    void judgements()
    {
        QFETCH(bool, legs);
        QFETCH(int, hand);
        QFETCH(int, sex);
        QFETCH(QString, atRisk);
        QFETCH(bool, older);
        QFETCH(QList<int>, r);
        QFETCH(int, verdict);
        QFETCH(int, limit);
        QFETCH(int, khz);
        const Measurement left = row(1, kDay, {10, 0}, r[0], r[2]), right = row(2, kDay, {10, 0}, r[1], r[3]);
        const PairOfDay pair{&left, &right};
        const PersonFacts facts{Hand(hand), Sex(sex), ::atRisk(atRisk)};
        const auto j =
            judge(legs ? Limbs::Legs : Limbs::Arms, pair, facts, older ? olderArmLimits() : defaultThresholds());
        QVERIFY(j);
        QCOMPARE(verdictWord(j->verdict), verdictWord(Verdict(verdict)));
        QCOMPARE(j->threshold ? j->threshold->thousandths : 0, limit);
        QCOMPARE(kiloHertz(j->ratio.frequency), khz);
        QCOMPARE(frequencyMark(*j), khz == 50 ? QStringLiteral("nur 50 kHz") : QString());
        const QString tip = judgementTooltip(*j);
        QVERIFY2(tip.contains(ratioText(j->ratio)), qPrintable(tip));
        if (j->threshold) {
            QVERIFY2(
                tip.contains(
                    QStringLiteral("Grenzwert %1,%2").arg(limit / 1000).arg(limit % 1000, 3, 10, QLatin1Char('0'))),
                qPrintable(tip));
            QVERIFY(tip.contains(QString::fromUtf8(j->threshold->source)));
        }
    }

    // One tooltip in full.
    void tooltip()
    {
        const Measurement left = row(1, kDay, {10, 0}, none, 500), right = row(2, kDay, {10, 0}, none, 554);
        const PairOfDay pair{&left, &right};
        const auto j = judge(Limbs::Arms, pair, {Hand::Unknown, Sex::Female, {}});
        QVERIFY(j);
        QCOMPARE(
            judgementTooltip(*j).split(QLatin1Char('\n')),
            QStringList({
                "Arme, 50 kHz: Verhältnis 1,108 (rechts größer)",
                "Grenzwert 1,134 (dominanter Arm gefährdet): unauffällig",
                "Quelle: Ward et al., Lymphatic Research and Biology 2011, doi 10.1089/lrb.2010.0014 "
                "(Mittelwert + 3 SD Gesunder)",
                "Keine Seite als gefährdet erfasst: beurteilt wird die Seite mit dem kleineren Widerstand (links).",
                "Händigkeit unbekannt: der höhere der beiden Arm-Grenzwerte gilt.",
                "Die Grenzwerte wurden aus dem Widerstand bei Frequenz null von Spektroskopie-Geräten "
                "abgeleitet; bei 5 kHz sind sie eine Näherung.",
                "Nur 50 kHz gemessen: dort ist die Näherung deutlich gröber.",
            }));
        QCOMPARE(verdictWord(Verdict::AboveThreshold), QStringLiteral("über Grenzwert"));
    }

    // A practice's stored choice that names no known limit finds none.
    void unknownThresholdKey() { QVERIFY(!thresholdByKey(QStringLiteral("arm"))); }

    // A whole person: row figures line up with the rows, pairs come from the day.
    void person()
    {
        std::array<QList<Measurement>, 4> rows;
        Measurement a = row(11, kDay, {9, 0}, 500, 480);
        a.values[Frequency::kHz50] = imp(480, 52, 490); // 6.18°, +10/480 = +2.1 %
        Measurement b = row(12, kDay.addDays(-7), {9, 0}, 520);
        b.values[Frequency::kHz5] = imp(520, 61, 510); // atan(61/520) = 6.69°, -10/520 = -1.9 %
        rows[0] = {a, b};
        rows[1] = {row(21, kDay, {9, 5}, 560)};
        rows[3] = {row(41, kDay, {9, 5}, 700)};
        const PersonFigures p = evaluatePerson(rows, kDay, {Hand::Right, Sex::Female, ::atRisk(QStringLiteral("AL"))});
        QCOMPARE(p.rows[0].size(), 2);
        QCOMPARE(p.rows[0][0].id, 11);
        QCOMPARE(phaseAngleText(p.rows[0][0].phaseAngle[1]), QStringLiteral("6,2"));
        QCOMPARE(therapyChangeText(p.rows[0][0].change[1]), QStringLiteral("+2,1 %"));
        QVERIFY(!p.rows[0][0].phaseAngle[0]); // 5 kHz without Xc
        QCOMPARE(p.rows[0][1].id, 12);
        QCOMPARE(phaseAngleText(p.rows[0][1].phaseAngle[0]), QStringLiteral("6,7"));
        QCOMPARE(therapyChangeText(p.rows[0][1].change[0]), QStringLiteral("-1,9 %"));
        QCOMPARE(p.rows[2].size(), 0);
        const PairFigures &arms = p.pairs[0];
        QCOMPARE(arms.measurements.left->id, 11);
        QVERIFY(arms.ratio[0] && !arms.ratio[2]);
        QCOMPARE(arms.ratio[0]->thousandths, 1120); // 560/500
        QVERIFY(arms.judgement && arms.judgement->verdict == Verdict::AboveThreshold);
        QVERIFY(!p.pairs[1].ratio[0] && !p.pairs[1].judgement); // no left leg
    }
};

QTEST_GUILESS_MAIN(TestClinical)
#include "tst_clinical.moc"
