#include "db/SqliteRepository.h"

#include "app/Conversions.h"
#include "app/Errors.h"
#include "db/Schema.h"
#include "db/Statements.h"

#include <QSqlQuery>
#include <QVariant>

namespace kavio {

namespace {

// A transient lock held by another connection is waited out over a few attempts; the
// last attempt's failure is the one reported.
constexpr int kOpenAttempts = 10;

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

QDate storedDay(const QString &iso)
{
    return QDate::fromString(iso, Qt::ISODate);
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

clinical::Hand storedHand(const QString &text)
{
    for (size_t i = 0; i < kStoredHands.size(); ++i)
        if (text == QLatin1String(kStoredHands[i]))
            return static_cast<clinical::Hand>(i);
    // The table's check admits nothing else.
    throw KavioError(RunError::TypeMismatch);
}

Person personOfRow(const QSqlQuery &q)
{
    return {q.value(0).toInt(), q.value(1).toString(), q.value(2).toString(), storedDay(q.value(3).toString())};
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

} // namespace

QString storedTime(const QTime &time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}

SqliteRepository::SqliteRepository(QString path) : m_path(std::move(path)) {}

const DbConnection &SqliteRepository::connection()
{
    if (m_db.isOpen())
        return m_db;
    for (int attempt = 1;; ++attempt) {
        try {
            m_db = DbConnection::open(m_path);
        } catch (const KavioError &) {
            if (attempt == kOpenAttempts)
                throw;
            continue;
        }
        const QString refusal = newerSchemaRefusal(m_path, segmentSchemaVersion(m_db));
        if (!refusal.isEmpty()) {
            m_db.close();
            throw KavioError(static_cast<int>(RunError::UnknownDatabaseFormat), refusal);
        }
        return m_db;
    }
}

void SqliteRepository::release()
{
    m_db.close();
}

SaveResult SqliteRepository::storeFirst(const SegmentInfo &segment, qint32 person, const QDate &day, const QTime &time,
                                        const SegmentReading &values)
{
    const QString insert = sql::insertMeasurement(QLatin1String(segment.table));
    requireValidDay(day);
    if (!time.isValid())
        throw KavioError(RunError::TypeMismatch);

    const DbConnection &db = connection();
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

SaveResult SqliteRepository::storeSecond(const SegmentInfo &segment, qint32 person, const QDate &day,
                                         const SegmentReading &values)
{
    const QString table = QLatin1String(segment.table);
    const QString lookup = sql::latestOfDay(table);
    const QString update = sql::storeSecondMeasurement(table);
    requireValidDay(day);

    const DbConnection &db = connection();
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

bool SqliteRepository::deleteMeasurement(const SegmentInfo &segment, qint32 person, qint64 messId)
{
    const QString statement = sql::deleteMeasurement(QLatin1String(segment.table));
    const DbConnection &db = connection();
    int deleted = 0;
    db.transaction([&] { deleted = db.exec(statement, {messId, person}).numRowsAffected(); });
    return deleted == 1;
}

QList<Measurement> SqliteRepository::measurements(const SegmentInfo &segment, qint32 person, MeasurementOrder order)
{
    const QString statement = sql::measurementsOf(QLatin1String(segment.table), rowOrder(order));
    QList<Measurement> rows;
    QSqlQuery q = connection().exec(statement, {person});
    while (q.next()) {
        Measurement m;
        m.id = q.value(0).toLongLong();
        m.person = q.value(1).toInt();
        m.day = storedDay(q.value(2).toString());
        m.time = QTime::fromString(q.value(3).toString(), QStringLiteral("HH:mm:ss"));
        // Columns 4-6 W5 W50 W100, 7-9 Xc5 Xc50 Xc100, 10-12 W5N W50N W100N.
        for (int f = 0; f < 3; ++f)
            m.values.at[static_cast<size_t>(f)] = {value(q, 4 + f), value(q, 7 + f), value(q, 10 + f)};
        rows.append(std::move(m));
    }
    return rows;
}

SegmentCounts SqliteRepository::counts(qint32 person)
{
    const QString statement = sql::countsOfPerson();
    QSqlQuery q = connection().exec(statement, {person, person, person, person});
    SegmentCounts counts;
    if (q.next())
        for (const SegmentInfo &s : kSegments)
            counts.perSegment[static_cast<size_t>(s.storeIndex)] = q.value(s.storeIndex).toInt();
    return counts;
}

std::optional<qint16> SqliteRepository::smallestW50(const SegmentInfo &segment, qint32 person)
{
    const QString statement = sql::minW50(QLatin1String(segment.table));
    QSqlQuery q = connection().exec(statement, {person});
    return q.next() ? value(q, 0) : std::nullopt;
}

ListRows SqliteRepository::personList(QVector<ListFormatter> formatters, const std::atomic_bool *cancel) const
{
    const DbConnection db = DbConnection::open(m_path, OpenMode::ReadOnly);
    return readListRows(db, sql::personListMain(), {}, std::move(formatters), cancel);
}

QList<PersonRow> SqliteRepository::persons(const QString &searchText)
{
    return readPersonList(connection(), searchText);
}

std::optional<PersonBoxes> SqliteRepository::personDetails(qint32 lfdNr)
{
    return readPersonDetails(connection(), lfdNr);
}

bool SqliteRepository::personPresent(const QString &vorname, const QString &name, const QString &gebDat)
{
    return kavio::personPresent(connection(), vorname, name, gebDat);
}

qint64 SqliteRepository::storePerson(const PersonBoxes &boxes)
{
    return kavio::storePerson(connection(), boxes);
}

void SqliteRepository::deletePerson(qint32 lfdNr)
{
    deletePersonWithMeasurements(connection(), lfdNr);
}

clinical::PersonFacts SqliteRepository::personFacts(qint32 lfdNr)
{
    const QString statement = sql::personFacts();
    const DbConnection &db = connection();
    clinical::PersonFacts facts;
    if (QSqlQuery sex = db.exec(sql::personSex(), {lfdNr}); sex.next())
        facts.sex = storedSex(sex.value(0));
    QSqlQuery q = db.exec(statement, {lfdNr});
    if (!q.next())
        return facts;
    facts.dominantHand = storedHand(q.value(0).toString());
    for (const SegmentInfo &s : kSegments)
        facts.atRisk[static_cast<size_t>(s.storeIndex)] = q.value(1 + s.storeIndex).toInt() != 0;
    return facts;
}

bool SqliteRepository::setPersonFacts(qint32 lfdNr, const clinical::PersonFacts &facts)
{
    const QString statement = sql::storePersonFacts();
    QVariantList values{lfdNr, QLatin1String(kStoredHands.at(static_cast<size_t>(facts.dominantHand)))};
    for (const SegmentInfo &s : kSegments)
        values << int(facts.atRisk[static_cast<size_t>(s.storeIndex)]);
    values << lfdNr;
    const DbConnection &db = connection();
    int stored = 0;
    db.transaction([&] {
        stored = db.exec(statement, values).numRowsAffected();
        if (stored == 1)
            db.exec(sql::storePersonSex(), {sexValue(facts.sex), lfdNr});
    });
    return stored == 1;
}

std::optional<Person> SqliteRepository::findPracticePerson(const PracticePerson &patient)
{
    const QString byNumber = sql::personByPracticeNumber();
    const QString byName = sql::unlinkedPersonByName();
    const QString link = sql::linkPracticeNumber();
    const DbConnection &db = connection();
    std::optional<Person> found;
    // Looked up and linked under one write lock, so two requests cannot link two persons
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

Person SqliteRepository::addPracticePerson(const PracticePerson &patient)
{
    const QString insert = sql::insertPracticePerson();
    requireValidDay(patient.birthDate);
    const DbConnection &db = connection();
    Person person{0, patient.name, patient.firstName, patient.birthDate};
    db.transaction([&] {
        const QSqlQuery q = db.exec(insert, {patient.name, patient.firstName, isoDate(patient.birthDate),
                                             sexValue(patient.sex), patient.number});
        person.number = q.lastInsertId().toInt();
    });
    return person;
}

QString SqliteRepository::practiceNumber(qint32 lfdNr)
{
    const QString statement = sql::practiceNumberOf();
    QSqlQuery q = connection().exec(statement, {lfdNr});
    return q.next() ? q.value(0).toString() : QString();
}

} // namespace kavio
