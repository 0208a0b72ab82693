#include "clinical/TherapyChange.h"

#include "clinical/Decimal.h"

namespace kavio::clinical {

std::optional<TherapyChange> therapyChange(const Impedance &impedance)
{
    if (!impedance.r || !impedance.rAfter || *impedance.r <= 0 || *impedance.rAfter <= 0)
        return std::nullopt;
    const qint64 before = *impedance.r;
    const qint64 delta = qint64(*impedance.rAfter) - before;
    return TherapyChange{roundedQuotient(delta * 1000, before), double(delta) * 100.0 / double(before)};
}

QString therapyChangeText(const std::optional<TherapyChange> &change)
{
    if (!change)
        return {};
    const QString sign = change->tenthsOfPercent > 0 ? QStringLiteral("+") : QString();
    return sign + decimalComma(change->tenthsOfPercent, 1) + QStringLiteral(" %");
}

} // namespace kavio::clinical
