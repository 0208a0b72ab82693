// The Excel writer, read back by independent readers (structural checker, xlrd and, in
// CI, LibreOffice).
#include "history/HistoryTable.h"
#include "history/XlsWriter.h"
#include "XlsTools.h"

#include <cmath>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

const QStringList kHeader{"Messdatum", "Zeit", "R5", "R50", "R100", "Xc5", "Xc50", "Xc100", "MessID"};

// Rows like the history list gives them, with texts that need UTF-16, values beyond the
// RK range and empty cells sprinkled in.
std::vector<QVariantList> historyRows(int n)
{
    std::vector<QVariantList> rows;
    for (int i = 0; i < n; ++i) {
        const QString second = i % 4 != 0 ? QString::number(390 + i % 290) : QString();
        QVariantList row{QDate(2026, 12, 6).addDays(-i / 3).toString(u"dd.MM.yy"),
                         QStringLiteral("%1:%2").arg(8 + i % 10, 2, 10, QChar('0')).arg(i % 60, 2, 10, QChar('0')),
                         QStringLiteral("%1/%2").arg(400 + i % 300).arg(second),
                         QStringLiteral("%1/%2").arg(380 + i % 250).arg(second),
                         QStringLiteral("%1/").arg(360 + i % 200),
                         qlonglong(30 + i % 40),
                         qlonglong(-5 - i % 7),
                         i % 7 == 0 ? QVariant(qlonglong(55)) : QVariant(QMetaType(QMetaType::LongLong)),
                         qlonglong(i + 1)};
        if (i % 97 == 5)
            row[2] = QStringLiteral("Größe äöü ß – € 5"); // beyond Latin-1: UTF-16 in the file
        if (i % 89 == 3)
            row[8] = 1234567890123.0; // outside the RK range: NUMBER
        if (i % 83 == 1)
            row[5] = 12.5;
        rows.push_back(row);
    }
    return rows;
}

// The checker's and xlrd's complaints about a written workbook; empty when both accept it.
QString problems(const QString &path, const QAbstractItemModel &model, const QString &sheet, QString *figures = nullptr)
{
    const Run check = checkXls(path);
    if (figures)
        *figures = check.output;
    if (check.exitCode != 0)
        return check.output;
    const Run back = readBack(path, model, sheet);
    return back.exitCode == 0 && back.output.isEmpty() ? QString() : back.output;
}

} // namespace

class TestXls : public QObject {
    Q_OBJECT
private slots:
    void historyReadsBack_data();
    void historyReadsBack();
    void sstBoundaries_data();
    void sstBoundaries();
    void container_data();
    void container();
    void failureWritesNothing_data();
    void failureWritesNothing();
    void libreOfficeReadsIt();

private:
    QTemporaryDir m_dir;
};

void TestXls::historyReadsBack_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("difat");
    QTest::newRow("header only") << 0 << 0;
    QTest::newRow("three rows") << 3 << 0;
    QTest::newRow("5000 rows") << 5000 << 0;
    QTest::newRow("70000 rows: second sheet") << 70000 << 1;
}

void TestXls::historyReadsBack()
{
    QFETCH(int, rows);
    QFETCH(int, difat);
    HistoryTable table;
    table.setContent(kHeader, historyRows(rows));
    const QString path = m_dir.filePath(QStringLiteral("h%1.xls").arg(rows));
    int lastProgress = -1;
    QVERIFY(!xls::writeWorkbook(path, table, QStringLiteral("Historie"), [&](int r) { lastProgress = r; }));
    QCOMPARE(lastProgress, rows);
    // xlrd compares sheet by sheet: 65,535 rows under the header, then "Historie (2)".
    QString figures;
    const QString found = problems(path, table, QStringLiteral("Historie"), &figures);
    QVERIFY2(found.isEmpty(), qPrintable(found));
    QVERIFY2(figures.contains(QStringLiteral("difat_sectors': %1").arg(difat)), qPrintable(figures));
}

void TestXls::sstBoundaries_data()
{
    // The first data string fills the SST record up to `left` bytes; the next string must
    // then start (with its first character) in a CONTINUE record or fit.
    QTest::addColumn<int>("left");
    QTest::addColumn<bool>("wideNext");
    QTest::addColumn<bool>("wideLong");
    for (int left = 0; left <= 6; ++left)
        for (bool wideNext : {false, true})
            for (bool wideLong : {false, true})
                if (!wideLong || (8224 - 15 - left) % 2 == 0) // UTF-16 fills only even byte counts
                    QTest::addRow("%d left, %s then %s", left, wideLong ? "UTF-16" : "8-bit",
                                  wideNext ? "UTF-16" : "8-bit")
                        << left << wideNext << wideLong;
}

void TestXls::sstBoundaries()
{
    QFETCH(int, left);
    QFETCH(bool, wideNext);
    QFETCH(bool, wideLong);
    // SST payload: 8 bytes of counts, header "H" (3 + 1), then the long string (3 + chars).
    const int bytes = 8224 - 15 - left;
    const QString longText = wideLong ? QString(bytes / 2, QChar(0x20AC)) : QString(bytes, QLatin1Char('x'));
    HistoryTable table;
    table.setContent({QStringLiteral("H")}, {{longText},
                                             {wideNext ? QStringLiteral("€uro und Maße") : QStringLiteral("Maße")},
                                             {QString(20000, QChar(0x00E4))},
                                             {QString(32767, QChar(0x4E2D))},
                                             {QStringLiteral("Ende")}});
    const QString path = m_dir.filePath(QStringLiteral("sst%1%2%3.xls").arg(left).arg(wideNext).arg(wideLong));
    QVERIFY(!xls::writeWorkbook(path, table, QStringLiteral("SST")));
    const QString found = problems(path, table, QStringLiteral("SST"));
    QVERIFY2(found.isEmpty(), qPrintable(found));
}

void TestXls::container_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("difat");
    QTest::newRow("4096") << 4096 << 0;
    QTest::newRow("4097") << 4097 << 0;
    QTest::newRow("largest without DIFAT") << 7087104 << 0;
    QTest::newRow("first with DIFAT") << 7087105 << 1;
    QTest::newRow("17 MiB") << 17 * 1024 * 1024 << 2;
}

void TestXls::container()
{
    QFETCH(int, size);
    QFETCH(int, difat);
    QByteArray stream(size, '\0');
    for (int i = 0; i < size; ++i)
        stream[i] = static_cast<char>((static_cast<qint64>(i) * 7) % 251);
    const QByteArray file = xls::compoundFile(stream);
    QCOMPARE(file.size() % 512, 0);
    const QString path = m_dir.filePath(QStringLiteral("cfb%1.bin").arg(size));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file) == file.size());
    f.close();
    const Run r = python({historyTestDir() + "/cfb_check.py", xlsChecker(), path, QString::number(size)});
    QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    QCOMPARE(r.output.trimmed(), QStringLiteral("difat=%1").arg(difat));
    QFile::remove(path);
}

void TestXls::failureWritesNothing_data()
{
    QTest::addColumn<QVariant>("value"); // put into row `row`; null: nothing wrong with the rows
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("number");
    QTest::newRow("text over 32767") << QVariant(QString(32768, QLatin1Char('a'))) << 10 << 6;
    QTest::newRow("not a number") << QVariant(std::nan("")) << 2 << 6;
    QTest::newRow("infinite") << QVariant(HUGE_VAL) << 1 << 6;
    QTest::newRow("folder missing") << QVariant() << 0 << 75;
}

// Written under a temporary name and renamed when complete: a failure leaves the
// previous export as it was and no partial file.
void TestXls::failureWritesNothing()
{
    QFETCH(QVariant, value);
    QFETCH(int, row);
    QFETCH(int, number);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Daten.xls"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("previous export") > 0);
    old.close();
    auto rows = historyRows(10);
    if (value.isValid())
        rows[static_cast<size_t>(row - 1)][2] = value;
    else
        path = dir.filePath(QStringLiteral("fehlt/Daten.xls"));
    HistoryTable table;
    table.setContent(kHeader, rows);
    const auto error = xls::writeWorkbook(path, table, QStringLiteral("Historie"));
    QVERIFY(error);
    QCOMPARE(error->number, number);
    if (value.isValid())
        QCOMPARE(error->row, row);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("previous export"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"Daten.xls"});
}

void TestXls::libreOfficeReadsIt()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        QSKIP("LibreOffice is not installed (installed for CI runs only)");
    auto rows = historyRows(3);
    rows[1][2] = QStringLiteral("Größe äöü ß – € 5");
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
