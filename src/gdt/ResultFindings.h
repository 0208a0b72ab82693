#pragma once

#include "clinical/Clinical.h"

#include <QString>

namespace kavio::gdt {

// The left/right comparison of the day for the findings of a result (6220): one line per
// limb pair that was judged, "Arme 5 kHz: Verhältnis 1,106 (rechts gefährdet),
// unauffällig, Grenzwert 1,106"; empty when neither pair was. The result wraps lines
// longer than a field may be.
QString resultFindings(const clinical::PersonFigures &figures);

} // namespace kavio::gdt
