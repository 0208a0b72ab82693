#pragma once

#include "clinical/LimbRatio.h"
#include "clinical/PersonFacts.h"

#include <array>
#include <optional>
#include <QString>

namespace kavio::clinical {

// Which limb is at risk, as the published limits distinguish it.
enum class ThresholdCase { ArmNonDominantAtRisk = 0, ArmDominantAtRisk, LegMen, LegWomen };

// An upper limit of the inter-limb resistance ratio (mean + 3 SD of healthy persons).
struct Threshold {
    const char *key; // stable name, for a practice's choice kept in its settings
    ThresholdCase applies;
    int thousandths;    // 1106 is 1.106
    const char *label;  // "nicht dominanter Arm gefährdet"
    const char *source; // shown in the tooltip
};

// Every limit the program knows, with its source. Both arm pairs are listed: the ones
// confirmed in 2011 and the older ones that paper compares them with, still in use.
inline constexpr std::array<Threshold, 6> kThresholds{{
    {"arm-nondominant-2011", ThresholdCase::ArmNonDominantAtRisk, 1106, "nicht dominanter Arm gefährdet",
     "Ward et al., Lymphatic Research and Biology 2011, doi 10.1089/lrb.2010.0014 (Mittelwert + 3 SD Gesunder)"},
    {"arm-dominant-2011", ThresholdCase::ArmDominantAtRisk, 1134, "dominanter Arm gefährdet",
     "Ward et al., Lymphatic Research and Biology 2011, doi 10.1089/lrb.2010.0014 (Mittelwert + 3 SD Gesunder)"},
    {"arm-nondominant-older", ThresholdCase::ArmNonDominantAtRisk, 1066, "nicht dominanter Arm gefährdet",
     "älterer, weiter verwendeter Wert, verglichen in Ward et al., Lymphatic Research and Biology 2011, "
     "doi 10.1089/lrb.2010.0014"},
    {"arm-dominant-older", ThresholdCase::ArmDominantAtRisk, 1139, "dominanter Arm gefährdet",
     "älterer, weiter verwendeter Wert, verglichen in Ward et al., Lymphatic Research and Biology 2011, "
     "doi 10.1089/lrb.2010.0014"},
    {"leg-men", ThresholdCase::LegMen, 1167, "Bein, Männer",
     "Bein-Referenzdaten der Arbeitsgruppe von Ward et al. (Mittelwert + 3 SD Gesunder)"},
    {"leg-women", ThresholdCase::LegWomen, 1136, "Bein, Frauen",
     "Bein-Referenzdaten der Arbeitsgruppe von Ward et al. (Mittelwert + 3 SD Gesunder)"},
}};

// The limit used for each case, indexed by ThresholdCase; every entry must be set.
struct ThresholdChoice {
    std::array<const Threshold *, 4> perCase;

    const Threshold &of(ThresholdCase c) const { return *perCase[static_cast<size_t>(c)]; }
};

// nullptr for an unknown key.
const Threshold *thresholdByKey(const QString &key);
// The 2011 arm limits and the leg limits.
ThresholdChoice defaultThresholds();

enum class Verdict {
    Unremarkable,   // "unauffällig": the ratio is at or below the limit
    AboveThreshold, // "über Grenzwert"
    NotJudged,      // both limbs at risk: no healthy side to compare with
};

enum class HigherLimit {
    NotTaken,
    HandUnknown, // arm, dominant hand unknown
    EqualSides,  // arm, no limb at risk and both R equal: no side to judge
    SexUnknown,  // leg, sex unknown
};

// The ratio judged at the lowest frequency both limbs were measured at: 5 kHz on a
// multi-frequency installation, 50 kHz on a single-frequency one.
//
// Over the limit means the ratio, rounded to three decimals as shown and as the limits
// are published, is greater than the limit: a ratio exactly at the limit is unremarkable,
// because the limits are the upper end of the healthy range (mean + 3 SD), and the word
// must agree with the two figures the tooltip shows side by side.
struct Judgement {
    LimbRatio ratio;
    Verdict verdict;
    const Threshold *threshold; // nullptr when not judged
    // No limb of the pair recorded at risk: the side with the smaller R is judged as if
    // it were.
    bool smallerSideJudged;
    // Why the higher limit of the two was taken, if it was: which limit applies is not
    // known, so "über Grenzwert" is said only when the ratio is over either.
    HigherLimit higherLimit;

    bool onlyHigherFrequency() const { return ratio.frequency != Frequency::kHz5; }
};

// Nothing when no frequency has a ratio (a limb missing that day, or every R empty).
std::optional<Judgement> judge(Limbs limbs, const PairOfDay &pair, const PersonFacts &facts,
                               const ThresholdChoice &choice = defaultThresholds());

// "unauffällig" / "über Grenzwert" / "nicht beurteilt".
QString verdictWord(Verdict verdict);
// "nur 50 kHz" when judged at another frequency than 5 kHz, otherwise empty.
QString frequencyMark(const Judgement &judgement);
// Several lines: the ratio, the limit and its source, any note, and that the limits come
// from the resistance at zero frequency of spectroscopy devices.
QString judgementTooltip(const Judgement &judgement);

} // namespace kavio::clinical
