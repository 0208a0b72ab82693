#include "session/DayFigures.h"

#include "clinical/PhaseAngle.h"

namespace kavio {

bool holdsValues(const SegmentReading &reading)
{
    for (const Impedance &at : reading.at)
        if (at.r && *at.r > 0)
            return true;
    return false;
}

DayFigures dayFigures(const std::array<std::optional<SegmentReading>, 4> &inHand,
                      const std::array<std::optional<SegmentReading>, 4> &stored, const clinical::PersonFacts &facts)
{
    DayFigures out;
    std::array<Measurement, 4> rows;
    for (size_t s = 0; s < rows.size(); ++s) {
        out.inHand[s] = inHand[s] && holdsValues(*inHand[s]);
        out.reading[s] = out.inHand[s] ? inHand[s] : stored[s];
        if (!out.reading[s])
            continue;
        rows[s].values = *out.reading[s];
        for (Frequency f : kFrequencies)
            out.phase[s][static_cast<size_t>(f)] = clinical::phaseAngle(rows[s][f]);
    }
    for (clinical::Limbs limbs : {clinical::Limbs::Arms, clinical::Limbs::Legs}) {
        const auto index = [&](clinical::Side side) {
            return static_cast<size_t>(clinical::limbSegment(limbs, side).storeIndex);
        };
        const size_t left = index(clinical::Side::Left), right = index(clinical::Side::Right);
        const clinical::PairOfDay pair{out.reading[left] ? &rows[left] : nullptr,
                                       out.reading[right] ? &rows[right] : nullptr};
        out.judgement[limbs == clinical::Limbs::Arms ? 0 : 1] = clinical::judge(limbs, pair, facts);
    }
    return out;
}

} // namespace kavio
