#pragma once

// Figures derived from segmental R and Xc for the therapist: phase angle, left/right
// ratio with its judgement against published limits, change through therapy. Pure
// functions of the typed values; the windows, lists, charts and exports call them.

#include "clinical/LimbRatio.h"
#include "clinical/PersonFacts.h"
#include "clinical/PhaseAngle.h"
#include "clinical/TherapyChange.h"
#include "clinical/Thresholds.h"

#include <array>
#include <optional>
#include <QList>

namespace kavio::clinical {

// The figures of one stored row, per frequency in the order of kFrequencies.
struct RowFigures {
    qint64 id = 0; // MessID
    std::array<std::optional<double>, 3> phaseAngle{};
    std::array<std::optional<TherapyChange>, 3> change{};
};

RowFigures rowFigures(const Measurement &m);

// The left/right comparison of a limb pair on one day.
struct PairFigures {
    PairOfDay measurements;                          // the latest of the day of each limb
    std::array<std::optional<LimbRatio>, 3> ratio{}; // per frequency
    std::optional<Judgement> judgement;
};

struct PersonFigures {
    std::array<QList<RowFigures>, 4> rows; // per segment (order of kSegments), row for row
    std::array<PairFigures, 2> pairs;      // arms, legs
};

// Everything shown for a person: the figures of every row, and the two pairs compared on
// the given day. perSegment holds the person's rows of each segment in the order of
// kSegments; the pointers in pairs point into it.
PersonFigures evaluatePerson(const std::array<QList<Measurement>, 4> &perSegment, const QDate &day,
                             const PersonFacts &facts, const ThresholdChoice &choice = defaultThresholds());

} // namespace kavio::clinical
