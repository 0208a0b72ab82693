#include "clinical/LimbRatio.h"

#include "clinical/Decimal.h"

namespace kavio::clinical {

namespace {

size_t segmentIndex(Limbs limbs, Side side)
{
    // kSegments: AL, AR, BL, BR.
    return (limbs == Limbs::Arms ? 0 : 2) + (side == Side::Left ? 0 : 1);
}

Side other(Side side)
{
    return side == Side::Left ? Side::Right : Side::Left;
}

bool before(const Measurement &a, const Measurement &b)
{
    if (a.time.isValid() != b.time.isValid())
        return !a.time.isValid();
    if (a.time.isValid() && a.time != b.time)
        return a.time < b.time;
    return a.id < b.id;
}

} // namespace

const SegmentInfo &limbSegment(Limbs limbs, Side side)
{
    return kSegments[segmentIndex(limbs, side)];
}

bool isAtRisk(const LimbsAtRisk &atRisk, Limbs limbs, Side side)
{
    return atRisk[segmentIndex(limbs, side)];
}

const Measurement *latestOfDay(const QList<Measurement> &rows, const QDate &day)
{
    const Measurement *latest = nullptr;
    for (const Measurement &m : rows)
        if (m.day == day && (!latest || before(*latest, m)))
            latest = &m;
    return latest;
}

std::optional<LimbRatio> limbRatio(Limbs limbs, Frequency f, const Impedance &left, const Impedance &right,
                                   const LimbsAtRisk &atRisk)
{
    if (!left.r || !right.r || *left.r <= 0 || *right.r <= 0)
        return std::nullopt;
    const bool leftAtRisk = isAtRisk(atRisk, limbs, Side::Left);
    const bool rightAtRisk = isAtRisk(atRisk, limbs, Side::Right);
    LimbRatio ratio{limbs, f, RatioBasis::LargerOverSmaller, Side::Left, Side::Right, *left.r == *right.r, 0, 0.0};
    if (leftAtRisk != rightAtRisk) {
        ratio.basis = RatioBasis::AtRisk;
        ratio.denominator = leftAtRisk ? Side::Left : Side::Right;
    } else {
        ratio.basis = leftAtRisk ? RatioBasis::BothAtRisk : RatioBasis::LargerOverSmaller;
        ratio.denominator = *left.r < *right.r ? Side::Left : Side::Right;
    }
    ratio.numerator = other(ratio.denominator);
    const qint64 num = ratio.numerator == Side::Left ? *left.r : *right.r;
    const qint64 den = ratio.denominator == Side::Left ? *left.r : *right.r;
    ratio.thousandths = roundedQuotient(num * 1000, den);
    ratio.value = double(num) / double(den);
    return ratio;
}

PairOfDay pairOfDay(Limbs limbs, const std::array<QList<Measurement>, 4> &perSegment, const QDate &day)
{
    return {latestOfDay(perSegment[segmentIndex(limbs, Side::Left)], day),
            latestOfDay(perSegment[segmentIndex(limbs, Side::Right)], day)};
}

std::optional<LimbRatio> limbRatio(Limbs limbs, Frequency f, const PairOfDay &pair, const LimbsAtRisk &atRisk)
{
    if (!pair.complete())
        return std::nullopt;
    return limbRatio(limbs, f, (*pair.left)[f], (*pair.right)[f], atRisk);
}

QString ratioText(const LimbRatio &ratio)
{
    return decimalComma(ratio.thousandths, 3);
}

QString ratioSideText(const LimbRatio &ratio)
{
    switch (ratio.basis) {
    case RatioBasis::AtRisk:
        return sideWord(ratio.denominator) + QStringLiteral(" gefährdet");
    case RatioBasis::LargerOverSmaller:
        return ratio.equal ? QStringLiteral("beide gleich") : sideWord(ratio.numerator) + QStringLiteral(" größer");
    case RatioBasis::BothAtRisk:
        return QStringLiteral("beide gefährdet, ") +
               (ratio.equal ? QStringLiteral("gleich") : sideWord(ratio.numerator) + QStringLiteral(" größer"));
    }
    return {};
}

QString sideWord(Side side)
{
    return side == Side::Left ? QStringLiteral("links") : QStringLiteral("rechts");
}

QString limbsWord(Limbs limbs)
{
    return limbs == Limbs::Arms ? QStringLiteral("Arme") : QStringLiteral("Beine");
}

} // namespace kavio::clinical
