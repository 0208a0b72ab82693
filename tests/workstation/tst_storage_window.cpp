// Storing measurements through the main window as the operator does it: values typed,
// first and second save, the refusals with their exact messages, and a database that
// cannot be written for a while.
#include "app/Errors.h"
#include "db/Database.h"
#include "Unprivileged.h"
#include "WindowDriver.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace kavio;
using namespace kavio::test;

namespace {

const QString kInvalidValue = QStringLiteral("Bitte geben Sie einen gültigen Messwert >0 ein");
const QString kNoValues = QStringLiteral("Bitte geben Sie Messwerte ein!");
const QString kNoFirst = QStringLiteral("Sie haben zu dieser Person heute noch keine erste Messung gemacht!");

struct Typed {
    const char *quantity; // W5 ... Xc100
    const char *text;
};

// The values an operator types for one segment in the tests below.
const QList<Typed> kFirstValues{{"W5", "520"}, {"W50", "480"}, {"W100", "455"},
                                {"Xc5", "31"}, {"Xc50", "52"}, {"Xc100", "47"}};

Quantity quantityOf(const char *name)
{
    for (int q = 0; q < 6; ++q)
        if (qstrcmp(kQuantityNames[size_t(q)], name) == 0)
            return Quantity(q);
    qFatal("no quantity %s", name);
}

// A session on a fresh bed: one person, chosen, with one segment confirmed.
struct Session {
    Window win;
    qint64 person = 0;
    QString table;

    explicit Session(const QString &segmentTable) : table(segmentTable)
    {
        person = win.bed.addPerson(QStringLiteral("Bauer"), QStringLiteral("Anna"));
    }
    // Opens the window and chooses the person and segment; rows added before are listed.
    void start()
    {
        win.open();
        win.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(win.w.get()));
        const SegmentInfo *s = segmentByTable(table);
        win.choose(1, QStringLiteral("opt") + QLatin1String(s->code));
        QCOMPARE(win.w->strSegment, table);
        win.bed.messages.clear();
    }
    frmMain &w() { return *win.w; }
    TestBed &bed() { return win.bed; }
    const SegmentInfo &segment() const { return *segmentByTable(table); }
    QLineEdit *field(Quantity q) { return w().valueField(q, segment()); }

    // Clicks into the field (which empties it) and types. A click into the field that
    // already has the focus empties nothing, so the focus leaves it first.
    static void type(QLineEdit *f, const QString &text)
    {
        if (f->hasFocus())
            f->clearFocus();
        QTest::mouseClick(f, Qt::LeftButton);
        QTest::keyClicks(f, text);
    }
    void typeValues(const QList<Typed> &values)
    {
        for (const Typed &t : values)
            type(field(quantityOf(t.quantity)), QLatin1String(t.text));
    }
    qint64 rows(const QString &where = QStringLiteral("1")) const
    {
        return scalar(win.bed.segmentePath(), QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(table, where))
            .toLongLong();
    }
    qint64 allRows() const
    {
        qint64 n = 0;
        for (const auto &s : kSegments)
            n += scalar(win.bed.segmentePath(), QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(s.table)))
                     .toLongLong();
        return n;
    }
    QString row(qint64 messId)
    {
        return scalar(win.bed.segmentePath(),
                      QStringLiteral("SELECT FKTN || '|' || Datum || '|' || Uhrzeit || '|' || W5 || '/' || W50 || "
                                     "'/' || W100 || '|' || Xc5 || '/' || Xc50 || '/' || Xc100 || '|' || "
                                     "IFNULL(W5N, '') || '/' || IFNULL(W50N, '') || '/' || IFNULL(W100N, '') "
                                     "FROM %1 WHERE MessID = ?")
                          .arg(table),
                      {messId})
            .toString();
    }
    qint64 newestId() const
    {
        return scalar(win.bed.segmentePath(), QStringLiteral("SELECT MAX(MessID) FROM %1").arg(table)).toLongLong();
    }
    QStringList counts()
    {
        QStringList c;
        for (const char *name : {"lblAnzMessAL", "lblAnzMessAR", "lblAnzMessBL", "lblAnzMessBR"})
            c << control<QLabel>(w(), QLatin1String(name))->text();
        return c;
    }
    QStringList fieldTexts() const
    {
        QStringList t;
        for (QLineEdit *f : win.w->valueFields)
            t << f->text();
        return t;
    }
    bool listShows(const QString &text)
    {
        const QAbstractItemModel *m = control<QTableView>(w(), QStringLiteral("grdMessungen"))->model();
        for (int r = 0; m && r < m->rowCount(); ++r)
            for (int c = 0; c < m->columnCount(); ++c)
                if (m->index(r, c).data().toString() == text)
                    return true;
        return false;
    }
    bool visible(const char *name) { return control(w(), QLatin1String(name))->isVisible(); }
    bool enabled(const char *name) { return control(w(), QLatin1String(name))->isEnabled(); }
};

QString errorText(int number, const QString &description, const char *procedure)
{
    return QStringLiteral("Error %1 (%2) in procedure %3 of Formular frmMain")
        .arg(number)
        .arg(description, QLatin1String(procedure));
}

} // namespace

class tst_StorageWindow : public QObject {
    Q_OBJECT
private slots:
    void oneDataSetPerTreatment_data();
    void oneDataSetPerTreatment();
    void twoDataSetsPerTreatment();
    void firstSaveRefusals_data();
    void firstSaveRefusals();
    void secondSaveRefusals_data();
    void secondSaveRefusals();
    void pastDateIsStored();
    void readOnlyDatabaseKeepsValuesAndSavesLater();
};

void tst_StorageWindow::oneDataSetPerTreatment_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("countIndex"); // index into AL, AR, BL, BR
    QTest::newRow("arm left") << QStringLiteral("ArmLi") << 0;
    QTest::newRow("arm right") << QStringLiteral("ArmRe") << 1;
    QTest::newRow("leg left (txtXc5Beinlinks)") << QStringLiteral("BeinLi") << 2;
    QTest::newRow("leg right (txtXc5BeinRechs)") << QStringLiteral("BeinRe") << 3;
}

void tst_StorageWindow::oneDataSetPerTreatment()
{
    QFETCH(QString, table);
    QFETCH(int, countIndex);
    Session s(table);
    // An earlier measurement of the person in this segment is already listed and counted.
    s.bed().addMeasurement(table, s.person, QDate(2026, 11, 2), QStringLiteral("09:00:00"), 1, 2, 3, 4, 5, 6);
    s.start();
    const int listBefore = gridRows(s.w(), QStringLiteral("grdMessungen"));

    click(s.w(), QStringLiteral("optEineBeh"));
    QVERIFY(s.visible("cmdSaveMess"));
    s.typeValues(kFirstValues);
    s.w().bMessungUngespeichert = true;
    click(s.w(), QStringLiteral("cmdSaveMess"));

    QCOMPARE(s.bed().messages.texts(), QStringList());
    QCOMPARE(s.rows(), 2);
    QCOMPARE(s.allRows(), 2);
    QCOMPARE(s.row(s.newestId()), QStringLiteral("%1|2026-12-06|10:30:00|520/480/455|31/52/47|//").arg(s.person));
    QVERIFY(s.w().bGespeichert);
    QVERIFY(!s.w().bMessungUngespeichert);
    QStringList expectedCounts{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
    expectedCounts[countIndex] = QStringLiteral("2");
    QCOMPARE(s.counts(), expectedCounts);
    QCOMPARE(gridRows(s.w(), QStringLiteral("grdMessungen")), listBefore + 1);
    QVERIFY(s.listShows(QStringLiteral("480/")));
    // The cycle ends: no save command, the choice of one or two rows locked.
    QVERIFY(!s.visible("cmdSaveMess"));
    QVERIFY(!s.visible("cmdZweiteMessungSpeichern"));
    QVERIFY(!s.enabled("fraEinoderZwei"));
    QVERIFY(s.enabled("cmdPatientAuswahl"));
}

void tst_StorageWindow::twoDataSetsPerTreatment()
{
    Session s(QStringLiteral("ArmRe"));
    // Earlier today (an earlier treatment) and yesterday, later in the day.
    const qint64 morning = s.bed().addMeasurement(QStringLiteral("ArmRe"), s.person, QDate(2026, 12, 6),
                                                  QStringLiteral("08:00:00"), 1, 2, 3, 4, 5, 6);
    const qint64 yesterday = s.bed().addMeasurement(QStringLiteral("ArmRe"), s.person, QDate(2026, 12, 5),
                                                    QStringLiteral("18:00:00"), 1, 2, 3, 4, 5, 6);
    s.start();

    click(s.w(), QStringLiteral("optZweiBeh"));
    s.typeValues(kFirstValues);
    click(s.w(), QStringLiteral("cmdSaveMess"));
    QCOMPARE(s.bed().messages.texts(), QStringList());
    const qint64 first = s.newestId();
    QCOMPARE(s.rows(), 3);
    QCOMPARE(s.counts(),
             (QStringList{QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("0"), QStringLiteral("0")}));

    // The window waits for the second measurement: resistances only, fields zeroed.
    QVERIFY(s.visible("cmdZweiteMessungSpeichern"));
    QVERIFY(!s.visible("cmdSaveMess"));
    QVERIFY(!s.enabled("cmdPatientAuswahl"));
    QVERIFY(!s.enabled("cmdMesswerte"));
    QCOMPARE(s.fieldTexts(), QStringList(24, QStringLiteral("0")));
    for (Quantity q : {Quantity::Xc5, Quantity::Xc50, Quantity::Xc100})
        QVERIFY(!s.field(q)->isVisible());
    for (Quantity q : {Quantity::W5, Quantity::W50, Quantity::W100})
        QVERIFY(s.field(q)->isVisible());

    s.typeValues({{"W5", "540"}, {"W50", "499"}, {"W100", "470"}});
    click(s.w(), QStringLiteral("cmdZweiteMessungSpeichern"));
    QCOMPARE(s.bed().messages.texts(), QStringList());
    // Into the later of the two rows of the day; the others untouched.
    QCOMPARE(s.row(first), QStringLiteral("%1|2026-12-06|10:30:00|520/480/455|31/52/47|540/499/470").arg(s.person));
    QCOMPARE(s.row(morning), QStringLiteral("%1|2026-12-06|08:00:00|1/2/3|4/5/6|//").arg(s.person));
    QCOMPARE(s.row(yesterday), QStringLiteral("%1|2026-12-05|18:00:00|1/2/3|4/5/6|//").arg(s.person));
    QVERIFY(s.listShows(QStringLiteral("480/499")));
    // Released again.
    QVERIFY(!s.visible("cmdZweiteMessungSpeichern"));
    QVERIFY(!s.visible("cmdSaveMess"));
    QVERIFY(!s.visible("fraEinoderZwei"));
    QVERIFY(s.enabled("cmdPatientAuswahl"));
    QVERIFY(s.enabled("cmdMesswerte"));
    QVERIFY(!s.w().bMessungUngespeichert);
}

void tst_StorageWindow::firstSaveRefusals_data()
{
    QTest::addColumn<QString>("fieldName");
    QTest::addColumn<QString>("text"); // typed after clicking in; "<set empty>": emptied directly
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");
    const int none = int(MsgIcon::None), info = int(MsgIcon::Information);
    QTest::newRow("W50 of 0") << "txtW50ArmLinks"
                              << "0" << kInvalidValue << none;
    QTest::newRow("Xc50 of 0") << "txtXc50ArmLinks"
                               << "0" << kInvalidValue << none;
    QTest::newRow("Xc50 of 0 with blanks") << "txtXc50ArmLinks"
                                           << " 0 " << kInvalidValue << none;
    QTest::newRow("field of this segment emptied") << "txtW5ArmLinks"
                                                   << "" << kNoValues << info;
    QTest::newRow("field of another segment emptied") << "txtW5BeinRechts"
                                                      << "<set empty>" << kNoValues << info;
    QTest::newRow("blanks only") << "txtXc100ArmLinks"
                                 << "   " << kNoValues << info;
    QTest::newRow("40000") << "txtW100ArmLinks"
                           << "40000"
                           << errorText(int(RunError::Overflow), QStringLiteral("Überlauf"), "cmdSaveMess_Click")
                           << none;
    QTest::newRow("32768 in another segment")
        << "txtXc5BeinRechs"
        << "<set 32768>" << errorText(int(RunError::Overflow), QStringLiteral("Überlauf"), "cmdSaveMess_Click") << none;
}

void tst_StorageWindow::firstSaveRefusals()
{
    QFETCH(QString, fieldName);
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(int, icon);
    Session s(QStringLiteral("ArmLi"));
    s.start();
    click(s.w(), QStringLiteral("optEineBeh"));
    s.typeValues(kFirstValues);
    auto *f = control<QLineEdit>(s.w(), fieldName);
    if (text == QLatin1String("<set empty>"))
        f->clear();
    else if (text == QLatin1String("<set 32768>"))
        f->setText(QStringLiteral("32768"));
    else
        Session::type(f, text);
    const QStringList countsBefore = s.counts();
    const QStringList fieldsBefore = s.fieldTexts();

    click(s.w(), QStringLiteral("cmdSaveMess"));

    QCOMPARE(s.bed().messages.count(), 1);
    QCOMPARE(s.bed().messages.last().text, message);
    QCOMPARE(int(s.bed().messages.last().icon), icon);
    QCOMPARE(s.allRows(), 0);
    QCOMPARE(s.counts(), countsBefore);
    QCOMPARE(s.fieldTexts(), fieldsBefore);
    QVERIFY(!s.w().bGespeichert);
    QVERIFY(s.visible("cmdSaveMess"));
    QVERIFY(s.enabled("fraEinoderZwei"));

    // Corrected, the same save goes through.
    if (f->isVisible())
        Session::type(f, QStringLiteral("44"));
    else
        f->setText(QStringLiteral("44"));
    s.bed().messages.clear();
    click(s.w(), QStringLiteral("cmdSaveMess"));
    QCOMPARE(s.bed().messages.texts(), QStringList());
    QCOMPARE(s.allRows(), 1);
}

void tst_StorageWindow::secondSaveRefusals_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("icon");
    QTest::addColumn<bool>("released"); // person choice and new measurement free again
    QTest::newRow("no first measurement on the date") << "no first" << kNoFirst << int(MsgIcon::Information) << true;
    QTest::newRow("W50 of 0") << "W50 zero" << kInvalidValue << int(MsgIcon::None) << true;
    QTest::newRow("40000") << "overflow"
                           << errorText(int(RunError::Overflow), QStringLiteral("Überlauf"),
                                        "cmdZweiteMessungSpeichern_Click")
                           << int(MsgIcon::None) << false;
    QTest::newRow("emptied field") << "empty"
                                   << errorText(int(RunError::TypeMismatch), QStringLiteral("Typen unverträglich"),
                                                "cmdZweiteMessungSpeichern_Click")
                                   << int(MsgIcon::None) << false;
    QTest::newRow("database locked") << "locked"
                                     << errorText(5, QStringLiteral("database is locked"), "SaveSecondMessung")
                                     << int(MsgIcon::None) << true;
}

void tst_StorageWindow::secondSaveRefusals()
{
    QFETCH(QString, scenario);
    QFETCH(QString, message);
    QFETCH(int, icon);
    QFETCH(bool, released);
    Session s(QStringLiteral("BeinLi"));
    const qint64 yesterday = s.bed().addMeasurement(QStringLiteral("BeinLi"), s.person, QDate(2026, 12, 5),
                                                    QStringLiteral("09:00:00"), 1, 2, 3, 4, 5, 6);
    s.start();
    click(s.w(), QStringLiteral("optZweiBeh"));
    if (scenario == QLatin1String("no first")) {
        // The window as it stands after a first save that is no longer in the table.
        s.w().Nullen_Messfelder();
        s.w().Ausblenden_XcFelder();
        control(s.w(), QStringLiteral("cmdSaveMess"))->setVisible(false);
        control(s.w(), QStringLiteral("cmdZweiteMessungSpeichern"))->setVisible(true);
        control(s.w(), QStringLiteral("cmdPatientAuswahl"))->setEnabled(false);
        control(s.w(), QStringLiteral("cmdMesswerte"))->setEnabled(false);
        s.typeValues({{"W5", "540"}, {"W50", "499"}, {"W100", "470"}});
    } else {
        s.typeValues(kFirstValues);
        click(s.w(), QStringLiteral("cmdSaveMess"));
        QCOMPARE(s.bed().messages.texts(), QStringList());
        s.typeValues({{"W5", "540"}, {"W50", "499"}, {"W100", "470"}});
        if (scenario == QLatin1String("W50 zero"))
            Session::type(s.field(Quantity::W50), QStringLiteral("0"));
        else if (scenario == QLatin1String("overflow"))
            Session::type(s.field(Quantity::W5), QStringLiteral("40000"));
        else if (scenario == QLatin1String("empty"))
            QTest::mouseClick(s.field(Quantity::W5), Qt::LeftButton); // W100 has the focus
    }
    const qint64 rowsBefore = s.rows();
    const QString before = s.row(s.newestId());
    const int listBefore = gridRows(s.w(), QStringLiteral("grdMessungen"));
    s.bed().messages.clear();

    DbConnection holder;
    if (scenario == QLatin1String("locked")) {
        holder = DbConnection::open(s.bed().segmentePath());
        holder.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    }
    click(s.w(), QStringLiteral("cmdZweiteMessungSpeichern"));
    if (holder.isOpen()) {
        holder.exec(QStringLiteral("ROLLBACK"));
        holder.close();
    }

    const auto &shown = s.bed().messages.shown;
    // A locked database also stops the list refill, which reports that on its own.
    QVERIFY(!shown.isEmpty());
    QCOMPARE(shown.first().text, message);
    QCOMPARE(int(shown.first().icon), icon);
    QCOMPARE(s.rows(), rowsBefore);
    QCOMPARE(s.row(s.newestId()), before);
    QCOMPARE(s.rows(QStringLiteral("W50N IS NOT NULL")), 0);
    QCOMPARE(s.row(yesterday), QStringLiteral("%1|2026-12-05|09:00:00|1/2/3|4/5/6|//").arg(s.person));
    QCOMPARE(s.enabled("cmdPatientAuswahl"), released);
    QCOMPARE(s.enabled("cmdMesswerte"), released);
    // Nothing was stored, so the second-save command stays for another try.
    QVERIFY(s.visible("cmdZweiteMessungSpeichern"));
    if (released && scenario != QLatin1String("locked"))
        QCOMPARE(gridRows(s.w(), QStringLiteral("grdMessungen")), listBefore);
}

void tst_StorageWindow::pastDateIsStored()
{
    Session s(QStringLiteral("ArmLi"));
    s.start();
    auto *date = control<QLineEdit>(s.w(), QStringLiteral("txtTestDatum"));
    QTest::mouseClick(date, Qt::LeftButton);
    QTest::keyClick(date, Qt::Key_End);
    for (int i = 0; i < 12; ++i)
        QTest::keyClick(date, Qt::Key_Backspace);
    QTest::keyClicks(date, QStringLiteral("03.11.2026"));
    click(s.w(), QStringLiteral("optEineBeh")); // moves the focus away: the date is checked
    QCOMPARE(date->text(), QStringLiteral("03.11.2026"));
    s.typeValues(kFirstValues);
    click(s.w(), QStringLiteral("cmdSaveMess"));
    QCOMPARE(s.bed().messages.texts(), QStringList());
    QCOMPARE(s.row(s.newestId()), QStringLiteral("%1|2026-11-03|10:30:00|520/480/455|31/52/47|//").arg(s.person));
}

void tst_StorageWindow::readOnlyDatabaseKeepsValuesAndSavesLater()
{
    Session s(QStringLiteral("BeinRe"));
    s.start();
    click(s.w(), QStringLiteral("optEineBeh"));
    s.typeValues(kFirstValues);
    const QStringList fieldsBefore = s.fieldTexts();
    const QByteArray dir = QFile::encodeName(s.bed().dir.path());
    const QByteArray file = QFile::encodeName(s.bed().segmentePath());
    ::chmod(dir.constData(), 0777);
    ::chmod(file.constData(), 0444);
    {
        Unprivileged as;
        click(s.w(), QStringLiteral("cmdSaveMess"));
    }
    QCOMPARE(s.bed().messages.texts(),
             QStringList{errorText(8, QStringLiteral("attempt to write a readonly database"), "cmdSaveMess_Click")});
    QCOMPARE(s.bed().messages.last().icon, MsgIcon::None);
    QCOMPARE(s.allRows(), 0);
    QCOMPARE(s.fieldTexts(), fieldsBefore);
    QVERIFY(s.visible("cmdSaveMess"));
    QVERIFY(!s.w().bGespeichert);

    ::chmod(file.constData(), 0644);
    ::chmod(dir.constData(), 0700);
    s.bed().messages.clear();
    click(s.w(), QStringLiteral("cmdSaveMess"));
    QCOMPARE(s.bed().messages.texts(), QStringList());
    QCOMPARE(s.row(s.newestId()), QStringLiteral("%1|2026-12-06|10:30:00|520/480/455|31/52/47|//").arg(s.person));
    QCOMPARE(s.allRows(), 1);
}

QTEST_MAIN(tst_StorageWindow)
#include "tst_storage_window.moc"
