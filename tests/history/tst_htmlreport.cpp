// The HTML report: pages of 35 rows, heading block, footer, escaping, and validity
// checked by tidy.
#include "history/HistoryTable.h"
#include "history/HtmlReport.h"
#include "XlsTools.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace kavio;

namespace {

// Person lines and cells with markup characters: all must be shown literally.
const html::PersonLines kPerson{QStringLiteral("Jörg \"J\""), QStringLiteral("Müller <&> </div><script>x()</script>"),
                                QStringLiteral("17.05.1960"), QStringLiteral("66"), QStringLiteral("12")};
const QString kCell = QStringLiteral("<b>512</b>/");

void fill(HistoryTable &table, int rows)
{
    std::vector<QVariantList> data;
    for (int i = 0; i < rows; ++i)
        data.push_back({QStringLiteral("%1.11.26").arg(1 + i % 28, 2, 10, QLatin1Char('0')), QStringLiteral("10:15"),
                        kCell, QStringLiteral("480/470"), QStringLiteral("455/"), qlonglong(40), qlonglong(45),
                        qlonglong(50), qlonglong(i + 1)});
    table.setContent({"Messdatum", "Zeit", "R5 <kΩ>", "R50", "R100", "Xc5", "Xc50", "Xc100", "MessID"},
                     std::move(data));
}

html::ReportSettings historySettings()
{
    html::ReportSettings s;
    s.title = QStringLiteral("Vendrik GmbH - Gliederanalyse");
    s.caption = QStringLiteral("Messungen");
    s.pageHeader = [](int page, int pages) {
        return html::historyPageHeader(page, pages, QDate(2026, 12, 6), kPerson);
    };
    s.pageFooter = html::historyPageFooter;
    return s;
}

// tidy's verdict on a document: empty when it finds no error and no warning.
QString tidy(const QString &doc)
{
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("r.htm")));
    if (!f.open(QIODevice::WriteOnly) || f.write(doc.toUtf8()) < 0)
        return QStringLiteral("cannot write");
    f.close();
    return kavio::test::tidyProblems(f.fileName());
}

} // namespace

class TestHtmlReport : public QObject {
    Q_OBJECT
private slots:
    void pagesOfTheReport_data();
    void pagesOfTheReport();
    void footerGrouping_data();
    void footerGrouping();
    void writesUnderTemporaryName();
};

void TestHtmlReport::pagesOfTheReport_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pageCount");
    QTest::newRow("empty history") << 0 << 1;
    QTest::newRow("one page") << 3 << 1;
    QTest::newRow("full page") << 35 << 1;
    QTest::newRow("one over") << 36 << 2;
    QTest::newRow("three pages") << 71 << 3;
}

void TestHtmlReport::pagesOfTheReport()
{
    QFETCH(int, rows);
    QFETCH(int, pageCount);
    HistoryTable table;
    fill(table, rows);
    const QString doc = html::reportDocument(table, historySettings());
    QCOMPARE(tidy(doc), QString());
    QVERIFY(doc.startsWith(QStringLiteral("<!DOCTYPE html>")));
    QVERIFY(doc.contains(QStringLiteral("<title>Vendrik GmbH - Gliederanalyse</title>")));
    // Every page but the last ends with a page break when printed.
    QVERIFY(doc.contains(QStringLiteral(".seite{page-break-after:always")));
    QVERIFY(doc.contains(QStringLiteral(".seite:last-child{page-break-after:auto")));
    for (const QString &raw : {kPerson.vorname, kPerson.name, kCell, QStringLiteral("<kΩ>")})
        QVERIFY2(!doc.contains(raw), qPrintable(raw));
    QCOMPARE(doc.count(QStringLiteral("<td class=\"m\">") + kCell.toHtmlEscaped() + QStringLiteral("</td>")), rows);

    QStringList sections = doc.split(QStringLiteral("<div class=\"seite\">"));
    sections.removeFirst();
    QCOMPARE(sections.size(), pageCount);
    int listed = 0;
    for (int p = 0; p < pageCount; ++p) {
        const QString &s = sections[p];
        // Page header with the date to the right, then the heading block in order.
        const QString header = QStringLiteral("<td>Seite %1 von %2</td><td class=\"rechts\">Stand: 06.12.2026</td>")
                                   .arg(p + 1)
                                   .arg(pageCount);
        qsizetype at = s.indexOf(header);
        QVERIFY2(at >= 0, qPrintable(s.left(400)));
        for (const QString &part :
             {QStringLiteral("\u00a9 2026 Vendrik GmbH"), QStringLiteral("<h3>Gliederanalyse</h3>"),
              "<b>Vorname: " + kPerson.vorname.toHtmlEscaped() + "</b>",
              "<b>Name: " + kPerson.name.toHtmlEscaped() + "</b>", QStringLiteral("<b>Geb.Datum: 17.05.1960</b>"),
              QStringLiteral("<b>Alter: 66</b>"), QStringLiteral("<b>Patientennr.: 12</b>"),
              QStringLiteral("<th>Messdatum</th>"), QStringLiteral("<th>R5 &lt;kΩ&gt;</th>")}) {
            const qsizetype next = s.indexOf(part, at);
            QVERIFY2(next > at, qPrintable(QStringLiteral("page %1: %2 missing or out of order").arg(p + 1).arg(part)));
            at = next;
        }
        QCOMPARE(s.contains(QStringLiteral("<caption>Messungen</caption>")), p == 0);
        QCOMPARE(s.count(QStringLiteral("Anzahl Datensätze: %1").arg(rows)), p == pageCount - 1 ? 1 : 0);
        const int onPage = static_cast<int>(s.count(QStringLiteral("</td></tr>\n")));
        QCOMPARE(onPage, std::min(35, rows - listed));
        listed += onPage;
    }
    // The rows keep the list's order: MessID 1 first, the last row last.
    if (rows > 0) {
        QVERIFY(sections.first().contains(QStringLiteral("<td class=\"z\">1</td></tr>")));
        QVERIFY(sections.last().contains(QStringLiteral("<td class=\"z\">%1</td></tr>").arg(rows)));
    }
}

void TestHtmlReport::footerGrouping_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("footer"); // on page `page` of 3
    QTest::newRow("not the last page") << 2 << 100 << QString();
    QTest::newRow("none") << 3 << 0 << QStringLiteral("Anzahl Datensätze: 0");
    QTest::newRow("999") << 3 << 999 << QStringLiteral("Anzahl Datensätze: 999");
    QTest::newRow("thousand") << 3 << 1000 << QStringLiteral("Anzahl Datensätze: 1.000");
    QTest::newRow("million") << 3 << 1234567 << QStringLiteral("Anzahl Datensätze: 1.234.567");
}

void TestHtmlReport::footerGrouping()
{
    QFETCH(int, page);
    QFETCH(int, records);
    QFETCH(QString, footer);
    QCOMPARE(html::historyPageFooter(page, 3, records), footer);
}

void TestHtmlReport::writesUnderTemporaryName()
{
    QTemporaryDir dir;
    HistoryTable table;
    fill(table, 40);
    const QString path = dir.filePath(QStringLiteral("report.htm"));
    int progressed = -1;
    html::ReportSettings settings = historySettings();
    settings.progress = [&](int rows) { progressed = rows; };
    QVERIFY(!html::writeReport(path, table, settings));
    QCOMPARE(progressed, 40);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()), html::reportDocument(table, historySettings()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("report.htm")});

    // Into a folder that does not exist: a path error and no file.
    const auto error = html::writeReport(dir.filePath(QStringLiteral("fehlt/report.htm")), table, settings);
    QVERIFY(error);
    QCOMPARE(error->number, 75);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("fehlt/report.htm"))));
}

QTEST_GUILESS_MAIN(TestHtmlReport)
#include "tst_htmlreport.moc"
