// The person administration window as the operator uses it: opened from the main
// window's menu, typing, clicking rows, switching modes, copying, deleting and closing.
#include "db/Database.h"
#include "persons/frmImport.h"
#include "TestBed.h"
#include "workstation/frmMain.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

using namespace kavio;
using namespace kavio::test;
using namespace Qt::StringLiterals;

namespace {

const QString kPresent = QStringLiteral("Teilnehmer bereits vorhanden! Vorgang wird abgebrochen");
const QString kTypeError =
    QStringLiteral("Error 13 (Typen unverträglich) in procedure cmdCopyPerson_Click of Formular frmImport");

qint64 count(const QString &db, const QString &sql, const QVariantList &values = {})
{
    return scalar(db, sql, values).toLongLong();
}

QByteArray checksum(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

// Types as on a German keyboard: umlauts and ß come as key events with their text.
void type(QWidget *w, const QString &text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80)
            QTest::keyClick(w, ch.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

int px(const QWidget *w, int twips)
{
    return qRound(twips * w->logicalDpiX() / 1440.0);
}

// Clicks the person's row as the operator does; false when the list lacks it.
bool pick(frmImport &w, const QString &name, const QString &vorname)
{
    auto *grid = w.findChild<QTableView *>(QStringLiteral("Grid1"));
    for (int r = 0; r < w.gridModel().rowCount(); ++r) {
        if (w.gridModel().text(r, 0) != name || w.gridModel().text(r, 1) != vorname)
            continue;
        grid->scrollTo(w.gridModel().index(r, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(w.gridModel().index(r, 0)).center());
        return true;
    }
    return false;
}

void click(QWidget *window, const char *name)
{
    QTest::mouseClick(window->findChild<QAbstractButton *>(QString::fromLatin1(name)), Qt::LeftButton);
}

// One window over a fresh program folder, with a stand-in main window and a record of
// the main list's refills (and how many persons Segmente.mdb held at each).
struct Session {
    explicit Session(const TestBed::Options &options = {}) : bed(options) {}

    void open(bool importMode)
    {
        bImportModus = importMode;
        main.hide();
        window = std::make_unique<frmImport>(bed.platform, &main, [this] {
            refreshes << count(bed.segmentePath(), QStringLiteral("SELECT COUNT(*) FROM Teilnehmer"));
        });
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    template <typename T = QWidget> T *c(const char *name) const
    {
        T *w = window->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QLineEdit *search() const { return c<QLineEdit>("TXT_Archiv_Suche_0"); }
    QTableView *grid() const { return c<QTableView>("Grid1"); }

    QStringList listed(int column = 0)
    {
        QStringList out;
        for (int r = 0; r < window->gridModel().rowCount(); ++r)
            out << window->gridModel().text(r, column);
        return out;
    }

    bool pick(const QString &name, const QString &vorname) { return ::pick(*window, name, vorname); }
    void click(const char *name) { ::click(window.get(), name); }

    QStringList boxes()
    {
        QStringList b;
        for (QLineEdit *box : window->txtTeilnehmer)
            b << box->text();
        return b;
    }
    bool boxesEmpty() { return boxes().join(QString()).isEmpty(); }

    TestBed bed;
    QWidget main;
    QList<qint64> refreshes;
    std::unique_ptr<frmImport> window;
};

} // namespace

class TestFrmImport : public QObject {
    Q_OBJECT

private slots:
    void init() { bImportModus = true; }
    void searchPickAndSwitchModes();
    void copy_data();
    void copy();
    void erase_data();
    void erase();
    void hostDatabaseMissing();
    void columnWidths();
    void menusOpenTheModesAndChangesReachTheMainList();
};

void TestFrmImport::searchPickAndSwitchModes()
{
    Session s;
    s.bed.addPerson("MÜLLER", "Anna");
    s.bed.addPerson("Schmidt", "Hans");
    s.bed.addPerson("Zimmermann", "Karl-Heinz");
    s.open(true);
    QCOMPARE(s.window->windowTitle(), QStringLiteral("Import- und Exportfunktionen"));
    QVERIFY(s.c<QRadioButton>("optInsert")->isChecked());
    QVERIFY(s.search()->isVisible() && s.c("LBL_4")->isVisible());
    QVERIFY(!s.c("TXT_Archiv_Suche_1")->isVisible() && !s.c("fraSegment")->isVisible());
    // Only the command of the mode can be reached at the shared place.
    QVERIFY(s.c("cmdCopyPerson")->isVisible() && !s.c("cmdErasePerson")->isVisible());
    QCOMPARE(s.listed().size(), demo::demoPersons().size());
    QStringList headers;
    for (int c = 0; c < kPersonColumns; ++c)
        headers << s.window->gridModel().headerData(c, Qt::Horizontal).toString();
    QCOMPARE(headers, (QStringList{"Name", "Vorname", "GebDat", "PLZ", "Ort", "Kennung", "AnzMes", "LfdNr"}));
    QVERIFY(s.boxesEmpty());

    // Typed text filters the host's persons; a clicked row fills the boxes.
    type(s.search(), QStringLiteral("mü"));
    QCOMPARE(s.listed(), (QStringList{"Müller", "Müller", "MÜLLER"}));
    QVERIFY(s.pick("Müller", "Jürgen"));
    const QString lfdNr = QString::number(
        count(s.bed.biaPath(), "SELECT LfdNr FROM Teilnehmer WHERE Name = 'Müller' AND VorName = 'Jürgen'"));
    QCOMPARE(s.boxes(),
             (QStringList{"Müller", "Jürgen", "männlich", "02.11.1961", "80331", "München", "K-1007", "5", lfdNr}));
    QVERIFY(s.window->txtTeilnehmer[8]->isReadOnly() && !s.window->txtTeilnehmer[0]->isReadOnly());

    // Delete mode lists Segmente.mdb under the same (now hidden) search text; its boxes
    // show what would go and are not for typing.
    s.click("optDelete");
    QVERIFY(!bImportModus);
    QVERIFY(s.boxesEmpty());
    QVERIFY(!s.search()->isVisible());
    QVERIFY(!s.c("cmdCopyPerson")->isVisible() && s.c("cmdErasePerson")->isVisible());
    QCOMPARE(s.listed(), QStringList{"MÜLLER"});
    s.search()->clear();
    QCOMPARE(s.listed(), (QStringList{"MÜLLER", "Schmidt", "Zimmermann"}));
    QVERIFY(s.pick("Zimmermann", "Karl-Heinz"));
    QCOMPARE(s.boxes()[1], QStringLiteral("Karl-Heinz"));
    QVERIFY(s.window->txtTeilnehmer[0]->isReadOnly());

    s.click("optInsert");
    QVERIFY(bImportModus);
    QVERIFY(s.boxesEmpty());
    QVERIFY(!s.window->txtTeilnehmer[0]->isReadOnly());
    QCOMPARE(s.listed().size(), demo::demoPersons().size());
    QVERIFY(s.bed.messages.shown.isEmpty());
}

void TestFrmImport::copy_data()
{
    QTest::addColumn<QStringList>("person"); // Name, Vorname, then index=text typed into a box
    QTest::addColumn<bool>("answer");        // to the question
    QTest::addColumn<QString>("message");    // after the question; empty: none
    QTest::addColumn<QString>("stored");     // GebDat stored; empty: nothing stored
    QTest::newRow("new person") << QStringList{"Müller", "Jürgen"} << true << QString() << u"1961-11-02"_s;
    QTest::newRow("answered No") << QStringList{"Müller", "Jürgen"} << false << QString() << QString();
    QTest::newRow("already present") << QStringList{"Schmidt", "Hans"} << true << kPresent << QString();
    QTest::newRow("same names, other birth date")
        << QStringList{"Schmidt", "Hans", "3=10.01.1949"} << true << QString() << u"1949-01-10"_s;
    QTest::newRow("no birth date: stand-in day")
        << QStringList{"Vogel", "Lutz"} << true << QString() << u"1899-12-31"_s;
    QTest::newRow("first name of one blank") << QStringList{"Ungerer", ""} << true << QString() << u"1977-05-20"_s;
    QTest::newRow("first name emptied") << QStringList{"Weber", "Sabine", "1="} << true
                                        << u"Bitte geben Sie der Person einen Vornamen"_s << QString();
    QTest::newRow("birth date that is none")
        << QStringList{"Weber", "Sabine", "3=31.02.1968"} << true << kTypeError << QString();
    QTest::newRow("count that is none") << QStringList{"Weber", "Sabine", "7=viele"} << true << kTypeError << QString();
}

void TestFrmImport::copy()
{
    QFETCH(QStringList, person);
    QFETCH(bool, answer);
    QFETCH(QString, message);
    QFETCH(QString, stored);
    Session s;
    s.bed.addPerson("Schmidt", "Hans", QDate(1949, 1, 9));
    const QString seg = s.bed.segmentePath();
    const QByteArray hostBefore = checksum(s.bed.biaPath());
    QVERIFY(!hostBefore.isEmpty());
    s.open(true);
    QVERIFY(s.pick(person[0], person[1]));
    for (const QString &e : person.mid(2)) {
        QLineEdit *box = s.window->txtTeilnehmer[e.section('=', 0, 0).toInt()];
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        type(box, e.section('=', 1));
    }
    const QStringList before = s.boxes();
    const QStringList listBefore = s.listed(7);
    s.bed.messages.answer({answer});
    s.click("cmdCopyPerson");

    QCOMPARE(s.bed.messages.count(), message.isEmpty() ? 1 : 2);
    const FakeMessages::Shown &question = s.bed.messages.shown.first();
    QVERIFY(question.question);
    QCOMPARE(question.text, "Wollen Sie " + before[1] + " " + before[0] + "\rzur Gliederanalyse hinzufügen");
    QCOMPARE(question.title, QStringLiteral("Limbox"));
    QCOMPARE(question.icon, MsgIcon::None);
    if (!message.isEmpty()) {
        QCOMPARE(s.bed.messages.last().text, message);
        QCOMPARE(s.bed.messages.last().icon, message == kTypeError ? MsgIcon::None
                                             : message == kPresent ? MsgIcon::Stop
                                                                   : MsgIcon::Information);
        QCOMPARE(s.bed.messages.last().title, QString());
    }
    QCOMPARE(count(seg, "SELECT COUNT(*) FROM Teilnehmer"), stored.isEmpty() ? 1 : 2);
    if (!stored.isEmpty()) {
        QCOMPARE(count(seg,
                       "SELECT COUNT(*) FROM Teilnehmer WHERE Name = ? AND VorName = ? AND GebDat = ? "
                       "AND PLZ = ? AND Ort = ? AND Kennung = ? AND AnzMes = ?",
                       {before[0], before[1], stored, before[4], before[5], before[6], before[7].toInt()}),
                 1);
        QCOMPARE(count(seg, "SELECT COUNT(*) FROM tblTeilnehmerSegmente"), 0);
    }
    // The main list is rebuilt once a person is stored.
    QCOMPARE(s.refreshes, stored.isEmpty() ? QList<qint64>{} : QList<qint64>{2});
    // The window's own list and boxes stay; the host database is only ever read.
    QCOMPARE(s.listed(7), listBefore);
    QCOMPARE(s.boxes(), before);
    s.window->close();
    QCOMPARE(checksum(s.bed.biaPath()), hostBefore);
    QVERIFY(!QFile::exists(s.bed.biaPath() + "-journal"));
}

void TestFrmImport::erase_data()
{
    QTest::addColumn<bool>("pick");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("locked");     // deleting from ArmLi fails
    QTest::addColumn<QString>("message"); // the last message, a pattern
    QTest::newRow("deleted") << true << true << false
                             << QRegularExpression::escape("Wollen Sie den Teilnehmer Anna Müller wirklich löschen?");
    QTest::newRow("nobody chosen") << false << true << false << u"Bitte wählen Sie eine Person aus\\."_s;
    QTest::newRow("answered No") << true << false << false << u"Vorgang durch Benutzer abgebrochen!"_s;
    QTest::newRow("failing part-way")
        << true << true << true
        << u"Error \\d+ \\(.*ArmLi gesperrt.*\\) in procedure cmdErasePerson_Click of Formular frmImport"_s;
}

void TestFrmImport::erase()
{
    QFETCH(bool, pick);
    QFETCH(bool, answer);
    QFETCH(bool, locked);
    QFETCH(QString, message);
    Session s;
    const qint64 anna = s.bed.addPerson("Müller", "Anna");
    s.bed.addPerson("Schmidt", "Hans");
    // BeinRe goes before ArmLi: a failure on ArmLi must bring it back.
    for (const char *t : {"ArmLi", "BeinRe"})
        s.bed.addMeasurement(t, anna, QDate(2026, 11, 1), "09:00:00", 500, 480, 460, 60, 55, 50);
    const QString seg = s.bed.segmentePath();
    if (locked)
        DbConnection::open(seg).exec(
            "CREATE TRIGGER locked BEFORE DELETE ON ArmLi BEGIN SELECT RAISE(ABORT, 'ArmLi gesperrt'); END");
    s.open(false);
    if (pick) {
        QVERIFY(s.pick("Müller", "Anna"));
        QCOMPARE(s.boxes()[8], QString::number(anna));
    }
    s.bed.messages.answer({answer});
    s.click("cmdErasePerson");

    const bool gone = pick && answer && !locked;
    QCOMPARE(s.bed.messages.count(), pick && !gone ? 2 : 1);
    const FakeMessages::Shown &last = s.bed.messages.last();
    QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(message)).match(last.text).hasMatch(),
             qPrintable(last.text));
    QCOMPARE(last.icon, gone || locked ? MsgIcon::None : MsgIcon::Information);
    QCOMPARE(last.title, QString());
    QCOMPARE(count(seg, "SELECT COUNT(*) FROM Teilnehmer WHERE LfdNr = ?", {anna}), gone ? 0 : 1);
    QCOMPARE(count(seg, "SELECT COUNT(*) FROM BeinRe WHERE FKTN = ?", {anna}), gone ? 0 : 1);
    QCOMPARE(s.listed(), gone ? QStringList{"Schmidt"} : (QStringList{"Müller", "Schmidt"}));
    QCOMPARE(s.boxesEmpty(), gone || !pick);
    QCOMPARE(s.refreshes, gone ? QList<qint64>{1} : QList<qint64>{});
}

void TestFrmImport::hostDatabaseMissing()
{
    Session s(TestBed::Options{.hostDatabase = false});
    s.bed.addPerson("Schmidt", "Hans");
    s.open(true);
    QCOMPARE(s.bed.messages.texts(),
             QStringList{"Es konnte keine BIA-Datenbnk gefunden werden\nBitte installieren Sie eine BIA Software"});
    QCOMPARE(s.bed.messages.last().icon, MsgIcon::Stop);
    QCOMPARE(s.window->gridModel().rowCount(), 0);
    // The window stays usable.
    s.click("optDelete");
    QCOMPARE(s.listed(), QStringList{"Schmidt"});
    QCOMPARE(s.bed.messages.count(), 1);
}

void TestFrmImport::columnWidths()
{
    Session s;
    // Kept widths by position; a damaged, empty, too narrow or absurdly wide entry leaves its
    // column at the fill's width, and the ninth entry is the history list's.
    s.bed.settings.setOwnSetting("MyApplication", "Grid1", "ColWidths", " 3000;x, 1200 ,10,99999,-1500,,,1300");
    s.open(true);
    QTableView *grid = s.grid();
    QCOMPARE(grid->columnWidth(0), px(grid, 3000));
    QCOMPARE(grid->columnWidth(2), px(grid, 1200));
    QCOMPARE(grid->columnWidth(3), px(grid, 750));
    // The others get the fill's widths, widened only where a heading would not fit.
    for (int c : {1, 4, 5, 6, 7})
        QVERIFY(grid->columnWidth(c) >= px(grid, kPersonColumnTwips[c]) && grid->columnWidth(c) < px(grid, 3000));

    // A dragged column keeps its width through refills and for the next opening.
    grid->horizontalHeader()->resizeSection(1, 200);
    type(s.search(), QStringLiteral("m"));
    QCOMPARE(grid->columnWidth(1), 200);
    const int lfdNrWidth = grid->columnWidth(7);
    // Closing gives the main window back, refills its list and keeps the widths.
    s.window->close();
    QVERIFY(s.main.isVisible());
    QCOMPARE(s.refreshes.size(), 1);
    const QList<int> kept = decodeColumnWidths(s.bed.settings.ownSetting("MyApplication", "Grid1", "ColWidths"));
    QCOMPARE(kept.size(), 9);
    QCOMPARE(kept[0], 3000);
    QCOMPARE(px(grid, kept[1]), 200);
    QCOMPARE(kept[3], 750);
    QCOMPARE(px(grid, kept[7]), lfdNrWidth);
    QCOMPARE(kept[8], 1300);
    s.open(false);
    QCOMPARE(s.grid()->columnWidth(1), 200);
    QCOMPARE(s.grid()->columnWidth(3), px(s.grid(), 750));
}

// Every cell text of the main window's person list.
static QStringList mainListTexts(frmMain &main)
{
    QStringList out;
    const QAbstractItemModel *m = main.findChild<QTableView *>(QStringLiteral("ocxFlex"))->model();
    for (int r = 0; m && r < m->rowCount(); ++r)
        for (int c = 0; c < m->columnCount(); ++c)
            out << m->index(r, c).data().toString();
    return out;
}

void TestFrmImport::menusOpenTheModesAndChangesReachTheMainList()
{
    TestBed bed;
    bed.addPerson("Schmidt", "Hans");
    frmMain main(bed.platform);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTRY_VERIFY(mainListTexts(main).contains("Schmidt"));

    // "löschen aus Gliederanalysesoftware": delete mode, main window hidden until closing.
    main.mnuloeschen_Click();
    QVERIFY(!bImportModus);
    QVERIFY(!main.isVisible());
    QPointer<frmImport> window = main.findChild<frmImport *>();
    QVERIFY(window && window->isVisible() && !window->isModal());
    QVERIFY(window->findChild<QPushButton *>("cmdErasePerson")->isVisible());
    click(window, "cmdClose");
    QVERIFY(main.isVisible());
    QTRY_VERIFY(window.isNull()); // the window lives only while it is open
    QVERIFY(!bImportModus);

    // "Importieren aus Stammdaten": a copied person appears in the main list, a deleted
    // one leaves it.
    main.mnuImport_Click();
    QVERIFY(bImportModus);
    window = main.findChild<frmImport *>();
    QVERIFY(window && window->findChild<QRadioButton *>("optInsert")->isChecked());
    QVERIFY(pick(*window, "Müller", "Jürgen"));
    bed.messages.answer({true});
    click(window, "cmdCopyPerson");
    QTRY_VERIFY2(mainListTexts(main).contains("Jürgen"), qPrintable(bed.messages.texts().join('|')));
    click(window, "optDelete");
    QVERIFY(pick(*window, "Müller", "Jürgen"));
    bed.messages.answer({true});
    click(window, "cmdErasePerson");
    QTRY_VERIFY(!mainListTexts(main).contains("Jürgen") && mainListTexts(main).contains("Schmidt"));
    window->close();
    QVERIFY(main.isVisible());
}

QTEST_MAIN(TestFrmImport)
#include "tst_frmimport.moc"
