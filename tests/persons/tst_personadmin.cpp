// Person list search, details, duplicate test, copy and deletion without the window.
#include "app/Conversions.h"
#include "app/Errors.h"
#include "db/Database.h"
#include "db/GermanText.h"
#include "persons/PersonAdmin.h"
#include "TestBed.h"

#include <QTest>

using namespace kavio;
using namespace kavio::test;
using namespace Qt::StringLiterals;

namespace {

// Umlauts in every position, ß, accents, letters outside German, characters SQL treats
// specially and the ASCII neighbours of letters ('@' and '[' around the capitals).
const QStringList kTrickyNames{
    "Müller", "MÜLLER", "Mueller", "Muller", "Mütze", "Ärger",    "Äbersold",    "Abel",    "abend",    "O'Brien",
    "O'Neil", "Oster",  "Groß",    "Gross",  "Grosz", "Ødegaard", "Øster",       "Zoë",     "Zoe",      "%Prozent",
    "_Unter", "Émile",  "Eva",     "a@b",    "A[b",   "a`c",      "Back\\slash", "Łukasz",  "Lukas",    "ÖZTÜRK",
    "Öztürk", "Ozon",   "Aal",     "a@@",    "a?",    "",         "Schäfer",     "Schafer", "Schaefer",
};

// A host database holding the tricky names.
QString hostWithTrickyNames(TestBed &bed)
{
    QList<demo::HostPerson> persons;
    for (const QString &n : kTrickyNames) {
        demo::HostPerson p;
        p.name = n;
        p.vorname = QStringLiteral("V%1").arg(persons.size());
        p.gebDat = QDate(1960, 1, 1).addDays(persons.size());
        persons << p;
    }
    demo::writeHostDatabase(bed.biaPath(), persons);
    return bed.biaPath();
}

qint64 count(const QString &db, const QString &sql, const QVariantList &values = {})
{
    return scalar(db, sql, values).toLongLong();
}

const char *const kSegments[] = {"ArmLi", "ArmRe", "BeinLi", "BeinRe"};

} // namespace

class TestPersonAdmin : public QObject {
    Q_OBJECT

private slots:
    void search_data();
    void search();
    void listOrderAndColumns();
    void details_data();
    void details();
    void duplicateTest_data();
    void duplicateTest();
    void store_data();
    void store();
    void deleteIsAllOrNothing_data();
    void deleteIsAllOrNothing();
};

void TestPersonAdmin::search_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("expected"); // empty: what folding finds
    QTest::newRow("mü finds every letter case")
        << u"mü"_s << QStringList{"MÜLLER", "Mueller", "Muller", "Müller", "Mütze"};
    QTest::newRow("ä finds Ärger") << u"är"_s << QStringList{"Ärger"};
    QTest::newRow("quote taken literally") << u"O'"_s << QStringList{"O'Brien", "O'Neil"};
    QTest::newRow("percent is no wildcard") << u"%"_s << QStringList{"%Prozent"};
    QTest::newRow("underscore is no wildcard") << u"_"_s << QStringList{"_Unter"};
    QTest::newRow("backslash") << u"back\\"_s << QStringList{"Back\\slash"};
    QTest::newRow("sharp s") << u"GROSS"_s << QStringList{"Gross", "Groß"};
    QTest::newRow("blanks around ignored") << u"  groß "_s << QStringList{"Gross", "Groß"};
    // The index ranges must find exactly what folding every surname finds.
    for (const char *p : {"",   "m",  "MÜ", "mue",  "ä",    "a", "Äb",  "O'B", "gro", "grosz",       "ø",
                          "øs", "Ø",  "\\", "é",    "e",    "z", "zoë", "a@",  "a[",  "a`",          "ł",
                          "lu", "öz", "OZ", "schä", "scha", "x", "'",   "m%",  "m_",  "x' OR '1'='1"})
        QTest::newRow(p) << QString::fromUtf8(p) << QStringList();
}

void TestPersonAdmin::search()
{
    QFETCH(QString, prefix);
    QFETCH(QStringList, expected);
    TestBed bed;
    DbConnection db = DbConnection::open(hostWithTrickyNames(bed), OpenMode::ReadOnly);
    QStringList got;
    for (const PersonRow &r : readPersonList(db, prefix))
        got << r[0];
    if (expected.isEmpty()) {
        const QString folded = foldGerman(prefix.trimmed());
        for (const QString &n : kTrickyNames)
            if (foldGerman(n).startsWith(folded))
                expected << n;
    }
    got.sort();
    expected.sort();
    QCOMPARE(got, expected);
}

void TestPersonAdmin::listOrderAndColumns()
{
    TestBed bed;
    DbConnection db = DbConnection::open(bed.biaPath(), OpenMode::ReadOnly);
    const QList<PersonRow> rows = readPersonList(db, "m");
    // Ordered by the German comparison of surnames, then first names.
    QStringList got;
    for (const PersonRow &r : rows)
        got << r[0] + " " + r[1];
    QCOMPARE(got, (QStringList{"Meier Doris", "Meyer Thomas", "Müller Anna", "Müller Jürgen", "MÜLLER Petra"}));
    QCOMPARE(rows[2], (PersonRow{"Müller", "Anna", "14.03.1958", "80331", "München", "K-1000", "0", "1"}));
    QCOMPARE(readPersonList(db, QString()).size(), demo::demoPersons().size());
}

void TestPersonAdmin::details_data()
{
    QTest::addColumn<QVariantList>("stored"); // Geschlecht, GebDat, PLZ
    QTest::addColumn<QStringList>("shown");
    const QVariant none(QMetaType(QMetaType::QString));
    QTest::newRow("0 is male") << QVariantList{0, "1958-03-14", "80331"}
                               << QStringList{"männlich", "14.03.1958", "80331"};
    QTest::newRow("empty sex is male, empty PLZ a blank")
        << QVariantList{none, "1958-03-14", ""} << QStringList{"männlich", "14.03.1958", " "};
    QTest::newRow("1 is female") << QVariantList{1, "2000-02-29", none} << QStringList{"weiblich", "29.02.2000", " "};
    QTest::newRow("2 is female") << QVariantList{2, none, none} << QStringList{"weiblich", " ", " "};
}

void TestPersonAdmin::details()
{
    QFETCH(QVariantList, stored);
    QFETCH(QStringList, shown);
    TestBed bed;
    DbConnection db = DbConnection::open(bed.biaPath());
    db.exec("DELETE FROM Teilnehmer");
    const qint32 n = db.exec("INSERT INTO Teilnehmer (Name, VorName, Geschlecht, GebDat, PLZ, Ort, Kennung, AnzMes) "
                             "VALUES ('Kühn', NULL, ?, ?, ?, 'Ort', '', 7)",
                             stored)
                         .lastInsertId()
                         .toInt();
    const PersonBoxes expected{"Kühn", " ", shown[0], shown[1], shown[2], "Ort", " ", "7", QString::number(n)};
    QCOMPARE(readPersonDetails(db, n), std::optional<PersonBoxes>(expected));
    QVERIFY(!readPersonDetails(db, n + 1).has_value());
}

void TestPersonAdmin::duplicateTest_data()
{
    QTest::addColumn<QStringList>("person"); // Vorname, Name, GebDat box
    QTest::addColumn<bool>("present");
    QTest::newRow("same person") << QStringList{"Anna", "Müller", "14.03.1958"} << true;
    QTest::newRow("letter case differs") << QStringList{"ANNA", "MÜLLER", "14.03.1958"} << true;
    QTest::newRow("lower case umlaut, short date") << QStringList{"anna", "müller", "14.3.1958"} << true;
    QTest::newRow("other birth date") << QStringList{"Anna", "Müller", "15.03.1958"} << false;
    QTest::newRow("other first name") << QStringList{"Anne", "Müller", "14.03.1958"} << false;
    QTest::newRow("empty first name") << QStringList{"", "Müller", "14.03.1958"} << false;
    QTest::newRow("no birth date, stand-in stored") << QStringList{"Lutz", "Vogel", " "} << true;
    QTest::newRow("no birth date, none stored") << QStringList{"Anna", "Müller", " "} << false;
    QTest::newRow("quote in name") << QStringList{"Seán", "O'Brien", "01.01.1970"} << true;
}

void TestPersonAdmin::duplicateTest()
{
    QFETCH(QStringList, person);
    QFETCH(bool, present);
    TestBed bed;
    bed.addPerson("Müller", "Anna", QDate(1958, 3, 14));
    bed.addPerson("Vogel", "Lutz", standInBirthDay());
    bed.addPerson("O'Brien", "Seán", QDate(1970, 1, 1));
    QCOMPARE(personPresent(DbConnection::open(bed.segmentePath()), person[0], person[1], person[2]), present);
}

void TestPersonAdmin::store_data()
{
    QTest::addColumn<QString>("gebDat");
    QTest::addColumn<QString>("anzMes");
    QTest::addColumn<QString>("stored"); // GebDat|AnzMes as read back; empty: refused
    QTest::newRow("plain") << u"14.03.1958"_s << u"5"_s << u"1958-03-14|5"_s;
    QTest::newRow("short date") << u"1.2.60"_s << u"5"_s << u"1960-02-01|5"_s;
    QTest::newRow("blank birth date: stand-in day") << u" "_s << u"0"_s << u"1899-12-31|0"_s;
    QTest::newRow("empty birth date: stand-in day") << QString() << u"0"_s << u"1899-12-31|0"_s;
    QTest::newRow("no count") << u"14.03.1958"_s << u" "_s << u"1958-03-14|NULL"_s;
    QTest::newRow("no such day") << u"30.02.1958"_s << u"5"_s << QString();
    QTest::newRow("date as text") << u"morgen"_s << u"5"_s << QString();
    QTest::newRow("ISO form is not the box's") << u"1958-03-14"_s << u"5"_s << QString();
    QTest::newRow("count not a number") << u"14.03.1958"_s << u"viele"_s << QString();
    QTest::newRow("count too large") << u"14.03.1958"_s << u"99999999999"_s << QString();
}

void TestPersonAdmin::store()
{
    QFETCH(QString, gebDat);
    QFETCH(QString, anzMes);
    QFETCH(QString, stored);
    TestBed bed;
    DbConnection db = DbConnection::open(bed.segmentePath());
    const PersonBoxes boxes{"Kühn", "Jörg", "weiblich", gebDat, "12345", "Köln", "K-9", anzMes, "4711"};
    if (stored.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(KavioError, storePerson(db, boxes));
        QCOMPARE(count(bed.segmentePath(), "SELECT COUNT(*) FROM Teilnehmer"), 0);
        return;
    }
    const qint64 n = storePerson(db, boxes);
    QVERIFY(n != 4711);
    // The sex box is not copied: Geschlecht stays 0.
    QCOMPARE(scalar(bed.segmentePath(),
                    "SELECT Name||VorName||PLZ||Ort||Kennung||Geschlecht||'|'||GebDat||'|'||IFNULL(AnzMes, 'NULL') "
                    "FROM Teilnehmer WHERE LfdNr = ?",
                    {n})
                 .toString(),
             "KühnJörg12345KölnK-90|" + stored);
}

void TestPersonAdmin::deleteIsAllOrNothing_data()
{
    QTest::addColumn<QString>("lockedTable"); // empty: the deletion goes through
    QTest::newRow("nothing locked") << QString();
    for (const char *t : {"Teilnehmer", "ArmRe", "BeinRe", "ArmLi", "BeinLi"})
        QTest::newRow(t) << QString::fromLatin1(t);
}

void TestPersonAdmin::deleteIsAllOrNothing()
{
    QFETCH(QString, lockedTable);
    TestBed bed;
    const qint64 gone = bed.addPerson("Müller", "Anna");
    const qint64 kept = bed.addPerson("Schmidt", "Hans");
    for (const char *seg : kSegments)
        for (qint64 p : {gone, kept})
            for (int day : {1, 8})
                bed.addMeasurement(seg, p, QDate(2026, 11, day), "09:00:00", 500, 480, 460, 60, 55, 50);
    const QString path = bed.segmentePath();
    DbConnection db = DbConnection::open(path);
    db.exec("INSERT INTO tblTeilnehmerSegmente (lfdNR, AL, AR, BL, BR) VALUES (?, 1, 1, 0, 0)", {gone});
    if (!lockedTable.isEmpty()) {
        db.exec(QStringLiteral("CREATE TRIGGER locked BEFORE DELETE ON %1 BEGIN SELECT RAISE(ABORT, 'gesperrt'); END")
                    .arg(lockedTable));
        QVERIFY_THROWS_EXCEPTION(KavioError, deletePersonWithMeasurements(db, static_cast<qint32>(gone)));
        QCOMPARE(count(path, "SELECT COUNT(*) FROM Teilnehmer"), 2);
        for (const char *seg : kSegments)
            QCOMPARE(count(path, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE FKTN = ?").arg(seg), {gone}), 2);
        // No transaction is left open: the connection deletes once the lock is gone.
        db.exec("DROP TRIGGER locked");
    }
    deletePersonWithMeasurements(db, static_cast<qint32>(gone));
    QCOMPARE(count(path, "SELECT COUNT(*) FROM Teilnehmer WHERE LfdNr = ?", {gone}), 0);
    QCOMPARE(count(path, "SELECT COUNT(*) FROM Teilnehmer WHERE LfdNr = ?", {kept}), 1);
    for (const char *seg : kSegments) {
        QCOMPARE(count(path, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE FKTN = ?").arg(seg), {gone}), 0);
        QCOMPARE(count(path, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE FKTN = ?").arg(seg), {kept}), 2);
    }
    QCOMPARE(count(path, "SELECT COUNT(*) FROM tblTeilnehmerSegmente WHERE lfdNR = ?", {gone}), 1);
}

QTEST_GUILESS_MAIN(TestPersonAdmin)
#include "tst_personadmin.moc"
