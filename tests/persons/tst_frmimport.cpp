// The person administration window as the operator uses it, on its own and opened from the main window.
#include "app/frmSplash.h"
#include "app/ProgramStart.h"
#include "BoxCloser.h"
#include "db/Database.h"
#include "db/SqliteRepository.h"
#include "Files.h"
#include "persons/frmImport.h"
#include "platform/QtMessages.h"
#include "TestBed.h"
#include "workstation/frmMain.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace kavio;
using namespace kavio::test;
using namespace Qt::StringLiterals;

namespace {

const QString kStored = u"SELECT COUNT(*) FROM Teilnehmer WHERE Name = ? AND VorName = ? AND GebDat = ? AND PLZ = ? "
                        "AND Ort = ? AND Kennung = ? AND AnzMes = ?"_s;

void click(QWidget *window, const char *name)
{
    QTest::mouseClick(window->findChild<QAbstractButton *>(QString::fromLatin1(name)), Qt::LeftButton);
}

QStringList listed(frmImport &w)
{
    QStringList out;
    for (int r = 0; r < w.gridModel().rowCount(); ++r)
        out << w.gridModel().text(r, 0);
    return out;
}

// Clicks the person's row as the operator does; false when the list lacks it.
bool pick(frmImport &w, const QString &name, const QString &vorname)
{
    auto *grid = w.findChild<QTableView *>(u"Grid1"_s);
    for (int r = 0; r < w.gridModel().rowCount(); ++r) {
        if (w.gridModel().text(r, 0) != name || w.gridModel().text(r, 1) != vorname)
            continue;
        grid->scrollTo(w.gridModel().index(r, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(w.gridModel().index(r, 0)).center());
        return true;
    }
    return false;
}

QStringList boxes(frmImport &w)
{
    QStringList b;
    for (QLineEdit *box : w.txtTeilnehmer)
        b << box->text();
    return b;
}

// Whether a cell of the main window's person list reads text.
bool inMainList(frmMain &main, const QString &text)
{
    const QAbstractItemModel *m = main.findChild<QTableView *>(u"ocxFlex"_s)->model();
    for (int c = 0; m && c < m->columnCount(); ++c)
        if (!m->match(m->index(0, c), Qt::DisplayRole, text, 1, Qt::MatchExactly).isEmpty())
            return true;
    return false;
}

// Counts the requests to end the program; while blocking, keeps them from taking effect.
class QuitWatch final : public QObject {
public:
    QuitWatch() { qApp->installEventFilter(this); }
    ~QuitWatch() override { qApp->removeEventFilter(this); }
    int requests = 0;
    bool blocking = true;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != qApp || event->type() != QEvent::Quit)
            return false;
        ++requests;
        return blocking;
    }
};

// Runs the program's event loop, as it runs in operation, while steps does its work; at the latest
// after ten seconds the loop is left.
void inEventLoop(QObject *context, const std::function<void()> &steps)
{
    QTimer::singleShot(0, context, steps);
    QTimer::singleShot(10000, context, [] { QCoreApplication::exit(1); });
    QApplication::exec();
}

} // namespace

class TestFrmImport : public QObject {
    Q_OBJECT
private slots:
    void walkFromTheMainWindow()
    {
        TestBed bed;
        bed.addPerson("MÜLLER", "Anna");
        bed.addPerson("Zimmermann", "Karl-Heinz");
        DbConnection::open(bed.biaPath())
            .exec("INSERT INTO Teilnehmer (Name, VorName, Geschlecht, GebDat, PLZ, Ort, Kennung, AnzMes) "
                  "VALUES ('O''Brien', 'Seán', NULL, '1970-01-01', '', 'Cork', 'K-9', 2)");
        frmMain main(bed.platform);
        main.show();
        QTRY_VERIFY(inMainList(main, "Zimmermann"));

        // Import mode lists every host person; a quote is taken literally; an empty sex field reads as male.
        main.mnuImport_Click();
        QPointer<frmImport> w = main.findChild<frmImport *>();
        QVERIFY(bImportModus && w);
        QCOMPARE(listed(*w).size(), demo::demoPersons().size() + 1);
        QLineEdit *search = w->TXT_Archiv_Suche[0];
        QTest::keyClicks(search, u"O'"_s);
        QCOMPARE(listed(*w), QStringList{"O'Brien"});
        QVERIFY(pick(*w, "O'Brien", "Seán"));
        QCOMPARE(boxes(*w).first(8),
                 (QStringList{"O'Brien", "Seán", "männlich", "01.01.1970", " ", "Cork", "K-9", "2"}));
        search->clear();
        QTest::keyClick(search, 'm');
        QTest::sendKeyEvent(QTest::Click, search, Qt::Key_unknown, u"ü"_s, Qt::NoModifier); // a German keyboard
        QCOMPARE(listed(*w), (QStringList{"Müller", "Müller", "MÜLLER"}));

        // A copied person reaches the main list.
        QVERIFY(pick(*w, "Müller", "Jürgen"));
        bed.messages.answer({true});
        click(w, "cmdCopyPerson");
        QTRY_VERIFY2(inMainList(main, "Jürgen"), qPrintable(bed.messages.texts().join('|')));
        QCOMPARE(listed(*w), (QStringList{"Müller", "Müller", "MÜLLER"}));

        // Delete mode keeps the search text, filters with it, empties the boxes; the deleted leave the main list.
        click(w, "optDelete");
        QVERIFY(!bImportModus);
        QCOMPARE(boxes(*w).join(QString()), QString());
        QCOMPARE(listed(*w), (QStringList{"MÜLLER", "Müller"}));
        QVERIFY(pick(*w, "Müller", "Jürgen"));
        bed.messages.answer({true});
        click(w, "cmdErasePerson");
        QTRY_VERIFY(!inMainList(main, "Jürgen") && inMainList(main, "Zimmermann"));
        QCOMPARE(bed.messages.count(), 3); // the main window asks once at its start, then copy and delete
    }

    void copy_data()
    {
        QTest::addColumn<QStringList>("person"); // Name, Vorname, then index=text put into a box
        QTest::addColumn<bool>("answer");        // to the question
        QTest::addColumn<QString>("message");    // after the question; empty: none
        QTest::addColumn<QString>("stored");     // GebDat stored; empty: nothing stored
        QTest::newRow("answered No") << QStringList{"Müller", "Jürgen"} << false << QString() << QString();
        QTest::newRow("present in other letter case")
            << QStringList{"Schmidt", "Hans"} << true << u"Teilnehmer bereits vorhanden! Vorgang wird abgebrochen"_s
            << QString();
        QTest::newRow("same names, other birth date")
            << QStringList{"Schmidt", "Hans", "3=10.01.1949"} << true << QString() << u"1949-01-10"_s;
        QTest::newRow("a woman") << QStringList{"Schmidt", "Gisela"} << true << QString() << u"1952-08-21"_s;
        QTest::newRow("no birth date: stand-in day")
            << QStringList{"Vogel", "Lutz"} << true << QString() << u"1899-12-31"_s;
        QTest::newRow("first name of one blank") << QStringList{"Ungerer", ""} << true << QString() << u"1977-05-20"_s;
        QTest::newRow("first name emptied") << QStringList{"Weber", "Sabine", "1="} << true
                                            << u"Bitte geben Sie der Person einen Vornamen"_s << QString();
        QTest::newRow("birth date that is none")
            << QStringList{"Weber", "Sabine", "3=31.02.1968"} << true
            << u"Error 13 (Typen unverträglich) in procedure cmdCopyPerson_Click of Formular frmImport"_s << QString();
    }
    // Copying asks first and stores the boxes' person once; the boxes stay, the host database is only read.
    void copy()
    {
        QFETCH(QStringList, person);
        QFETCH(bool, answer);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        TestBed bed;
        bed.addPerson("SCHMIDT", "HANS", QDate(1949, 1, 9));
        const QByteArray hostBefore = bytesOf(bed.biaPath());
        bImportModus = true;
        SqliteRepository segments(bed.segmentePath());
        frmImport w(bed.platform, segments, nullptr, [] {});
        w.show();
        QVERIFY(pick(w, person[0], person[1]));
        for (const QString &e : person.mid(2))
            w.txtTeilnehmer[e.section('=', 0, 0).toInt()]->setText(e.section('=', 1));
        const QStringList before = boxes(w);
        bed.messages.answer({answer});
        click(&w, "cmdCopyPerson");

        QCOMPARE(bed.messages.shown.first().text,
                 "Wollen Sie " + before[1] + " " + before[0] + "\rzur Gliederanalyse hinzufügen");
        QCOMPARE(bed.messages.shown.first().title, u"Limbox"_s);
        QCOMPARE(bed.messages.texts().mid(1), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(scalar(bed.segmentePath(), "SELECT COUNT(*) FROM Teilnehmer").toInt(), stored.isEmpty() ? 1 : 2);
        const QVariantList row{before[0], before[1], stored, before[4], before[5], before[6], before[7].toInt()};
        QCOMPARE(scalar(bed.segmentePath(), kStored, row).toInt(), stored.isEmpty() ? 0 : 1);
        // The sex goes with the person: the evaluation judges legs by it.
        if (!stored.isEmpty()) {
            const qint32 lfdNr = scalar(bed.segmentePath(), "SELECT max(LfdNr) FROM Teilnehmer").toInt();
            QCOMPARE(segments.personFacts(lfdNr).sex,
                     before[2] == u"weiblich"_s ? clinical::Sex::Female : clinical::Sex::Male);
        }
        QCOMPARE(boxes(w), before);
        w.close();
        QCOMPARE(bytesOf(bed.biaPath()), hostBefore);
    }

    void erase_data()
    {
        QTest::addColumn<bool>("pick");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("locked");     // deleting from ArmLi fails
        QTest::addColumn<QString>("message"); // the last message
        QTest::newRow("deleted") << true << true << false
                                 << u"Wollen Sie den Teilnehmer Anna Müller wirklich löschen?"_s;
        QTest::newRow("nobody chosen") << false << true << false << u"Bitte wählen Sie eine Person aus."_s;
        QTest::newRow("answered No") << true << false << false << u"Vorgang durch Benutzer abgebrochen!"_s;
        QTest::newRow("failing part-way") << true << true << true << QString();
    }
    // All of the person goes, measurements in every segment table too, or nothing; the segment choice stays.
    void erase()
    {
        QFETCH(bool, pick);
        QFETCH(bool, answer);
        QFETCH(bool, locked);
        QFETCH(QString, message);
        TestBed bed;
        const qint64 anna = bed.addPerson("Müller", "Anna");
        bed.addPerson("Schmidt", "Hans");
        const QStringList tables{"ArmLi", "ArmRe", "BeinLi", "BeinRe"};
        for (const QString &t : tables)
            bed.addMeasurement(t, anna, QDate(2026, 11, 1), "09:00:00", 500, 480, 460, 60, 55, 50);
        const QString seg = bed.segmentePath();
        DbConnection db = DbConnection::open(seg);
        db.exec("INSERT INTO tblTeilnehmerSegmente (lfdNR, AL, AR, BL, BR) VALUES (?, 1, 1, 1, 1)", {anna});
        if (locked)
            db.exec("CREATE TRIGGER locked BEFORE DELETE ON ArmLi BEGIN SELECT RAISE(ABORT, 'ArmLi gesperrt'); END");
        bImportModus = false;
        SqliteRepository segments(bed.segmentePath());
        frmImport w(bed.platform, segments, nullptr, [] {});
        w.show();
        if (pick)
            QVERIFY(::pick(w, "Müller", "Anna"));
        bed.messages.answer({answer});
        click(&w, "cmdErasePerson");

        const bool gone = pick && answer && !locked;
        QCOMPARE(bed.messages.count(), pick && !gone ? 2 : 1);
        const QString last = bed.messages.last().text;
        QVERIFY2(locked ? last.startsWith("Error ") && last.contains("ArmLi gesperrt") &&
                              last.endsWith(") in procedure cmdErasePerson_Click of Formular frmImport")
                        : last == message,
                 qPrintable(last));
        QCOMPARE(scalar(seg, "SELECT COUNT(*) FROM Teilnehmer WHERE LfdNr = ?", {anna}).toInt(), gone ? 0 : 1);
        for (const QString &t : tables)
            QCOMPARE(scalar(seg, "SELECT COUNT(*) FROM " + t + " WHERE FKTN = ?", {anna}).toInt(), gone ? 0 : 1);
        QCOMPARE(scalar(seg, "SELECT COUNT(*) FROM tblTeilnehmerSegmente").toInt(), 1);
        QCOMPARE(listed(w), gone ? QStringList{"Schmidt"} : (QStringList{"Müller", "Schmidt"}));
        QCOMPARE(boxes(w).join(QString()).isEmpty(), gone || !pick);
    }

    // With the main window hidden, real message boxes of the person window come and go (a question,
    // then its answer); the program goes on until its main window is closed.
    void realMessageBoxesKeepTheProgram()
    {
        setUpApplication();
        TestBed bed;
        bed.addPerson("SCHMIDT", "HANS", QDate(1949, 1, 9));
        QtMessages messages(applicationTitle());
        bed.platform.messages = &messages;
        BoxCloser closer({"Nein", "Ja", "OK"});
        frmMain main(bed.platform);
        main.show();
        QuitWatch quit;
        bool walked = false;
        inEventLoop(&main, [&] {
            main.mnuImport_Click();
            frmImport *w = main.findChild<frmImport *>();
            QVERIFY(pick(*w, "Schmidt", "Hans"));
            click(w, "cmdCopyPerson");         // present already
            QCoreApplication::processEvents(); // where an ending of the program would take effect
            walked = !main.isVisible() && w->isVisible();
            QCoreApplication::exit(0);
        });
        QVERIFY(walked);
        QCOMPARE(closer.texts().size(), 3);
        QCOMPARE(closer.texts().last(), u"Teilnehmer bereits vorhanden! Vorgang wird abgebrochen"_s);
        QCOMPARE(quit.requests, 0);

        // Closing the main window ends the program.
        quit.blocking = false;
        inEventLoop(&main, [&] { main.close(); });
        QCOMPARE(quit.requests, 1);
    }

    // Names holding markup read as typed in every question about them and in the main window's label.
    void markupNamesShownAsTyped()
    {
        TestBed bed;
        DbConnection::open(bed.biaPath())
            .exec("INSERT INTO Teilnehmer (Name, VorName, Geschlecht, GebDat, PLZ, Ort, Kennung, AnzMes) "
                  "VALUES ('<b>Fett</b>', '<script>x()</script>', 0, '1970-01-01', '', '', '', 0)");
        QtMessages messages(applicationTitle());
        bed.platform.messages = &messages;
        BoxCloser closer({"Nein", "Ja", "Nein"});
        frmMain main(bed.platform);
        main.show();
        main.mnuImport_Click();
        QPointer<frmImport> w = main.findChild<frmImport *>();
        QTest::keyClicks(w->TXT_Archiv_Suche[0], u"<"_s);
        QVERIFY(pick(*w, "<b>Fett</b>", "<script>x()</script>"));
        click(w, "cmdCopyPerson");
        click(w, "optDelete");
        QVERIFY(pick(*w, "<b>Fett</b>", "<script>x()</script>"));
        click(w, "cmdErasePerson");
        w->close();
        QCOMPARE(closer.texts().mid(1),
                 (QStringList{"Wollen Sie <script>x()</script> <b>Fett</b>\rzur Gliederanalyse hinzufügen",
                              "Wollen Sie den Teilnehmer <script>x()</script> <b>Fett</b> wirklich löschen?",
                              "Vorgang durch Benutzer abgebrochen!"}));
        for (const BoxCloser::Seen &box : closer.seen)
            QCOMPARE(box.visibleText, box.text);

        QTest::mouseClick(main.findChild<QAbstractButton *>(u"cmdPatientAuswahl"_s), Qt::LeftButton);
        auto *list = main.findChild<QTableView *>(u"ocxFlex"_s);
        QTRY_COMPARE(list->model()->rowCount(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
        QCOMPARE(shownText(*main.findChild<QLabel *>(u"LBL_Top_Name"_s)), u"<b>Fett</b>"_s);
        QCOMPARE(shownText(*main.findChild<QLabel *>(u"LBL_Top_Vorname"_s)), u"<script>x()</script>"_s);
    }

    // Search and duplicate test ignore letter case, not accents: ü is Ü (typed as one character or
    // as u and its diaeresis), never u or ue. The repository test has the plain case-folding rows.
    void nameMatching()
    {
        TestBed bed;
        bed.addPerson("Müller", "Anna", QDate(1958, 3, 14));
        bed.addPerson("MÜLLER", "Bernd");
        bed.addPerson("Muller", "Carl");
        bed.addPerson("Mueller", "Dora");
        const DbConnection db = DbConnection::open(bed.segmentePath());
        const QList<std::pair<QString, QStringList>> searches{
            {"Mu", {"Mueller Dora", "Muller Carl"}},
            {"MÜL", {"Müller Anna", "MÜLLER Bernd"}},
            {"Mu\u0308", {"Müller Anna", "MÜLLER Bernd"}},
            {"mue", {"Mueller Dora"}},
        };
        for (const auto &[prefix, expected] : searches) {
            QStringList got;
            for (const PersonRow &row : readPersonList(db, prefix))
                got << row[0] + ' ' + row[1];
            QCOMPARE(got, expected);
        }
        QVERIFY(!personPresent(db, "Anna", "Muller", "14.03.1958"));
        QVERIFY(!personPresent(db, "Anna", "Mueller", "14.03.1958"));
        QVERIFY(personPresent(db, "ANNA", "MÜLLER", "14.03.1958"));
    }

    // Without a host database the operator is told once and can still delete.
    void hostDatabaseMissing()
    {
        TestBed bed(TestBed::Options{.hostDatabase = false});
        bed.addPerson("Schmidt", "Hans");
        bImportModus = true;
        SqliteRepository segments(bed.segmentePath());
        frmImport w(bed.platform, segments, nullptr, [] {});
        w.show();
        QCOMPARE(w.gridModel().rowCount(), 0);
        click(&w, "optDelete");
        QCOMPARE(listed(w), QStringList{"Schmidt"});
        QCOMPARE(bed.messages.texts(),
                 QStringList{"Es konnte keine BIA-Datenbnk gefunden werden\nBitte installieren Sie eine BIA Software"});
    }
};

QTEST_MAIN(TestFrmImport)
#include "tst_frmimport.moc"
