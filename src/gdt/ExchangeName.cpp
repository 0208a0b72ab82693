#include "gdt/ExchangeName.h"

#include <algorithm>

namespace kavio::gdt {

namespace {

QString stem(const QString &receiverId, const QString &senderId)
{
    return receiverId.left(4) + senderId.left(4);
}

// 1 to 999 for "<stem>.001" to "<stem>.999", otherwise 0.
int counterOf(const QString &fileName, const QString &stemText)
{
    if (fileName.size() != stemText.size() + 4 || !fileName.startsWith(stemText, Qt::CaseInsensitive) ||
        fileName[stemText.size()] != QLatin1Char('.'))
        return 0;
    const QString digits = fileName.right(3);
    for (QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    return digits.toInt();
}

} // namespace

std::optional<QString> exchangeFileName(const QString &receiverId, const QString &senderId, bool counting,
                                        const QStringList &existing)
{
    const QString s = stem(receiverId, senderId);
    if (!counting) {
        const QString name = s + QStringLiteral(".GDT");
        if (existing.contains(name, Qt::CaseInsensitive))
            return std::nullopt;
        return name;
    }
    int highest = 0;
    for (const QString &name : existing)
        highest = std::max(highest, counterOf(name, s));
    if (highest >= 999)
        return std::nullopt;
    return s + QLatin1Char('.') + QString::number(highest + 1).rightJustified(3, QLatin1Char('0'));
}

bool isExchangeFile(const QString &fileName, const QString &receiverId, const QString &senderId)
{
    const QString s = stem(receiverId, senderId);
    return fileName.compare(s + QStringLiteral(".GDT"), Qt::CaseInsensitive) == 0 || counterOf(fileName, s) > 0;
}

} // namespace kavio::gdt
