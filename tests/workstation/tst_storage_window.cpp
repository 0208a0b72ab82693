// Entering and storing measurements through the main window as the operator does it: what
// keys reach the fields, the date check, first and second save, and the refusals.
#include "db/Database.h"
#include "WindowDriver.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QtTest>

using namespace kavio;
using namespace kavio::test;

Q_DECLARE_METATYPE(kavio::MsgIcon)

namespace {

const QString kInvalidValue = QStringLiteral("Bitte geben Sie einen gültigen Messwert >0 ein");
const QString kFirstValues = QStringLiteral("W5=520 W50=480 W100=455 Xc5=31 Xc50=52 Xc100=47");
const QString kSecondValues = QStringLiteral("W5=540 W50=499 W100=470");

// One person on a fresh bed, chosen, with one segment confirmed.
struct SaveWalk {
    Window win;
    QString table;
    qint64 person = win.bed.addPerson(QStringLiteral("Bauer"), QStringLiteral("Anna"));

    explicit SaveWalk(const QString &segmentTable) : table(segmentTable) {}
    void start()
    {
        win.open();
        win.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(win.w.get()));
        win.choose(1, QStringLiteral("opt") + QLatin1String(segmentByTable(table)->code));
        win.bed.messages.clear();
    }
    frmMain &w() { return *win.w; }
    FakeMessages &messages() { return win.bed.messages; }
    QLineEdit *field(Quantity q) { return valueField(w(), q, *segmentByTable(table)); }

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
    QVariant query(const QString &sql) const { return scalar(win.bed.segmentePath(), sql.arg(table)); }
    // "date|time|W5/W50/W100|Xc5/Xc50/Xc100|W5N/W50N/W100N" of every row of the table, oldest first.
    QString rows() const
    {
        return query(
                   QStringLiteral("SELECT group_concat(r, ' ') FROM (SELECT printf('%s|%s|%s/%s/%s|%s/%s/%s|%s/%s/%s', "
                                  "Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, Xc100, W5N, W50N, W100N) AS r "
                                  "FROM %1 ORDER BY MessID)"))
            .toString();
    }
};

} // namespace

class TestStorageWindow : public QObject {
    Q_OBJECT
private slots:

    void keysAndDateCheck()
    {
        Window win;
        win.open();
        frmMain &w = *win.w;
        w.LeereAlleFelder(); // every value field visible, as after a new measurement
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto *date = control<QLineEdit>(w, QStringLiteral("txtTestDatum"));
        QApplication::clipboard()->setText(QStringLiteral("-12,5abc"));
        QList<QLineEdit *> fields = valueFields(w);
        for (QLineEdit *f : fields << date) {
            f->clear();
            for (QChar c : QStringLiteral("-1,aä.Z2")) // as typed text, whatever key brings it
                QTest::sendKeyEvent(QTest::Click, f, Qt::Key_unknown, QString(c), Qt::NoModifier);
            // Nor can a paste bring in what typing cannot.
            f->selectAll();
            QTest::keyClick(f, Qt::Key_V, Qt::ControlModifier);
            QTest::keyClick(f, Qt::Key_Insert, Qt::ShiftModifier);
            QCOMPARE(f->text(), f == date ? QStringLiteral("1.2") : QStringLiteral("12"));
        }
        // A date that does not exist is refused on leaving the field (Tab passes the filter).
        date->setFocus(Qt::MouseFocusReason);
        date->setText(QStringLiteral("31.02.2010"));
        QTest::keyClick(date, Qt::Key_Tab);
        QCOMPARE(date->text(), QStringLiteral("06.12.2026"));
        QCOMPARE(win.bed.messages.texts(), QStringList{"Bitte geben Sie ein gültiges Datum ein!"});
        QCOMPARE(win.bed.messages.last().icon, MsgIcon::Stop);
    }

    void saveCycle_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("two");     // two data sets per treatment
        QTest::addColumn<QString>("date"); // typed into the date field; stored as `day`
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("counts");
        QTest::newRow("arm left, one data set, a past date kept")
            << "ArmLi" << false << QStringLiteral("03.11.2026") << QStringLiteral("2026-11-03") << "2 0 0 0";
        QTest::newRow("leg left (txtXc5Beinlinks), two data sets, tomorrow made today")
            << "BeinLi" << true << QStringLiteral("07.12.2026") << QStringLiteral("2026-12-06") << "0 0 2 0";
    }

    void saveCycle()
    {
        QFETCH(QString, table);
        QFETCH(bool, two);
        QFETCH(QString, date);
        QFETCH(QString, day);
        QFETCH(QString, counts);
        SaveWalk s(table);
        // An earlier treatment today: listed, counted, and never the row of a second measurement.
        s.win.bed.addMeasurement(table, s.person, QDate(2026, 12, 6), QStringLiteral("08:00:00"), 1, 2, 3, 4, 5, 6);
        s.start();
        auto *d = control<QLineEdit>(s.w(), QStringLiteral("txtTestDatum"));
        QTest::mouseClick(d, Qt::LeftButton);
        d->selectAll();
        QTest::keyClicks(d, date);
        click(s.w(), two ? QStringLiteral("optZweiBeh") : QStringLiteral("optEineBeh")); // leaving the date checks it
        s.typeValues(kFirstValues);
        s.w().session().setUnsaved(true);
        s.w().releaseDatabase(); // the whole cycle below opens one connection afresh
        const quint64 opened = DbConnection::openedCount();
        click(s.w(), QStringLiteral("cmdSaveMess"));
        QCOMPARE(DbConnection::openedCount() - opened, quint64(1)); // kept for the rest of the cycle

        QCOMPARE(s.messages().texts(), QStringList());
        const QString earlier = QStringLiteral("2026-12-06|08:00:00|1/2/3|4/5/6|// ");
        QCOMPARE(s.rows(), earlier + day + QStringLiteral("|10:30:00|520/480/455|31/52/47|//"));
        QVERIFY(!s.w().session().unsaved());
        QStringList shownCounts;
        for (const char *name : {"lblAnzMessAL", "lblAnzMessAR", "lblAnzMessBL", "lblAnzMessBR"})
            shownCounts << textOf(s.w(), QLatin1String(name));
        QCOMPARE(shownCounts.join(QLatin1Char(' ')), counts);
        QCOMPARE(gridRows(s.w(), QStringLiteral("grdMessungen")), 3); // refilled: header and both rows
        check(s.w(), QStringLiteral("-cmdSaveMess fraEinoderZwei=off"));
        if (!two) { // the cycle ends
            check(s.w(), QStringLiteral("-cmdZweiteMessungSpeichern cmdPatientAuswahl=on cmdMesswerte=on"));
            return;
        }
        // The window waits for the second measurement: resistances only, fields zeroed.
        check(s.w(), QStringLiteral("+cmdZweiteMessungSpeichern cmdPatientAuswahl=off cmdMesswerte=off"));
        for (size_t q = 0; q < kQuantityNames.size(); ++q) {
            QCOMPARE(s.field(Quantity(q))->isVisible(), kQuantityNames[q][0] == 'W');
            QCOMPARE(s.field(Quantity(q))->text(), QStringLiteral("0"));
        }

        s.typeValues(kSecondValues);
        const quint64 kept = DbConnection::openedCount();
        click(s.w(), QStringLiteral("cmdZweiteMessungSpeichern"));
        QCOMPARE(DbConnection::openedCount(), kept);
        QCOMPARE(s.messages().texts(), QStringList());
        QCOMPARE(s.rows(), earlier + QStringLiteral("2026-12-06|10:30:00|520/480/455|31/52/47|540/499/470"));
        check(s.w(), QStringLiteral("-cmdZweiteMessungSpeichern -cmdSaveMess -fraEinoderZwei cmdPatientAuswahl=on "
                                    "cmdMesswerte=on"));
    }

    void firstSaveRefusals_data()
    {
        QTest::addColumn<QString>("fieldName");
        QTest::addColumn<QString>("text"); // typed after clicking in; "<...>": set directly, the field being hidden
        QTest::addColumn<QString>("message");
        QTest::addColumn<MsgIcon>("icon");
        QTest::newRow("W50 of 0") << QStringLiteral("txtW50ArmLinks") << "0" << kInvalidValue << MsgIcon::None;
        QTest::newRow("field of another segment emptied")
            << QStringLiteral("txtW5BeinRechts") << "<>" << QStringLiteral("Bitte geben Sie Messwerte ein!")
            << MsgIcon::Information;
        QTest::newRow("40000") << QStringLiteral("txtW100ArmLinks") << "40000"
                               << QStringLiteral(
                                      "Error 6 (Überlauf) in procedure cmdSaveMess_Click of Formular frmMain")
                               << MsgIcon::None;
    }

    void firstSaveRefusals()
    {
        QFETCH(QString, fieldName);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(MsgIcon, icon);
        SaveWalk s(QStringLiteral("ArmLi"));
        s.start();
        click(s.w(), QStringLiteral("optEineBeh"));
        s.typeValues(kFirstValues);
        auto *f = control<QLineEdit>(s.w(), fieldName);
        if (text.startsWith(QLatin1Char('<')))
            f->setText(text.mid(1, text.size() - 2));
        else
            SaveWalk::type(f, text);

        click(s.w(), QStringLiteral("cmdSaveMess"));

        QCOMPARE(s.messages().texts(), QStringList{message});
        QCOMPARE(s.messages().last().icon, icon);
        QCOMPARE(s.rows(), QString());
        check(s.w(), QStringLiteral("+cmdSaveMess fraEinoderZwei=on"));

        // Corrected, the same save goes through: the other values were kept.
        f->setText(QStringLiteral("44"));
        s.messages().clear();
        click(s.w(), QStringLiteral("cmdSaveMess"));
        QCOMPARE(s.messages().texts(), QStringList());
        QCOMPARE(s.query(QStringLiteral("SELECT COUNT(*) FROM %1")).toInt(), 1);
    }

    void secondSaveWithoutFirstMeasurementToday()
    {
        SaveWalk s(QStringLiteral("BeinLi"));
        // Yesterday's row is never the one to take the second values.
        s.win.bed.addMeasurement(s.table, s.person, QDate(2026, 12, 5), QStringLiteral("09:00:00"), 1, 2, 3, 4, 5, 6);
        s.start();
        click(s.w(), QStringLiteral("optZweiBeh"));
        s.typeValues(kFirstValues);
        click(s.w(), QStringLiteral("cmdSaveMess"));
        s.typeValues(kSecondValues);
        DbConnection::open(s.win.bed.segmentePath())
            .exec(QStringLiteral("DELETE FROM BeinLi WHERE Datum = '2026-12-06'"));
        const QString before = s.rows();

        click(s.w(), QStringLiteral("cmdZweiteMessungSpeichern"));

        QCOMPARE(s.messages().texts(),
                 QStringList{QStringLiteral("Sie haben zu dieser Person heute noch keine erste Messung gemacht!")});
        QCOMPARE(s.messages().last().icon, MsgIcon::Information);
        QCOMPARE(s.rows(), before);
        check(s.w(), QStringLiteral("+cmdZweiteMessungSpeichern")); // nothing stored: another try stays possible
    }

    void failingCountRefreshKeepsTheStoredRow()
    {
        SaveWalk s(QStringLiteral("ArmRe"));
        s.start();
        // The count of the last segment fails; the row itself is stored before the counts.
        DbConnection::open(s.win.bed.segmentePath()).exec(QStringLiteral("ALTER TABLE BeinLi RENAME TO Weg"));
        click(s.w(), QStringLiteral("optEineBeh"));
        s.typeValues(kFirstValues);
        click(s.w(), QStringLiteral("cmdSaveMess"));
        QCOMPARE(s.messages().texts(), QStringList{QStringLiteral("Error 1 (no such table: BeinLi) in procedure "
                                                                  "cmdSaveMess_Click of Formular frmMain")});
        QCOMPARE(s.query(QStringLiteral("SELECT COUNT(*) FROM %1")).toInt(), 1);
        // The window counts the values as stored: they cannot be saved a second time.
        QVERIFY(s.w().session().stored());
        check(s.w(), QStringLiteral("-cmdSaveMess"));
    }
};

QTEST_MAIN(TestStorageWindow)
#include "tst_storage_window.moc"
