#pragma once

// Saves through a repository of their own, as one save of the window makes them.
#include "db/SqliteRepository.h"

namespace kavio::test {

// The six values in the order W5, W50, W100, Xc5, Xc50, Xc100.
inline SegmentReading reading(qint16 w5, qint16 w50, qint16 w100, qint16 xc5 = 0, qint16 xc50 = 0, qint16 xc100 = 0)
{
    SegmentReading r;
    r[Frequency::kHz5] = {w5, xc5, {}};
    r[Frequency::kHz50] = {w50, xc50, {}};
    r[Frequency::kHz100] = {w100, xc100, {}};
    return r;
}

inline SaveResult saveFirst(const QString &path, const QString &table, qint32 person, const QDate &day,
                            const QTime &time, const SegmentReading &values)
{
    return SqliteRepository(path).storeFirst(*segmentByTable(table), person, day, time, values);
}

inline SaveResult saveSecond(const QString &path, const QString &table, qint32 person, const QDate &day,
                             const SegmentReading &values)
{
    return SqliteRepository(path).storeSecond(*segmentByTable(table), person, day, values);
}

} // namespace kavio::test
