#include "gdt/ResultFindings.h"

#include "clinical/Decimal.h"

#include <QStringList>

namespace kavio::gdt {

QString resultFindings(const clinical::PersonFigures &figures)
{
    QStringList lines;
    for (const clinical::PairFigures &pair : figures.pairs) {
        if (!pair.judgement)
            continue;
        const clinical::Judgement &j = *pair.judgement;
        QString line =
            QStringLiteral("%1 %2 kHz: Verhältnis %3 (%4), %5")
                .arg(clinical::limbsWord(j.ratio.limbs))
                .arg(kiloHertz(j.ratio.frequency))
                .arg(clinical::ratioText(j.ratio), clinical::ratioSideText(j.ratio), clinical::verdictWord(j.verdict));
        if (j.threshold)
            line += QStringLiteral(", Grenzwert ") + clinical::decimalComma(j.threshold->thousandths, 3);
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace kavio::gdt
