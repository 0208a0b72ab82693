// The person administration window as the operator uses it: typing, clicking rows,
// switching modes, copying, deleting and closing.
#include "app/Conversions.h"
#include "db/Database.h"
#include "persons/frmImport.h"
#include "TestBed.h"

#include <QCryptographicHash>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

const QString kNoHost =
    QStringLiteral("Es konnte keine BIA-Datenbnk gefunden werden\nBitte installieren Sie eine BIA Software");

qint64 count(const QString &db, const QString &sql, const QVariantList &values = {})
{
    return scalar(db, sql, values).toLongLong();
}

QByteArray checksum(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
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
        if (!QTest::qWaitForWindowExposed(window.get()))
            qWarning("window not exposed");
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

    int rowOf(const QString &name, const QString &vorname)
    {
        for (int r = 0; r < window->gridModel().rowCount(); ++r)
            if (window->gridModel().text(r, 0) == name && window->gridModel().text(r, 1) == vorname)
                return r;
        return -1;
    }

    // Clicks the person's row as the operator does; false when the list lacks it.
    bool pick(const QString &name, const QString &vorname)
    {
        const int row = rowOf(name, vorname);
        if (row < 0)
            return false;
        const QModelIndex index = window->gridModel().index(row, 0);
        grid()->scrollTo(index);
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(index).center());
        return true;
    }

    PersonBoxes boxes()
    {
        PersonBoxes b;
        for (int i = 0; i < kDetailBoxes; ++i)
            b[i] = window->txtTeilnehmer[i]->text();
        return b;
    }

    bool boxesEmpty()
    {
        for (const QString &t : boxes())
            if (!t.isEmpty())
                return false;
        return true;
    }

    TestBed bed;
    QWidget main;
    QList<qint64> refreshes;
    std::unique_ptr<frmImport> window;
};

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

} // namespace

class TestFrmImport : public QObject {
    Q_OBJECT

private slots:
    void init() { bImportModus = true; }

    void openingShowsTheMode_data();
    void openingShowsTheMode();
    void search_data();
    void search();
    void searchSurvivesSwitchToDeleteMode();
    void selectingARowFillsTheBoxes_data();
    void selectingARowFillsTheBoxes();
    void switchingModeEmptiesTheBoxes();
    void copy_data();
    void copy();
    void copyWithoutBirthDateUsesTheStandInDay();
    void deleteRemovesPersonWithMeasurements();
    void deleteRefusedOrCancelled_data();
    void deleteRefusedOrCancelled();
    void deleteFailingPartWayLeavesEverything();
    void hostDatabaseMissing();
    void hostDatabaseIsNeverWritten();
    void closingGivesTheMainWindowBack_data();
    void closingGivesTheMainWindowBack();
    void columnWidths();
    void nothingCutOff_data();
    void nothingCutOff();
};

void TestFrmImport::openingShowsTheMode_data()
{
    QTest::addColumn<bool>("importMode");
    QTest::newRow("import") << true;
    QTest::newRow("delete") << false;
}

void TestFrmImport::openingShowsTheMode()
{
    QFETCH(bool, importMode);
    Session s;
    s.bed.addPerson("Müller", "Anna");
    s.bed.addPerson("Weber", "Sabine");
    s.open(importMode);
    QCOMPARE(s.window->windowTitle(), QStringLiteral("Import- und Exportfunktionen"));
    QCOMPARE(s.c<QRadioButton>("optInsert")->isChecked(), importMode);
    QCOMPARE(s.c<QRadioButton>("optDelete")->isChecked(), !importMode);
    QCOMPARE(s.c("TXT_Archiv_Suche_0")->isVisible(), importMode);
    QCOMPARE(s.c("LBL_4")->isVisible(), importMode);
    QVERIFY(!s.c("TXT_Archiv_Suche_1")->isVisible());
    QVERIFY(!s.c("fraSegment")->isVisible());
    // Only the command of the mode can be reached at the shared place.
    QCOMPARE(s.c("cmdCopyPerson")->isVisible(), importMode);
    QCOMPARE(s.c("cmdErasePerson")->isVisible(), !importMode);
    QVERIFY(s.c("cmdClose")->isVisible());
    const int expectedRows = importMode ? static_cast<int>(demo::demoPersons().size()) : 2;
    QCOMPARE(s.window->gridModel().rowCount(), expectedRows);
    QCOMPARE(s.window->gridModel().columnCount(), 8);
    QStringList headers;
    for (int c = 0; c < 8; ++c)
        headers << s.window->gridModel().headerData(c, Qt::Horizontal).toString();
    QCOMPARE(headers, (QStringList{"Name", "Vorname", "GebDat", "PLZ", "Ort", "Kennung", "AnzMes", "LfdNr"}));
    QVERIFY(s.boxesEmpty());
    QVERIFY(s.bed.messages.shown.isEmpty());
}

void TestFrmImport::search_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expected"); // surnames, in list order
    QTest::newRow("empty lists all") << QString() << QStringList{};
    QTest::newRow("mü finds Müller and MÜLLER") << QStringLiteral("mü") << QStringList{"Müller", "Müller", "MÜLLER"};
    QTest::newRow("capitals find lower case") << QStringLiteral("SCHM") << QStringList{"Schmidt", "Schmidt", "Schmitt"};
    QTest::newRow("ä finds Äbersold") << QStringLiteral("ä") << QStringList{"Äbersold"};
    QTest::newRow("quote filters normally") << QStringLiteral("O'") << QStringList{"O'Brien", "O'Neil"};
    QTest::newRow("quote and more") << QStringLiteral("o'b") << QStringList{"O'Brien"};
    QTest::newRow("SQL text stays text") << QStringLiteral("x' OR '1'='1") << QStringList();
    QTest::newRow("wildcard stays text") << QStringLiteral("%") << QStringList();
    QTest::newRow("blanks around are ignored") << QStringLiteral("  groß ") << QStringList{"Groß"};
}

void TestFrmImport::search()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    Session s;
    QList<demo::HostPerson> persons = demo::demoPersons();
    for (const char *n : {"O'Brien", "O'Neil"}) {
        demo::HostPerson p;
        p.name = QString::fromUtf8(n);
        p.vorname = QStringLiteral("Seán");
        persons << p;
    }
    demo::writeHostDatabase(s.bed.biaPath(), persons);
    s.open(true);
    type(s.search(), typed);
    QCOMPARE(s.search()->text(), typed);
    if (typed.isEmpty())
        QCOMPARE(s.listed().size(), persons.size());
    else
        QCOMPARE(s.listed(), expected);
    QVERIFY(s.bed.messages.shown.isEmpty());
    // Taking the text away again lists everyone.
    s.search()->clear();
    QCOMPARE(s.listed().size(), persons.size());
}

void TestFrmImport::searchSurvivesSwitchToDeleteMode()
{
    Session s;
    s.bed.addPerson("MÜLLER", "Anna");
    s.bed.addPerson("Schmidt", "Hans");
    s.bed.addPerson("Mütze", "Eva");
    s.bed.addPerson("Meier", "Doris");
    s.open(true);
    type(s.search(), QStringLiteral("mü"));
    QCOMPARE(s.listed().size(), 3);
    QTest::mouseClick(s.c<QRadioButton>("optDelete"), Qt::LeftButton);
    QVERIFY(!bImportModus);
    QVERIFY(!s.search()->isVisible());
    QCOMPARE(s.search()->text(), QStringLiteral("mü"));
    QCOMPARE(s.listed(), (QStringList{"MÜLLER", "Mütze"}));
    QTest::mouseClick(s.c<QRadioButton>("optInsert"), Qt::LeftButton);
    QVERIFY(bImportModus);
    QCOMPARE(s.listed(), (QStringList{"Müller", "Müller", "MÜLLER"}));
}

void TestFrmImport::selectingARowFillsTheBoxes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("vorname");
    QTest::addColumn<QStringList>("expected"); // boxes 0 to 7 (box 8 is checked apart)
    QTest::newRow("woman") << "Müller"
                           << "Anna" << QStringList{"Müller", "Anna",    "weiblich", "14.03.1958",
                                                    "80331",  "München", "K-1000",   "0"};
    QTest::newRow("man") << "Müller"
                         << "Jürgen" << QStringList{"Müller", "Jürgen",  "männlich", "02.11.1961",
                                                    "80331",  "München", "K-1007",   "5"};
    QTest::newRow("no first name") << "Ungerer"
                                   << " " << QStringList{"Ungerer", " ",   "männlich", "20.05.1977",
                                                         "89073",   "Ulm", "K-1245",   "6"};
    QTest::newRow("no birth date, no sex")
        << "Vogel"
        << "Lutz" << QStringList{"Vogel", "Lutz", "männlich", " ", "48143", "Münster", "K-1252", "11"};
}

void TestFrmImport::selectingARowFillsTheBoxes()
{
    QFETCH(QString, name);
    QFETCH(QString, vorname);
    QFETCH(QStringList, expected);
    Session s;
    {
        DbConnection host = DbConnection::open(s.bed.biaPath());
        host.exec("UPDATE Teilnehmer SET Geschlecht = NULL WHERE Name = 'Vogel'");
    }
    s.open(true);
    // The list shows an empty first name as nothing; the box shows it as one blank.
    QVERIFY(s.pick(name, vorname.trimmed()));
    const PersonBoxes b = s.boxes();
    QCOMPARE(QStringList(b.begin(), b.begin() + 8), expected);
    const qint64 lfdNr =
        count(s.bed.biaPath(), "SELECT LfdNr FROM Teilnehmer WHERE Name = ? AND Kennung = ?", {name, expected[6]});
    QCOMPARE(b[8], QString::number(lfdNr));
    QVERIFY(s.window->txtTeilnehmer[8]->isReadOnly());
}

void TestFrmImport::switchingModeEmptiesTheBoxes()
{
    Session s;
    s.bed.addPerson("Schmidt", "Hans");
    s.open(true);
    QVERIFY(s.pick("Müller", "Anna"));
    QVERIFY(!s.boxesEmpty());
    QTest::mouseClick(s.c<QRadioButton>("optDelete"), Qt::LeftButton);
    QVERIFY(s.boxesEmpty());
    // Delete mode: the boxes show what would go, they are not for typing.
    QVERIFY(s.window->txtTeilnehmer[0]->isReadOnly());
    QVERIFY(s.pick("Schmidt", "Hans"));
    QCOMPARE(s.boxes()[0], QStringLiteral("Schmidt"));
    QTest::mouseClick(s.c<QRadioButton>("optInsert"), Qt::LeftButton);
    QVERIFY(s.boxesEmpty());
    QVERIFY(!s.window->txtTeilnehmer[0]->isReadOnly());
}

void TestFrmImport::copy_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("vorname");
    QTest::addColumn<QStringList>("edits"); // index=text typed into a box before copying
    QTest::addColumn<bool>("answer");       // to the question
    QTest::addColumn<QString>("message");   // after the question; empty: none
    QTest::addColumn<bool>("stored");

    const QString present = QStringLiteral("Teilnehmer bereits vorhanden! Vorgang wird abgebrochen");
    QTest::newRow("new person") << "Müller"
                                << "Jürgen" << QStringList{} << true << "" << true;
    QTest::newRow("answered No") << "Müller"
                                 << "Jürgen" << QStringList{} << false << "" << false;
    QTest::newRow("already present") << "Schmidt"
                                     << "Hans" << QStringList{} << true << present << false;
    QTest::newRow("present in other letter case") << "Müller"
                                                  << "Anna" << QStringList{} << true << present << false;
    QTest::newRow("same names, other birth date") << "Müller"
                                                  << "Anna" << QStringList{"3=15.03.1958"} << true << "" << true;
    QTest::newRow("first name emptied") << "Weber"
                                        << "Sabine" << QStringList{"1="} << true
                                        << "Bitte geben Sie der Person einen Vornamen" << false;
    QTest::newRow("first name of one blank") << "Ungerer"
                                             << "" << QStringList{} << true << "" << true;
    QTest::newRow("birth date that is none")
        << "Weber"
        << "Sabine" << QStringList{"3=31.02.1968"} << true
        << "Error 13 (Typen unverträglich) in procedure cmdCopyPerson_Click of Formular frmImport" << false;
    QTest::newRow("count that is none")
        << "Weber"
        << "Sabine" << QStringList{"7=viele"} << true
        << "Error 13 (Typen unverträglich) in procedure cmdCopyPerson_Click of Formular frmImport" << false;
}

void TestFrmImport::copy()
{
    QFETCH(QString, name);
    QFETCH(QString, vorname);
    QFETCH(QStringList, edits);
    QFETCH(bool, answer);
    QFETCH(QString, message);
    QFETCH(bool, stored);
    Session s;
    s.bed.addPerson("Schmidt", "Hans", QDate(1949, 1, 9));
    s.bed.addPerson("MÜLLER", "ANNA", QDate(1958, 3, 14));
    const QString seg = s.bed.segmentePath();
    s.open(true);
    QVERIFY(s.pick(name, vorname));
    for (const QString &e : edits) {
        const int i = e.section('=', 0, 0).toInt();
        s.window->txtTeilnehmer[i]->selectAll();
        QTest::keyClick(s.window->txtTeilnehmer[i], Qt::Key_Delete);
        type(s.window->txtTeilnehmer[i], e.section('=', 1));
    }
    const PersonBoxes before = s.boxes();
    const QStringList listBefore = s.listed(7);
    s.bed.messages.answer({answer});
    QTest::mouseClick(s.c("cmdCopyPerson"), Qt::LeftButton);

    QVERIFY(s.bed.messages.count() >= 1);
    const FakeMessages::Shown &question = s.bed.messages.shown.first();
    QVERIFY(question.question);
    QCOMPARE(question.text, "Wollen Sie " + before[1] + " " + before[0] + "\rzur Gliederanalyse hinzufügen");
    QCOMPARE(question.title, QStringLiteral("Limbox"));
    QCOMPARE(question.icon, MsgIcon::None);
    if (message.isEmpty()) {
        QCOMPARE(s.bed.messages.count(), 1);
    } else {
        QCOMPARE(s.bed.messages.count(), 2);
        QCOMPARE(s.bed.messages.last().text, message);
        const MsgIcon icon = message.startsWith("Error")                              ? MsgIcon::None
                             : message == "Bitte geben Sie der Person einen Vornamen" ? MsgIcon::Information
                                                                                      : MsgIcon::Stop;
        QCOMPARE(s.bed.messages.last().icon, icon);
        QCOMPARE(s.bed.messages.last().title, QString());
    }
    QCOMPARE(count(seg, "SELECT COUNT(*) FROM Teilnehmer"), stored ? 3 : 2);
    if (stored) {
        QCOMPARE(count(seg,
                       "SELECT COUNT(*) FROM Teilnehmer WHERE Name = ? AND VorName = ? AND GebDat = ? "
                       "AND PLZ = ? AND Ort = ? AND Kennung = ? AND AnzMes = ?",
                       {before[0], before[1], isoDate(toDate(before[3])), before[4], before[5], before[6],
                        before[7].toInt()}),
                 1);
        QCOMPARE(count(seg, "SELECT COUNT(*) FROM tblTeilnehmerSegmente"), 0);
        // The main list is rebuilt once the person is stored.
        QCOMPARE(s.refreshes, QList<qint64>{3});
    } else {
        QVERIFY(s.refreshes.isEmpty());
    }
    // The window's own list and boxes stay as they are.
    QCOMPARE(s.listed(7), listBefore);
    QCOMPARE(s.boxes(), before);
}

void TestFrmImport::copyWithoutBirthDateUsesTheStandInDay()
{
    Session s;
    s.open(true);
    QVERIFY(s.pick("Vogel", "Lutz"));
    s.bed.messages.answer({true, true});
    QTest::mouseClick(s.c("cmdCopyPerson"), Qt::LeftButton);
    QCOMPARE(s.bed.messages.count(), 1);
    QCOMPARE(scalar(s.bed.segmentePath(), "SELECT GebDat FROM Teilnehmer WHERE Name = 'Vogel'").toString(),
             QStringLiteral("1899-12-31"));
    // Taken over once, the same person is refused the second time.
    QTest::mouseClick(s.c("cmdCopyPerson"), Qt::LeftButton);
    QCOMPARE(s.bed.messages.last().text, QStringLiteral("Teilnehmer bereits vorhanden! Vorgang wird abgebrochen"));
    QCOMPARE(count(s.bed.segmentePath(), "SELECT COUNT(*) FROM Teilnehmer"), 1);
}

void TestFrmImport::deleteRemovesPersonWithMeasurements()
{
    Session s;
    const qint64 anna = s.bed.addPerson("Müller", "Anna");
    const qint64 hans = s.bed.addPerson("Schmidt", "Hans");
    for (const char *seg : {"ArmLi", "ArmRe", "BeinLi", "BeinRe"})
        for (qint64 p : {anna, hans})
            s.bed.addMeasurement(seg, p, QDate(2026, 11, 1), "09:00:00", 500, 480, 460, 60, 55, 50);
    const QString seg = s.bed.segmentePath();
    {
        DbConnection db = DbConnection::open(seg);
        db.exec("INSERT INTO tblTeilnehmerSegmente (lfdNR, AL) VALUES (?, 1)", {anna});
    }
    s.open(false);
    QVERIFY(s.pick("Müller", "Anna"));
    QCOMPARE(s.boxes()[8], QString::number(anna));
    s.bed.messages.answer({true});
    QTest::mouseClick(s.c("cmdErasePerson"), Qt::LeftButton);

    QCOMPARE(s.bed.messages.count(), 1);
    QCOMPARE(s.bed.messages.last().text, QStringLiteral("Wollen Sie den Teilnehmer Anna Müller wirklich löschen?"));
    QVERIFY(s.bed.messages.last().question);
    QCOMPARE(s.bed.messages.last().title, QString());
    QCOMPARE(count(seg, "SELECT COUNT(*) FROM Teilnehmer WHERE LfdNr = ?", {anna}), 0);
    for (const char *t : {"ArmLi", "ArmRe", "BeinLi", "BeinRe"}) {
        QCOMPARE(count(seg, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE FKTN = ?").arg(t), {anna}), 0);
        QCOMPARE(count(seg, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE FKTN = ?").arg(t), {hans}), 1);
    }
    QCOMPARE(count(seg, "SELECT COUNT(*) FROM tblTeilnehmerSegmente WHERE lfdNR = ?", {anna}), 1);
    QCOMPARE(s.listed(), QStringList{"Schmidt"});
    QVERIFY(s.boxesEmpty());
    QCOMPARE(s.refreshes, QList<qint64>{1});
}

void TestFrmImport::deleteRefusedOrCancelled_data()
{
    QTest::addColumn<bool>("pick");
    QTest::addColumn<QString>("message");
    QTest::newRow("nobody chosen") << false << "Bitte wählen Sie eine Person aus.";
    QTest::newRow("answered No") << true << "Vorgang durch Benutzer abgebrochen!";
}

void TestFrmImport::deleteRefusedOrCancelled()
{
    QFETCH(bool, pick);
    QFETCH(QString, message);
    Session s;
    const qint64 anna = s.bed.addPerson("Müller", "Anna");
    s.bed.addMeasurement("ArmLi", anna, QDate(2026, 11, 1), "09:00:00", 500, 480, 460, 60, 55, 50);
    s.open(false);
    if (pick)
        QVERIFY(s.pick("Müller", "Anna"));
    QTest::mouseClick(s.c("cmdErasePerson"), Qt::LeftButton);
    QCOMPARE(s.bed.messages.last().text, message);
    QCOMPARE(s.bed.messages.last().icon, MsgIcon::Information);
    QCOMPARE(s.bed.messages.count(), pick ? 2 : 1);
    QCOMPARE(count(s.bed.segmentePath(), "SELECT COUNT(*) FROM Teilnehmer"), 1);
    QCOMPARE(count(s.bed.segmentePath(), "SELECT COUNT(*) FROM ArmLi"), 1);
    QVERIFY(s.refreshes.isEmpty());
}

void TestFrmImport::deleteFailingPartWayLeavesEverything()
{
    Session s;
    const qint64 anna = s.bed.addPerson("Müller", "Anna");
    for (const char *seg : {"ArmLi", "ArmRe", "BeinLi", "BeinRe"})
        s.bed.addMeasurement(seg, anna, QDate(2026, 11, 1), "09:00:00", 500, 480, 460, 60, 55, 50);
    const QString seg = s.bed.segmentePath();
    {
        DbConnection db = DbConnection::open(seg);
        db.exec("CREATE TRIGGER locked BEFORE DELETE ON ArmLi BEGIN SELECT RAISE(ABORT, 'ArmLi gesperrt'); END");
    }
    s.open(false);
    QVERIFY(s.pick("Müller", "Anna"));
    s.bed.messages.answer({true});
    QTest::mouseClick(s.c("cmdErasePerson"), Qt::LeftButton);
    QCOMPARE(s.bed.messages.count(), 2);
    const QString error = s.bed.messages.last().text;
    QVERIFY2(error.startsWith("Error ") && error.contains("(ArmLi gesperrt)") &&
                 error.endsWith(" in procedure cmdErasePerson_Click of Formular frmImport"),
             qPrintable(error));
    QCOMPARE(s.bed.messages.last().icon, MsgIcon::None);
    QCOMPARE(count(seg, "SELECT COUNT(*) FROM Teilnehmer WHERE LfdNr = ?", {anna}), 1);
    for (const char *t : {"ArmLi", "ArmRe", "BeinLi", "BeinRe"})
        QCOMPARE(count(seg, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE FKTN = ?").arg(t), {anna}), 1);
    QCOMPARE(s.listed(), QStringList{"Müller"});
    QVERIFY(s.refreshes.isEmpty());
}

void TestFrmImport::hostDatabaseMissing()
{
    Session s(TestBed::Options{.hostDatabase = false});
    s.bed.addPerson("Schmidt", "Hans");
    s.open(true);
    QCOMPARE(s.bed.messages.count(), 1);
    QCOMPARE(s.bed.messages.last().text, kNoHost);
    QCOMPARE(s.bed.messages.last().icon, MsgIcon::Stop);
    QCOMPARE(s.window->gridModel().rowCount(), 0);
    // The window stays usable.
    QTest::mouseClick(s.c<QRadioButton>("optDelete"), Qt::LeftButton);
    QCOMPARE(s.listed(), QStringList{"Schmidt"});
    QCOMPARE(s.bed.messages.count(), 1);
}

void TestFrmImport::hostDatabaseIsNeverWritten()
{
    Session s;
    const QByteArray before = checksum(s.bed.biaPath());
    QVERIFY(!before.isEmpty());
    s.open(true);
    type(s.search(), QStringLiteral("mü"));
    QVERIFY(s.pick("Müller", "Anna"));
    s.bed.messages.defaultAnswer = true;
    QTest::mouseClick(s.c("cmdCopyPerson"), Qt::LeftButton);
    QTest::mouseClick(s.c<QRadioButton>("optDelete"), Qt::LeftButton);
    QTest::mouseClick(s.c<QRadioButton>("optInsert"), Qt::LeftButton);
    s.window->close();
    QCOMPARE(count(s.bed.segmentePath(), "SELECT COUNT(*) FROM Teilnehmer"), 1);
    QCOMPARE(checksum(s.bed.biaPath()), before);
    QVERIFY(!QFile::exists(s.bed.biaPath() + "-journal"));
}

void TestFrmImport::closingGivesTheMainWindowBack_data()
{
    QTest::addColumn<bool>("byButton");
    QTest::newRow("Schließen") << true;
    QTest::newRow("window's close control") << false;
}

void TestFrmImport::closingGivesTheMainWindowBack()
{
    QFETCH(bool, byButton);
    Session s;
    s.open(false);
    QVERIFY(!s.main.isVisible());
    if (byButton)
        QTest::mouseClick(s.c("cmdClose"), Qt::LeftButton);
    else
        s.window->close();
    QVERIFY(!s.window->isVisible());
    QVERIFY(s.main.isVisible());
    QCOMPARE(s.refreshes.size(), 1);
    // bImportModus keeps its value after the window has gone.
    QVERIFY(!bImportModus);
}

void TestFrmImport::columnWidths()
{
    Session s;
    // Kept widths by position; a damaged entry leaves its column at the fill's width, and
    // the ninth entry is the history list's.
    s.bed.settings.setOwnSetting("MyApplication", "Grid1", "ColWidths", "3000,x,1200,,,,,,1300");
    s.open(true);
    QTableView *grid = s.grid();
    QCOMPARE(grid->columnWidth(0), px(grid, 3000));
    QCOMPARE(grid->columnWidth(2), px(grid, 1200));
    // The others get the fill's widths, widened only where a heading would not fit.
    const int twips[] = {3000, 1500, 1200, 750, 1000, 1000, 800, 800};
    for (int c : {1, 3, 4, 5, 6, 7})
        QVERIFY(grid->columnWidth(c) >= px(grid, twips[c]));
    QCOMPARE(grid->columnWidth(3), px(grid, 750));

    // The operator drags a column: it keeps its width through refills and is kept for
    // the next opening.
    grid->horizontalHeader()->resizeSection(1, 200);
    type(s.search(), QStringLiteral("m"));
    QCOMPARE(grid->columnWidth(1), 200);
    const int lfdNrWidth = grid->columnWidth(7);
    s.window->close();
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

void TestFrmImport::nothingCutOff_data()
{
    QTest::addColumn<bool>("importMode");
    QTest::newRow("import") << true;
    QTest::newRow("delete") << false;
}

void TestFrmImport::nothingCutOff()
{
    QFETCH(bool, importMode);
    Session s;
    s.bed.addPerson("Zimmermann", "Karl-Heinz");
    s.open(importMode);
    if (importMode) {
        type(s.search(), QStringLiteral("m"));
        QVERIFY(s.pick("Müller", "Jürgen"));
    } else {
        QVERIFY(s.pick("Zimmermann", "Karl-Heinz"));
    }
    const QRect inside = s.window->rect();
    QStringList cut;
    for (QWidget *w : s.window->findChildren<QWidget *>()) {
        if (!w->isVisible() || w->objectName().startsWith("qt_") || w->objectName().isEmpty())
            continue;
        const QRect r(w->mapTo(s.window.get(), QPoint(0, 0)), w->size());
        if (!inside.contains(r))
            cut << w->objectName() + " outside the window";
        const bool textual = qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w);
        if (textual && w->width() < w->sizeHint().width())
            cut << w->objectName() + " narrower than its text";
        if (auto *box = qobject_cast<QLineEdit *>(w);
            box && box->fontMetrics().horizontalAdvance(box->text()) > box->width() - 8)
            cut << w->objectName() + " text cut off";
    }
    // The list: headings and birth dates are whole.
    for (int c = 0; c < 8; ++c) {
        const QString heading = s.window->gridModel().headerData(c, Qt::Horizontal).toString();
        if (s.grid()->horizontalHeader()->fontMetrics().horizontalAdvance(heading) + 6 > s.grid()->columnWidth(c))
            cut << "heading " + heading;
    }
    for (int r = 0; r < s.window->gridModel().rowCount(); ++r)
        if (s.grid()->fontMetrics().horizontalAdvance(s.window->gridModel().text(r, 2)) + 6 > s.grid()->columnWidth(2))
            cut << "birth date in row " + QString::number(r);
    if (auto *group = s.c<QGroupBox>("frmArtMessung");
        group->fontMetrics().horizontalAdvance(group->title()) > group->width())
        cut << "frmArtMessung title";
    const QString dir = qEnvironmentVariable("KAVIO_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        s.window->grab().save(dir + (importMode ? "/frmImport-import.png" : "/frmImport-delete.png"));
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(", ")));
}

QTEST_MAIN(TestFrmImport)
#include "tst_frmimport.moc"
