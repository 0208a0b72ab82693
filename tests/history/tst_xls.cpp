// The Excel writer, read back by independent readers (structural checker, xlrd and, in
// CI, LibreOffice).
#include "Files.h"
#include "history/HistoryTable.h"
#include "history/XlsWriter.h"
#include "XlsTools.h"

#include <cmath>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

const QStringList kHeader{"Messdatum", "Zeit", "R5", "R50", "R100", "Xc5", "Xc50", "Xc100", "MessID"};

// Rows like the history list gives them, with a text beyond Latin-1 (UTF-16 in the file),
// a number beyond the RK range, a fraction and empty cells sprinkled in.
std::vector<QVariantList> historyRows(int n)
{
    std::vector<QVariantList> rows;
    for (int i = 0; i < n; ++i) {
        const QString second = i % 4 != 0 ? QString::number(390 + i % 290) : QString();
        rows.push_back(
            {QDate(2026, 12, 6).addDays(-i / 3).toString(u"dd.MM.yy"),
             QStringLiteral("%1:%2").arg(8 + i % 10, 2, 10, QChar('0')).arg(i % 60, 2, 10, QChar('0')),
             i % 97 == 1 ? QStringLiteral("Größe äöü ß – € 5") : QStringLiteral("%1/%2").arg(400 + i % 300).arg(second),
             QStringLiteral("%1/%2").arg(380 + i % 250).arg(second), QStringLiteral("%1/").arg(360 + i % 200),
             i % 83 == 1 ? QVariant(12.5) : QVariant(qlonglong(30 + i % 40)), qlonglong(-5 - i % 7),
             i % 7 == 0 ? QVariant(qlonglong(55)) : QVariant(QMetaType(QMetaType::LongLong)),
             i % 89 == 3 ? QVariant(1234567890123.0) : QVariant(qlonglong(i + 1))});
    }
    return rows;
}

} // namespace

class TestXls : public QObject {
    Q_OBJECT
private slots:
    void historyReadsBack_data();
    void historyReadsBack();
    void computedColumns();
    void sstBoundaries();
    void failureKeepsPreviousExport();
    void libreOfficeReadsIt();

private:
    QTemporaryDir m_dir;
};

void TestXls::historyReadsBack_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("header only") << 0;
    QTest::newRow("5000 rows") << 5000;
    QTest::newRow("70000 rows: second sheet") << 70000;
}

void TestXls::historyReadsBack()
{
    QFETCH(int, rows);
    HistoryTable table;
    table.setContent(kHeader, historyRows(rows));
    const QString path = m_dir.filePath(QStringLiteral("h%1.xls").arg(rows));
    int lastProgress = -1;
    QVERIFY(!xls::writeWorkbook(path, table, QStringLiteral("Historie"), [&](int r) { lastProgress = r; }));
    QCOMPARE(lastProgress, rows);
    const QString found = xlsProblems(path, table, QStringLiteral("Historie"));
    QVERIFY2(found.isEmpty(), qPrintable(found));
    QFile::remove(path);
}

// After the nine measurement columns, which keep their place: the phase angle and ΔR at each
// frequency, shown with a decimal comma, in the workbook numbers of one decimal in a format that
// shows them the same way; an empty text where there is none (R 0 or missing, Xc missing, no
// second measurement), never 0.
void TestXls::computedColumns()
{
    Measurement a, b;
    a.id = 7;
    a.day = QDate(2026, 11, 2);
    a.time = QTime(9, 5);
    a.values[Frequency::kHz5] = {500, 40, 510};
    a.values[Frequency::kHz50] = {480, 45, 470};
    a.values[Frequency::kHz100] = {460, -50, 455};
    b.id = 8;
    b.day = QDate(2026, 11, 3);
    b.values[Frequency::kHz5] = {0, 40, 20};
    b.values[Frequency::kHz50] = {std::nullopt, 45, 470};
    b.values[Frequency::kHz100] = {460, std::nullopt, std::nullopt};
    HistoryTable table;
    table.setMeasurements({a, b});
    QStringList header, shown, values;
    for (int c = 0; c < table.columnCount(); ++c) {
        header << table.headerData(c, Qt::Horizontal).toString();
        for (int r = 0; r < 2; ++r) {
            shown << table.index(r, c).data().toString();
            values << table.index(r, c).data(Qt::EditRole).toString();
        }
    }
    QCOMPARE(header, (kHeader + QStringList{"φ5 (°)", "φ50 (°)", "φ100 (°)", "ΔR5", "ΔR50", "ΔR100"}));
    QCOMPARE(shown, (QStringList{"02.11.26", "03.11.26", "09:05",  "",   "500/510", "0/20", "480/470", "/470",
                                 "460/455",  "460/",     "40",     "40", "45",      "45",   "-50",     "",
                                 "7",        "8",        "4,6",    "",   "5,4",     "",     "-6,2",    "",
                                 "+2,0 %",   "",         "-2,1 %", "",   "-1,1 %",  ""}));
    QCOMPARE(values.mid(18), (QStringList{"4.6", "", "5.4", "", "-6.2", "", "2", "", "-2.1", "", "-1.1", ""}));
    const QString path = m_dir.filePath(QStringLiteral("figures.xls"));
    QVERIFY(!xls::writeWorkbook(path, table, QStringLiteral("Historie")));
    const QString found = xlsProblems(path, table, QStringLiteral("Historie"));
    QVERIFY2(found.isEmpty(), qPrintable(found));
}

// The first data string fills the SST record up to `left` bytes; the next string must then
// start (with its first character) in a CONTINUE record or fit.
void TestXls::sstBoundaries()
{
    for (int left = 0; left <= 6; ++left) {
        for (const bool wideLong : {false, true}) {
            // SST payload: 8 bytes of counts, header "H" (3 + 1), then the long string (3 + chars).
            const int bytes = 8224 - 15 - left;
            if (wideLong && bytes % 2 != 0)
                continue; // UTF-16 fills only even byte counts
            for (const QString &next : {QStringLiteral("Maße"), QStringLiteral("€uro und Maße")}) {
                HistoryTable table;
                table.setContent({QStringLiteral("H")},
                                 {{wideLong ? QString(bytes / 2, QChar(0x20AC)) : QString(bytes, QLatin1Char('x'))},
                                  {next},
                                  {QString(20000, QChar(0x00E4))},
                                  {QString(32767, QChar(0x4E2D))},
                                  {QStringLiteral("Ende")}});
                const QString path = m_dir.filePath(QStringLiteral("sst.xls"));
                QVERIFY(!xls::writeWorkbook(path, table, QStringLiteral("SST")));
                const QString found = xlsProblems(path, table, QStringLiteral("SST"));
                QVERIFY2(found.isEmpty(), qPrintable(QStringLiteral("%1 left, %2: %3").arg(left).arg(next, found)));
            }
        }
    }
}

// Written under a temporary name and renamed when complete: a failure on a text too long
// or a number that is none leaves the previous export as it was and no partial file.
void TestXls::failureKeepsPreviousExport()
{
    QTemporaryDir dir;
    const QString old = dir.filePath(QStringLiteral("Daten.xls"));
    QVERIFY(writeBytes(old, "previous export"));
    for (const QVariant &value : {QVariant(QString(32768, QLatin1Char('a'))), QVariant(std::nan(""))}) {
        auto rows = historyRows(10);
        rows[9][2] = value;
        HistoryTable table;
        table.setContent(kHeader, rows);
        const auto error = xls::writeWorkbook(old, table, QStringLiteral("Historie"));
        QVERIFY(error && error->number == 6 && error->row == 10);
        QCOMPARE(bytesOf(old), QByteArray("previous export"));
        QCOMPARE(entriesOf(dir.path()), QStringList{"Daten.xls"});
    }
}

void TestXls::libreOfficeReadsIt()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        QSKIP("LibreOffice is not installed (installed for CI runs only)");
    const auto rows = historyRows(3);
    HistoryTable table;
    table.setContent(kHeader, rows);
    const QString path = m_dir.filePath(QStringLiteral("lo.xls"));
    QVERIFY(!xls::writeWorkbook(path, table, QStringLiteral("Historie")));
    const Run r =
        run(soffice, {"-env:UserInstallation=file://" + m_dir.filePath("lo-profile"), "--headless", "--convert-to",
                      "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false", "--outdir",
                      m_dir.filePath("lo"), path});
    QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    QFile csv(m_dir.filePath(QStringLiteral("lo/lo.csv")));
    QVERIFY2(csv.open(QIODevice::ReadOnly), qPrintable(r.output));
    QStringList want{kHeader.join(',')};
    for (const QVariantList &row : rows) {
        QStringList cells;
        for (const QVariant &v : row)
            cells << (v.isNull() ? QString() : v.toString());
        want << cells.join(',');
    }
    QCOMPARE(QString::fromUtf8(csv.readAll()).remove('\r').trimmed().split('\n'), want);
}

QTEST_GUILESS_MAIN(TestXls)
#include "tst_xls.moc"
