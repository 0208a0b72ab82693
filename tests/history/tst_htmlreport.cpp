// The HTML report: pages, heading block, footer, escaping, and validity checked by tidy.
#include "history/HistoryTable.h"
#include "history/HtmlReport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace kavio;

namespace {

const QDate kToday(2026, 12, 6);

void fill(HistoryTable &table, int rows)
{
    std::vector<QVariantList> data;
    for (int i = 0; i < rows; ++i)
        data.push_back({QStringLiteral("%1.11.26").arg(1 + i % 28, 2, 10, QLatin1Char('0')), QStringLiteral("10:15"),
                        QStringLiteral("512/"), QStringLiteral("480/470"), QStringLiteral("455/"), qlonglong(40),
                        qlonglong(45), qlonglong(50), qlonglong(i + 1)});
    table.setContent({"Messdatum", "Zeit", "R5", "R50", "R100", "Xc5", "Xc50", "Xc100", "MessID"}, std::move(data));
}

html::ReportSettings historySettings(const html::PersonLines &person, int rowsPerPage = html::kRowsPerPage)
{
    html::ReportSettings s;
    s.title = QStringLiteral("Vendrik GmbH - Gliederanalyse");
    s.caption = QStringLiteral("Messungen");
    s.rowsPerPage = rowsPerPage;
    s.pageHeader = [person](int page, int pages) { return html::historyPageHeader(page, pages, kToday, person); };
    s.pageFooter = html::historyPageFooter;
    return s;
}

// The page sections of a document, in order.
QStringList pages(const QString &doc)
{
    QStringList parts = doc.split(QStringLiteral("<div class=\"seite\">"));
    parts.removeFirst();
    return parts;
}

// tidy's verdict: empty when it finds no error and no warning.
QString tidy(const QString &doc)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.htm"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write");
    f.write(doc.toUtf8());
    f.close();
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("tidy"), {QStringLiteral("-q"), QStringLiteral("-e"), path});
    if (!p.waitForFinished(60000))
        return QStringLiteral("tidy did not run");
    const QString out = QString::fromUtf8(p.readAll());
    return p.exitCode() == 0 ? out : QStringLiteral("exit %1: %2").arg(p.exitCode()).arg(out);
}

const html::PersonLines kPerson{QStringLiteral("Jörg"), QStringLiteral("Müller"), QStringLiteral("17.05.1960"),
                                QStringLiteral("66"), QStringLiteral("12")};

} // namespace

class TestHtmlReport : public QObject {
    Q_OBJECT
private slots:
    void pageCounts_data();
    void pageCounts();
    void pagesOfTheReport_data();
    void pagesOfTheReport();
    void footerGrouping_data();
    void footerGrouping();
    void valuesShownLiterally_data();
    void valuesShownLiterally();
    void writesUnderTemporaryName();
};

void TestHtmlReport::pageCounts_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("perPage");
    QTest::addColumn<int>("pages");
    QTest::newRow("empty") << 0 << 35 << 1;
    QTest::newRow("one row") << 1 << 35 << 1;
    QTest::newRow("full page") << 35 << 35 << 1;
    QTest::newRow("one over") << 36 << 35 << 2;
    QTest::newRow("three full") << 105 << 35 << 3;
    QTest::newRow("65000") << 65000 << 35 << 1858;
}

void TestHtmlReport::pageCounts()
{
    QFETCH(int, rows);
    QFETCH(int, perPage);
    QFETCH(int, pages);
    QCOMPARE(html::pageCount(rows, perPage), pages);
}

void TestHtmlReport::pagesOfTheReport_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pageCount");
    QTest::newRow("empty history") << 0 << 1;
    QTest::newRow("one page") << 3 << 1;
    QTest::newRow("three pages") << 2 * html::kRowsPerPage + 1 << 3;
}

void TestHtmlReport::pagesOfTheReport()
{
    QFETCH(int, rows);
    QFETCH(int, pageCount);
    HistoryTable table;
    fill(table, rows);
    const QString doc = html::reportDocument(table, historySettings(kPerson));
    QCOMPARE(tidy(doc), QString());
    QVERIFY(doc.startsWith(QStringLiteral("<!DOCTYPE html>")));
    QVERIFY(doc.contains(QStringLiteral("<title>Vendrik GmbH - Gliederanalyse</title>")));

    const QStringList sections = pages(doc);
    QCOMPARE(sections.size(), pageCount);
    int listed = 0;
    for (int p = 0; p < pageCount; ++p) {
        const QString &s = sections[p];
        // Page header with the date to the right, then the heading block in order.
        const QString header = QStringLiteral("<td>Seite %1 von %2</td><td class=\"rechts\">Stand: 06.12.2026</td>")
                                   .arg(p + 1)
                                   .arg(pageCount);
        QVERIFY2(s.contains(header), qPrintable(s.left(400)));
        qsizetype at = s.indexOf(header);
        for (const QString &part :
             {QStringLiteral("\u00a9 2026 Vendrik GmbH"), QStringLiteral("<h3>Gliederanalyse</h3>"),
              QStringLiteral("<b>Vorname: Jörg</b>"), QStringLiteral("<b>Name: Müller</b>"),
              QStringLiteral("<b>Geb.Datum: 17.05.1960</b>"), QStringLiteral("<b>Alter: 66</b>"),
              QStringLiteral("<b>Patientennr.: 12</b>"), QStringLiteral("<th>Messdatum</th>")}) {
            const qsizetype next = s.indexOf(part, at);
            QVERIFY2(next > at, qPrintable(QStringLiteral("page %1: %2 missing or out of order").arg(p + 1).arg(part)));
            at = next;
        }
        QCOMPARE(s.contains(QStringLiteral("<caption>Messungen</caption>")), p == 0);
        QCOMPARE(s.contains(QStringLiteral("Anzahl Datensätze: %1").arg(rows)), p == pageCount - 1);
        QCOMPARE(s.count(QStringLiteral("Anzahl Datensätze")), p == pageCount - 1 ? 1 : 0);
        const qsizetype onPage = s.count(QStringLiteral("</td></tr>\n"));
        QVERIFY(onPage <= html::kRowsPerPage);
        listed += static_cast<int>(onPage);
    }
    QCOMPARE(listed, rows);
    // The rows keep the list's order: MessID 1 first, the last row last.
    if (rows > 0) {
        QVERIFY(sections.first().contains(QStringLiteral("<td class=\"z\">1</td></tr>")));
        QVERIFY(sections.last().contains(QStringLiteral("<td class=\"z\">%1</td></tr>").arg(rows)));
    }
}

void TestHtmlReport::footerGrouping_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("footer");
    QTest::newRow("single page") << 1 << 1 << 3 << QStringLiteral("Anzahl Datensätze: 3");
    QTest::newRow("not the last page") << 2 << 3 << 100 << QString();
    QTest::newRow("999") << 1 << 1 << 999 << QStringLiteral("Anzahl Datensätze: 999");
    QTest::newRow("thousand") << 29 << 29 << 1000 << QStringLiteral("Anzahl Datensätze: 1.000");
    QTest::newRow("65000") << 1858 << 1858 << 65000 << QStringLiteral("Anzahl Datensätze: 65.000");
    QTest::newRow("million") << 4 << 4 << 1234567 << QStringLiteral("Anzahl Datensätze: 1.234.567");
    QTest::newRow("none") << 1 << 1 << 0 << QStringLiteral("Anzahl Datensätze: 0");
}

void TestHtmlReport::footerGrouping()
{
    QFETCH(int, page);
    QFETCH(int, pages);
    QFETCH(int, records);
    QFETCH(QString, footer);
    QCOMPARE(html::historyPageFooter(page, pages, records), footer);
}

void TestHtmlReport::valuesShownLiterally_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cell");
    QTest::newRow("markup characters") << QStringLiteral("<&>") << QStringLiteral("<b>fett</b>");
    QTest::newRow("closing tag") << QStringLiteral("</p></div><script>x()</script>") << QStringLiteral("a & b");
    QTest::newRow("quotes") << QStringLiteral("O'Neil \"Bob\"") << QStringLiteral("\"512\"/");
}

void TestHtmlReport::valuesShownLiterally()
{
    QFETCH(QString, name);
    QFETCH(QString, cell);
    HistoryTable table;
    table.setContent({QStringLiteral("R5 <kΩ>")}, {{cell}});
    html::PersonLines person = kPerson;
    person.name = name;
    person.vorname = name;
    const QString doc = html::reportDocument(table, historySettings(person));
    QCOMPARE(tidy(doc), QString());
    QVERIFY(!doc.contains(name));
    QVERIFY(!doc.contains(cell));
    QVERIFY(doc.contains(QStringLiteral("<b>Name: ") + name.toHtmlEscaped() + QStringLiteral("</b>")));
    QVERIFY(doc.contains(QStringLiteral("<td class=\"m\">") + cell.toHtmlEscaped() + QStringLiteral("</td>")));
    QVERIFY(doc.contains(QStringLiteral("<th>R5 &lt;kΩ&gt;</th>")));
    QVERIFY(!doc.contains(QStringLiteral("<script>")));
}

void TestHtmlReport::writesUnderTemporaryName()
{
    QTemporaryDir dir;
    HistoryTable table;
    fill(table, 40);
    const QString path = dir.filePath(QStringLiteral("report.htm"));
    int progressed = -1;
    html::ReportSettings settings = historySettings(kPerson);
    settings.progress = [&](int rows) { progressed = rows; };
    QVERIFY(!html::writeReport(path, table, settings));
    QCOMPARE(progressed, 40);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()), html::reportDocument(table, historySettings(kPerson)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("report.htm")});

    // Into a folder that does not exist: a path error and no file.
    const auto error = html::writeReport(dir.filePath(QStringLiteral("fehlt/report.htm")), table, settings);
    QVERIFY(error);
    QCOMPARE(error->number, 75);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("fehlt/report.htm"))));
}

QTEST_GUILESS_MAIN(TestHtmlReport)
#include "tst_htmlreport.moc"
