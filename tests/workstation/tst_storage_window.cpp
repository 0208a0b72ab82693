// Storing measurements through the main window as the operator does it: values typed,
// first and second save, the refusals with their exact messages, and a database that
// cannot be written for a while.
#include "app/Errors.h"
#include "db/Database.h"
#include "Unprivileged.h"
#include "WindowDriver.h"

#include <optional>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>
#include <sys/stat.h>

using namespace kavio;
using namespace kavio::test;

Q_DECLARE_METATYPE(kavio::MsgIcon)

namespace {

const QString kInvalidValue = QStringLiteral("Bitte geben Sie einen gültigen Messwert >0 ein");
const QString kNoValues = QStringLiteral("Bitte geben Sie Messwerte ein!");
const QString kFirstValues = QStringLiteral("W5=520 W50=480 W100=455 Xc5=31 Xc50=52 Xc100=47");
const QString kSecondValues = QStringLiteral("W5=540 W50=499 W100=470");
const QString kAllRows = QStringLiteral("SELECT (SELECT COUNT(*) FROM ArmLi) + (SELECT COUNT(*) FROM ArmRe) + "
                                        "(SELECT COUNT(*) FROM BeinLi) + (SELECT COUNT(*) FROM BeinRe)");

QString errorText(int number, const QString &description, const char *procedure)
{
    return QStringLiteral("Error %1 (%2) in procedure %3 of Formular frmMain").arg(number).arg(description, procedure);
}

// One person on a fresh bed, chosen, with one segment confirmed.
struct Session {
    Window win;
    QString table;
    qint64 person = win.bed.addPerson(QStringLiteral("Bauer"), QStringLiteral("Anna"));

    explicit Session(const QString &segmentTable) : table(segmentTable) {}
    void start()
    {
        win.open();
        win.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(win.w.get()));
        win.choose(1, QStringLiteral("opt") + QLatin1String(segmentByTable(table)->code));
        QCOMPARE(win.w->strSegment, table);
        win.bed.messages.clear();
    }
    frmMain &w() { return *win.w; }
    FakeMessages &messages() { return win.bed.messages; }
    QLineEdit *field(Quantity q) { return w().valueField(q, *segmentByTable(table)); }

    // Clicks into the field (which empties it) and types; a click into the focused field
    // empties nothing, so the focus leaves it first.
    static void type(QLineEdit *f, const QString &text)
    {
        f->clearFocus();
        QTest::mouseClick(f, Qt::LeftButton);
        QTest::keyClicks(f, text);
    }
    void typeValues(const QString &values) // "W5=520 Xc50=52"
    {
        for (const QString &v : values.split(QLatin1Char(' '))) {
            const auto q = std::find(kQuantityNames.begin(), kQuantityNames.end(), v.section('=', 0, 0).toLatin1());
            type(field(Quantity(q - kQuantityNames.begin())), v.section('=', 1));
        }
    }
    QVariant query(const QString &sql, const QVariantList &values = {}) const
    {
        return scalar(win.bed.segmentePath(), sql, values);
    }
    qint64 newestId() const { return query(QStringLiteral("SELECT MAX(MessID) FROM %1").arg(table)).toLongLong(); }
    // "date|time|W5/W50/W100|Xc5/Xc50/Xc100|W5N/W50N/W100N" of one row of the person.
    QString row(qint64 messId) const
    {
        return query(QStringLiteral("SELECT printf('%s|%s|%s/%s/%s|%s/%s/%s|%s/%s/%s', Datum, Uhrzeit, W5, W50, W100, "
                                    "Xc5, Xc50, Xc100, W5N, W50N, W100N) FROM %1 WHERE MessID = ? AND FKTN = ?")
                         .arg(table),
                     {messId, person})
            .toString();
    }
    QString counts() // AL AR BL BR
    {
        QStringList c;
        for (const char *name : {"lblAnzMessAL", "lblAnzMessAR", "lblAnzMessBL", "lblAnzMessBR"})
            c << control<QLabel>(w(), QLatin1String(name))->text();
        return c.join(QLatin1Char(' '));
    }
    QStringList fieldTexts() const
    {
        QStringList t;
        for (QLineEdit *f : win.w->valueFields)
            t << f->text();
        return t;
    }
};

} // namespace

class tst_StorageWindow : public QObject {
    Q_OBJECT
private slots:
    void saveCycle_data();
    void saveCycle();
    void firstSaveRefusals_data();
    void firstSaveRefusals();
    void secondSaveRefusals_data();
    void secondSaveRefusals();
    void failingCountRefreshKeepsTheStoredRow();
};

void tst_StorageWindow::saveCycle_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("two");       // two data sets per treatment
    QTest::addColumn<QString>("date");   // typed into the date field first; empty: today's stays
    QTest::addColumn<QString>("counts"); // AL AR BL BR afterwards
    const struct {
        const char *tag, *table;
        bool two;
        const char *date, *counts;
    } rows[] = {{"arm left, one data set, a past date", "ArmLi", false, "03.11.2026", "2 0 0 0"},
                {"arm right, two data sets", "ArmRe", true, "", "0 2 0 0"},
                {"leg left (txtXc5Beinlinks), two data sets", "BeinLi", true, "", "0 0 2 0"},
                {"leg right (txtXc5BeinRechs), one data set", "BeinRe", false, "", "0 0 0 2"}};
    for (const auto &r : rows)
        QTest::newRow(r.tag) << QString(r.table) << r.two << QString(r.date) << QString(r.counts);
}

void tst_StorageWindow::saveCycle()
{
    QFETCH(QString, table);
    QFETCH(bool, two);
    QFETCH(QString, date);
    QFETCH(QString, counts);
    Session s(table);
    // An earlier treatment today: listed, counted, and never the row of a second measurement.
    const qint64 morning =
        s.win.bed.addMeasurement(table, s.person, QDate(2026, 12, 6), QStringLiteral("08:00:00"), 1, 2, 3, 4, 5, 6);
    s.start();
    if (!date.isEmpty()) {
        auto *d = control<QLineEdit>(s.w(), QStringLiteral("txtTestDatum"));
        QTest::mouseClick(d, Qt::LeftButton);
        d->selectAll();
        QTest::keyClicks(d, date);
    }
    click(s.w(), two ? QStringLiteral("optZweiBeh") : QStringLiteral("optEineBeh")); // leaving the date checks it
    s.typeValues(kFirstValues);
    s.w().bMessungUngespeichert = true;
    click(s.w(), QStringLiteral("cmdSaveMess"));

    QCOMPARE(s.messages().texts(), QStringList());
    const qint64 id = s.newestId();
    const QString day = date.isEmpty() ? QStringLiteral("2026-12-06") : QStringLiteral("2026-11-03");
    QCOMPARE(s.row(id), day + QStringLiteral("|10:30:00|520/480/455|31/52/47|//"));
    QVERIFY(s.w().bGespeichert);
    QVERIFY(!s.w().bMessungUngespeichert);
    QCOMPARE(s.counts(), counts);
    QCOMPARE(gridRows(s.w(), QStringLiteral("grdMessungen")), 3); // refilled: header and both rows
    check(s.w(), QStringLiteral("-cmdSaveMess fraEinoderZwei=off"));
    if (!two) { // the cycle ends
        check(s.w(), QStringLiteral("-cmdZweiteMessungSpeichern cmdPatientAuswahl=on cmdMesswerte=on"));
        return;
    }
    // The window waits for the second measurement: resistances only, fields zeroed.
    check(s.w(), QStringLiteral("+cmdZweiteMessungSpeichern cmdPatientAuswahl=off cmdMesswerte=off"));
    QCOMPARE(s.fieldTexts(), QStringList(24, QStringLiteral("0")));
    for (size_t q = 0; q < kQuantityNames.size(); ++q)
        QCOMPARE(s.field(Quantity(q))->isVisible(), kQuantityNames[q][0] == 'W');

    s.typeValues(kSecondValues);
    click(s.w(), QStringLiteral("cmdZweiteMessungSpeichern"));
    QCOMPARE(s.messages().texts(), QStringList());
    QCOMPARE(s.row(id), QStringLiteral("2026-12-06|10:30:00|520/480/455|31/52/47|540/499/470"));
    QCOMPARE(s.row(morning), QStringLiteral("2026-12-06|08:00:00|1/2/3|4/5/6|//"));
    check(s.w(), QStringLiteral("-cmdZweiteMessungSpeichern -cmdSaveMess -fraEinoderZwei cmdPatientAuswahl=on "
                                "cmdMesswerte=on"));
    QVERIFY(!s.w().bMessungUngespeichert);
}

void tst_StorageWindow::firstSaveRefusals_data()
{
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<QString>("text"); // typed after clicking in; "<...>": set directly, or the database read-only
    QTest::addColumn<QString>("message");
    QTest::addColumn<MsgIcon>("icon");
    const QString overflow = errorText(int(RunError::Overflow), QStringLiteral("Überlauf"), "cmdSaveMess_Click");
    const QString readOnly = errorText(8, QStringLiteral("attempt to write a readonly database"), "cmdSaveMess_Click");
    const struct {
        const char *tag, *field, *text;
        const QString &message;
        MsgIcon icon;
    } rows[] = {{"W50 of 0", "txtW50ArmLinks", "0", kInvalidValue, MsgIcon::None},
                {"Xc50 of 0 with blanks", "txtXc50ArmLinks", " 0 ", kInvalidValue, MsgIcon::None},
                {"field of this segment emptied", "txtW5ArmLinks", "", kNoValues, MsgIcon::Information},
                {"field of another segment emptied", "txtW5BeinRechts", "<>", kNoValues, MsgIcon::Information},
                {"blanks only", "txtXc100ArmLinks", "   ", kNoValues, MsgIcon::Information},
                {"40000", "txtW100ArmLinks", "40000", overflow, MsgIcon::None},
                {"32768 in another segment", "txtXc5BeinRechs", "<32768>", overflow, MsgIcon::None},
                {"read-only database", "txtW50ArmLinks", "<read-only>", readOnly, MsgIcon::None}};
    for (const auto &r : rows)
        QTest::newRow(r.tag) << QString(r.field) << QString(r.text) << r.message << r.icon;
}

void tst_StorageWindow::firstSaveRefusals()
{
    QFETCH(QString, fieldName);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(MsgIcon, icon);
    Session s(QStringLiteral("ArmLi"));
    s.start();
    click(s.w(), QStringLiteral("optEineBeh"));
    s.typeValues(kFirstValues);
    auto *f = control<QLineEdit>(s.w(), fieldName);
    const bool readOnly = text == QLatin1String("<read-only>");
    if (!readOnly && text.startsWith(QLatin1Char('<'))) // a hidden segment's field, set as a device record would
        f->setText(text.mid(1, text.size() - 2));
    else if (!readOnly)
        Session::type(f, text);
    const QStringList fieldsBefore = s.fieldTexts();
    const QByteArray dir = QFile::encodeName(s.win.bed.dir.path());
    const QByteArray file = QFile::encodeName(s.win.bed.segmentePath());
    if (readOnly) {
        ::chmod(dir.constData(), 0777);
        ::chmod(file.constData(), 0444);
    }
    s.w().bGespeichert = true; // as an earlier save of the session leaves it
    {
        std::optional<Unprivileged> as;
        if (readOnly)
            as.emplace();
        click(s.w(), QStringLiteral("cmdSaveMess"));
    }

    QCOMPARE(s.messages().texts(), QStringList{message});
    QCOMPARE(s.messages().last().icon, icon);
    QCOMPARE(s.query(kAllRows).toInt(), 0);
    QCOMPARE(s.fieldTexts(), fieldsBefore); // kept for correction
    check(s.w(), QStringLiteral("+cmdSaveMess fraEinoderZwei=on"));
    if (readOnly || message == kInvalidValue)
        QVERIFY(!s.w().bGespeichert);

    // Corrected, the same save goes through.
    if (readOnly) {
        ::chmod(file.constData(), 0644);
        ::chmod(dir.constData(), 0700);
    } else if (f->isVisible()) {
        Session::type(f, QStringLiteral("44"));
    } else {
        f->setText(QStringLiteral("44"));
    }
    s.messages().clear();
    click(s.w(), QStringLiteral("cmdSaveMess"));
    QCOMPARE(s.messages().texts(), QStringList());
    QCOMPARE(s.query(kAllRows).toInt(), 1);
}

void tst_StorageWindow::secondSaveRefusals_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("message");
    QTest::addColumn<MsgIcon>("icon");
    QTest::addColumn<bool>("released"); // person choice and new measurement free again
    const char *click = "cmdZweiteMessungSpeichern_Click";
    QTest::newRow("first row gone") << QStringLiteral("gone")
                                    << QStringLiteral(
                                           "Sie haben zu dieser Person heute noch keine erste Messung gemacht!")
                                    << MsgIcon::Information << true;
    QTest::newRow("W50 of 0") << QStringLiteral("W50=0") << kInvalidValue << MsgIcon::None << true;
    QTest::newRow("40000") << QStringLiteral("W5=40000")
                           << errorText(int(RunError::Overflow), QStringLiteral("Überlauf"), click) << MsgIcon::None
                           << false;
    QTest::newRow("emptied field") << QStringLiteral("empty")
                                   << errorText(int(RunError::TypeMismatch), QStringLiteral("Typen unverträglich"),
                                                click)
                                   << MsgIcon::None << false;
    QTest::newRow("database locked") << QStringLiteral("locked")
                                     << errorText(5, QStringLiteral("database is locked"), "SaveSecondMessung")
                                     << MsgIcon::None << true;
}

void tst_StorageWindow::secondSaveRefusals()
{
    QFETCH(QString, scenario);
    QFETCH(QString, message);
    QFETCH(MsgIcon, icon);
    QFETCH(bool, released);
    Session s(QStringLiteral("BeinLi"));
    // Yesterday's row is never the one to take the second values.
    s.win.bed.addMeasurement(s.table, s.person, QDate(2026, 12, 5), QStringLiteral("09:00:00"), 1, 2, 3, 4, 5, 6);
    s.start();
    click(s.w(), QStringLiteral("optZweiBeh"));
    s.typeValues(kFirstValues);
    click(s.w(), QStringLiteral("cmdSaveMess"));
    QCOMPARE(s.messages().texts(), QStringList());
    s.typeValues(kSecondValues);
    DbConnection other = DbConnection::open(s.win.bed.segmentePath());
    if (scenario.contains(QLatin1Char('=')))
        s.typeValues(scenario);
    else if (scenario == QLatin1String("empty"))
        QTest::mouseClick(s.field(Quantity::W5), Qt::LeftButton); // W100 has the focus
    else if (scenario == QLatin1String("gone"))
        other.exec(QStringLiteral("DELETE FROM BeinLi WHERE Datum = '2026-12-06'"));
    const QVariant rowsBefore = s.query(QStringLiteral("SELECT COUNT(*) FROM BeinLi"));
    const QString before = s.row(s.newestId());

    if (scenario == QLatin1String("locked"))
        other.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    click(s.w(), QStringLiteral("cmdZweiteMessungSpeichern"));
    if (scenario == QLatin1String("locked"))
        other.exec(QStringLiteral("ROLLBACK"));

    // A locked database also stops the list refill, which reports that on its own.
    QVERIFY(!s.messages().shown.isEmpty());
    QCOMPARE(s.messages().shown.first().text, message);
    QCOMPARE(s.messages().shown.first().icon, icon);
    QCOMPARE(s.query(QStringLiteral("SELECT COUNT(*) FROM BeinLi")), rowsBefore);
    QCOMPARE(s.row(s.newestId()), before);
    QCOMPARE(s.query(QStringLiteral("SELECT COUNT(*) FROM BeinLi WHERE W50N IS NOT NULL")).toInt(), 0);
    // Nothing was stored, so the second-save command stays for another try.
    check(s.w(), released ? QStringLiteral("+cmdZweiteMessungSpeichern cmdPatientAuswahl=on cmdMesswerte=on")
                          : QStringLiteral("+cmdZweiteMessungSpeichern cmdPatientAuswahl=off cmdMesswerte=off"));
    if (released && scenario != QLatin1String("locked")) // refilled
        QCOMPARE(gridRows(s.w(), QStringLiteral("grdMessungen")), rowsBefore.toInt() + 1);
}

void tst_StorageWindow::failingCountRefreshKeepsTheStoredRow()
{
    Session s(QStringLiteral("ArmRe"));
    s.start();
    // The count of the last segment fails; the row itself is stored before the counts.
    DbConnection::open(s.win.bed.segmentePath()).exec(QStringLiteral("ALTER TABLE BeinLi RENAME TO Weg"));
    click(s.w(), QStringLiteral("optEineBeh"));
    s.typeValues(kFirstValues);
    click(s.w(), QStringLiteral("cmdSaveMess"));
    QCOMPARE(s.messages().texts(),
             QStringList{errorText(1, QStringLiteral("no such table: BeinLi"), "cmdSaveMess_Click")});
    QCOMPARE(s.query(QStringLiteral("SELECT COUNT(*) FROM ArmRe")).toInt(), 1);
    QCOMPARE(s.counts(), QStringLiteral("0 1 0 0")); // refreshed up to the failing count
    // The window counts the values as stored: no second row from the same values.
    QVERIFY(s.w().bGespeichert);
    check(s.w(), QStringLiteral("-cmdSaveMess fraEinoderZwei=off"));
}

QTEST_MAIN(tst_StorageWindow)
#include "tst_storage_window.moc"
