#pragma once

#include "clinical/PersonFacts.h"
#include "session/Values.h"

#include <array>
#include <optional>
#include <QList>
#include <QString>

namespace kavio::clinical {

enum class Limbs { Arms, Legs };
enum class Side { Left, Right };

// The segment of a limb: Arms/Left is AL, Legs/Right is BR.
const SegmentInfo &limbSegment(Limbs limbs, Side side);
bool isAtRisk(const LimbsAtRisk &atRisk, Limbs limbs, Side side);

// The measurement of the day that was taken last: the latest time; a row without a time
// counts before every row with one; at equal times the row stored later (higher MessID).
// nullptr when the list has none of that day.
const Measurement *latestOfDay(const QList<Measurement> &rows, const QDate &day);

// How the ratio was formed.
enum class RatioBasis {
    AtRisk,            // R of the unaffected limb ÷ R of the limb at risk
    LargerOverSmaller, // no limb of the pair at risk: larger R ÷ smaller R
    BothAtRisk,        // both at risk: larger R ÷ smaller R, no healthy side to compare with
};

// Ratio of the resistances of a limb pair at one frequency. Fluid lowers R, so the ratio
// rises above 1 when the limb in the denominator takes up fluid.
struct LimbRatio {
    Limbs limbs;
    Frequency frequency;
    RatioBasis basis;
    Side numerator;     // the unaffected limb, or the one with the larger R
    Side denominator;   // the limb at risk, or the one with the smaller R
    bool equal;         // both R are the same: no side is larger
    qint64 thousandths; // ratio · 1000 rounded, halves up: what is shown and judged
    double value;       // unrounded
};

// Nothing when an R is missing or not above 0.
std::optional<LimbRatio> limbRatio(Limbs limbs, Frequency f, const Impedance &left, const Impedance &right,
                                   const LimbsAtRisk &atRisk);

// The measurements of a pair that are compared: the latest of the day of each limb.
struct PairOfDay {
    const Measurement *left = nullptr;
    const Measurement *right = nullptr;

    bool complete() const { return left && right; }
};

// perSegment: a person's rows of each segment in the order of kSegments.
PairOfDay pairOfDay(Limbs limbs, const std::array<QList<Measurement>, 4> &perSegment, const QDate &day);

// Nothing when one limb has no measurement that day.
std::optional<LimbRatio> limbRatio(Limbs limbs, Frequency f, const PairOfDay &pair, const LimbsAtRisk &atRisk);

// "1,106".
QString ratioText(const LimbRatio &ratio);
// Which side the ratio names: "rechts gefährdet", "links größer" (R of the left limb is
// the larger), "beide gleich", "beide gefährdet, links größer".
QString ratioSideText(const LimbRatio &ratio);
QString sideWord(Side side);    // "links" / "rechts"
QString limbsWord(Limbs limbs); // "Arme" / "Beine"

} // namespace kavio::clinical
