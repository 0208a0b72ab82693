#include "charts/PageFigures.h"

#include "app/Conversions.h"
#include "charts/ChartModel.h"
#include "clinical/PhaseAngle.h"
#include "clinical/TherapyChange.h"
#include "clinical/Thresholds.h"

#include <set>

namespace kavio::charts {

using namespace clinical;

namespace {

QString angleOf(const Measurement &m, Frequency f)
{
    const QString text = phaseAngleText(phaseAngle(m.values, f));
    return text.isEmpty() ? QStringLiteral("kein Wert") : text + QStringLiteral("°");
}

} // namespace

QStringList chartFigureLines(const QList<Measurement> &oldestFirst, Frequency f)
{
    const QList<int> shown = trendRowIndices(static_cast<int>(oldestFirst.size()));
    if (oldestFirst.isEmpty() || shown.isEmpty())
        return {};
    const Measurement &first = oldestFirst[shown.first()], &last = oldestFirst[shown.last()];
    const int khz = kiloHertz(f);
    QStringList lines;
    if (shown.size() == 1)
        lines << QStringLiteral("Phasenwinkel bei %1 kHz am %2: %3")
                     .arg(khz)
                     .arg(germanDate(first.day), angleOf(first, f));
    else
        lines << QStringLiteral("Phasenwinkel bei %1 kHz: %2 am %3, %4 am %5")
                     .arg(khz)
                     .arg(angleOf(first, f), germanDate(first.day), angleOf(last, f), germanDate(last.day));
    for (auto it = shown.crbegin(); it != shown.crend(); ++it) {
        const Measurement &m = oldestFirst[*it];
        if (const auto change = therapyChange(m[f]))
            return lines << QStringLiteral("ΔR %1 kHz durch die Therapie am %2: %3")
                                .arg(khz)
                                .arg(germanDate(m.day), therapyChangeText(change));
    }
    return lines << QStringLiteral("ΔR %1 kHz: keine zweite Messung unter den gezeigten").arg(khz);
}

QStringList comparisonRatioLines(Limbs limbs, const std::array<QList<Measurement>, 4> &perSegment,
                                 const PersonFacts &facts)
{
    const auto rowsOf = [&](Side side) { return perSegment[static_cast<size_t>(limbSegment(limbs, side).storeIndex)]; };
    std::set<QDate> leftDays;
    for (const Measurement &m : rowsOf(Side::Left))
        leftDays.insert(m.day);
    QDate day;
    for (const Measurement &m : rowsOf(Side::Right))
        if (leftDays.count(m.day) && m.day > day)
            day = m.day;
    const QString heading = QStringLiteral("Verhältnis der Widerstände links/rechts (%1)").arg(limbsWord(limbs));
    if (!day.isValid())
        return {heading + QStringLiteral(": kein Tag, an dem beide Seiten gemessen wurden")};
    const std::optional<Judgement> judgement = judge(limbs, pairOfDay(limbs, perSegment, day), facts);
    if (!judgement)
        return {heading + QStringLiteral(" am %1: kein Widerstand zu vergleichen").arg(germanDate(day))};
    const QString mark = frequencyMark(*judgement);
    QStringList lines{heading + QStringLiteral(" am %1: %2").arg(germanDate(day), verdictWord(judgement->verdict)) +
                      (mark.isEmpty() ? QString() : QStringLiteral(" (") + mark + QLatin1Char(')'))};
    return lines + judgementTooltip(*judgement).split(QLatin1Char('\n'));
}

} // namespace kavio::charts
