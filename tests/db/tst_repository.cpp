// The segment repository on its own: what each operation reads and writes, and what it
// refuses, on a real database file.
#include "app/Errors.h"
#include "db/Schema.h"
#include "db/SqliteRepository.h"
#include "Saves.h"
#include "session/MeasurementTable.h"
#include "TestBed.h"

#include <QTest>

using namespace kavio;
using namespace kavio::test;

Q_DECLARE_METATYPE(kavio::clinical::PersonFacts)

namespace {

const QDate kDay(2026, 12, 6);

const SegmentInfo &segment(const char *code)
{
    return *segmentByCode(QLatin1String(code));
}

// "MessID:W50/W50N" of each row as read.
QString ids(const QList<Measurement> &rows)
{
    QStringList out;
    for (const Measurement &m : rows)
        out << QStringLiteral("%1:%2/%3")
                   .arg(m.id)
                   .arg(m[Frequency::kHz50].r.value_or(-1))
                   .arg(m[Frequency::kHz50].rAfter ? QString::number(*m[Frequency::kHz50].rAfter) : QString());
    return out.join(QLatin1Char(' '));
}

// "<hand> <codes at risk>", read through the repository.
QString factsText(SegmentRepository &repo, qint32 person)
{
    const clinical::PersonFacts f = repo.personFacts(person);
    QStringList parts{QLatin1String(kStoredHands.at(static_cast<size_t>(f.dominantHand)))};
    for (const SegmentInfo &s : kSegments)
        if (f.atRisk[static_cast<size_t>(s.storeIndex)])
            parts << QLatin1String(s.code);
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestRepository : public QObject {
    Q_OBJECT
private slots:
    void readsInEachOrder();
    void countsAllFourSegmentsOfOnePerson();
    void deletesOnlyTheChosenPersonsRowOfTheSegment();
    void firstStoreRefusesNonPositiveValues_data();
    void firstStoreRefusesNonPositiveValues();
    void listCellsOfATypedRow();
    void personFactsRoundTrip_data();
    void personFactsRoundTrip();
};

void TestRepository::readsInEachOrder()
{
    TestBed bed;
    // Same day twice (a late row entered first), an earlier day, another person's row.
    const qint64 late = bed.addMeasurement("ArmLi", 5, kDay, "17:00:00", 1, 20, 3, 4, 5, 6, 7, 21, 9);
    const qint64 early = bed.addMeasurement("ArmLi", 5, kDay, "08:00:00", 1, 30, 3, 4, 5, 6);
    const qint64 before = bed.addMeasurement("ArmLi", 5, kDay.addDays(-3), "12:00:00", 1, 40, 3, 4, 5, 6);
    bed.addMeasurement("ArmLi", 6, kDay, "09:00:00", 1, 50, 3, 4, 5, 6);
    SqliteRepository repo(bed.segmentePath());
    auto order = [&](MeasurementOrder o) { return ids(repo.measurements(segment("AL"), 5, o)); };
    const QString l = QString::number(late), e = QString::number(early), b = QString::number(before);
    QCOMPARE(order(MeasurementOrder::NewestFirst), l + ":20/21 " + e + ":30/ " + b + ":40/");
    QCOMPARE(order(MeasurementOrder::OldestFirst), b + ":40/ " + e + ":30/ " + l + ":20/21");
    // The comparison looks at the day and the entry only.
    QCOMPARE(order(MeasurementOrder::ByDay), b + ":40/ " + l + ":20/21 " + e + ":30/");
    QCOMPARE(repo.measurements(segment("AR"), 5, MeasurementOrder::NewestFirst).size(), 0);

    const Measurement m = repo.measurements(segment("AL"), 5, MeasurementOrder::NewestFirst).first();
    QCOMPARE(m.person, 5);
    QCOMPARE(m.day, kDay);
    QCOMPARE(m.time, QTime(17, 0));
    QCOMPARE(m[Frequency::kHz5], (Impedance{1, 4, 7}));
    QCOMPARE(m[Frequency::kHz100], (Impedance{3, 6, 9}));

    QCOMPARE(repo.smallestW50(segment("AL"), 5), std::optional<qint16>(20));
    QCOMPARE(repo.smallestW50(segment("BR"), 5), std::nullopt);
}

void TestRepository::countsAllFourSegmentsOfOnePerson()
{
    TestBed bed;
    const char *tables[] = {"ArmLi", "ArmRe", "ArmRe", "BeinRe", "BeinRe", "BeinRe"};
    for (const char *t : tables)
        bed.addMeasurement(QLatin1String(t), 5, kDay, "10:00:00", 1, 2, 3, 4, 5, 6);
    bed.addMeasurement("BeinLi", 6, kDay, "10:00:00", 1, 2, 3, 4, 5, 6);
    SqliteRepository repo(bed.segmentePath());
    const SegmentCounts c = repo.counts(5);
    QCOMPARE((QList<int>{c.of(segment("AL")), c.of(segment("AR")), c.of(segment("BL")), c.of(segment("BR"))}),
             (QList<int>{1, 2, 0, 3}));
    QCOMPARE(repo.counts(6).of(segment("BL")), 1);
}

void TestRepository::deletesOnlyTheChosenPersonsRowOfTheSegment()
{
    TestBed bed;
    const qint64 own = bed.addMeasurement("ArmLi", 5, kDay, "10:00:00", 1, 2, 3, 4, 5, 6);
    const qint64 others = bed.addMeasurement("ArmLi", 6, kDay, "10:00:00", 1, 2, 3, 4, 5, 6);
    bed.addMeasurement("BeinRe", 7, kDay, "10:00:00", 1, 2, 3, 4, 5, 6);
    bed.addMeasurement("BeinRe", 7, kDay, "11:00:00", 1, 2, 3, 4, 5, 6);
    const qint64 otherSegment =
        bed.addMeasurement("BeinRe", 5, kDay, "10:00:00", 1, 2, 3, 4, 5, 6); // no such ArmLi row
    SqliteRepository repo(bed.segmentePath());
    QVERIFY(!repo.deleteMeasurement(segment("AL"), 5, others));
    QVERIFY(!repo.deleteMeasurement(segment("AL"), 5, otherSegment)); // a number of another table
    QVERIFY(!repo.deleteMeasurement(segment("AL"), 5, 999));
    QCOMPARE(scalar(bed.segmentePath(), "SELECT COUNT(*) FROM ArmLi").toInt(), 2);
    QVERIFY(repo.deleteMeasurement(segment("AL"), 5, own));
    QCOMPARE(scalar(bed.segmentePath(), "SELECT group_concat(FKTN) FROM ArmLi").toString(), QStringLiteral("6"));
    QCOMPARE(scalar(bed.segmentePath(), "SELECT COUNT(*) FROM BeinRe").toInt(), 3);
}

void TestRepository::firstStoreRefusesNonPositiveValues_data()
{
    QTest::addColumn<int>("w50");
    QTest::addColumn<int>("xc50");
    QTest::addColumn<bool>("stored");
    QTest::newRow("both positive") << 1 << 1 << true;
    QTest::newRow("W50 zero") << 0 << 40 << false;
    QTest::newRow("Xc50 zero") << 480 << 0 << false;
    QTest::newRow("W50 negative") << -480 << 40 << false;
    QTest::newRow("Xc50 negative") << 480 << -1 << false;
}

void TestRepository::firstStoreRefusesNonPositiveValues()
{
    QFETCH(int, w50);
    QFETCH(int, xc50);
    QFETCH(bool, stored);
    TestBed bed;
    SqliteRepository repo(bed.segmentePath());
    const SaveResult r =
        repo.storeFirst(segment("BL"), 5, kDay, QTime(9, 30, 15), reading(500, qint16(w50), 440, 30, qint16(xc50), 50));
    QCOMPARE(r.outcome, stored ? SaveOutcome::Stored : SaveOutcome::InvalidValue);
    QCOMPARE(scalar(bed.segmentePath(), "SELECT COUNT(*) FROM BeinLi").toInt(), stored ? 1 : 0);
    if (stored)
        QCOMPARE(scalar(bed.segmentePath(), "SELECT Datum || ' ' || Uhrzeit FROM BeinLi WHERE MessID = ?", {r.messId})
                     .toString(),
                 QStringLiteral("2026-12-06 09:30:15"));
    // Without a day nothing is written at all.
    QVERIFY_THROWS_EXCEPTION(KavioError,
                             repo.storeFirst(segment("BL"), 5, QDate(), QTime(9, 0), reading(1, 2, 3, 4, 5, 6)));
}

void TestRepository::listCellsOfATypedRow()
{
    Measurement m;
    m.id = 42;
    m.day = kDay;
    m.time = QTime(7, 5, 59);
    m.values[Frequency::kHz5] = {520, 31, std::nullopt};
    m.values[Frequency::kHz50] = {480, 52, 499};
    m.values[Frequency::kHz100] = {std::nullopt, std::nullopt, 470};
    const QVariantList cells = measurementCells(m);
    QCOMPARE(cells.mid(0, 5), (QVariantList{"06.12.26", "07:05", "520/", "480/499", "/470"}));
    QCOMPARE(cells[5].toInt(), 31);
    QVERIFY(cells[7].isNull());
    QCOMPARE(cells[8].toLongLong(), 42);
    const ListRows rows = measurementListRows({m, Measurement{}});
    QCOMPARE(rows.fields, measurementListColumns());
    QCOMPARE(rows.rows, 2);
    QCOMPARE(rows.cells.mid(5, 6), (QVector<QString>{"31", "52", "", "42", "6,2°", "+4,0 %"}));
    QCOMPARE(rows.cells.mid(11, 11), (QVector<QString>{"", "", "/", "/", "/", "", "", "", "0", "", ""}));
}

void TestRepository::personFactsRoundTrip_data()
{
    QTest::addColumn<clinical::PersonFacts>("facts");
    QTest::addColumn<QString>("read");    // as factsText gives it
    QTest::addColumn<QString>("columns"); // the stored row: DominanteHand AL AR BL BR
    using clinical::Hand;
    QTest::newRow("right, none at risk") << clinical::PersonFacts{Hand::Right, clinical::Sex::Female, {}} << "rechts"
                                         << "rechts 0 0 0 0";
    QTest::newRow("left, left arm") << clinical::PersonFacts{Hand::Left, {}, {true, false, false, false}} << "links AL"
                                    << "links 1 0 0 0";
    QTest::newRow("unknown, right arm and both legs")
        << clinical::PersonFacts{Hand::Unknown, clinical::Sex::Unknown, {false, true, true, true}}
        << "unbekannt AR BL BR"
        << "unbekannt 0 1 1 1";
    QTest::newRow("right, left leg") << clinical::PersonFacts{Hand::Right, {}, {false, false, true, false}}
                                     << "rechts BL"
                                     << "rechts 0 0 1 0";
}

// Facts are stored per person, replace earlier ones, are refused for an unknown person and
// go when the person is deleted; another person's facts stay.
void TestRepository::personFactsRoundTrip()
{
    QFETCH(clinical::PersonFacts, facts);
    QFETCH(QString, read);
    QFETCH(QString, columns);
    TestBed bed;
    const auto anna = qint32(bed.addPerson("Müller", "Anna"));
    const auto hans = qint32(bed.addPerson("Groß", "Hans"));
    bed.addMeasurement("ArmLi", anna, kDay, "10:00:00", 1, 2, 3, 4, 5, 6);
    SqliteRepository repo(bed.segmentePath());
    QCOMPARE(factsText(repo, anna), QStringLiteral("unbekannt"));
    QVERIFY(repo.setPersonFacts(hans, {clinical::Hand::Left, {}, {true, true, true, true}}));
    QVERIFY(repo.setPersonFacts(anna, {clinical::Hand::Left, {}, {true, true, false, false}}));
    QVERIFY(repo.setPersonFacts(anna, facts));
    QCOMPARE(factsText(repo, anna), read);
    QCOMPARE(repo.personFacts(anna).sex, facts.sex); // kept in the person row
    QCOMPARE(scalar(bed.segmentePath(),
                    "SELECT DominanteHand || ' ' || AL || ' ' || AR || ' ' || BL || ' ' || BR "
                    "FROM tblTeilnehmerAngaben WHERE LfdNr = ?",
                    {anna})
                 .toString(),
             columns);
    SqliteRepository fresh(bed.segmentePath()); // read back from the file
    QCOMPARE(factsText(fresh, anna), read);

    QVERIFY(!repo.setPersonFacts(999, facts));
    QCOMPARE(scalar(bed.segmentePath(), "SELECT count(*) FROM tblTeilnehmerAngaben").toInt(), 2);
    repo.deletePerson(anna);
    QCOMPARE(scalar(bed.segmentePath(), "SELECT group_concat(LfdNr) FROM tblTeilnehmerAngaben").toLongLong(), hans);
    QCOMPARE(factsText(repo, anna), QStringLiteral("unbekannt"));
    QCOMPARE(factsText(repo, hans), QStringLiteral("links AL AR BL BR"));
}

QTEST_MAIN(TestRepository)
#include "tst_repository.moc"
