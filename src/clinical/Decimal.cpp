#include "clinical/Decimal.h"

namespace kavio::clinical {

qint64 roundedQuotient(qint64 num, qint64 den)
{
    const qint64 magnitude = ((num < 0 ? -num : num) * 2 + den) / (2 * den);
    return num < 0 ? -magnitude : magnitude;
}

QString decimalComma(qint64 scaled, int decimals)
{
    qint64 unit = 1;
    for (int i = 0; i < decimals; ++i)
        unit *= 10;
    const qint64 magnitude = scaled < 0 ? -scaled : scaled;
    QString text = scaled < 0 ? QStringLiteral("-") : QString();
    text += QString::number(magnitude / unit);
    if (decimals > 0)
        text += QLatin1Char(',') + QString::number(magnitude % unit).rightJustified(decimals, QLatin1Char('0'));
    return text;
}

} // namespace kavio::clinical
