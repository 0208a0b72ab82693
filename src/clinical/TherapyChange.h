#pragma once

#include "session/Values.h"

#include <optional>
#include <QString>

namespace kavio::clinical {

// Change of R through a therapy, from the first (r) and second (rAfter) measurement of a
// row: ΔR % = (R after − R before) / R before · 100. R rising means fluid leaving.
struct TherapyChange {
    qint64 tenthsOfPercent; // rounded, halves away from zero: what the text shows
    double percent;         // unrounded, for charts
};

// Nothing when either R is missing or not above 0 (an R before of 0 has no change to
// relate to; an R after of 0 is an empty field, not a drop by 100 %).
std::optional<TherapyChange> therapyChange(const Impedance &impedance);

// "+3,2 %", "-1,0 %", "0,0 %" (no sign when it rounds to zero), empty for no value.
//
// The minus is the ASCII hyphen-minus, not U+2212: the same text goes into Daten.xls,
// report.htm and letters copied from the screen, where spreadsheet programs read only the
// hyphen-minus as the sign of a number.
QString therapyChangeText(const std::optional<TherapyChange> &change);

} // namespace kavio::clinical
