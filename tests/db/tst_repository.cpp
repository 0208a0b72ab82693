// What each repository operation reads, writes and refuses, on the SQLite file and on the
// PostgreSQL server of the test run alike.
#include "app/Errors.h"
#include "db/PostgresRepository.h"
#include "db/Schema.h"
#include "db/SqliteRepository.h"
#include "Saves.h"
#include "TestBed.h"
#include "TestServer.h"

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

// An empty segment database of the engine under test.
class Store {
public:
    explicit Store(const QString &engine)
    {
        if (engine == QLatin1String("sqlite")) {
            m_bed = std::make_unique<TestBed>(TestBed::Options{false, false, true, true});
        } else {
            QString why;
            m_schema = std::make_unique<TestSchema>(*testServerAddress(&why));
        }
        m_repo = open();
    }
    SegmentRepository &repo() { return *m_repo; }
    // Another repository on the same database, as a second workstation or a restart has it.
    std::unique_ptr<SegmentRepository> open() const
    {
        if (m_bed)
            return std::make_unique<SqliteRepository>(m_bed->segmentePath());
        return std::make_unique<PostgresRepository>(m_schema->address());
    }
    QVariant scalar(const char *sql, const QVariantList &values = {}) const
    {
        const QString text = QString::fromUtf8(sql);
        return m_bed ? kavio::test::scalar(m_bed->segmentePath(), text, values) : m_schema->scalar(text, values);
    }
    qint64 first(const char *code, qint32 person, const QDate &day, QTime time, qint16 w50)
    {
        return m_repo->storeFirst(segment(code), person, day, time, reading(1, w50, 3, 4, 5, 6)).messId;
    }
    qint32 person(const QString &name, const QString &vorname = QStringLiteral("Anna"))
    {
        return qint32(m_repo->storePerson({name, vorname, " ", "17.05.1960", "12345", "Musterstadt", "K-1", "0", " "}));
    }

private:
    std::unique_ptr<TestBed> m_bed;
    std::unique_ptr<TestSchema> m_schema;
    std::unique_ptr<SegmentRepository> m_repo;
};

Store store()
{
    QFETCH_GLOBAL(QString, engine);
    return Store(engine);
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
    void initTestCase_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::newRow("SQLite") << QStringLiteral("sqlite");
        QTest::newRow("PostgreSQL") << QStringLiteral("postgres");
    }

    void init()
    {
        QFETCH_GLOBAL(QString, engine);
        QString why;
        if (engine == QLatin1String("postgres") && !testServerAddress(&why)) {
            if (serverTestsOptedOut())
                QSKIP("KAVIO_PG_SKIP=1");
            QFAIL(qPrintable(why));
        }
    }

    void readsInEachOrder()
    {
        Store s = store();
        SegmentRepository &repo = s.repo();
        // Same day twice (a late row entered first), an earlier day, another person's row.
        const qint64 late = s.first("AL", 5, kDay, QTime(17, 0), 20);
        const qint64 early = s.first("AL", 5, kDay, QTime(8, 0), 30);
        const qint64 before = s.first("AL", 5, kDay.addDays(-3), QTime(12, 0), 40);
        s.first("AL", 6, kDay, QTime(9, 0), 50);
        QCOMPARE(repo.storeSecond(segment("AL"), 5, kDay, reading(7, 21, 9)).messId, late);
        auto order = [&](MeasurementOrder o) { return ids(repo.measurements(segment("AL"), 5, o)); };
        const QString l = QString::number(late), e = QString::number(early), b = QString::number(before);
        QCOMPARE(order(MeasurementOrder::NewestFirst), l + ":20/21 " + e + ":30/ " + b + ":40/");
        QCOMPARE(order(MeasurementOrder::OldestFirst), b + ":40/ " + e + ":30/ " + l + ":20/21");
        // The comparison looks at the day and the entry only.
        QCOMPARE(order(MeasurementOrder::ByDay), b + ":40/ " + l + ":20/21 " + e + ":30/");
        QCOMPARE(repo.measurements(segment("AR"), 5, MeasurementOrder::NewestFirst).size(), 0);

        const Measurement m = s.open()->measurements(segment("AL"), 5, MeasurementOrder::NewestFirst).first();
        QCOMPARE(m.person, 5);
        QCOMPARE(m.day, kDay);
        QCOMPARE(m.time, QTime(17, 0));
        QCOMPARE(m[Frequency::kHz5], (Impedance{1, 4, 7}));
        QCOMPARE(m[Frequency::kHz100], (Impedance{3, 6, 9}));

        QCOMPARE(repo.smallestW50(segment("AL"), 5), std::optional<qint16>(20));
        QCOMPARE(repo.smallestW50(segment("BR"), 5), std::nullopt);
    }

    // The latest row of the day by time, then by number; another day's, person's or segment's
    // row does not count, and a refused value changes nothing.
    void secondStoreGoesToTheDaysLatestRow()
    {
        Store s = store();
        SegmentRepository &repo = s.repo();
        s.first("BL", 5, kDay.addDays(1), QTime(23, 0), 10);
        s.first("BL", 6, kDay, QTime(23, 0), 10);
        s.first("AR", 5, kDay, QTime(23, 0), 10);
        QCOMPARE(repo.storeSecond(segment("BL"), 5, kDay, reading(1, 2, 3)).outcome, SaveOutcome::NoFirstMeasurement);
        s.first("BL", 5, kDay, QTime(9, 0), 10);
        const qint64 a = s.first("BL", 5, kDay, QTime(10, 0), 10);
        const qint64 b = s.first("BL", 5, kDay, QTime(10, 0), 10);
        QCOMPARE(repo.storeSecond(segment("BL"), 5, kDay, reading(1, 0, 3)).outcome, SaveOutcome::InvalidValue);
        const SaveResult r = repo.storeSecond(segment("BL"), 5, kDay, reading(11, 12, 13));
        QCOMPARE(r.outcome, SaveOutcome::Stored);
        QCOMPARE(r.messId, qMax(a, b));
        QCOMPARE(s.scalar("SELECT COUNT(*) FROM BeinLi WHERE W50N IS NOT NULL").toInt(), 1);
        QCOMPARE(s.scalar("SELECT W5N + W50N + W100N FROM BeinLi WHERE MessID = ?", {r.messId}).toInt(), 36);
        // 16-bit values are kept whole at both ends.
        const SaveResult big = repo.storeFirst(segment("BR"), 5, kDay, QTime(8, 0), reading(-32768, 32767, 1, 1, 1, 1));
        QCOMPARE(repo.measurements(segment("BR"), 5, MeasurementOrder::NewestFirst).first()[Frequency::kHz5].r,
                 std::optional<qint16>(-32768));
        QCOMPARE(s.scalar("SELECT W50 FROM BeinRe WHERE MessID = ?", {big.messId}).toInt(), 32767);
    }

    void countsAndDeletesOnlyTheChosenPersonsRowOfTheSegment()
    {
        Store s = store();
        SegmentRepository &repo = s.repo();
        const qint64 own = s.first("AL", 5, kDay, QTime(10, 0), 2);
        const qint64 others = s.first("AL", 6, kDay, QTime(10, 0), 2);
        qint64 otherSegment = 0; // ends as a BeinRe number that no ArmLi row has
        for (const char *code : {"AR", "AR", "BR", "BR", "BR"})
            otherSegment = s.first(code, 5, kDay, QTime(10, 0), 2);
        s.first("BL", 6, kDay, QTime(10, 0), 2);
        const SegmentCounts c = repo.counts(5);
        QCOMPARE((QList<int>{c.of(segment("AL")), c.of(segment("AR")), c.of(segment("BL")), c.of(segment("BR"))}),
                 (QList<int>{1, 2, 0, 3}));
        QCOMPARE(repo.counts(6).of(segment("BL")), 1);

        for (const qint64 id : {others, otherSegment, qint64(999)})
            QVERIFY(!repo.deleteMeasurement(segment("AL"), 5, id));
        QCOMPARE(s.scalar("SELECT COUNT(*) FROM ArmLi").toInt(), 2);
        QVERIFY(repo.deleteMeasurement(segment("AL"), 5, own));
        QCOMPARE(s.scalar("SELECT MAX(FKTN) FROM ArmLi WHERE FKTN <> 6").toInt(), 0);
        QCOMPARE(s.scalar("SELECT COUNT(*) FROM ArmLi").toInt(), 1);
        QCOMPARE(s.scalar("SELECT COUNT(*) FROM BeinRe").toInt(), 3);
    }

    void firstStoreRefusesNonPositiveValues_data()
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

    void firstStoreRefusesNonPositiveValues()
    {
        QFETCH(int, w50);
        QFETCH(int, xc50);
        QFETCH(bool, stored);
        Store s = store();
        SegmentRepository &repo = s.repo();
        const SaveResult r = repo.storeFirst(segment("BL"), 5, kDay, QTime(9, 30, 15),
                                             reading(500, qint16(w50), 440, 30, qint16(xc50), 50));
        QCOMPARE(r.outcome, stored ? SaveOutcome::Stored : SaveOutcome::InvalidValue);
        QCOMPARE(s.scalar("SELECT COUNT(*) FROM BeinLi").toInt(), stored ? 1 : 0);
        if (stored)
            QCOMPARE(s.scalar("SELECT Datum || ' ' || Uhrzeit FROM BeinLi WHERE MessID = ?", {r.messId}).toString(),
                     QStringLiteral("2026-12-06 09:30:15"));
        // Without a day nothing is written at all.
        QVERIFY_THROWS_EXCEPTION(KavioError,
                                 repo.storeFirst(segment("BL"), 5, QDate(), QTime(9, 0), reading(1, 2, 3, 4, 5, 6)));
    }

    // Umlauts and ß count as their base letters, letter case does not count, equal names
    // keep the order they were taken over in.
    void personListInGermanOrder()
    {
        Store s = store();
        for (const char *name : {"Zabel", "Müller", "Muller", "Öztürk", "Ortmann", "mahler", "Groß", "Gross", "Grosz",
                                 "Ärger", "Abel", "Mueller", "de Vries"})
            s.person(QString::fromUtf8(name));
        const ListRows list = s.repo().personList({nullptr, nullptr, nullptr, isoToGermanDate});
        QCOMPARE(list.fields, (QStringList{"LfdNr", "Name", "Vorname", "Geburtstag"}));
        QStringList names;
        for (int r = 0; r < list.rows; ++r)
            names << list.cells[r * list.columns + 1];
        QCOMPARE(names.join(QLatin1Char(',')), QStringLiteral("Abel,Ärger,de Vries,Groß,Gross,Grosz,mahler,Mueller,"
                                                              "Müller,Muller,Ortmann,Öztürk,Zabel"));
        QCOMPARE(list.cells.mid(2, 2), (QVector<QString>{"Anna", "17.05.1960"}));
    }

    // The search text is a surname prefix, letter case ignored; quote, percent and
    // underscore are plain characters, not patterns.
    void personSearchTakesEveryCharacterLiterally()
    {
        Store s = store();
        for (const char *name : {"O'Brien", "Obrist", "Pro_cent", "Prozent", "Pro%zent", "Müller",
                                 "MÜLLER-Lüdenscheidt", "Muller", "Groß"})
            s.person(QString::fromUtf8(name));
        // "search|found"
        for (const char *c :
             {"o'|O'Brien", "  O'B |O'Brien", "pro_|Pro_cent", "pro%|Pro%zent", "pro|Pro%zent,Pro_cent,Prozent",
              "mü|Müller,MÜLLER-Lüdenscheidt", "GROSS|Groß", "'|", "%|", "_|"}) {
            const QStringList row = QString::fromUtf8(c).split(QLatin1Char('|'));
            QStringList found;
            for (const PersonRow &person : s.repo().persons(row[0]))
                found << person[0];
            QCOMPARE(found.join(QLatin1Char(',')), row[1]);
        }
        QCOMPARE(s.repo().persons(QString()).size(), 9);
        QVERIFY(s.repo().personPresent("ANNA", QString::fromUtf8("o'brien"), "17.05.1960"));
        QVERIFY(!s.repo().personPresent("Anna", "O'Brien", "18.05.1960"));
        const qint32 gross = qint32(s.scalar("SELECT MAX(LfdNr) FROM Teilnehmer").toInt());
        const PersonBoxes boxes = *s.repo().personDetails(gross);
        QCOMPARE(QStringList(boxes.begin(), boxes.end()).mid(0, 8),
                 (QStringList{QString::fromUtf8("Groß"), "Anna", QString::fromUtf8("männlich"), "17.05.1960", "12345",
                              "Musterstadt", "K-1", "0"}));
    }

    void personFactsRoundTrip_data()
    {
        QTest::addColumn<clinical::PersonFacts>("facts");
        QTest::addColumn<QString>("read");    // as factsText gives it
        QTest::addColumn<QString>("columns"); // the stored row: DominanteHand AL AR BL BR
        using clinical::Hand;
        using F = clinical::PersonFacts;
        QTest::newRow("left, left arm") << F{Hand::Left, {}, {true, false, false, false}} << "links AL"
                                        << "links 1 0 0 0";
        QTest::newRow("unknown, right arm and both legs")
            << F{Hand::Unknown, clinical::Sex::Unknown, {false, true, true, true}} << "unbekannt AR BL BR"
            << "unbekannt 0 1 1 1";
        QTest::newRow("right, left leg") << F{Hand::Right, clinical::Sex::Female, {false, false, true, false}}
                                         << "rechts BL"
                                         << "rechts 0 0 1 0";
    }

    // Facts are stored per person, replace earlier ones, are refused for an unknown person and
    // go when the person is deleted, with all its measurements; another person's stay.
    void personFactsRoundTrip()
    {
        QFETCH(clinical::PersonFacts, facts);
        QFETCH(QString, read);
        QFETCH(QString, columns);
        Store s = store();
        SegmentRepository &repo = s.repo();
        const qint32 anna = s.person(QString::fromUtf8("Müller"));
        const qint32 hans = s.person(QString::fromUtf8("Groß"), "Hans");
        s.first("AL", anna, kDay, QTime(10, 0), 2);
        s.first("BR", anna, kDay, QTime(10, 0), 2);
        s.first("BR", hans, kDay, QTime(10, 0), 2);
        QCOMPARE(factsText(repo, anna), QStringLiteral("unbekannt"));
        QVERIFY(repo.setPersonFacts(hans, {clinical::Hand::Left, {}, {true, true, true, true}}));
        QVERIFY(repo.setPersonFacts(anna, {clinical::Hand::Left, {}, {true, true, false, false}}));
        QVERIFY(repo.setPersonFacts(anna, facts));
        QCOMPARE(factsText(repo, anna), read);
        QCOMPARE(repo.personFacts(anna).sex, facts.sex); // kept in the person row
        QCOMPARE(s.scalar("SELECT DominanteHand || ' ' || AL || ' ' || AR || ' ' || BL || ' ' || BR "
                          "FROM tblTeilnehmerAngaben WHERE LfdNr = ?",
                          {anna})
                     .toString(),
                 columns);
        QCOMPARE(factsText(*s.open(), anna), read); // read back from the database

        QVERIFY(!repo.setPersonFacts(999, facts));
        QCOMPARE(s.scalar("SELECT count(*) FROM tblTeilnehmerAngaben").toInt(), 2);
        repo.deletePerson(anna);
        QCOMPARE(s.scalar("SELECT MAX(LfdNr) FROM tblTeilnehmerAngaben").toLongLong(), hans);
        QCOMPARE(s.scalar("SELECT COUNT(*) FROM Teilnehmer").toInt(), 1);
        QCOMPARE(repo.counts(anna).perSegment, (std::array<int, 4>{}));
        QCOMPARE(repo.counts(hans).of(segment("BR")), 1);
        QCOMPARE(factsText(repo, anna), QStringLiteral("unbekannt"));
        QCOMPARE(factsText(repo, hans), QStringLiteral("links AL AR BL BR"));
    }

    // A request's patient: found by number; else the unlinked namesake of that birthday, which
    // then takes the number; a person already linked to another number is not taken over.
    void practicePersonByNumberThenByName()
    {
        Store s = store();
        SegmentRepository &repo = s.repo();
        const qint32 anna = s.person(QString::fromUtf8("Müller"));
        const QDate born(1960, 5, 17);
        const std::optional<Person> byName = repo.findPracticePerson({"4711", "MÜLLER", "anna", born});
        QVERIFY(byName && byName->number == anna && byName->birthDate == born);
        QCOMPARE(repo.practiceNumber(anna), QStringLiteral("4711"));
        QCOMPARE(repo.findPracticePerson({"4711", "Anders", "Otto", born.addDays(1)})->number, anna);
        QVERIFY(!repo.findPracticePerson({"4712", QString::fromUtf8("Müller"), "Anna", born}));
        const Person added =
            repo.addPracticePerson({"4712", QString::fromUtf8("Müller"), "Anna", born, clinical::Sex::Female});
        QVERIFY(added.number != anna && added.number != 0);
        QCOMPARE(repo.findPracticePerson({"4712", "x", "y", born})->number, added.number);
        QCOMPARE(repo.personFacts(added.number).sex, clinical::Sex::Female);
        QCOMPARE(repo.personFacts(repo.addPracticePerson({"4713", "Ohne", "Angabe", born}).number).sex,
                 clinical::Sex::Unknown);
    }
};

QTEST_MAIN(TestRepository)
#include "tst_repository.moc"
