#pragma once

#include <QString>

namespace kavio::clinical {

// num / den rounded to a whole number, halves away from zero; den must be positive. Kept
// in integers so that a ratio or change that lands exactly on a half or on a threshold is
// not tipped by the binary representation of a double.
qint64 roundedQuotient(qint64 num, qint64 den);

// A number held in units of 10^-decimals as German text: decimalComma(63, 1) = "6,3",
// decimalComma(-5, 1) = "-0,5", decimalComma(1106, 3) = "1,106". The minus is the ASCII
// hyphen-minus (see TherapyChange.h).
QString decimalComma(qint64 scaled, int decimals);

} // namespace kavio::clinical
