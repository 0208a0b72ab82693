// Person list search, details, duplicate test, copy and deletion without the window.
#include "app/Conversions.h"
#include "app/Errors.h"
#include "db/Database.h"
#include "db/GermanText.h"
#include "db/Statements.h"
#include "persons/PersonAdmin.h"
#include "TestBed.h"

#include <QSqlQuery>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

// Surnames chosen to catch the folding and the index ranges out: umlauts in every
// position, ß, accents, letters outside German, characters SQL treats specially and
// ASCII neighbours of the letters.
const QStringList kTrickyNames{
    QStringLiteral("Müller"),  QStringLiteral("MÜLLER"),      QStringLiteral("Mueller"),  QStringLiteral("Muller"),
    QStringLiteral("Mütze"),   QStringLiteral("Ärger"),       QStringLiteral("Äbersold"), QStringLiteral("Abel"),
    QStringLiteral("abend"),   QStringLiteral("O'Brien"),     QStringLiteral("O'Neil"),   QStringLiteral("Oster"),
    QStringLiteral("Groß"),    QStringLiteral("Gross"),       QStringLiteral("Grosz"),    QStringLiteral("Ødegaard"),
    QStringLiteral("Øster"),   QStringLiteral("Zoë"),         QStringLiteral("Zoe"),      QStringLiteral("%Prozent"),
    QStringLiteral("_Unter"),  QStringLiteral("Back\\slash"), QStringLiteral("Émile"),    QStringLiteral("Eva"),
    QStringLiteral("a@b"),     QStringLiteral("A[b"),         QStringLiteral("a`c"),      QStringLiteral("Łukasz"),
    QStringLiteral("Lukas"),   QStringLiteral("ÖZTÜRK"),      QStringLiteral("Öztürk"),   QStringLiteral("Ozon"),
    QStringLiteral("Aal"),     QStringLiteral("a@@"),         QStringLiteral("a?"),       QStringLiteral(""),
    QStringLiteral("Schäfer"), QStringLiteral("Schafer"),     QStringLiteral("Schaefer"),
};

QStringList names(const QList<PersonRow> &rows)
{
    QStringList out;
    for (const PersonRow &r : rows)
        out << r[0];
    return out;
}

qint64 count(const QString &db, const QString &sql, const QVariantList &values = {})
{
    return scalar(db, sql, values).toLongLong();
}

} // namespace

class TestPersonAdmin : public QObject {
    Q_OBJECT

private slots:
    void nameRanges_data();
    void nameRanges();
    void searchFindsWhatFoldingFinds_data();
    void searchFindsWhatFoldingFinds();
    void searchExamples_data();
    void searchExamples();
    void searchUsesTheNameIndex();
    void listOrderAndColumns();
    void listOrderFollowsGermanComparison();
    void details_data();
    void details();
    void birthDay_data();
    void birthDay();
    void duplicateTest_data();
    void duplicateTest();
    void storeConvertsOrStoresNothing_data();
    void storeConvertsOrStoresNothing();
    void deleteRemovesPersonAndMeasurements();
    void deleteFailingPartWayChangesNothing_data();
    void deleteFailingPartWayChangesNothing();
    void columnWidths_data();
    void columnWidths();

private:
    QString hostWith(TestBed &bed, const QStringList &surnames);
};

QString TestPersonAdmin::hostWith(TestBed &bed, const QStringList &surnames)
{
    QList<demo::HostPerson> persons;
    int i = 0;
    for (const QString &n : surnames) {
        demo::HostPerson p;
        p.name = n;
        p.vorname = QStringLiteral("V%1").arg(i++);
        p.gebDat = QDate(1960, 1, 1).addDays(i);
        persons << p;
    }
    demo::writeHostDatabase(bed.biaPath(), persons);
    return bed.biaPath();
}

void TestPersonAdmin::nameRanges_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("expected"); // from|below pairs, "-" for no upper bound
    const QString hi = QString(QChar(0x80));
    QTest::newRow("empty") << QString() << QStringList{};
    QTest::newRow("one letter") << QStringLiteral("m") << QStringList{hi + "|-", "m|n"};
    QTest::newRow("two letters") << QStringLiteral("mu") << QStringList{hi + "|-", "m" + hi + "|n", "mu|mv"};
    QTest::newRow("quote") << QStringLiteral("o'") << QStringList{hi + "|-", "o" + hi + "|p", "o'|o("};
    QTest::newRow("non-ASCII first") << QStringLiteral("ø") << QStringList{hi + "|-"};
    QTest::newRow("non-ASCII second") << QStringLiteral("lø") << QStringList{hi + "|-", "l" + hi + "|m"};
    // NOCASE reads the 'A' after '@' as 'a': the range must end at '[' instead.
    QTest::newRow("at sign") << QStringLiteral("a@") << QStringList{hi + "|-", "a" + hi + "|b", "a@|a["};
}

void TestPersonAdmin::nameRanges()
{
    QFETCH(QString, prefix);
    QFETCH(QStringList, expected);
    QStringList got;
    const QList<NameRange> ranges = nameRangesForPrefix(prefix);
    for (const NameRange &r : ranges)
        got << r.from + "|" + (r.below.isNull() ? QStringLiteral("-") : r.below);
    QCOMPARE(got, expected);
    // Only the range of the plain ASCII prefix itself matches without folding.
    for (qsizetype i = 0; i < ranges.size(); ++i)
        QCOMPARE(ranges[i].checkFolded, ranges[i].from != prefix);
}

void TestPersonAdmin::searchFindsWhatFoldingFinds_data()
{
    QTest::addColumn<QString>("prefix");
    for (const char *p :
         {"",      "m",     "mü", "MÜ", "mu", "mue", "mül", "ä",  "a",    "ab",   "Äb",     "o'", "O'B", "gro", "groß",
          "gross", "grosz", "ø",  "øs", "Ø",  "%",   "_",   "\\", "é",    "e",    "  mü  ", "z",  "zoë", "zoe", "a@",
          "a[",    "a`",    "ł",  "l",  "lu", "ö",   "öz",  "OZ", "schä", "scha", "schae",  "x",  "'",   "m%",  "m_"})
        QTest::newRow(p) << QString::fromUtf8(p);
}

// The index ranges must find exactly what comparing every folded surname finds.
void TestPersonAdmin::searchFindsWhatFoldingFinds()
{
    QFETCH(QString, prefix);
    TestBed bed;
    const QString host = hostWith(bed, kTrickyNames);
    QStringList expected;
    const QString folded = foldGerman(prefix.trimmed());
    for (const QString &n : kTrickyNames)
        if (foldGerman(n).startsWith(folded))
            expected << n;
    DbConnection db = DbConnection::open(host, OpenMode::ReadOnly);
    QStringList got = names(readPersonList(db, prefix));
    got.sort();
    expected.sort();
    QCOMPARE(got, expected);
}

void TestPersonAdmin::searchExamples_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("lower case umlaut finds capitals")
        << QStringLiteral("mü") << QStringList{"Mueller", "Muller", "Müller", "MÜLLER", "Mütze"};
    QTest::newRow("ä finds Ärger") << QStringLiteral("är") << QStringList{"Ärger"};
    QTest::newRow("quote taken literally") << QStringLiteral("O'") << QStringList{"O'Brien", "O'Neil"};
    QTest::newRow("percent is no wildcard") << QStringLiteral("%") << QStringList{"%Prozent"};
    QTest::newRow("underscore is no wildcard") << QStringLiteral("_") << QStringList{"_Unter"};
    QTest::newRow("backslash") << QStringLiteral("back\\") << QStringList{"Back\\slash"};
    QTest::newRow("injection stays text") << QStringLiteral("x' OR '1'='1") << QStringList{};
    QTest::newRow("sharp s") << QStringLiteral("GROSS") << QStringList{"Groß", "Gross"};
}

void TestPersonAdmin::searchExamples()
{
    QFETCH(QString, prefix);
    QFETCH(QStringList, expected);
    TestBed bed;
    DbConnection db = DbConnection::open(hostWith(bed, kTrickyNames), OpenMode::ReadOnly);
    QStringList got = names(readPersonList(db, prefix));
    got.sort();
    expected.sort();
    QCOMPARE(got, expected);
}

void TestPersonAdmin::searchUsesTheNameIndex()
{
    TestBed bed;
    DbConnection db = DbConnection::open(hostWith(bed, kTrickyNames), OpenMode::ReadOnly);
    const QString hi(QChar(0x80));
    QSqlQuery q = db.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + sql::importListByNameRanges(1, true),
                          {hi, "mu%", "m" + hi, "n", "mu%", "mu", "mv"});
    QStringList plan;
    while (q.next())
        plan << q.value(3).toString();
    const QString text = plan.join('\n');
    QVERIFY2(text.count("USING INDEX ixTeilnehmerName") == 3, qPrintable(text));
    QVERIFY2(!text.contains(QRegularExpression("SCAN Teilnehmer(?! USING)")), qPrintable(text));
}

void TestPersonAdmin::listOrderAndColumns()
{
    TestBed bed;
    DbConnection db = DbConnection::open(bed.biaPath(), OpenMode::ReadOnly);
    const QList<PersonRow> rows = readPersonList(db, QStringLiteral("m"));
    // Müller Anna, Müller Jürgen, MÜLLER Petra, Meyer, Meier: German order, first names second.
    QStringList got;
    for (const PersonRow &r : rows)
        got << r[0] + " " + r[1];
    QCOMPARE(got, (QStringList{"Meier Doris", "Meyer Thomas", "Müller Anna", "Müller Jürgen", "MÜLLER Petra"}));
    const PersonRow &anna = rows[2];
    QCOMPARE(anna[2], QStringLiteral("14.03.1958"));
    QCOMPARE(anna[3], QStringLiteral("80331"));
    QCOMPARE(anna[4], QStringLiteral("München"));
    QCOMPARE(anna[5], QStringLiteral("K-1000"));
    QCOMPARE(anna[6], QStringLiteral("0"));
    QCOMPARE(anna[7].toInt(), 1);
    QCOMPARE(readPersonList(db, QString()).size(), demo::demoPersons().size());
}

// The list is ordered outside the database: it must agree with the program's German
// comparison of surnames, then first names, then numbers.
void TestPersonAdmin::listOrderFollowsGermanComparison()
{
    TestBed bed;
    QList<demo::HostPerson> persons;
    const QStringList firsts{"zoë", "Anna", "anna", "Örjan", "Olaf", ""};
    int i = 0;
    for (const QString &n : kTrickyNames)
        for (int k = 0; k < 2; ++k) {
            demo::HostPerson p;
            p.name = n;
            p.vorname = firsts[(i++ * 7) % firsts.size()];
            persons << p;
        }
    demo::writeHostDatabase(bed.biaPath(), persons);
    DbConnection db = DbConnection::open(bed.biaPath(), OpenMode::ReadOnly);
    for (const QString &prefix : {QString(), QStringLiteral("m"), QStringLiteral("o")}) {
        const QList<PersonRow> rows = readPersonList(db, prefix);
        QVERIFY(!rows.isEmpty());
        for (qsizetype r = 1; r < rows.size(); ++r) {
            const PersonRow &a = rows[r - 1], &b = rows[r];
            int c = compareGerman(a[0], b[0]);
            if (c == 0)
                c = compareGerman(a[1], b[1]);
            if (c == 0)
                c = a[7].toLongLong() < b[7].toLongLong() ? -1 : 1;
            QVERIFY2(c < 0, qPrintable(a[0] + " " + a[1] + " before " + b[0] + " " + b[1]));
        }
    }
}

void TestPersonAdmin::details_data()
{
    QTest::addColumn<QVariant>("geschlecht");
    QTest::addColumn<QVariant>("gebDat");
    QTest::addColumn<QVariant>("plz");
    QTest::addColumn<QString>("sex");
    QTest::addColumn<QString>("birth");
    QTest::addColumn<QString>("plzBox");
    const QVariant nullText(QMetaType(QMetaType::QString));
    const QVariant nullInt(QMetaType(QMetaType::Int));
    QTest::newRow("0 is male") << QVariant(0) << QVariant("1958-03-14") << QVariant("80331") << "männlich"
                               << "14.03.1958"
                               << "80331";
    QTest::newRow("empty sex is male") << nullInt << QVariant("1958-03-14") << QVariant("80331") << "männlich"
                                       << "14.03.1958"
                                       << "80331";
    QTest::newRow("1 is female") << QVariant(1) << QVariant("2000-02-29") << QVariant("") << "weiblich"
                                 << "29.02.2000"
                                 << " ";
    QTest::newRow("2 is female") << QVariant(2) << nullText << nullText << "weiblich"
                                 << " "
                                 << " ";
}

void TestPersonAdmin::details()
{
    QFETCH(QVariant, geschlecht);
    QFETCH(QVariant, gebDat);
    QFETCH(QVariant, plz);
    QFETCH(QString, sex);
    QFETCH(QString, birth);
    QFETCH(QString, plzBox);
    TestBed bed;
    DbConnection db = DbConnection::open(bed.biaPath());
    db.exec("DELETE FROM Teilnehmer");
    const qint64 n = db.exec("INSERT INTO Teilnehmer (Name, VorName, Geschlecht, GebDat, PLZ, Ort, Kennung, AnzMes) "
                             "VALUES ('Kühn', NULL, ?, ?, ?, 'Ort', '', 7)",
                             {geschlecht, gebDat, plz})
                         .lastInsertId()
                         .toLongLong();
    const auto boxes = readPersonDetails(db, static_cast<qint32>(n));
    QVERIFY(boxes.has_value());
    const PersonBoxes expected{"Kühn", " ", sex, birth, plzBox, "Ort", " ", "7", QString::number(n)};
    QCOMPARE(*boxes, expected);
    QVERIFY(!readPersonDetails(db, static_cast<qint32>(n + 1)).has_value());
}

void TestPersonAdmin::birthDay_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QDate>("expected"); // invalid: refused
    QTest::newRow("blank shown for nothing") << " " << QDate(1899, 12, 31);
    QTest::newRow("empty") << "" << QDate(1899, 12, 31);
    QTest::newRow("German date") << "17.05.1960" << QDate(1960, 5, 17);
    QTest::newRow("short form") << "1.2.60" << QDate(1960, 2, 1);
    QTest::newRow("no such day") << "31.02.1960" << QDate();
    QTest::newRow("text") << "morgen" << QDate();
    QTest::newRow("ISO form is not the box's") << "1960-05-17" << QDate();
}

void TestPersonAdmin::birthDay()
{
    QFETCH(QString, box);
    QFETCH(QDate, expected);
    if (expected.isValid()) {
        QCOMPARE(birthDayOfBox(box), expected);
        return;
    }
    try {
        birthDayOfBox(box);
        QFAIL("accepted");
    } catch (const KavioError &e) {
        QCOMPARE(e.number(), static_cast<int>(RunError::TypeMismatch));
    }
}

void TestPersonAdmin::duplicateTest_data()
{
    QTest::addColumn<QString>("vorname");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("gebDat");
    QTest::addColumn<bool>("present");
    QTest::newRow("same person") << "Anna"
                                 << "Müller"
                                 << "14.03.1958" << true;
    QTest::newRow("letter case differs") << "ANNA"
                                         << "MÜLLER"
                                         << "14.03.1958" << true;
    QTest::newRow("lower case umlaut") << "anna"
                                       << "müller"
                                       << "14.3.1958" << true;
    QTest::newRow("other birth date") << "Anna"
                                      << "Müller"
                                      << "15.03.1958" << false;
    QTest::newRow("other first name") << "Anne"
                                      << "Müller"
                                      << "14.03.1958" << false;
    QTest::newRow("empty first name") << ""
                                      << "Müller"
                                      << "14.03.1958" << false;
    QTest::newRow("no birth date, stand-in stored") << "Lutz"
                                                    << "Vogel"
                                                    << " " << true;
    QTest::newRow("no birth date, none stored") << "Anna"
                                                << "Müller"
                                                << " " << false;
    QTest::newRow("quote in name") << "Seán"
                                   << "O'Brien"
                                   << "01.01.1970" << true;
}

void TestPersonAdmin::duplicateTest()
{
    QFETCH(QString, vorname);
    QFETCH(QString, name);
    QFETCH(QString, gebDat);
    QFETCH(bool, present);
    TestBed bed;
    bed.addPerson("Müller", "Anna", QDate(1958, 3, 14));
    bed.addPerson("Vogel", "Lutz", standInBirthDay());
    bed.addPerson("O'Brien", "Seán", QDate(1970, 1, 1));
    DbConnection db = DbConnection::open(bed.segmentePath());
    QCOMPARE(personPresent(db, vorname, name, gebDat), present);
}

void TestPersonAdmin::storeConvertsOrStoresNothing_data()
{
    QTest::addColumn<QString>("gebDat");
    QTest::addColumn<QString>("anzMes");
    QTest::addColumn<QString>("storedDate"); // empty: refused
    QTest::addColumn<QVariant>("storedCount");
    QTest::newRow("plain") << "14.03.1958"
                           << "5"
                           << "1958-03-14" << QVariant(5);
    QTest::newRow("no birth date") << " "
                                   << "0"
                                   << "1899-12-31" << QVariant(0);
    QTest::newRow("no count") << "14.03.1958"
                              << " "
                              << "1958-03-14" << QVariant();
    QTest::newRow("bad date") << "30.02.1958"
                              << "5"
                              << "" << QVariant();
    QTest::newRow("count not a number") << "14.03.1958"
                                        << "viele"
                                        << "" << QVariant();
    QTest::newRow("count too large") << "14.03.1958"
                                     << "99999999999"
                                     << "" << QVariant();
}

void TestPersonAdmin::storeConvertsOrStoresNothing()
{
    QFETCH(QString, gebDat);
    QFETCH(QString, anzMes);
    QFETCH(QString, storedDate);
    QFETCH(QVariant, storedCount);
    TestBed bed;
    DbConnection db = DbConnection::open(bed.segmentePath());
    const PersonBoxes boxes{"Kühn", "Jörg", "weiblich", gebDat, "12345", "Köln", "K-9", anzMes, "4711"};
    if (storedDate.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(KavioError, storePerson(db, boxes));
        QCOMPARE(count(bed.segmentePath(), "SELECT COUNT(*) FROM Teilnehmer"), 0);
        return;
    }
    const qint64 n = storePerson(db, boxes);
    QVERIFY(n != 4711);
    QSqlQuery q = db.exec("SELECT Name, VorName, GebDat, PLZ, Ort, Kennung, AnzMes, Geschlecht FROM Teilnehmer "
                          "WHERE LfdNr = ?",
                          {n});
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("Kühn"));
    QCOMPARE(q.value(1).toString(), QStringLiteral("Jörg"));
    QCOMPARE(q.value(2).toString(), storedDate);
    QCOMPARE(q.value(3).toString(), QStringLiteral("12345"));
    QCOMPARE(q.value(4).toString(), QStringLiteral("Köln"));
    QCOMPARE(q.value(5).toString(), QStringLiteral("K-9"));
    QCOMPARE(q.value(6).isNull(), !storedCount.isValid());
    if (storedCount.isValid())
        QCOMPARE(q.value(6).toInt(), storedCount.toInt());
    QCOMPARE(q.value(7).toInt(), 0); // the sex box is not copied
}

void TestPersonAdmin::deleteRemovesPersonAndMeasurements()
{
    TestBed bed;
    const qint64 gone = bed.addPerson("Müller", "Anna");
    const qint64 kept = bed.addPerson("Schmidt", "Hans");
    for (const char *seg : {"ArmLi", "ArmRe", "BeinLi", "BeinRe"})
        for (qint64 p : {gone, kept}) {
            bed.addMeasurement(seg, p, QDate(2026, 11, 1), "09:00:00", 500, 480, 460, 60, 55, 50);
            bed.addMeasurement(seg, p, QDate(2026, 11, 8), "09:00:00", 500, 480, 460, 60, 55, 50);
        }
    DbConnection db = DbConnection::open(bed.segmentePath());
    db.exec("INSERT INTO tblTeilnehmerSegmente (lfdNR, AL, AR, BL, BR) VALUES (?, 1, 1, 0, 0)", {gone});
    deletePersonWithMeasurements(db, static_cast<qint32>(gone));
    const QString path = bed.segmentePath();
    QCOMPARE(count(path, "SELECT COUNT(*) FROM Teilnehmer WHERE LfdNr = ?", {gone}), 0);
    QCOMPARE(count(path, "SELECT COUNT(*) FROM Teilnehmer WHERE LfdNr = ?", {kept}), 1);
    for (const char *seg : {"ArmLi", "ArmRe", "BeinLi", "BeinRe"}) {
        QCOMPARE(count(path, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE FKTN = ?").arg(seg), {gone}), 0);
        QCOMPARE(count(path, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE FKTN = ?").arg(seg), {kept}), 2);
    }
    QCOMPARE(count(path, "SELECT COUNT(*) FROM tblTeilnehmerSegmente WHERE lfdNR = ?", {gone}), 1);
}

void TestPersonAdmin::deleteFailingPartWayChangesNothing_data()
{
    QTest::addColumn<QString>("lockedTable");
    for (const char *t : {"ArmRe", "BeinRe", "ArmLi", "BeinLi"})
        QTest::newRow(t) << QString::fromLatin1(t);
}

void TestPersonAdmin::deleteFailingPartWayChangesNothing()
{
    QFETCH(QString, lockedTable);
    TestBed bed;
    const qint64 p = bed.addPerson("Müller", "Anna");
    for (const char *seg : {"ArmLi", "ArmRe", "BeinLi", "BeinRe"})
        bed.addMeasurement(seg, p, QDate(2026, 11, 1), "09:00:00", 500, 480, 460, 60, 55, 50);
    DbConnection db = DbConnection::open(bed.segmentePath());
    db.exec(
        QStringLiteral("CREATE TRIGGER locked BEFORE DELETE ON %1 BEGIN SELECT RAISE(ABORT, 'Tabelle gesperrt'); END")
            .arg(lockedTable));
    try {
        deletePersonWithMeasurements(db, static_cast<qint32>(p));
        QFAIL("deletion reported success");
    } catch (const KavioError &e) {
        QVERIFY2(e.description().contains("Tabelle gesperrt"), qPrintable(e.description()));
    }
    const QString path = bed.segmentePath();
    QCOMPARE(count(path, "SELECT COUNT(*) FROM Teilnehmer WHERE LfdNr = ?", {p}), 1);
    for (const char *seg : {"ArmLi", "ArmRe", "BeinLi", "BeinRe"})
        QCOMPARE(count(path, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE FKTN = ?").arg(seg), {p}), 1);
    // The connection is usable again: no transaction left open.
    db.exec(QStringLiteral("DROP TRIGGER locked"));
    deletePersonWithMeasurements(db, static_cast<qint32>(p));
    QCOMPARE(count(path, "SELECT COUNT(*) FROM Teilnehmer"), 0);
}

void TestPersonAdmin::columnWidths_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("empty store") << "" << QList<int>{};
    QTest::newRow("by position") << "2100,1200,900" << QList<int>{2100, 1200, 900};
    QTest::newRow("semicolons and blanks") << " 2100; 1200 " << QList<int>{2100, 1200};
    QTest::newRow("damaged entry passed over") << "2100,abc,900" << QList<int>{2100, 0, 900};
    QTest::newRow("empty entry passed over") << "2100,,900" << QList<int>{2100, 0, 900};
    QTest::newRow("too narrow to see") << "10,1200" << QList<int>{0, 1200};
    QTest::newRow("negative") << "-1500" << QList<int>{0};
    QTest::newRow("absurdly wide") << "99999" << QList<int>{0};
}

void TestPersonAdmin::columnWidths()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, expected);
    QCOMPARE(decodeColumnWidths(text), expected);
    const QList<int> all{1500, 2250, 800};
    QCOMPARE(encodeColumnWidths(all), QStringLiteral("1500,2250,800"));
    QCOMPARE(decodeColumnWidths(encodeColumnWidths(all)), all);
}

QTEST_GUILESS_MAIN(TestPersonAdmin)
#include "tst_personadmin.moc"
