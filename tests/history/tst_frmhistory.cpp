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
#include <QSqlQuery>
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
        bed.addMeasurement(QStringLiteral("ArmLi"), anna, QDate(2026, 11, 2), QStringLiteral("09:05:00"), 500, 480, 460,
                           40, 45, 50, 498, 470, 455);
        bed.addMeasurement(QStringLiteral("ArmLi"), anna, QDate(2026, 12, 1), QStringLiteral("14:30:12"), 510, 490, 470,
                           41, 46, 51);
        bed.addMeasurement(QStringLiteral("ArmLi"), anna, QDate(2026, 12, 1), QStringLiteral("08:00:00"), 505, 485, 465,
                           42, 47, 52);
        bed.addMeasurement(QStringLiteral("BeinRe"), anna, QDate(2025, 1, 9), QStringLiteral("11:11:00"), 300, 280, 260,
                           30, 35, 38);
        bed.addMeasurement(QStringLiteral("ArmLi"), bert, QDate(2026, 10, 10), QStringLiteral("10:00:00"), 600, 580,
                           560, 50, 55, 60);
        main = std::make_unique<frmMain>(bed.platform);
        bed.messages.clear();
    }

    // The main window as after choosing a person and a segment.
    void choose(qint64 person, QRadioButton *option, const QString &segment)
    {
        Ui::frmMain &f = main->form();
        option->setChecked(true);
        main->strSegment = segment;
        f.txtFKTN->setText(QString::number(person));
        f.LBL_Top_Vorname->setText(QStringLiteral("Anna"));
        f.LBL_Top_Name->setText(QStringLiteral("Müller <&> Co"));
        f.LBL_Top_GebDat->setText(QStringLiteral("17.05.1960"));
        f.LBL_Top_Alter->setText(QStringLiteral("66"));
    }

    frmHistory *open()
    {
        main->form().mnuExportHistory->trigger();
        return main->findChild<frmHistory *>();
    }

    QString read(const QString &name)
    {
        QFile f(bed.path(name));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

QList<qlonglong> messIds(frmHistory &h)
{
    QList<qlonglong> ids;
    for (int r = 0; r < h.table().rowCount(); ++r)
        ids << h.table().index(r, 8).data().toLongLong();
    return ids;
}

} // namespace

class TestFrmHistory : public QObject {
    Q_OBJECT
private slots:
    void refusedWithoutSegment();
    void listFollowsMainWindow_data();
    void listFollowsMainWindow();
    void columnsAndWidths();
    void databaseMissing();
    void excelExport_data();
    void excelExport();
    void excelExportFailure();
    void htmlExport();
    void htmlExportFailure();
    void closes_data();
    void closes();
};

void TestFrmHistory::refusedWithoutSegment()
{
    Fixture fx;
    fx.main->strSegment.clear();
    QVERIFY(!fx.open());
    QCOMPARE(fx.bed.messages.count(), 1);
    QCOMPARE(fx.bed.messages.last().text, QStringLiteral("Bitte wählen Sie erst einen Patienten und ein Segment aus!"));
    QCOMPARE(fx.bed.messages.last().icon, MsgIcon::Information);
}

void TestFrmHistory::listFollowsMainWindow_data()
{
    QTest::addColumn<bool>("bert");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QList<qlonglong>>("ids");
    // MessIDs count per table: ArmLi Anna 1 (Nov 2), 2 (Dec 1 14:30), 3 (Dec 1 08:00), Bert 4;
    // BeinRe Anna 1.
    QTest::newRow("Anna, arm left, newest first") << false << QStringLiteral("optAL") << QList<qlonglong>{2, 3, 1};
    QTest::newRow("Anna, leg right") << false << QStringLiteral("optBR") << QList<qlonglong>{1};
    QTest::newRow("Anna, arm right: none") << false << QStringLiteral("optAR") << QList<qlonglong>{};
    QTest::newRow("Bert, arm left") << true << QStringLiteral("optAL") << QList<qlonglong>{4};
}

void TestFrmHistory::listFollowsMainWindow()
{
    QFETCH(bool, bert);
    QFETCH(QString, option);
    QFETCH(QList<qlonglong>, ids);
    Fixture fx;
    fx.choose(bert ? fx.bert : fx.anna, fx.main->findChild<QRadioButton *>(option), QStringLiteral("x"));
    frmHistory *h = fx.open();
    QVERIFY(h);
    QVERIFY(h->isVisible());
    QVERIFY(!h->isModal());
    QCOMPARE(h->windowTitle(), QStringLiteral("Historie Erzeugen"));
    QCOMPARE(messIds(*h), ids);
    QCOMPARE(h->form().Grid1->model()->rowCount(), ids.size());
    QCOMPARE(fx.bed.messages.count(), 0);
}

void TestFrmHistory::columnsAndWidths()
{
    Fixture fx;
    fx.bed.settings.setOwnSetting(QStringLiteral("MyApplication"), QStringLiteral("Grid1"), QStringLiteral("ColWidths"),
                                  QStringLiteral("2400,abc,1800"));
    fx.choose(fx.anna, fx.main->form().optAL, QStringLiteral("ArmLi"));
    frmHistory *h = fx.open();
    QVERIFY(h);
    QStringList header;
    for (int c = 0; c < h->table().columnCount(); ++c)
        header << h->table().headerData(c, Qt::Horizontal).toString();
    QCOMPARE(header, QStringList({"Messdatum", "Zeit", "R5", "R50", "R100", "Xc5", "Xc50", "Xc100", "MessID"}));
    // Row of Nov 2 with second values, Dec 1 14:30 without.
    const QAbstractItemModel &t = h->table();
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
    const QStringList kept =
        fx.bed.settings
            .ownSetting(QStringLiteral("MyApplication"), QStringLiteral("Grid1"), QStringLiteral("ColWidths"))
            .split(QLatin1Char(','));
    QCOMPARE(kept.size(), 9);
    QVERIFY(qAbs(kept[3].toInt() - 3000) <= 15);
}

void TestFrmHistory::databaseMissing()
{
    Fixture fx;
    fx.choose(fx.anna, fx.main->form().optAL, QStringLiteral("ArmLi"));
    QVERIFY(QFile::remove(fx.bed.segmentePath()));
    frmHistory *h = fx.open();
    QVERIFY(h);
    QCOMPARE(h->table().rowCount(), 0);
    QCOMPARE(fx.bed.messages.count(), 1);
    QVERIFY(fx.bed.messages.last().text.startsWith(
        QStringLiteral("Es ist ein Fehler beim Öffnen der Datenbank aufgetreten.\r\n")));
    QCOMPARE(fx.bed.messages.last().icon, MsgIcon::None);
}

void TestFrmHistory::excelExport_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("rows");
    QTest::newRow("three rows") << QStringLiteral("optAL") << 3;
    QTest::newRow("empty history: header only") << QStringLiteral("optAR") << 0;
}

void TestFrmHistory::excelExport()
{
    QFETCH(QString, option);
    QFETCH(int, rows);
    Fixture fx;
    fx.choose(fx.anna, fx.main->findChild<QRadioButton *>(option), QStringLiteral("x"));
    frmHistory *h = fx.open();
    QVERIFY(h);
    QProgressBar *bar = h->form().ProgressBar1;
    QList<int> values;
    connect(bar, &QProgressBar::valueChanged, bar, [&](int v) { values << v; });
    QTest::mouseClick(h->form().cmdExport, Qt::LeftButton);

    QCOMPARE(fx.bed.messages.texts(), QStringList());
    const QString path = fx.bed.path(QStringLiteral("Daten.xls"));
    QCOMPARE(fx.bed.shell.opened, QStringList{path});
    QCOMPARE(bar->maximum(), rows);
    QCOMPARE(bar->value(), 0);
    if (rows > 0)
        QVERIFY(values.contains(rows));
    const Run check = checkXls(path);
    QVERIFY2(check.exitCode == 0, qPrintable(check.output));
    const Run back = readBack(path, h->table(), QStringLiteral("Historie"));
    QVERIFY2(back.exitCode == 0 && back.output.isEmpty(), qPrintable(back.output));
}

void TestFrmHistory::excelExportFailure()
{
    Fixture fx;
    fx.choose(fx.anna, fx.main->form().optAL, QStringLiteral("ArmLi"));
    frmHistory *h = fx.open();
    QVERIFY(h);
    // Something that is not a file holds the export's name.
    QVERIFY(QDir(fx.bed.dir.path()).mkdir(QStringLiteral("Daten.xls")));
    h->cmdExport_Click();
    QCOMPARE(fx.bed.shell.opened, QStringList());
    QCOMPARE(fx.bed.messages.count(), 1);
    QVERIFY2(
        fx.bed.messages.last().text.startsWith(QStringLiteral("Fehler beim Exportieren der Daten!\r\nRow=3\r\n75, ")),
        qPrintable(fx.bed.messages.last().text));
    QCOMPARE(h->form().ProgressBar1->value(), 0);
    QVERIFY(h->form().cmdExport->isEnabled());
    QCOMPARE(QDir(fx.bed.dir.path()).entryList({QStringLiteral("Daten*")}, QDir::Files), QStringList());
}

void TestFrmHistory::htmlExport()
{
    Fixture fx;
    fx.choose(fx.anna, fx.main->form().optAL, QStringLiteral("ArmLi"));
    frmHistory *h = fx.open();
    QVERIFY(h);
    QTest::mouseClick(h->form().cmdReport, Qt::LeftButton);
    QCOMPARE(fx.bed.messages.texts(), QStringList());
    QCOMPARE(fx.bed.shell.opened, QStringList());
    QCOMPARE(h->form().ProgressBar1->value(), 0);
    QCOMPARE(fx.read(QStringLiteral("CompLogoMonitor.tmp")), QStringLiteral("KAVIO-LOGO-1\r\n"));

    const QString report = fx.read(QStringLiteral("report/report.htm"));
    const Run tidy = run(QStringLiteral("tidy"), {QStringLiteral("-q"), QStringLiteral("-e"),
                                                  fx.bed.path(QStringLiteral("report/report.htm"))});
    QVERIFY2(tidy.exitCode == 0 && tidy.output.isEmpty(), qPrintable(tidy.output));
    QVERIFY(report.contains(QStringLiteral("<td>Seite 1 von 1</td><td class=\"rechts\">Stand: 06.12.2026</td>")));
    QVERIFY(report.contains(QStringLiteral("<b>Name: Müller &lt;&amp;&gt; Co</b>")));
    QVERIFY(!report.contains(QStringLiteral("<&>")));
    QVERIFY(report.contains(QStringLiteral("<b>Patientennr.: %1</b>").arg(fx.anna)));
    QVERIFY(report.contains(QStringLiteral("Anzahl Datensätze: 3")));
    QCOMPARE(report.count(QStringLiteral("</td></tr>\n")), 3);

    // The main window moves on to someone else: the report still belongs to the listed rows.
    fx.main->form().LBL_Top_Name->setText(QStringLiteral("Becker"));
    // A second export: report replaced, the logo file left as it was although the host's
    // logo has changed.
    {
        DbConnection flags = DbConnection::open(fx.bed.path(QStringLiteral("Flags.mdb")));
        flags.exec(QStringLiteral("UPDATE Flags SET CompLogoMonitor = 'NEU'"));
    }
    QVERIFY(QFile::remove(fx.bed.path(QStringLiteral("report/report.htm"))));
    h->cmdReport_Click();
    QCOMPARE(fx.read(QStringLiteral("CompLogoMonitor.tmp")), QStringLiteral("KAVIO-LOGO-1\r\n"));
    const QString second = fx.read(QStringLiteral("report/report.htm"));
    QVERIFY(second.contains(QStringLiteral("<b>Name: Müller &lt;&amp;&gt; Co</b>")));
    QCOMPARE(QDir(fx.bed.path(QStringLiteral("report"))).entryList(QDir::Files),
             QStringList{QStringLiteral("report.htm")});
}

void TestFrmHistory::htmlExportFailure()
{
    Fixture fx;
    fx.choose(fx.anna, fx.main->form().optAL, QStringLiteral("ArmLi"));
    frmHistory *h = fx.open();
    QVERIFY(h);
    // A file where the report folder belongs.
    QFile blocker(fx.bed.path(QStringLiteral("report")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    h->cmdReport_Click();
    QCOMPARE(fx.bed.messages.count(), 1);
    QVERIFY(
        fx.bed.messages.last().text.startsWith(QStringLiteral("Fehler beim Exportieren der Daten!\r\nRow=0\r\n75, ")));
    QVERIFY(!QFile::exists(fx.bed.path(QStringLiteral("report/report.htm"))));
    QCOMPARE(h->form().ProgressBar1->value(), 0);
}

void TestFrmHistory::closes_data()
{
    QTest::addColumn<bool>("menu");
    QTest::newRow("button") << false;
    QTest::newRow("menu") << true;
}

void TestFrmHistory::closes()
{
    QFETCH(bool, menu);
    Fixture fx;
    fx.choose(fx.anna, fx.main->form().optAL, QStringLiteral("ArmLi"));
    QPointer<frmHistory> h = fx.open();
    QVERIFY(h);
    QCOMPARE(h->form().cmdClose->text(), QStringLiteral("Schließen"));
    QCOMPARE(h->form().mnuClose->text(), QStringLiteral("Schließen"));
    if (menu)
        h->form().mnuClose->trigger();
    else
        QTest::mouseClick(h->form().cmdClose, Qt::LeftButton);
    QTRY_VERIFY(h.isNull());
    QVERIFY(fx.main->isEnabled());
}

QTEST_MAIN(TestFrmHistory)
#include "tst_frmhistory.moc"
