// Copying a workstation's segment database file onto the server: everything arrives with
// its numbers and reads back as from the file; a schema holding data and a file the
// server cannot take are refused with nothing written.
#include "app/Errors.h"
#include "db/Migration.h"
#include "db/PostgresRepository.h"
#include "db/SqliteRepository.h"
#include "Saves.h"
#include "TestBed.h"
#include "TestServer.h"

#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

// Every field of every row, as text.
QString rowsText(const QList<Measurement> &rows)
{
    QStringList out;
    for (const Measurement &m : rows) {
        QString line =
            QStringLiteral("%1 %2 %3 %4").arg(m.id).arg(m.person).arg(m.day.toString(Qt::ISODate), m.time.toString());
        for (const Impedance &v : m.values.at)
            line += QStringLiteral(" %1/%2/%3").arg(v.r.value_or(-1)).arg(v.xc.value_or(-1)).arg(v.rAfter.value_or(-1));
        out << line;
    }
    return out.join(QLatin1Char('\n'));
}

} // namespace

class TestMigrate : public QObject {
    Q_OBJECT
private slots:
    void copiesEverythingOnceAndChecks();
    void nothingIsWrittenWhenTheServerRefusesARow();
};

void TestMigrate::copiesEverythingOnceAndChecks()
{
    KAVIO_TEST_SERVER(server);
    TestBed bed(TestBed::Options{false, false, true, true});
    const qint64 anna = bed.addPerson(QString::fromUtf8("Müller"), "Anna");
    const qint64 hans = bed.addPerson(QString::fromUtf8("Groß"), QString::fromUtf8("Hans-Jürgen"));
    const QDate day(2026, 12, 7);
    bed.addMeasurement("ArmLi", anna, day, "08:00:00", 520, 480, 455, 31, 52, 47, 530, 490, 460);
    bed.addMeasurement("ArmLi", anna, day, "09:15:30", 1, 2, 3, 4, 5, 6);
    bed.addMeasurement("BeinRe", hans, day.addDays(-1), "10:00:00", -32768, 32767, 1, 1, 1, 1);
    SqliteRepository file(bed.segmentePath());
    QVERIFY(file.setPersonFacts(qint32(hans), {clinical::Hand::Left, {}, {false, true, false, true}}));
    file.release();

    TestSchema schema(*server);
    const QStringList report = migrateToServer(bed.segmentePath(), schema.address());
    for (const char *line : {"Teilnehmer: 2 Zeilen", "ArmLi: 2 Zeilen", "tblTeilnehmerAngaben: 1 Zeilen"})
        QVERIFY2(report.contains(QLatin1String(line)), line);

    PostgresRepository copy(schema.address());
    for (const SegmentInfo &s : kSegments)
        for (const qint64 person : {anna, hans})
            QCOMPARE(rowsText(copy.measurements(s, qint32(person), MeasurementOrder::NewestFirst)),
                     rowsText(file.measurements(s, qint32(person), MeasurementOrder::NewestFirst)));
    QCOMPARE(copy.personList().cells, file.personList().cells);
    QCOMPARE(copy.personFacts(qint32(hans)).atRisk, file.personFacts(qint32(hans)).atRisk);
    // New rows continue after the copied numbers.
    QCOMPARE(copy.storeFirst(kSegments[0], qint32(anna), day, QTime(11, 0), reading(1, 2, 3, 4, 5, 6)).messId, 3);
    QCOMPARE(copy.storePerson({"Neu", "Nina", " ", "01.02.1970", " ", " ", " ", " ", " "}), hans + 1);

    // A schema with data is not filled a second time.
    QString refusal;
    try {
        migrateToServer(bed.segmentePath(), schema.address());
    } catch (const KavioError &e) {
        refusal = e.description();
    }
    QVERIFY2(refusal.contains(QStringLiteral("enthält bereits Daten")), qPrintable(refusal));
    QCOMPARE(schema.scalar("SELECT COUNT(*) FROM Teilnehmer").toInt(), 3);
}

void TestMigrate::nothingIsWrittenWhenTheServerRefusesARow()
{
    KAVIO_TEST_SERVER(server);
    TestBed bed(TestBed::Options{false, false, true, true});
    bed.addPerson("Adler", "Anna");
    bed.addMeasurement("ArmRe", 1, QDate(2026, 12, 7), "08:00:00", 1, 2, 3, 4, 5, 6);
    scalar(bed.segmentePath(), "UPDATE Teilnehmer SET GebDat = '31.02.1960'"); // no date the server takes
    TestSchema schema(*server);
    QVERIFY_THROWS_EXCEPTION(KavioError, migrateToServer(bed.segmentePath(), schema.address()));
    QCOMPARE(schema.scalar("SELECT (SELECT COUNT(*) FROM Teilnehmer) + (SELECT COUNT(*) FROM ArmRe)").toInt(), 0);
}

QTEST_MAIN(TestMigrate)
#include "tst_migrate.moc"
