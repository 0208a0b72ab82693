#pragma once

#include "clinical/LimbRatio.h"
#include "clinical/PersonFacts.h"
#include "session/Values.h"

#include <array>
#include <QList>
#include <QStringList>

namespace kavio::charts {

// The chart page's lines on the measurements its chart shows (the rows trendRowIndices
// picks from `oldestFirst`), at the charted frequency:
// - the phase angle of the first and of the last row shown, so the page gives the course
//   the bars show as a figure;
// - ΔR % of the last row shown that has a second measurement: the latest therapy's effect.
// Empty when no row is shown.
QStringList chartFigureLines(const QList<Measurement> &oldestFirst, Frequency frequency);

// The comparison page's lines on the left/right ratio of a limb pair on the latest day
// both limbs were measured: the day and the judgement first, then the ratio, the limit,
// its source and the notes as the main window's tooltip gives them. perSegment holds the
// person's rows of each segment in the order of kSegments (the pair's are enough).
QStringList comparisonRatioLines(clinical::Limbs limbs, const std::array<QList<Measurement>, 4> &perSegment,
                                 const clinical::PersonFacts &facts);

} // namespace kavio::charts
