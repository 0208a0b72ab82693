// The person list, the person header and counts, and the measurement list against a
// real Segmente.mdb, driven through the window.
#include "app/Conversions.h"
#include "db/Statements.h"
#include "WindowDriver.h"
#include "workstation/ListModel.h"
#include "workstation/ListReader.h"

#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace kavio;
using namespace kavio::test;

namespace {

QStringList rowOf(QWidget &w, const QString &grid, int row)
{
    const FlexGrid g(*control<QTableView>(w, grid));
    QStringList cells;
    for (int c = 1; c < g.cols(); ++c)
        cells << g.textMatrix(row, c);
    return cells;
}

QString label(QWidget &w, const char *name)
{
    return control<QLabel>(w, QString::fromLatin1(name))->text();
}

qint64 rowsOf(const TestBed &bed, const QString &table)
{
    return scalar(bed.segmentePath(), QStringLiteral("SELECT COUNT(*) FROM ") + table).toLongLong();
}

// n persons "Name<i>" in one statement: enough rows that a read takes a while.
void addManyPersons(const TestBed &bed, int n)
{
    scalar(
        bed.segmentePath(),
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                       "INSERT INTO Teilnehmer (Name, VorName, GebDat) SELECT 'Name' || i, 'Vor', '1960-05-17' FROM n"),
        {n});
}

} // namespace

class ListsTest : public QObject {
    Q_OBJECT
private slots:
    void measurementListNewestFirstInItsFormats();
    void personWithoutMeasurementsGetsHeaderOnly();
    void measurementListColumnWidths();
    void pickingARowFillsTheNumberField();
    void deleteRemovesExactlyOneRowAndRecounts();
    void deleteAnsweredNoKeepsEverything();
    void deleteFailures_data();
    void deleteFailures();
    void missingDatabaseKeepsTheListAndReports();
    void personListInGermanOrder();
    void personHeaderAndAge_data();
    void personHeaderAndAge();
    void countsPerSegment();
    void chosenRowIsTinted();
    void emptyPersonTableGivesEmptyList();
    void listsHoldTheirConnectionsUntilReleased();
    void personListIsReadAfterStart();
    void laterFillOrReleaseSupersedesTheStartRead();
    void readerHandsOverOnlyTheNewestRead();
};

void ListsTest::measurementListNewestFirstInItsFormats()
{
    Window win;
    const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    const qint64 other = win.bed.addPerson(QStringLiteral("Berg"), QStringLiteral("Bernd"));
    const qint64 a = win.bed.addMeasurement("ArmLi", p, QDate(2026, 12, 1), "09:15:42", 510, 480, 470, 61, 55, 50);
    const qint64 b =
        win.bed.addMeasurement("ArmLi", p, QDate(2026, 12, 5), "14:30:00", 505, 470, 460, 60, 54, 49, 500, 465, 455);
    const qint64 c = win.bed.addMeasurement("ArmLi", p, QDate(2026, 12, 5), "08:05:00", 515, 490, 480, 62, 56, 51);
    const qint64 d = win.bed.addMeasurement("ArmLi", p, QDate(2025, 1, 2), "23:59:59", 520, 500, 490, 63, 57, 52);
    win.bed.addMeasurement("ArmLi", other, QDate(2026, 12, 6), "10:00:00", 1, 2, 3, 4, 5, 6);
    win.bed.addMeasurement("ArmRe", p, QDate(2026, 12, 6), "10:00:00", 1, 2, 3, 4, 5, 6);
    win.open();
    win.choose(1, QStringLiteral("optAL"));
    QWidget &w = *win.w;

    const FlexGrid grid(*control<QTableView>(w, QStringLiteral("grdMessungen")));
    QCOMPARE(grid.rows(), 5);
    QCOMPARE(rowOf(w, "grdMessungen", 0),
             (QStringList{"Datum", "Zeit", "R5", "R50", "R100", "Xc5", "Xc50", "Xc100", "MessID"}));
    QCOMPARE(rowOf(w, "grdMessungen", 1),
             (QStringList{"05.12.26", "14:30", "505/500", "470/465", "460/455", "60", "54", "49", QString::number(b)}));
    QCOMPARE(rowOf(w, "grdMessungen", 2),
             (QStringList{"05.12.26", "08:05", "515/", "490/", "480/", "62", "56", "51", QString::number(c)}));
    QCOMPARE(rowOf(w, "grdMessungen", 3),
             (QStringList{"01.12.26", "09:15", "510/", "480/", "470/", "61", "55", "50", QString::number(a)}));
    QCOMPARE(rowOf(w, "grdMessungen", 4),
             (QStringList{"02.01.25", "23:59", "520/", "500/", "490/", "63", "57", "52", QString::number(d)}));
    QCOMPARE(win.bed.messages.count(), 1); // only the request to pick a segment
}

void ListsTest::personWithoutMeasurementsGetsHeaderOnly()
{
    Window win;
    win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    win.open();
    win.choose(1, QStringLiteral("optBR"));
    const FlexGrid grid(*control<QTableView>(*win.w, QStringLiteral("grdMessungen")));
    QCOMPARE(grid.rows(), 1);
    QCOMPARE(grid.cols(), 10);
    QCOMPARE(grid.textMatrix(0, 9), QStringLiteral("MessID"));
    QVERIFY(grid.view().isVisible());
    for (int c = 1; c <= 5; ++c)
        QCOMPARE(grid.colWidth(c), 0); // no data rows to size by
    QCOMPARE(win.bed.messages.count(), 1);
}

void ListsTest::measurementListColumnWidths()
{
    Window win;
    const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    win.bed.addMeasurement("BeinRe", p, QDate(2026, 12, 1), "09:15:00", 5, 480, 470, 61, 55, 50, 11111, 22222, 3);
    win.bed.addMeasurement("BeinRe", p, QDate(2026, 12, 2), "09:15:00", 5, 480, 470, 61, 55, 50);
    win.open();
    win.choose(1, QStringLiteral("optBR"));
    auto *view = control<QTableView>(*win.w, QStringLiteral("grdMessungen"));
    const FlexGrid grid(*view);
    const QFontMetrics fm(view->font());
    auto twips = [&](const QString &t) { return qRound(fm.horizontalAdvance(t) * twipsPerPixel(*view)); };
    QCOMPARE(grid.colWidth(0), 1);
    QCOMPARE(grid.colWidth(1), twips(QStringLiteral("02.12.26")) + 250);
    QCOMPARE(grid.colWidth(3), twips(QStringLiteral("5/11111")) + 250); // the wider, second row
    QCOMPARE(grid.colWidth(4), twips(QStringLiteral("480/22222")) + 250);
    for (int c : {6, 7, 8})
        QCOMPARE(grid.colWidth(c), 600);
    QCOMPARE(grid.colWidth(9), 800);
}

void ListsTest::pickingARowFillsTheNumberField()
{
    Window win;
    const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    const qint64 older = win.bed.addMeasurement("ArmRe", p, QDate(2026, 11, 1), "09:00:00", 1, 2, 3, 4, 5, 6);
    win.bed.addMeasurement("ArmRe", p, QDate(2026, 12, 1), "09:00:00", 1, 2, 3, 4, 5, 6);
    win.open();
    auto *number = control<QLineEdit>(*win.w, QStringLiteral("txtMessNr"));
    QCOMPARE(number->text(), QStringLiteral("   "));
    QVERIFY(number->isVisible());
    win.choose(1, QStringLiteral("optAR"));
    clickRow(*win.w, QStringLiteral("grdMessungen"), 2);
    QCOMPARE(number->text(), QString::number(older));
    // The stored values are not loaded into the value boxes.
    QCOMPARE(win.w->valueField(Quantity::W50, kSegments[1])->text(), QStringLiteral("0"));
}

void ListsTest::deleteRemovesExactlyOneRowAndRecounts()
{
    Window win;
    const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    const qint64 keep = win.bed.addMeasurement("BeinLi", p, QDate(2026, 11, 1), "09:00:00", 1, 2, 3, 4, 5, 6);
    const qint64 gone = win.bed.addMeasurement("BeinLi", p, QDate(2026, 12, 1), "09:00:00", 1, 2, 3, 4, 5, 6);
    // Same MessID in another segment table: must stay.
    qint64 twin = 0;
    while (twin < gone)
        twin = win.bed.addMeasurement("ArmLi", p, QDate(2026, 10, 1), "09:00:00", 1, 2, 3, 4, 5, 6);
    win.open();
    win.choose(1, QStringLiteral("optBL"));
    QCOMPARE(label(*win.w, "lblAnzMessBL"), QStringLiteral("2"));
    clickRow(*win.w, QStringLiteral("grdMessungen"), 1);
    QCOMPARE(control<QLineEdit>(*win.w, QStringLiteral("txtMessNr"))->text(), QString::number(gone));
    win.bed.messages.clear();
    win.bed.messages.answer({true});

    click(*win.w, QStringLiteral("cmdErase"));

    QCOMPARE(win.bed.messages.texts(), QStringList{QStringLiteral("Wollen Sie die Messung wirklich löschen?")});
    QVERIFY(win.bed.messages.last().question);
    QCOMPARE(win.bed.messages.last().icon, MsgIcon::None);
    QCOMPARE(rowsOf(win.bed, "BeinLi"), 1);
    QCOMPARE(scalar(win.bed.segmentePath(), "SELECT MessID FROM BeinLi").toLongLong(), keep);
    QCOMPARE(rowsOf(win.bed, "ArmLi"), gone);
    QCOMPARE(gridRows(*win.w, QStringLiteral("grdMessungen")), 2);
    QCOMPARE(rowOf(*win.w, "grdMessungen", 1).last(), QString::number(keep));
    QVERIFY(control<QLineEdit>(*win.w, QStringLiteral("txtMessNr"))->text().isEmpty());
    QCOMPARE(label(*win.w, "lblAnzMessBL"), QStringLiteral("1"));
    QCOMPARE(label(*win.w, "lblAnzMessAL"), QString::number(gone));
}

void ListsTest::deleteAnsweredNoKeepsEverything()
{
    Window win;
    const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    const qint64 id = win.bed.addMeasurement("ArmLi", p, QDate(2026, 11, 1), "09:00:00", 1, 2, 3, 4, 5, 6);
    win.open();
    win.choose(1, QStringLiteral("optAL"));
    clickRow(*win.w, QStringLiteral("grdMessungen"), 1);
    win.bed.messages.clear();
    click(*win.w, QStringLiteral("cmdErase")); // the fake answers No
    QCOMPARE(win.bed.messages.count(), 1);
    QCOMPARE(rowsOf(win.bed, "ArmLi"), 1);
    QCOMPARE(control<QLineEdit>(*win.w, QStringLiteral("txtMessNr"))->text(), QString::number(id));
}

void ListsTest::deleteFailures_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("clearSegment");
    QTest::addColumn<QString>("message");
    const QString typeMismatch =
        QStringLiteral("Error 13 (Typen unverträglich) in procedure cmdErase_Click of Formular frmMain");
    QTest::newRow("no row picked") << "   " << false << typeMismatch;
    QTest::newRow("not a number") << "12a" << false << typeMismatch;
    QTest::newRow("beyond 32 bits") << "3000000000" << false
                                    << "Error 6 (Überlauf) in procedure cmdErase_Click of Formular frmMain";
    QTest::newRow("no current segment") << "1" << true << typeMismatch;
}

void ListsTest::deleteFailures()
{
    QFETCH(QString, number);
    QFETCH(bool, clearSegment);
    QFETCH(QString, message);
    Window win;
    const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    win.bed.addMeasurement("ArmRe", p, QDate(2026, 11, 1), "09:00:00", 1, 2, 3, 4, 5, 6);
    win.open();
    win.choose(1, QStringLiteral("optAR"));
    if (clearSegment)
        win.w->strSegment.clear();
    control<QLineEdit>(*win.w, QStringLiteral("txtMessNr"))->setText(number);
    ListModel *before = win.w->measurementModel();
    win.bed.messages.clear();
    win.bed.messages.answer({true});

    click(*win.w, QStringLiteral("cmdErase"));

    QCOMPARE(win.bed.messages.count(), 2);
    QCOMPARE(win.bed.messages.last().text, message);
    QCOMPARE(win.bed.messages.last().icon, MsgIcon::None);
    QCOMPARE(rowsOf(win.bed, "ArmRe"), 1);
    QCOMPARE(win.w->measurementModel(), before); // not refilled
    QCOMPARE(control<QLineEdit>(*win.w, QStringLiteral("txtMessNr"))->text(), number);
}

void ListsTest::missingDatabaseKeepsTheListAndReports()
{
    Window win;
    const qint64 p = win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    win.bed.addMeasurement("ArmRe", p, QDate(2026, 11, 1), "09:00:00", 1, 2, 3, 4, 5, 6);
    win.open();
    win.choose(1, QStringLiteral("optAR"));
    win.w->releaseDatabase(); // the bound lists let go of the file
    QVERIFY(QFile::remove(win.bed.segmentePath()));
    win.bed.messages.clear();

    win.w->fillGRDMessungen(QStringLiteral("ArmRe"), static_cast<qint32>(p));

    QCOMPARE(win.bed.messages.count(), 1);
    QVERIFY2(win.bed.messages.last().text.startsWith(QStringLiteral("Error 53 (")),
             qPrintable(win.bed.messages.last().text));
    QVERIFY(
        win.bed.messages.last().text.endsWith(QStringLiteral(") in procedure fillGRDMessungen of Formular frmMain")));
    QVERIFY(!QFile::exists(win.bed.segmentePath())); // nothing was created in its place
}

void ListsTest::personListInGermanOrder()
{
    Window win;
    const QStringList inserted{"Zander", "Äpfel", "Strauss", "apfel", "Ahrens", "Strauß", "Öhler", "Oehler", "Apfel"};
    QList<qint64> ids;
    for (const QString &n : inserted)
        ids << win.bed.addPerson(n, QStringLiteral("Vor"));
    win.open();
    click(*win.w, QStringLiteral("cmdPatientAuswahl"));
    const FlexGrid grid(*control<QTableView>(*win.w, QStringLiteral("ocxFlex")));
    QStringList names;
    QStringList numbers;
    for (int r = 1; r < grid.rows(); ++r) {
        names << grid.textMatrix(r, 2);
        numbers << grid.textMatrix(r, 1);
    }
    // Case ignored, "Ä" with "A", "ß" as "ss"; equal names in the order they were stored.
    QCOMPARE(names,
             (QStringList{"Ahrens", "Äpfel", "apfel", "Apfel", "Oehler", "Öhler", "Strauss", "Strauß", "Zander"}));
    QCOMPARE(numbers.mid(1, 3),
             (QStringList{QString::number(ids[1]), QString::number(ids[3]), QString::number(ids[8])}));
    QCOMPARE(grid.textMatrix(0, 4), QStringLiteral("Geburtstag"));
    QCOMPARE(grid.textMatrix(1, 4), QStringLiteral("17.05.1960"));
    QCOMPARE(grid.colWidth(0), 1);
    QVERIFY(grid.colWidth(2) >= 250);
}

void ListsTest::personHeaderAndAge_data()
{
    QTest::addColumn<QDate>("birth");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("age");
    QTest::newRow("born 31 December, next day") << QDate(2025, 12, 31) << QDate(2026, 1, 1) << "0 Jahre";
    QTest::newRow("birthday today") << QDate(1960, 12, 6) << QDate(2026, 12, 6) << "66 Jahre";
    QTest::newRow("birthday tomorrow") << QDate(1960, 12, 7) << QDate(2026, 12, 6) << "65 Jahre";
    QTest::newRow("birthday month not yet") << QDate(1960, 12, 1) << QDate(2026, 11, 30) << "65 Jahre";
    QTest::newRow("29 February, 28th in a common year") << QDate(2000, 2, 29) << QDate(2026, 2, 28) << "25 Jahre";
    QTest::newRow("29 February, 1 March") << QDate(2000, 2, 29) << QDate(2026, 3, 1) << "26 Jahre";
    QTest::newRow("stand-in birth day") << standInBirthDay() << QDate(2026, 12, 6) << "126 Jahre";
}

void ListsTest::personHeaderAndAge()
{
    QFETCH(QDate, birth);
    QFETCH(QDate, today);
    QFETCH(QString, age);
    Window win;
    win.bed.clock.time = QDateTime(today, QTime(9, 0));
    const qint64 p = win.bed.addPerson(QStringLiteral("Weiß"), QStringLiteral("Jürgen"), birth);
    win.open();
    win.choose(1);
    QCOMPARE(label(*win.w, "LBL_Top_Name"), QStringLiteral("Weiß"));
    QCOMPARE(label(*win.w, "LBL_Top_Vorname"), QStringLiteral("Jürgen"));
    QCOMPARE(label(*win.w, "LBL_Top_GebDat"), germanDate(birth));
    QCOMPARE(label(*win.w, "LBL_Top_PNUMMER"), QStringLiteral("Nr. ") + QString::number(p));
    QCOMPARE(label(*win.w, "LBL_Top_Alter"), age);
    QCOMPARE(control<QLineEdit>(*win.w, QStringLiteral("txtFKTN"))->text(), QString::number(p));
}

void ListsTest::countsPerSegment()
{
    Window win;
    win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    const qint64 p = win.bed.addPerson(QStringLiteral("Berg"), QStringLiteral("Bernd"));
    const QList<QPair<QString, int>> counts{{"ArmLi", 2}, {"ArmRe", 0}, {"BeinLi", 1}, {"BeinRe", 3}};
    for (const auto &[table, n] : counts) {
        for (int i = 0; i < n; ++i)
            win.bed.addMeasurement(table, p, QDate(2026, 11, 1 + i), "09:00:00", 1, 2, 3, 4, 5, 6);
        win.bed.addMeasurement(table, p + 1000, QDate(2026, 11, 1), "09:00:00", 1, 2, 3, 4, 5, 6);
    }
    win.open();
    win.choose(1);
    for (const char *l : {"lblAnzMessAL", "lblAnzMessAR", "lblAnzMessBL", "lblAnzMessBR"})
        QCOMPARE(label(*win.w, l), QStringLiteral("0"));
    win.choose(2);
    QCOMPARE(label(*win.w, "lblAnzMessAL"), QStringLiteral("2"));
    QCOMPARE(label(*win.w, "lblAnzMessAR"), QStringLiteral("0"));
    QCOMPARE(label(*win.w, "lblAnzMessBL"), QStringLiteral("1"));
    QCOMPARE(label(*win.w, "lblAnzMessBR"), QStringLiteral("3"));
    QCOMPARE(win.w->fAnzahlMessungen(static_cast<qint32>(p), QStringLiteral("BeinRe")), 3);
    QCOMPARE(win.w->fAnzahlMessungen(-5, QStringLiteral("BeinRe")), 0);
}

void ListsTest::chosenRowIsTinted()
{
    Window win;
    win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    win.bed.addPerson(QStringLiteral("Berg"), QStringLiteral("Bernd"));
    win.open();
    win.choose(2);
    const ListModel *list = win.w->personModel();
    for (int c = 0; c < 4; ++c) {
        QCOMPARE(list->data(list->index(1, c), Qt::BackgroundRole).value<QColor>(), QColor(111, 111, 128));
        QVERIFY(!list->data(list->index(0, c), Qt::BackgroundRole).isValid());
    }
    // Opening the list again fills it afresh, without the tint.
    click(*win.w, QStringLiteral("cmdPatientAuswahl"));
    QVERIFY(!win.w->personModel()->data(win.w->personModel()->index(1, 1), Qt::BackgroundRole).isValid());
}

void ListsTest::emptyPersonTableGivesEmptyList()
{
    Window win;
    win.open();
    click(*win.w, QStringLiteral("cmdPatientAuswahl"));
    QCOMPARE(gridRows(*win.w, QStringLiteral("ocxFlex")), 1);
    QCOMPARE(win.bed.messages.count(), 0);
    QVERIFY(control(*win.w, QStringLiteral("ocxFlex"))->isVisible());
}

void ListsTest::listsHoldTheirConnectionsUntilReleased()
{
    Window win;
    win.bed.addPerson(QStringLiteral("Adler"), QStringLiteral("Anna"));
    win.open();
    win.choose(1, QStringLiteral("optAL"));
    QVERIFY(win.w->personModel() && win.w->personModel()->holdsConnection());
    QVERIFY(win.w->measurementModel() && win.w->measurementModel()->holdsConnection());
    QCOMPARE(control<QTableView>(*win.w, QStringLiteral("ocxFlex"))->model(), win.w->personModel());
    win.w->releaseDatabase();
    QVERIFY(!win.w->personModel() && !win.w->measurementModel());
    QCOMPARE(gridRows(*win.w, QStringLiteral("grdMessungen")), 0);
}

void ListsTest::personListIsReadAfterStart()
{
    TestBed bed;
    addManyPersons(bed, 3000);
    frmMain w(bed.platform);
    QTRY_COMPARE(gridRows(w, QStringLiteral("ocxFlex")), 3001);
    const FlexGrid grid(*control<QTableView>(w, QStringLiteral("ocxFlex")));
    QCOMPARE(grid.textMatrix(1, 2), QStringLiteral("Name1"));
    QCOMPARE(grid.textMatrix(1, 4), QStringLiteral("17.05.1960"));
    QCOMPARE(grid.colWidth(0), 1);
    QVERIFY(grid.colWidth(2) >= 250);
    QVERIFY(w.personModel()->holdsConnection());
    QVERIFY(!control(w, QStringLiteral("ocxFlex"))->isVisible());
}

void ListsTest::laterFillOrReleaseSupersedesTheStartRead()
{
    TestBed bed;
    addManyPersons(bed, 20000);
    {
        // "Patient auswählen" before the start-up read is handed over: its list stays.
        frmMain w(bed.platform);
        bed.addPerson(QStringLiteral("Zuletzt"), QStringLiteral("Eingetragen"));
        w.show();
        click(w, QStringLiteral("cmdPatientAuswahl"));
        const ListModel *chosen = w.personModel();
        QCOMPARE(chosen->rowCount(), 20001);
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
    // Closed while the read is under way (the sanitizer build watches the read's thread).
    {
        const frmMain closedAtOnce(bed.platform);
    }
}

void ListsTest::readerHandsOverOnlyTheNewestRead()
{
    TestBed bed;
    addManyPersons(bed, 20000);
    QStringList handed;
    ListReader reader;
    auto done = [&](const QString &tag) {
        return [&handed, tag](ListRows rows) { handed << tag + QString::number(rows.rows); };
    };
    auto failed = [&handed](const KavioError &e) { handed << QString::number(e.number()); };

    const auto firstRows = [](int n) { return QStringLiteral("SELECT Name FROM Teilnehmer WHERE LfdNr <= %1").arg(n); };
    // A read under way, and a read already queued for hand-over, both give way to a newer one.
    reader.start(bed.segmentePath(), sql::personListMain(), {}, done(QStringLiteral("under way:")), failed);
    reader.start(bed.segmentePath(), firstRows(3), {}, done(QStringLiteral("queued:")), failed);
    QThread::msleep(300);
    reader.start(bed.segmentePath(), firstRows(5), {}, done(QStringLiteral("newest:")), failed);
    QVERIFY(reader.isPending());
    QTRY_VERIFY(!reader.isPending());
    QTest::qWait(100);
    QCOMPARE(handed, QStringList{QStringLiteral("newest:5")});

    reader.start(bed.segmentePath(), sql::personListMain(), {}, done(QStringLiteral("cancelled:")), failed);
    reader.cancel();
    QTest::qWait(100);
    QCOMPARE(handed.size(), 1);

    reader.start(bed.segmentePath() + QStringLiteral(".fehlt"), sql::personListMain(), {},
                 done(QStringLiteral("missing:")), failed);
    QTRY_COMPARE(handed.size(), 2);
    QCOMPARE(handed.last(), QStringLiteral("53"));
}

QTEST_MAIN(ListsTest)
#include "tst_lists.moc"
