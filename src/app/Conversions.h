#pragma once

#include <QDate>
#include <QString>

namespace kavio {

// Conversions as the operator's input and stored texts need them; German forms whatever
// the system's locale. Each throws KavioError (TypeMismatch, Overflow) on failure.

// A number in German form ("1.234,5"; blanks around it ignored), rounded half to even
// to a 16-bit integer.
qint16 toInt16(const QString &text);
// A whole number (blanks around it ignored) as a 32-bit integer.
qint32 toInt32(const QString &text);
// A day.month.year date ("31.12.2026", two-digit years as 19xx/20xx by the 1930 pivot).
QDate toDate(const QString &text);
// Rounds half to even, as the conversions of the program do.
double roundHalfEven(double value);

// German short date "dd.MM.yyyy" and the database's ISO form.
QString germanDate(const QDate &date);
// "66 Jahre": the age in completed years (one less while this year's birthday has not come).
QString ageCaption(const QDate &birth, const QDate &today);
QString isoDate(const QDate &date);
QDate fromIsoDate(const QString &text);

// The stand-in birth day of a person without one: day 1 of the engine's day count.
inline QDate standInBirthDay()
{
    return QDate(1899, 12, 31);
}

} // namespace kavio
