#include "db/MeasurementStore.h"

#include "app/Conversions.h"
#include "app/Errors.h"
#include "db/Database.h"
#include "db/Statements.h"

#include <QSqlQuery>
#include <QVariant>

namespace kavio {

SegmentValues segmentValues(const std::array<qint16, 24> &store, const SegmentInfo &segment)
{
    auto at = [&](Quantity q) { return store[static_cast<size_t>(storeIndex(q, segment))]; };
    return {at(Quantity::W5),  at(Quantity::W50),  at(Quantity::W100),
            at(Quantity::Xc5), at(Quantity::Xc50), at(Quantity::Xc100)};
}

QString storedTime(const QTime &time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}

static void requireValidDay(const QDate &day)
{
    if (!day.isValid())
        throw KavioError(RunError::TypeMismatch);
}

SaveResult saveFirstMeasurement(const QString &dbPath, const QString &segment, qint32 fktn, const QDate &day,
                                const QTime &time, const SegmentValues &values)
{
    const QString insert = sql::insertMeasurement(segment);
    requireValidDay(day);
    if (!time.isValid())
        throw KavioError(RunError::TypeMismatch);

    const DbConnection db = DbConnection::open(dbPath);
    if (values.w50 <= 0 || values.xc50 <= 0)
        return {SaveOutcome::InvalidValue, 0};

    SaveResult result{SaveOutcome::Stored, 0};
    db.transaction([&] {
        const QSqlQuery q = db.exec(insert, {fktn, isoDate(day), storedTime(time), values.w5, values.w50, values.w100,
                                             values.xc5, values.xc50, values.xc100});
        result.messId = q.lastInsertId().toLongLong();
    });
    return result;
}

SaveResult saveSecondMeasurement(const QString &dbPath, const QString &segment, qint32 fktn, const QDate &day,
                                 const SegmentValues &values)
{
    const QString lookup = sql::latestOfDay(segment);
    const QString update = sql::storeSecondMeasurement(segment);
    requireValidDay(day);

    const DbConnection db = DbConnection::open(dbPath);
    SaveResult result{SaveOutcome::Stored, 0};
    // The lookup runs inside the write transaction, so no other save can slip a later
    // row of the day in between finding the row and changing it.
    db.transaction([&] {
        QSqlQuery latest = db.exec(lookup, {isoDate(day), fktn});
        if (!latest.next()) {
            result.outcome = SaveOutcome::NoFirstMeasurement;
            return;
        }
        const qint64 messId = latest.value(0).toLongLong();
        latest.finish();
        if (values.w50 <= 0) {
            result.outcome = SaveOutcome::InvalidValue;
            return;
        }
        const QSqlQuery q = db.exec(update, {values.w50, values.w5, values.w100, messId});
        if (q.numRowsAffected() != 1)
            throw KavioError(RunError::NoCurrentRow);
        result.messId = messId;
    });
    return result;
}

bool deletePersonsMeasurement(const DbConnection &db, const QString &segment, qint32 fktn, qint32 messId)
{
    return db.exec(sql::deleteMeasurement(segment), {messId, fktn}).numRowsAffected() == 1;
}

} // namespace kavio
