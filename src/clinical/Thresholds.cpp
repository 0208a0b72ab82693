#include "clinical/Thresholds.h"

#include "clinical/Decimal.h"

#include <QStringList>

namespace kavio::clinical {

namespace {

const Threshold &higher(const Threshold &a, const Threshold &b)
{
    return a.thousandths >= b.thousandths ? a : b;
}

QString higherLimitNote(HigherLimit reason)
{
    switch (reason) {
    case HigherLimit::NotTaken:
        break;
    case HigherLimit::HandUnknown:
        return QStringLiteral("Händigkeit unbekannt: der höhere der beiden Arm-Grenzwerte gilt.");
    case HigherLimit::EqualSides:
        return QStringLiteral("Beide Seiten gleich: der höhere der beiden Arm-Grenzwerte gilt.");
    case HigherLimit::SexUnknown:
        return QStringLiteral("Geschlecht unbekannt: der höhere der beiden Bein-Grenzwerte gilt.");
    }
    return {};
}

} // namespace

const Threshold *thresholdByKey(const QString &key)
{
    for (const Threshold &t : kThresholds)
        if (key == QLatin1String(t.key))
            return &t;
    return nullptr;
}

ThresholdChoice defaultThresholds()
{
    ThresholdChoice choice{};
    for (const char *key : {"arm-nondominant-2011", "arm-dominant-2011", "leg-men", "leg-women"}) {
        const Threshold *t = thresholdByKey(QLatin1String(key));
        choice.perCase[static_cast<size_t>(t->applies)] = t;
    }
    return choice;
}

std::optional<Judgement> judge(Limbs limbs, const PairOfDay &pair, const PersonFacts &facts,
                               const ThresholdChoice &choice)
{
    std::optional<LimbRatio> ratio;
    for (Frequency f : kFrequencies) // lowest first
        if ((ratio = limbRatio(limbs, f, pair, facts.atRisk)))
            break;
    if (!ratio)
        return std::nullopt;
    Judgement j{*ratio, Verdict::NotJudged, nullptr, false, HigherLimit::NotTaken};
    if (ratio->basis == RatioBasis::BothAtRisk)
        return j;
    j.smallerSideJudged = ratio->basis == RatioBasis::LargerOverSmaller;
    const Threshold *limit = nullptr;
    if (limbs == Limbs::Arms) {
        const Threshold &nonDominant = choice.of(ThresholdCase::ArmNonDominantAtRisk);
        const Threshold &dominant = choice.of(ThresholdCase::ArmDominantAtRisk);
        const bool sideKnown = ratio->basis == RatioBasis::AtRisk || !ratio->equal;
        if (facts.dominantHand == Hand::Unknown || !sideKnown) {
            limit = &higher(nonDominant, dominant);
            j.higherLimit = sideKnown ? HigherLimit::HandUnknown : HigherLimit::EqualSides;
        } else {
            const Side dominantSide = facts.dominantHand == Hand::Right ? Side::Right : Side::Left;
            limit = ratio->denominator == dominantSide ? &dominant : &nonDominant;
        }
    } else if (facts.sex == Sex::Unknown) {
        limit = &higher(choice.of(ThresholdCase::LegMen), choice.of(ThresholdCase::LegWomen));
        j.higherLimit = HigherLimit::SexUnknown;
    } else {
        limit = &choice.of(facts.sex == Sex::Male ? ThresholdCase::LegMen : ThresholdCase::LegWomen);
    }
    j.threshold = limit;
    j.verdict = ratio->thousandths > limit->thousandths ? Verdict::AboveThreshold : Verdict::Unremarkable;
    return j;
}

QString verdictWord(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Unremarkable:
        return QStringLiteral("unauffällig");
    case Verdict::AboveThreshold:
        return QStringLiteral("über Grenzwert");
    case Verdict::NotJudged:
        return QStringLiteral("nicht beurteilt");
    }
    return {};
}

QString frequencyMark(const Judgement &judgement)
{
    if (!judgement.onlyHigherFrequency())
        return {};
    return QStringLiteral("nur %1 kHz").arg(kiloHertz(judgement.ratio.frequency));
}

QString judgementTooltip(const Judgement &j)
{
    const LimbRatio &r = j.ratio;
    QStringList lines;
    lines << QStringLiteral("%1, %2 kHz: Verhältnis %3 (%4)")
                 .arg(limbsWord(r.limbs))
                 .arg(kiloHertz(r.frequency))
                 .arg(ratioText(r), ratioSideText(r));
    if (!j.threshold) {
        lines << QStringLiteral("Beide %1 als gefährdet erfasst: keine gesunde Seite zum Vergleich, nicht beurteilt.")
                     .arg(limbsWord(r.limbs));
        return lines.join(QLatin1Char('\n'));
    }
    lines << QStringLiteral("Grenzwert %1 (%2): %3")
                 .arg(decimalComma(j.threshold->thousandths, 3), QString::fromUtf8(j.threshold->label),
                      verdictWord(j.verdict));
    lines << QStringLiteral("Quelle: ") + QString::fromUtf8(j.threshold->source);
    if (j.smallerSideJudged)
        lines << QStringLiteral("Keine Seite als gefährdet erfasst: beurteilt wird die Seite mit dem kleineren "
                                "Widerstand (%1).")
                     .arg(sideWord(r.denominator));
    if (j.higherLimit != HigherLimit::NotTaken)
        lines << higherLimitNote(j.higherLimit);
    lines << QStringLiteral("Die Grenzwerte wurden aus dem Widerstand bei Frequenz null von Spektroskopie-Geräten "
                            "abgeleitet; bei 5 kHz sind sie eine Näherung.");
    if (j.onlyHigherFrequency())
        lines << QStringLiteral("Nur %1 kHz gemessen: dort ist die Näherung deutlich gröber.")
                     .arg(kiloHertz(r.frequency));
    return lines.join(QLatin1Char('\n'));
}

} // namespace kavio::clinical
