// The history window as the operator uses it, with the exports read back.
#include "history/frmHistory.h"
#include "TestBed.h"
#include "ui_frmHistory.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"
#include "XlsTools.h"

#include <QDir>
#include <QHeaderView>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

struct Fixture {
    TestBed bed;
    qint64 anna = 0, bert = 0;
    std::unique_ptr<frmMain> main;

    Fixture()
    {
        anna = bed.addPerson(QStringLiteral("Müller <&> Co"), QStringLiteral("Anna"));
        bert = bed.addPerson(QStringLiteral("Becker"), QStringLiteral("Bert"));
        bed.addMeasurement("ArmLi", anna, QDate(2026, 11, 2), "09:05:00", 500, 480, 460, 40, 45, 50, 498, 470, 455);
        bed.addMeasurement("ArmLi", anna, QDate(2026, 12, 1), "14:30:12", 510, 490, 470, 41, 46, 51);
        bed.addMeasurement("ArmLi", anna, QDate(2026, 12, 1), "08:00:00", 505, 485, 465, 42, 47, 52);
        bed.addMeasurement("BeinRe", anna, QDate(2025, 1, 9), "11:11:00", 300, 280, 260, 30, 35, 38);
        bed.addMeasurement("ArmLi", bert, QDate(2026, 10, 10), "10:00:00", 600, 580, 560, 50, 55, 60);
        main = std::make_unique<frmMain>(bed.platform);
        bed.messages.clear();
    }

    // Opens the window as after choosing a person and a segment option in the main window
    // (no segment chosen for an empty option).
    frmHistory *open(qint64 person, const QString &option = QStringLiteral("optAL"))
    {
        Ui::frmMain &f = main->form();
        main->strSegment = option.isEmpty() ? QString() : QStringLiteral("x");
        if (!option.isEmpty())
            main->findChild<QRadioButton *>(option)->setChecked(true);
        f.txtFKTN->setText(QString::number(person));
        f.LBL_Top_Vorname->setText(QStringLiteral("Anna"));
        f.LBL_Top_Name->setText(QStringLiteral("Müller <&> Co"));
        f.LBL_Top_GebDat->setText(QStringLiteral("17.05.1960"));
        f.LBL_Top_Alter->setText(QStringLiteral("66"));
        f.mnuExportHistory->trigger();
        return main->findChild<frmHistory *>();
    }

    QString read(const QString &name)
    {
        QFile f(bed.path(name));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

} // namespace

class TestFrmHistory : public QObject {
    Q_OBJECT
private slots:
    void listFollowsMainWindow_data();
    void listFollowsMainWindow();
    void columnsAndWidths();
    void databaseMissing();
    void exports();
    void exportFailures_data();
    void exportFailures();
};

void TestFrmHistory::listFollowsMainWindow_data()
{
    QTest::addColumn<bool>("bert");
    QTest::addColumn<QString>("option"); // empty: no segment chosen
    QTest::addColumn<QList<qlonglong>>("ids");
    // MessIDs count per table: ArmLi Anna 1 (Nov 2), 2 (Dec 1 14:30), 3 (Dec 1 08:00), Bert 4;
    // BeinRe Anna 1.
    QTest::newRow("Anna, arm left, newest first") << false << QStringLiteral("optAL") << QList<qlonglong>{2, 3, 1};
    QTest::newRow("Anna, leg right") << false << QStringLiteral("optBR") << QList<qlonglong>{1};
    QTest::newRow("Anna, arm right: none") << false << QStringLiteral("optAR") << QList<qlonglong>{};
    QTest::newRow("Bert, arm left") << true << QStringLiteral("optAL") << QList<qlonglong>{4};
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
    QCOMPARE(h->windowTitle(), QStringLiteral("Historie Erzeugen"));
    QList<qlonglong> listed;
    for (int r = 0; r < h->form().Grid1->model()->rowCount(); ++r)
        listed << h->table().index(r, 8).data().toLongLong();
    QCOMPARE(listed, ids);
    QCOMPARE(fx.bed.messages.count(), 0);
}

void TestFrmHistory::columnsAndWidths()
{
    Fixture fx;
    fx.bed.settings.setOwnSetting("MyApplication", "Grid1", "ColWidths", "2400,abc,1800");
    frmHistory *h = fx.open(fx.anna);
    QVERIFY(h);
    const QAbstractItemModel &t = h->table();
    QStringList header;
    for (int c = 0; c < t.columnCount(); ++c)
        header << t.headerData(c, Qt::Horizontal).toString();
    QCOMPARE(header, QStringList({"Messdatum", "Zeit", "R5", "R50", "R100", "Xc5", "Xc50", "Xc100", "MessID"}));
    // Row of Nov 2 with second values, Dec 1 14:30 without.
    QCOMPARE(t.index(2, 0).data().toString(), QStringLiteral("02.11.26"));
    QCOMPARE(t.index(2, 2).data().toString(), QStringLiteral("500/498"));
    QCOMPARE(t.index(0, 1).data().toString(), QStringLiteral("14:30"));
    QCOMPARE(t.index(0, 3).data().toString(), QStringLiteral("490/"));
    QCOMPARE(t.index(0, 6).data().toLongLong(), 46);

    const double pxPerTwip = h->form().Grid1->logicalDpiX() / 1440.0;
    QHeaderView *hv = h->form().Grid1->horizontalHeader();
    QCOMPARE(hv->sectionSize(0), qRound(2400 * pxPerTwip)); // kept width
    QCOMPARE(hv->sectionSize(1), qRound(1200 * pxPerTwip)); // unreadable entry: the window's width
    QCOMPARE(hv->sectionSize(2), qRound(1800 * pxPerTwip));
    QCOMPARE(hv->sectionSize(4), qRound(1200 * pxPerTwip));
    // A width the operator drags is kept for the next opening.
    hv->resizeSection(3, qRound(3000 * pxPerTwip));
    const QStringList kept = fx.bed.settings.ownSetting("MyApplication", "Grid1", "ColWidths").split(',');
    QCOMPARE(kept.size(), 9);
    QVERIFY(qAbs(kept[3].toInt() - 3000) <= 15);
}

void TestFrmHistory::databaseMissing()
{
    Fixture fx;
    QVERIFY(QFile::remove(fx.bed.segmentePath()));
    frmHistory *h = fx.open(fx.anna);
    QVERIFY(h);
    QCOMPARE(h->table().rowCount(), 0);
    QCOMPARE(fx.bed.messages.count(), 1);
    QVERIFY(fx.bed.messages.last().text.startsWith("Es ist ein Fehler beim Öffnen der Datenbank aufgetreten.\r\n"));
    QCOMPARE(fx.bed.messages.last().icon, MsgIcon::None);
}

void TestFrmHistory::exports()
{
    Fixture fx;
    QPointer<frmHistory> h = fx.open(fx.anna);
    QVERIFY(h);
    QProgressBar *bar = h->form().ProgressBar1;
    QList<int> values;
    connect(bar, &QProgressBar::valueChanged, bar, [&](int v) { values << v; });

    // Excel: written, opened, read back by the checker and xlrd; the bar back at 0.
    QTest::mouseClick(h->form().cmdExport, Qt::LeftButton);
    QCOMPARE(fx.bed.messages.texts(), QStringList());
    const QString xls = fx.bed.path(QStringLiteral("Daten.xls"));
    QCOMPARE(fx.bed.shell.opened, QStringList{xls});
    QCOMPARE(bar->maximum(), 3);
    QVERIFY(values.contains(3));
    QCOMPARE(bar->value(), 0);
    const Run check = checkXls(xls);
    QVERIFY2(check.exitCode == 0, qPrintable(check.output));
    const Run back = readBack(xls, h->table(), QStringLiteral("Historie"));
    QVERIFY2(back.exitCode == 0 && back.output.isEmpty(), qPrintable(back.output));

    // HTML: the report of the listed rows with the person lines escaped, and the logo file.
    QTest::mouseClick(h->form().cmdReport, Qt::LeftButton);
    QCOMPARE(fx.bed.messages.texts(), QStringList());
    QCOMPARE(fx.bed.shell.opened.size(), 1);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(fx.read(QStringLiteral("CompLogoMonitor.tmp")), QStringLiteral("KAVIO-LOGO-1\r\n"));
    const QString htm = fx.bed.path(QStringLiteral("report/report.htm"));
    QCOMPARE(tidyProblems(htm), QString());
    const QString report = fx.read(QStringLiteral("report/report.htm"));
    QVERIFY(report.contains(QStringLiteral("<td>Seite 1 von 1</td><td class=\"rechts\">Stand: 06.12.2026</td>")));
    QVERIFY(report.contains(QStringLiteral("<b>Patientennr.: %1</b>").arg(fx.anna)));
    QVERIFY(report.contains(QStringLiteral("Anzahl Datensätze: 3")));
    QCOMPARE(report.count(QStringLiteral("</td></tr>\n")), 3);

    // The person lines were taken when the window opened: the main window moving on to
    // someone else changes nothing. The logo file, once written, stays as it is.
    fx.main->form().LBL_Top_Name->setText(QStringLiteral("Becker"));
    DbConnection::open(fx.bed.path(QStringLiteral("Flags.mdb"))).exec("UPDATE Flags SET CompLogoMonitor = 'NEU'");
    QVERIFY(QFile::remove(htm));
    h->cmdReport_Click();
    QCOMPARE(fx.read(QStringLiteral("CompLogoMonitor.tmp")), QStringLiteral("KAVIO-LOGO-1\r\n"));
    QVERIFY(fx.read(QStringLiteral("report/report.htm")).contains("<b>Name: Müller &lt;&amp;&gt; Co</b>"));
    QCOMPARE(QDir(fx.bed.path(QStringLiteral("report"))).entryList(QDir::Files), QStringList{"report.htm"});

    QCOMPARE(h->form().mnuClose->text(), QStringLiteral("Schließen"));
    h->form().mnuClose->trigger();
    QTRY_VERIFY(h.isNull());
    QVERIFY(fx.main->isEnabled());
}

void TestFrmHistory::exportFailures_data()
{
    QTest::addColumn<bool>("excel");
    QTest::addColumn<QString>("message"); // how it begins
    QTest::newRow("Excel: a folder holds the file's name")
        << true << QStringLiteral("Fehler beim Exportieren der Daten!\r\nRow=3\r\n75, ");
    QTest::newRow("HTML: a file holds the folder's name")
        << false << QStringLiteral("Fehler beim Exportieren der Daten!\r\nRow=0\r\n75, ");
}

void TestFrmHistory::exportFailures()
{
    QFETCH(bool, excel);
    QFETCH(QString, message);
    Fixture fx;
    QPointer<frmHistory> h = fx.open(fx.anna);
    QVERIFY(h);
    if (excel) {
        QVERIFY(QDir(fx.bed.dir.path()).mkdir(QStringLiteral("Daten.xls")));
        h->cmdExport_Click();
    } else {
        QFile blocker(fx.bed.path(QStringLiteral("report")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        h->cmdReport_Click();
    }
    QCOMPARE(fx.bed.messages.count(), 1);
    QVERIFY2(fx.bed.messages.last().text.startsWith(message), qPrintable(fx.bed.messages.last().text));
    QCOMPARE(fx.bed.shell.opened, QStringList());
    QCOMPARE(h->form().ProgressBar1->value(), 0);
    QVERIFY(h->form().cmdExport->isEnabled() && h->form().cmdReport->isEnabled());
    // Nothing half-written under either name.
    QCOMPARE(QDir(fx.bed.dir.path()).entryList({"Daten*"}, QDir::Files), QStringList());
    QVERIFY(!QFile::exists(fx.bed.path(QStringLiteral("report/report.htm"))));

    QCOMPARE(h->form().cmdClose->text(), QStringLiteral("Schließen"));
    QTest::mouseClick(h->form().cmdClose, Qt::LeftButton);
    QTRY_VERIFY(h.isNull());
}

QTEST_MAIN(TestFrmHistory)
#include "tst_frmhistory.moc"
