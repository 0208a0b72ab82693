#include "db/SegmentOperations.h"

#include "app/Conversions.h"
#include "app/Errors.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/Statements.h"

#include <QSqlQuery>
#include <QVariant>

namespace kavio {

namespace {

void requireValidDay(const QDate &day)
{
    if (!day.isValid())
        throw KavioError(RunError::TypeMismatch);
}

QVariant stored(const std::optional<qint16> &value)
{
    return value ? QVariant(*value) : QVariant();
}

std::optional<qint16> value(const QSqlQuery &q, int column)
{
    const QVariant v = q.value(column);
    if (v.isNull())
        return std::nullopt;
    return static_cast<qint16>(v.toInt());
}

// A file keeps day and time as ISO text, a server in date and time columns.
QDate storedDay(const QVariant &v)
{
    return v.typeId() == QMetaType::QDate ? v.toDate() : QDate::fromString(v.toString(), Qt::ISODate);
}

QTime storedTimeOfDay(const QVariant &v)
{
    return v.typeId() == QMetaType::QTime ? v.toTime() : QTime::fromString(v.toString(), QStringLiteral("HH:mm:ss"));
}

sql::RowOrder rowOrder(MeasurementOrder order)
{
    switch (order) {
    case MeasurementOrder::NewestFirst:
        return sql::RowOrder::NewestFirst;
    case MeasurementOrder::OldestFirst:
        return sql::RowOrder::OldestFirst;
    case MeasurementOrder::ByDay:
        break;
    }
    return sql::RowOrder::ByDay;
}

Person personOfRow(const QSqlQuery &q)
{
    return {q.value(0).toInt(), q.value(1).toString(), q.value(2).toString(), storedDay(q.value(3))};
}

// Teilnehmer.Geschlecht as the host keeps it: 0 a man, any other number a woman.
clinical::Sex storedSex(const QVariant &value)
{
    if (value.isNull())
        return clinical::Sex::Unknown;
    return value.toInt() == 0 ? clinical::Sex::Male : clinical::Sex::Female;
}

QVariant sexValue(clinical::Sex sex)
{
    switch (sex) {
    case clinical::Sex::Male:
        return 0;
    case clinical::Sex::Female:
        return 1;
    case clinical::Sex::Unknown:
        break;
    }
    return QVariant(QMetaType(QMetaType::Int));
}

clinical::Hand storedHand(const QString &text)
{
    for (size_t i = 0; i < kStoredHands.size(); ++i)
        if (text == QLatin1String(kStoredHands[i]))
            return static_cast<clinical::Hand>(i);
    // The table's check admits nothing else.
    throw KavioError(RunError::TypeMismatch);
}

} // namespace

QString storedTime(const QTime &time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}

SaveResult storeFirstOn(const DbConnection &db, const SegmentInfo &segment, qint32 person, const QDate &day,
                        const QTime &time, const SegmentReading &values)
{
    const QString insert = sql::insertMeasurement(QLatin1String(segment.table));
    requireValidDay(day);
    if (!time.isValid())
        throw KavioError(RunError::TypeMismatch);

    const Impedance &at50 = values[Frequency::kHz50];
    if (at50.r.value_or(0) <= 0 || at50.xc.value_or(0) <= 0)
        return {SaveOutcome::InvalidValue, 0};

    const Impedance &at5 = values[Frequency::kHz5];
    const Impedance &at100 = values[Frequency::kHz100];
    SaveResult result{SaveOutcome::Stored, 0};
    db.transaction([&] {
        const QSqlQuery q = db.exec(insert, {person, isoDate(day), storedTime(time), stored(at5.r), stored(at50.r),
                                             stored(at100.r), stored(at5.xc), stored(at50.xc), stored(at100.xc)});
        result.messId = q.lastInsertId().toLongLong();
    });
    return result;
}

SaveResult storeSecondOn(const DbConnection &db, const QString &lookup, const SegmentInfo &segment, qint32 person,
                         const QDate &day, const SegmentReading &values)
{
    const QString update = sql::storeSecondMeasurement(QLatin1String(segment.table));
    requireValidDay(day);

    SaveResult result{SaveOutcome::Stored, 0};
    // The lookup runs inside the write transaction, so no other save can slip a later
    // row of the day in between finding the row and changing it.
    db.transaction([&] {
        QSqlQuery latest = db.exec(lookup, {isoDate(day), person});
        if (!latest.next()) {
            result.outcome = SaveOutcome::NoFirstMeasurement;
            return;
        }
        const qint64 messId = latest.value(0).toLongLong();
        latest.finish();
        if (values[Frequency::kHz50].r.value_or(0) <= 0) {
            result.outcome = SaveOutcome::InvalidValue;
            return;
        }
        const QSqlQuery q = db.exec(update, {stored(values[Frequency::kHz50].r), stored(values[Frequency::kHz5].r),
                                             stored(values[Frequency::kHz100].r), messId});
        if (q.numRowsAffected() != 1)
            throw KavioError(RunError::NoCurrentRow);
        result.messId = messId;
    });
    return result;
}

std::optional<qint64> storedFirstOn(const DbConnection &db, const SegmentInfo &segment, qint32 person, const QDate &day,
                                    const QTime &time, const SegmentReading &values)
{
    const Impedance &at5 = values[Frequency::kHz5];
    const Impedance &at50 = values[Frequency::kHz50];
    const Impedance &at100 = values[Frequency::kHz100];
    QSqlQuery q = db.exec(sql::firstMeasurementsLike(QLatin1String(segment.table)),
                          {person, isoDate(day), storedTime(time), stored(at5.r), stored(at50.r), stored(at100.r),
                           stored(at5.xc), stored(at50.xc), stored(at100.xc)});
    return q.next() ? std::optional<qint64>(q.value(0).toLongLong()) : std::nullopt;
}

std::optional<qint64> storedSecondOn(const DbConnection &db, const QString &lookup, const SegmentInfo &segment,
                                     qint32 person, const QDate &day, const SegmentReading &values)
{
    QSqlQuery latest = db.exec(lookup, {isoDate(day), person});
    if (!latest.next())
        return std::nullopt;
    const qint64 messId = latest.value(0).toLongLong();
    latest.finish();
    QSqlQuery q = db.exec(sql::secondValuesOf(QLatin1String(segment.table)), {messId});
    if (!q.next())
        return std::nullopt;
    for (Frequency f : kFrequencies) {
        const QVariant held = q.value(static_cast<int>(f));
        const std::optional<qint16> wanted = values[f].r;
        if (held.isNull() != !wanted || (wanted && held.toInt() != *wanted))
            return std::nullopt;
    }
    return messId;
}

bool deleteMeasurementOn(const DbConnection &db, const SegmentInfo &segment, qint32 person, qint64 messId)
{
    const QString statement = sql::deleteMeasurement(QLatin1String(segment.table));
    int deleted = 0;
    db.transaction([&] { deleted = db.exec(statement, {messId, person}).numRowsAffected(); });
    return deleted == 1;
}

QList<Measurement> measurementsOn(const DbConnection &db, const SegmentInfo &segment, qint32 person,
                                  MeasurementOrder order)
{
    const QString statement = sql::measurementsOf(QLatin1String(segment.table), rowOrder(order));
    QList<Measurement> rows;
    QSqlQuery q = db.exec(statement, {person});
    while (q.next()) {
        Measurement m;
        m.id = q.value(0).toLongLong();
        m.person = q.value(1).toInt();
        m.day = storedDay(q.value(2));
        m.time = storedTimeOfDay(q.value(3));
        // Columns 4-6 W5 W50 W100, 7-9 Xc5 Xc50 Xc100, 10-12 W5N W50N W100N.
        for (int f = 0; f < 3; ++f)
            m.values.at[static_cast<size_t>(f)] = {value(q, 4 + f), value(q, 7 + f), value(q, 10 + f)};
        rows.append(std::move(m));
    }
    return rows;
}

SegmentCounts countsOn(const DbConnection &db, qint32 person)
{
    QSqlQuery q = db.exec(sql::countsOfPerson(), {person, person, person, person});
    SegmentCounts counts;
    if (q.next())
        for (const SegmentInfo &s : kSegments)
            counts.perSegment[static_cast<size_t>(s.storeIndex)] = q.value(s.storeIndex).toInt();
    return counts;
}

std::optional<qint16> smallestW50On(const DbConnection &db, const SegmentInfo &segment, qint32 person)
{
    QSqlQuery q = db.exec(sql::minW50(QLatin1String(segment.table)), {person});
    return q.next() ? value(q, 0) : std::nullopt;
}

clinical::PersonFacts personFactsOn(const DbConnection &db, qint32 lfdNr)
{
    clinical::PersonFacts facts;
    if (QSqlQuery sex = db.exec(sql::personSex(), {lfdNr}); sex.next())
        facts.sex = storedSex(sex.value(0));
    QSqlQuery q = db.exec(sql::personFacts(), {lfdNr});
    if (!q.next())
        return facts;
    facts.dominantHand = storedHand(q.value(0).toString());
    for (const SegmentInfo &s : kSegments)
        facts.atRisk[static_cast<size_t>(s.storeIndex)] = q.value(1 + s.storeIndex).toInt() != 0;
    return facts;
}

bool setPersonFactsOn(const DbConnection &db, qint32 lfdNr, const clinical::PersonFacts &facts)
{
    const QString statement = sql::storePersonFacts();
    QVariantList values{lfdNr, QLatin1String(kStoredHands.at(static_cast<size_t>(facts.dominantHand)))};
    for (const SegmentInfo &s : kSegments)
        values << int(facts.atRisk[static_cast<size_t>(s.storeIndex)]);
    values << lfdNr;
    int stored = 0;
    db.transaction([&] {
        stored = db.exec(statement, values).numRowsAffected();
        if (stored == 1)
            db.exec(sql::storePersonSex(), {sexValue(facts.sex), lfdNr});
    });
    return stored == 1;
}

std::optional<Person> findPracticePersonOn(const DbConnection &db, const PracticePerson &patient)
{
    const QString byNumber = sql::personByPracticeNumber();
    const QString byName = sql::unlinkedPersonByName();
    const QString link = sql::linkPracticeNumber();
    std::optional<Person> found;
    // Looked up and linked in one transaction, so two requests cannot link two persons
    // to one number.
    db.transaction([&] {
        QSqlQuery q = db.exec(byNumber, {patient.number});
        if (q.next()) {
            found = personOfRow(q);
            return;
        }
        q = db.exec(byName, {isoDate(patient.birthDate), patient.name, patient.firstName});
        if (!q.next())
            return;
        found = personOfRow(q);
        q.finish();
        db.exec(link, {patient.number, found->number});
    });
    return found;
}

Person addPracticePersonOn(const DbConnection &db, const PracticePerson &patient)
{
    requireValidDay(patient.birthDate);
    const QString insert = sql::insertPracticePerson();
    Person person{0, patient.name, patient.firstName, patient.birthDate};
    db.transaction([&] {
        const QSqlQuery q = db.exec(insert, {patient.name, patient.firstName, isoDate(patient.birthDate),
                                             sexValue(patient.sex), patient.number});
        person.number = q.lastInsertId().toInt();
    });
    return person;
}

QString practiceNumberOn(const DbConnection &db, qint32 lfdNr)
{
    QSqlQuery q = db.exec(sql::practiceNumberOf(), {lfdNr});
    return q.next() ? q.value(0).toString() : QString();
}

} // namespace kavio
