#pragma once

#include "db/Segments.h"

#include <array>
#include <QDate>
#include <QString>
#include <QTime>

namespace kavio {

class DbConnection;

// The six values of one segment, taken from the 24-element value store.
struct SegmentValues {
    qint16 w5 = 0, w50 = 0, w100 = 0;
    qint16 xc5 = 0, xc50 = 0, xc100 = 0;
};

SegmentValues segmentValues(const std::array<qint16, 24> &store, const SegmentInfo &segment);

enum class SaveOutcome {
    Stored,             // the row was written (first) or changed (second)
    InvalidValue,       // W50 or Xc50 (first) / W50 (second) not greater than 0; nothing written
    NoFirstMeasurement, // second measurement: the person has no row on that day; nothing written
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::InvalidValue;
    qint64 messId = 0; // the row written or changed, when Stored
};

// Stores a first measurement as one new row of the segment table, in one transaction.
// Opens the database file once (no retries) and closes it again. Refuses a W50 or Xc50
// that is not greater than 0 without writing. Database failures throw KavioError with
// the engine's code and text; nothing is left half-written.
SaveResult saveFirstMeasurement(const QString &dbPath, const QString &segment, qint32 fktn, const QDate &day,
                                const QTime &time, const SegmentValues &values);

// Writes the three resistances of a second measurement into the person's latest row of
// that day (greatest time, then greatest MessID), in one transaction: exactly one row
// changes, or none. Only W50 is checked (> 0); reactances are ignored.
SaveResult saveSecondMeasurement(const QString &dbPath, const QString &segment, qint32 fktn, const QDate &day,
                                 const SegmentValues &values);

// Deletes measurement messId of the segment table when it is the person's; false, with
// nothing deleted, when the table holds no such measurement of that person. Throws
// KavioError on a database failure.
bool deletePersonsMeasurement(const DbConnection &db, const QString &segment, qint32 fktn, qint32 messId);

// The time as it is stored in Uhrzeit.
QString storedTime(const QTime &time);

} // namespace kavio
