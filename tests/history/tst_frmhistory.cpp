// The history window as the operator uses it, with the exports read back by xlrd and tidy.
#include "Files.h"
#include "history/frmHistory.h"
#include "history/HtmlReport.h"
#include "PdfPages.h"
#include "ui_frmHistory.h"
#include "WindowDriver.h"
#include "XlsTools.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>

using namespace kavio;
using namespace kavio::test;
using namespace Qt::StringLiterals;

namespace {

struct Fixture {
    Window win;
    TestBed &bed = win.bed;
    qint64 anna = 0, bert = 0;

    Fixture()
    {
        anna = bed.addPerson(u"Müller <&> Co"_s, u"Anna"_s);
        bert = bed.addPerson(u"Becker"_s, u"Bert"_s);
        bed.addMeasurement("ArmLi", anna, QDate(2026, 11, 2), "09:05:00", 500, 480, 460, 40, 45, 50, 498, 470, 455);
        bed.addMeasurement("ArmLi", anna, QDate(2026, 12, 1), "14:30:12", 510, 490, 470, 41, 46, 51);
        bed.addMeasurement("ArmLi", anna, QDate(2026, 12, 1), "08:00:00", 505, 485, 465, 42, 47, 52);
        bed.addMeasurement("BeinRe", anna, QDate(2025, 1, 9), "11:11:00", 300, 280, 260, 30, 35, 38);
        bed.addMeasurement("ArmLi", bert, QDate(2026, 10, 10), "10:00:00", 600, 580, 560, 50, 55, 60);
        for (int i = 0; i < 71; ++i)
            bed.addMeasurement("BeinLi", bert, QDate(2020, 1, 1).addDays(i), "10:00:00", 600, 580, 560, 50, 55, 60);
        win.open();
    }

    // Chooses the person (Becker is the list's first row) and the segment option in the
    // main window (the person only for an empty option), then opens the history.
    frmHistory *open(qint64 person, const QString &option = u"optAL"_s)
    {
        win.choose(person == bert ? 1 : 2, option);
        bed.messages.clear();
        win.w->findChild<QAction *>(u"mnuExportHistory"_s)->trigger();
        return win.w->findChild<frmHistory *>();
    }

    QString read(const QString &name) const { return QString::fromUtf8(bytesOf(bed.path(name))); }
};

} // namespace

class TestFrmHistory : public QObject {
    Q_OBJECT
private slots:
    void listFollowsMainWindow_data();
    void listFollowsMainWindow();
    void databaseMissing();
    void exportsAndTheirFailures();
    void reportOfThreePages();
};

void TestFrmHistory::listFollowsMainWindow_data()
{
    QTest::addColumn<bool>("bert");
    QTest::addColumn<QString>("option"); // empty: no segment chosen
    QTest::addColumn<QList<qlonglong>>("ids");
    // MessIDs count per table: ArmLi Anna 1 (Nov 2), 2 (Dec 1 14:30), 3 (Dec 1 08:00), Bert 4.
    QTest::newRow("Anna, arm left, newest first") << false << u"optAL"_s << QList<qlonglong>{2, 3, 1};
    QTest::newRow("Anna, leg right") << false << u"optBR"_s << QList<qlonglong>{1};
    QTest::newRow("Bert, arm left") << true << u"optAL"_s << QList<qlonglong>{4};
    QTest::newRow("no segment chosen") << false << QString() << QList<qlonglong>{};
}

void TestFrmHistory::listFollowsMainWindow()
{
    QFETCH(bool, bert);
    QFETCH(QString, option);
    QFETCH(QList<qlonglong>, ids);
    Fixture fx;
    frmHistory *h = fx.open(bert ? fx.bert : fx.anna, option);
    if (option.isEmpty()) {
        QVERIFY(!h);
        QCOMPARE(fx.bed.messages.texts(), QStringList{"Bitte wählen Sie erst einen Patienten und ein Segment aus!"});
        QCOMPARE(fx.bed.messages.last().icon, MsgIcon::Information);
        return;
    }
    QVERIFY(h && h->isVisible() && !h->isModal());
    QList<qlonglong> listed;
    for (int r = 0; r < h->table().rowCount(); ++r)
        listed << h->table().index(r, 8).data().toLongLong();
    QCOMPARE(listed, ids);
    QCOMPARE(fx.bed.messages.count(), 0);
}

void TestFrmHistory::databaseMissing()
{
    Fixture fx;
    // Gone after the person was chosen (and the window's connection let go, as before a restore).
    fx.win.choose(2, u"optAL"_s);
    fx.win.w->releaseDatabase();
    QVERIFY(QFile::remove(fx.bed.segmentePath()));
    fx.bed.messages.clear();
    fx.win.w->findChild<QAction *>(u"mnuExportHistory"_s)->trigger();
    frmHistory *h = fx.win.w->findChild<frmHistory *>();
    QVERIFY(h);
    QCOMPARE(h->table().rowCount(), 0);
    QCOMPARE(fx.bed.messages.count(), 1);
    QVERIFY(fx.bed.messages.last().text.startsWith("Es ist ein Fehler beim Öffnen der Datenbank aufgetreten.\r\n53 "));
    QVERIFY(!QFile::exists(fx.bed.segmentePath()));
}

void TestFrmHistory::exportsAndTheirFailures()
{
    Fixture fx;
    QPointer<frmHistory> h = fx.open(fx.anna);
    QVERIFY(h);
    const QAbstractItemModel &t = h->table();
    QStringList texts; // the row of Nov 2 with second values; the headers are HistoryTable's (tst_xls)
    for (int c = 0; c < t.columnCount(); ++c)
        texts << t.index(2, c).data().toString();
    QCOMPARE(texts, (QStringList{"02.11.26", "09:05", "500/498", "480/470", "460/455", "40", "45", "50", "1", "4,6",
                                 "5,4", "6,2", "-0,4 %", "-2,1 %", "-1,1 %"}));
    QCOMPARE(t.index(0, 3).data().toString(), u"490/"_s);
    QProgressBar *bar = h->form().ProgressBar1;

    // Excel: written, opened, read back; the bar back at 0.
    QTest::mouseClick(h->form().cmdExport, Qt::LeftButton);
    const QString xls = fx.bed.path(u"Daten.xls"_s);
    QCOMPARE(fx.bed.shell.opened, QStringList{xls});
    QCOMPARE(bar->value(), 0);
    const QString found = xlsProblems(xls, t, u"Historie"_s);
    QVERIFY2(found.isEmpty(), qPrintable(found));

    // HTML, twice: the logo file is written once and then left alone; the person lines are
    // those taken when the window opened, escaped; the listed rows fill one page.
    QTest::mouseClick(h->form().cmdReport, Qt::LeftButton);
    QCOMPARE(fx.read(u"CompLogoMonitor.tmp"_s), u"KAVIO-LOGO-1\r\n"_s);
    DbConnection::open(fx.bed.path(u"Flags.mdb"_s)).exec("UPDATE Flags SET CompLogoMonitor = 'NEU'");
    fx.win.choose(1, u"optAL"_s); // another person in the main window
    fx.bed.messages.clear();
    const QString htm = fx.bed.path(u"report/report.htm"_s);
    QVERIFY(QFile::remove(htm));
    h->cmdReport_Click();
    QCOMPARE(fx.bed.messages.texts(), QStringList());
    QCOMPARE(bar->value(), 0);
    QCOMPARE(fx.read(u"CompLogoMonitor.tmp"_s), u"KAVIO-LOGO-1\r\n"_s);
    QCOMPARE(tidyProblems(htm), QString());
    const QString report = fx.read(u"report/report.htm"_s);
    QVERIFY(report.contains(u"<td>Seite 1 von 1</td><td class=\"rechts\">Stand: 06.12.2026</td>"_s));
    QVERIFY(report.contains(u"<b>Name: Müller &lt;&amp;&gt; Co</b>"_s));
    QVERIFY(report.contains(u"Anzahl Datensätze: 3"_s));
    QCOMPARE(report.count(u"</td></tr>\n"_s), 3);
    // The computed columns after the others: numbers right-aligned as shown, empty where none.
    QVERIFY(report.contains(u"<th>MessID</th><th>φ5 (°)</th><th>φ50 (°)</th><th>φ100 (°)</th><th>ΔR5</th><th>ΔR50</th>"
                            "<th>ΔR100</th></tr>"_s));
    QStringList cells; // the window's row: the first seven columns centred
    for (int c = 0; c < texts.size(); ++c)
        cells << u"<td class=\"%1\">%2</td>"_s.arg(c < 7 ? u"m"_s : u"z"_s, texts[c]);
    QVERIFY(report.contains(u"<tr>"_s + cells.join(QString()) + u"</tr>"_s));
    QVERIFY(report.contains(u"<td class=\"z\">4,6</td><td class=\"z\">5,4</td><td class=\"z\">6,2</td><td></td>"
                            "<td></td><td></td></tr>"_s));
    QCOMPARE(QDir(fx.bed.path(u"report"_s)).entryList(QDir::Files), QStringList{"report.htm"});

    // A folder holding the workbook's name: the message, nothing opened or half-written.
    QVERIFY(QFile::remove(xls) && QDir(fx.bed.dir.path()).mkdir(u"Daten.xls"_s));
    h->cmdExport_Click();
    QCOMPARE(fx.bed.messages.count(), 1);
    QVERIFY2(fx.bed.messages.last().text.startsWith("Fehler beim Exportieren der Daten!\r\nRow=3\r\n75, "),
             qPrintable(fx.bed.messages.last().text));
    QCOMPARE(fx.bed.shell.opened.size(), 1);
    QCOMPARE(bar->value(), 0);
    QVERIFY(h->form().cmdExport->isEnabled() && h->form().cmdReport->isEnabled());
    QCOMPARE(QDir(fx.bed.dir.path()).entryList({"Daten*"}, QDir::Files), QStringList());

    h->form().mnuClose->trigger();
    QTRY_VERIFY(h.isNull());
    QVERIFY(fx.win.w->isEnabled());
}

void TestFrmHistory::reportOfThreePages()
{
    Fixture fx;
    QPointer<frmHistory> h = fx.open(fx.bert, u"optBL"_s);
    QVERIFY(h);
    h->cmdReport_Click();
    QCOMPARE(tidyProblems(fx.bed.path(u"report/report.htm"_s)), QString());
    QStringList pages = fx.read(u"report/report.htm"_s).split(u"<div class=\"seite\">"_s);
    pages.removeFirst();
    QCOMPARE(pages.size(), 3);
    for (int p = 0; p < 3; ++p) {
        // Every page: its header, then the heading block in order; the footer on the last.
        qsizetype at = 0;
        for (const QString &part : {u"<td>Seite %1 von 3</td><td class=\"rechts\">Stand: 06.12.2026</td>"_s.arg(p + 1),
                                    u"<h3>Gliederanalyse</h3>"_s, u"<b>Vorname: Bert</b>"_s, u"<b>Name: Becker</b>"_s,
                                    u"<b>Geb.Datum: 17.05.1960</b>"_s, u"<b>Alter: 66 Jahre</b>"_s,
                                    u"<b>Patientennr.: %1</b>"_s.arg(fx.bert), u"<th>Messdatum</th>"_s}) {
            const qsizetype next = pages[p].indexOf(part, at);
            QVERIFY2(next >= at, qPrintable(u"page %1: %2 missing or out of order"_s.arg(p + 1).arg(part)));
            at = next;
        }
        QCOMPARE(pages[p].count(u"</td></tr>\n"_s), p < 2 ? 35 : 1);
        QCOMPARE(pages[p].contains(u"Anzahl Datensätze: 71"_s), p == 2);
    }
    QCOMPARE(html::historyPageFooter(3, 3, 1234567), u"Anzahl Datensätze: 1.234.567"_s);

    // The same pages as PDF, under the proposed name (the page contents: tst_printing).
    fx.bed.dialogs.saveAnswer = fx.bed.path(u"historie.pdf"_s);
    h->form().cmdPdf->click();
    QCOMPARE(QFileInfo(fx.bed.dialogs.proposed.value(0)).fileName(),
             u"Becker_Bert_2026-12-06_Historie_Bein_links.pdf"_s);
    const QList<PdfPage> printed = readPdf(fx.bed.dialogs.saveAnswer);
    QVERIFY(printed.size() == 3 && !printed[0].line(u"Name: Becker"_s).isNull());
    QCOMPARE(fx.bed.messages.count(), 0);
    QVERIFY(h->form().cmdPdf->isEnabled());
}

QTEST_MAIN(TestFrmHistory)
#include "tst_frmhistory.moc"
