// The measurement list, the person header and counts, and the person list read in the
// background, against a real Segmente.mdb.
#include "db/Statements.h"
#include "session/MeasurementTable.h"
#include "WindowDriver.h"
#include "workstation/ListModel.h"
#include "workstation/ListReader.h"

#include <optional>
#include <QFile>
#include <QLineEdit>
#include <QtTest>

using namespace kavio;
using namespace kavio::test;

namespace {

QStringList rowOf(QWidget &w, int row)
{
    const FlexGrid g(*control<QTableView>(w, QStringLiteral("grdMessungen")));
    QStringList cells;
    for (int c = 1; c < g.cols(); ++c)
        cells << g.textMatrix(row, c);
    return cells;
}

} // namespace

class TestLists : public QObject {
    Q_OBJECT
    std::optional<TestBed> m_many; // enough persons that a list read takes a while

private slots:
    void initTestCase()
    {
        m_many.emplace();
        scalar(m_many->segmentePath(),
               QStringLiteral(
                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                   "INSERT INTO Teilnehmer (Name, VorName, GebDat) SELECT 'Name' || i, 'Vor', '1960-05-17' FROM n"));
    }

    void measurementListNewestFirst()
    {
        Window win;
        const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
        win.bed.addPerson(QStringLiteral("Berg"), QStringLiteral("Bernd"));
        const qint64 a = win.bed.addMeasurement("ArmLi", p, QDate(2025, 1, 2), "23:59:59", 510, 480, 470, 61, 55, 50);
        const qint64 b = win.bed.addMeasurement("ArmLi", p, QDate(2026, 12, 5), "14:30:00", 505, 470, 460, 60, 54, 49,
                                                500, 465, 455);
        const qint64 c = win.bed.addMeasurement("ArmLi", p, QDate(2026, 12, 5), "08:05:00", 515, 490, 480, 62, 56, 51);
        win.bed.addMeasurement("ArmLi", p + 1000, QDate(2026, 12, 6), "10:00:00", 1, 2, 3, 4, 5, 6);
        win.bed.addMeasurement("ArmRe", p, QDate(2026, 12, 6), "10:00:00", 1, 2, 3, 4, 5, 6);
        win.open();
        win.choose(1, QStringLiteral("optAL"));

        QCOMPARE(gridRows(*win.w, QStringLiteral("grdMessungen")), 4);
        // After the stored columns: the phase angle at 50 kHz, and the change of R at 50 kHz
        // where a second measurement was stored (465 after 470: -1.06 %).
        QCOMPARE(rowOf(*win.w, 0),
                 (QStringList{"Datum", "Zeit", "R5", "R50", "R100", "Xc5", "Xc50", "Xc100", "MessID", "φ50", "ΔR50"}));
        QCOMPARE(rowOf(*win.w, 1), (QStringList{"05.12.26", "14:30", "505/500", "470/465", "460/455", "60", "54", "49",
                                                QString::number(b), "6,6°", "-1,1 %"}));
        QCOMPARE(rowOf(*win.w, 2), (QStringList{"05.12.26", "08:05", "515/", "490/", "480/", "62", "56", "51",
                                                QString::number(c), "6,5°", ""}));
        QCOMPARE(rowOf(*win.w, 3), (QStringList{"02.01.25", "23:59", "510/", "480/", "470/", "61", "55", "50",
                                                QString::number(a), "6,5°", ""}));

        // A person without rows: the header row alone, its columns sized to nothing.
        win.choose(2, QStringLiteral("optAL"));
        const FlexGrid grid(*control<QTableView>(*win.w, QStringLiteral("grdMessungen")));
        QCOMPARE(grid.rows(), 1);
        QCOMPARE(grid.colWidth(1), 0);
        QCOMPARE(win.bed.messages.count(), 2); // only the requests to pick a segment
    }

    // The cells of a typed row, values missing among them, and of an empty one.
    void listCellsOfATypedRow()
    {
        // The time's minutes cut, not rounded.
        Measurement m{.id = 42, .day = QDate(2026, 12, 6), .time = QTime(7, 5, 59), .values = {}};
        m.values[Frequency::kHz5] = {520, 31, std::nullopt};
        m.values[Frequency::kHz50] = {480, 52, 499};
        m.values[Frequency::kHz100] = {std::nullopt, std::nullopt, 470};
        const QVariantList cells = measurementCells(m);
        QCOMPARE(cells.mid(0, 5), (QVariantList{"06.12.26", "07:05", "520/", "480/499", "/470"}));
        QCOMPARE(cells[5].toInt(), 31);
        QVERIFY(cells[7].isNull());
        QCOMPARE(cells[8].toLongLong(), 42);
        const ListRows rows = measurementListRows({m, Measurement{}});
        QCOMPARE(rows.rows, 2);
        QCOMPARE(rows.cells.mid(5, 6), (QVector<QString>{"31", "52", "", "42", "6,2°", "+4,0 %"}));
        QCOMPARE(rows.cells.mid(11, 11), (QVector<QString>{"", "", "/", "/", "/", "", "", "", "0", "", ""}));
    }

    // Deleting asks first and takes only the chosen person's row of the chosen segment: a blank
    // number, another person's or segment's number and an unknown one delete nothing.
    void deleteTakesOnlyTheChosenRowAndRecounts()
    {
        Window win;
        const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
        const qint64 other = win.bed.addPerson(QStringLiteral("Berg"), QStringLiteral("Bernd"));
        const qint64 keep = win.bed.addMeasurement("BeinLi", p, QDate(2026, 11, 1), "09:00:00", 1, 2, 3, 4, 5, 6);
        const qint64 gone = win.bed.addMeasurement("BeinLi", p, QDate(2026, 12, 1), "09:00:00", 1, 2, 3, 4, 5, 6);
        const qint64 othersRow =
            win.bed.addMeasurement("BeinLi", other, QDate(2026, 12, 1), "09:00:00", 1, 2, 3, 4, 5, 6);
        // ArmLi rows of the person up to a number beyond BeinLi's, the number `gone` among them.
        qint64 otherSegment = 0;
        while (otherSegment <= othersRow)
            otherSegment = win.bed.addMeasurement("ArmLi", p, QDate(2026, 10, 1), "09:00:00", 1, 2, 3, 4, 5, 6);
        win.open();
        win.choose(1, QStringLiteral("optBL"));
        QCOMPARE(textOf(*win.w, QStringLiteral("lblAnzMessBL")), QStringLiteral("2"));
        const auto rowsLeft = [&] {
            return scalar(win.bed.segmentePath(),
                          "SELECT group_concat(MessID) || '+' || (SELECT COUNT(*) FROM ArmLi) FROM BeinLi")
                .toString();
        };
        const QString all = rowsLeft();
        auto &messages = win.bed.messages;
        auto erase = [&](bool yes) {
            messages.clear();
            if (yes)
                messages.answer({true});
            click(*win.w, QStringLiteral("cmdErase"));
        };

        // No row picked yet: the number field's blanks are no MessID.
        erase(true);
        QCOMPARE(messages.texts(),
                 (QStringList{"Wollen Sie die Messung wirklich löschen?",
                              "Error 13 (Typen unverträglich) in procedure cmdErase_Click of Formular frmMain"}));
        QCOMPARE(rowsLeft(), all);

        auto *number = control<QLineEdit>(*win.w, QStringLiteral("txtMessNr"));
        for (const qint64 n : {othersRow, otherSegment, othersRow + otherSegment + 100}) {
            number->setText(QString::number(n));
            erase(true);
            QCOMPARE(messages.texts().value(1), QStringLiteral("Die Messung Nr. %1 ist keine Messung dieser "
                                                               "Person in diesem Segment. Es wurde nichts gelöscht.")
                                                    .arg(n));
            QCOMPARE(rowsLeft(), all);
            QCOMPARE(number->text(), QString::number(n));
        }

        clickRow(*win.w, QStringLiteral("grdMessungen"), 1);
        QCOMPARE(number->text(), QString::number(gone));
        erase(false);
        QCOMPARE(messages.count(), 1);
        QCOMPARE(rowsLeft(), all);

        erase(true);
        QCOMPARE(messages.count(), 1);
        QCOMPARE(rowsLeft(), QStringLiteral("%1,%2+%3").arg(keep).arg(othersRow).arg(otherSegment));
        QCOMPARE(gridRows(*win.w, QStringLiteral("grdMessungen")), 2);
        QCOMPARE(rowOf(*win.w, 1).at(8), QString::number(keep));
        QCOMPARE(textOf(*win.w, QStringLiteral("lblAnzMessBL")), QStringLiteral("1"));
    }

    void personHeaderWithAgeInCompletedYears()
    {
        Window win;
        const qint64 p = win.bed.addPerson(QStringLiteral("Weiß"), QStringLiteral("Jürgen"), QDate(1960, 12, 7));
        win.open();
        // The day before the birthday, then the birthday itself.
        for (const auto &[day, age] : {std::pair{6, "65 Jahre"}, std::pair{7, "66 Jahre"}}) {
            win.bed.clock.time = QDateTime(QDate(2026, 12, day), QTime(9, 0));
            win.choose(1);
            QStringList header;
            for (const char *l :
                 {"LBL_Top_Name", "LBL_Top_Vorname", "LBL_Top_GebDat", "LBL_Top_PNUMMER", "LBL_Top_Alter", "txtFKTN"})
                header << textOf(*win.w, QLatin1String(l));
            QCOMPARE(header, (QStringList{"Weiß", "Jürgen", "07.12.1960", QStringLiteral("Nr. %1").arg(p),
                                          QLatin1String(age), QString::number(p)}));
        }
    }

    // Read after start, hidden; a later fill or a release supersedes the start-up read.
    void personListReadInTheBackground()
    {
        TestBed &bed = *m_many;
        {
            frmMain w(bed.platform);
            QTRY_COMPARE(gridRows(w, QStringLiteral("ocxFlex")), 20001);
            const FlexGrid grid(*control<QTableView>(w, QStringLiteral("ocxFlex")));
            QCOMPARE(grid.textMatrix(1, 2), QStringLiteral("Name1"));
            QCOMPARE(grid.textMatrix(1, 4), QStringLiteral("17.05.1960"));
            QVERIFY(grid.colWidth(2) >= 250); // sized
            QVERIFY(!control(w, QStringLiteral("ocxFlex"))->isVisible());
        }
        {
            // "Patient auswählen" before the start-up read is handed over: its list stays.
            frmMain w(bed.platform);
            bed.addPerson(QStringLiteral("Zuletzt"), QStringLiteral("Eingetragen"));
            w.show();
            click(w, QStringLiteral("cmdPatientAuswahl"));
            const ListModel *chosen = w.personModel();
            QTest::qWait(300);
            QVERIFY(w.personModel() == chosen);
            QCOMPARE(gridRows(w, QStringLiteral("ocxFlex")), 20002);
        }
        {
            // Letting go of the database stops the read: nothing is bound afterwards.
            frmMain w(bed.platform);
            w.releaseDatabase();
            QTest::qWait(300);
            QVERIFY(!w.personModel());
        }
        const frmMain closedAtOnce(bed.platform); // while the read runs (the sanitizer build watches its thread)
    }

    void readerHandsOverOnlyTheNewestRead()
    {
        const TestBed &bed = *m_many;
        QStringList handed;
        ListReader reader;
        auto done = [&](const QString &tag) {
            return [&handed, tag](ListRows rows) { handed << tag + QString::number(rows.rows); };
        };
        auto failed = [&handed](const KavioError &e) { handed << QString::number(e.number()); };
        // A read of the statement on a connection of its own, as every list read is made.
        const auto query = [](const QString &path, const QString &sql) {
            return [path, sql](const std::atomic_bool *cancel) {
                return readListRows(DbConnection::open(path, OpenMode::ReadOnly), sql, {}, {}, cancel);
            };
        };
        const auto firstRows = [&](int n) {
            return query(bed.segmentePath(), QStringLiteral("SELECT Name FROM Teilnehmer WHERE LfdNr <= %1").arg(n));
        };
        const auto everyone = query(bed.segmentePath(), sql::personListMain());

        // A read under way, and a read already queued for hand-over, both give way to a newer one.
        reader.start(everyone, done(QStringLiteral("under way:")), failed);
        reader.start(firstRows(3), done(QStringLiteral("queued:")), failed);
        QThread::msleep(300);
        reader.start(firstRows(5), done(QStringLiteral("newest:")), failed);
        QVERIFY(reader.isPending());
        QTRY_VERIFY(!reader.isPending());
        QTest::qWait(100);
        QCOMPARE(handed, QStringList{QStringLiteral("newest:5")});

        reader.start(everyone, done(QStringLiteral("cancelled:")), failed);
        reader.cancel();
        QTest::qWait(100);
        QCOMPARE(handed.size(), 1);

        // A missing file is reported, and not created in its place.
        const QString missing = bed.segmentePath() + QStringLiteral(".fehlt");
        reader.start(query(missing, sql::personListMain()), done(QStringLiteral("missing:")), failed);
        QTRY_COMPARE(handed.size(), 2);
        QCOMPARE(handed.last(), QStringLiteral("53"));
        QVERIFY(!QFile::exists(missing));
    }
};

QTEST_MAIN(TestLists)
#include "tst_lists.moc"
