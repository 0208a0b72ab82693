#pragma once

#include "clinical/Thresholds.h"
#include "session/Values.h"

#include <array>
#include <optional>

namespace kavio {

// What the main window's evaluation shows for the measurement day: per segment the
// reading the figures come from, its phase angles, and the judgement of both limb pairs.
struct DayFigures {
    std::array<std::optional<SegmentReading>, 4> reading;        // per segment, order of kSegments
    std::array<bool, 4> inHand{};                                // from the values in hand, not a stored row
    std::array<std::array<std::optional<double>, 3>, 4> phase{}; // per segment and frequency
    std::array<std::optional<clinical::Judgement>, 2> judgement; // arms, legs
};

// A segment shows its values in hand when there are any, otherwise its latest stored
// row of the day: while measuring, the therapist sees the figures of what the device
// just delivered (before deciding to store or measure again), otherwise those of what
// was stored that day. inHand and stored are per segment in the order of kSegments.
DayFigures dayFigures(const std::array<std::optional<SegmentReading>, 4> &inHand,
                      const std::array<std::optional<SegmentReading>, 4> &stored, const clinical::PersonFacts &facts);

// Values in hand count once a resistance is above 0 (they are 0 until measured).
bool holdsValues(const SegmentReading &reading);

} // namespace kavio
