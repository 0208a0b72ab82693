#include "clinical/Clinical.h"

namespace kavio::clinical {

RowFigures rowFigures(const Measurement &m)
{
    RowFigures figures;
    figures.id = m.id;
    for (Frequency f : kFrequencies) {
        figures.phaseAngle[static_cast<size_t>(f)] = phaseAngle(m[f]);
        figures.change[static_cast<size_t>(f)] = therapyChange(m[f]);
    }
    return figures;
}

PersonFigures evaluatePerson(const std::array<QList<Measurement>, 4> &perSegment, const QDate &day,
                             const PersonFacts &facts, const ThresholdChoice &choice)
{
    PersonFigures out;
    for (size_t s = 0; s < perSegment.size(); ++s) {
        out.rows[s].reserve(perSegment[s].size());
        for (const Measurement &m : perSegment[s])
            out.rows[s].append(rowFigures(m));
    }
    for (Limbs limbs : {Limbs::Arms, Limbs::Legs}) {
        PairFigures &pair = out.pairs[limbs == Limbs::Arms ? 0 : 1];
        pair.measurements = pairOfDay(limbs, perSegment, day);
        for (Frequency f : kFrequencies)
            pair.ratio[static_cast<size_t>(f)] = limbRatio(limbs, f, pair.measurements, facts.atRisk);
        pair.judgement = judge(limbs, pair.measurements, facts, choice);
    }
    return out;
}

} // namespace kavio::clinical
