#include "app/Conversions.h"

#include "app/Errors.h"

#include <cmath>
#include <limits>
#include <QLocale>
#include <QRegularExpression>

namespace kavio {

double roundHalfEven(double value)
{
    const double r = std::nearbyint(value); // default rounding mode: to nearest, ties to even
    return r;
}

static double parseGermanNumber(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        throw KavioError(RunError::TypeMismatch);
    static const QLocale german(QLocale::German, QLocale::Germany);
    bool ok = false;
    double v = german.toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        throw KavioError(RunError::TypeMismatch);
    return v;
}

qint16 toInt16(const QString &text)
{
    const double v = roundHalfEven(parseGermanNumber(text));
    if (v < std::numeric_limits<qint16>::min() || v > std::numeric_limits<qint16>::max())
        throw KavioError(RunError::Overflow);
    return static_cast<qint16>(v);
}

qint32 toInt32(const QString &text)
{
    const double v = roundHalfEven(parseGermanNumber(text));
    if (v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max())
        throw KavioError(RunError::Overflow);
    return static_cast<qint32>(v);
}

QDate toDate(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,2})\\.(\\d{1,2})\\.(\\d{2}|\\d{4})\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        throw KavioError(RunError::TypeMismatch);
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2)
        year += year < 30 ? 2000 : 1900;
    const QDate d(year, m.captured(2).toInt(), m.captured(1).toInt());
    if (!d.isValid())
        throw KavioError(RunError::TypeMismatch);
    return d;
}

QString germanDate(const QDate &date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}
QString isoDate(const QDate &date)
{
    return date.toString(Qt::ISODate);
}
QDate fromIsoDate(const QString &text)
{
    return QDate::fromString(text.left(10), Qt::ISODate);
}

QString ageCaption(const QDate &birth, const QDate &today)
{
    int years = today.year() - birth.year();
    if (today.month() < birth.month() || (today.month() == birth.month() && today.day() < birth.day()))
        --years;
    return QString::number(years) + QStringLiteral(" Jahre");
}

} // namespace kavio
