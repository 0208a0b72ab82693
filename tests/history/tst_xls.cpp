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
    rows.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const QDate day = QDate(2026, 12, 6).addDays(-i / 3);
        const bool second = i % 4 != 0;
        QVariantList row{
            day.toString(u"dd.MM.yy"),
            QStringLiteral("%1:%2").arg(8 + i % 10, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0')),
            QStringLiteral("%1/%2").arg(400 + i % 300).arg(second ? QString::number(390 + i % 290) : QString()),
            QStringLiteral("%1/%2").arg(380 + i % 250).arg(second ? QString::number(370 + i % 240) : QString()),
            QStringLiteral("%1/").arg(360 + i % 200),
            qlonglong(30 + i % 40),
            qlonglong(-5 - i % 7),
            QVariant(QMetaType(QMetaType::LongLong)),
            qlonglong(i + 1)};
        if (i % 7 == 0)
            row[7] = qlonglong(55);
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

} // namespace

class TestXls : public QObject {
    Q_OBJECT
private slots:
    void historyReadsBack_data();
    void historyReadsBack();
    void sheetsSplitWithHeader();
    void sstBoundaries_data();
    void sstBoundaries();
    void container_data();
    void container();
    void refusesWhatCannotBeWritten_data();
    void refusesWhatCannotBeWritten();
    void failureLeavesNoFile();
    void libreOfficeReadsIt();

private:
    QTemporaryDir m_dir;
};

void TestXls::historyReadsBack_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("sheets");
    QTest::newRow("header only") << 0 << 1;
    QTest::newRow("three rows") << 3 << 1;
    QTest::newRow("5000 rows") << 5000 << 1;
    QTest::newRow("70000 rows: second sheet") << 70000 << 2;
}

void TestXls::historyReadsBack()
{
    QFETCH(int, rows);
    QFETCH(int, sheets);
    HistoryTable table;
    table.setContent(kHeader, historyRows(rows));
    const QString path = m_dir.filePath(QStringLiteral("h%1.xls").arg(rows));
    int lastProgress = -1;
    QVERIFY(!xls::writeWorkbook(path, table, QStringLiteral("Historie"), [&](int r) { lastProgress = r; }));
    QCOMPARE(lastProgress, rows);

    const Run check = checkXls(path);
    QVERIFY2(check.exitCode == 0, qPrintable(check.output));
    QVERIFY2(check.output.contains(QStringLiteral("difat_sectors': %1").arg(rows == 70000 ? 1 : 0)),
             qPrintable(check.output));
    const Run back = readBack(path, table, QStringLiteral("Historie"));
    QVERIFY2(back.exitCode == 0 && back.output.isEmpty(), qPrintable(back.output));
    QCOMPARE(expectedSheets(table, QStringLiteral("Historie")).count("\"name\""), sheets);
}

void TestXls::sheetsSplitWithHeader()
{
    // Two data rows per sheet: five rows need three sheets, each with the header.
    HistoryTable table;
    table.setContent(kHeader, historyRows(5));
    const auto built = xls::workbookStream(table, QStringLiteral("Größe"), {}, 3);
    QVERIFY(!built.error);
    const QString path = m_dir.filePath(QStringLiteral("split.xls"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(xls::compoundFile(built.stream));
    f.close();
    const Run check = checkXls(path);
    QVERIFY2(check.exitCode == 0, qPrintable(check.output));
    const Run back = readBack(path, table, QStringLiteral("Größe"), 3);
    QVERIFY2(back.exitCode == 0 && back.output.isEmpty(), qPrintable(back.output));
}

void TestXls::sstBoundaries_data()
{
    // The first data string fills the SST record up to `left` bytes; the next string must
    // then start (with its first character) in a CONTINUE record or fit.
    QTest::addColumn<int>("left");
    QTest::addColumn<bool>("wideNext");
    QTest::addColumn<bool>("wideLong");
    for (int left = 0; left <= 6; ++left)
        for (bool wide : {false, true}) {
            QTest::addRow("%d bytes left, next %s", left, wide ? "UTF-16" : "8-bit") << left << wide << false;
            QTest::addRow("%d bytes left after UTF-16, next %s", left, wide ? "UTF-16" : "8-bit")
                << left << wide << true;
        }
}

void TestXls::sstBoundaries()
{
    QFETCH(int, left);
    QFETCH(bool, wideNext);
    QFETCH(bool, wideLong);
    // SST payload: 8 bytes of counts, header "H" (3 + 1), then the long string (3 + chars).
    const int used = 8 + 4 + 3;
    QString longText;
    if (wideLong) {
        if ((8224 - used - left) % 2)
            QSKIP("odd byte count cannot be filled with UTF-16 characters");
        longText = QString((8224 - used - left) / 2, QChar(0x20AC));
    } else {
        longText = QString(8224 - used - left, QLatin1Char('x'));
    }
    const QString next = wideNext ? QStringLiteral("€uro und Maße") : QStringLiteral("Maße");
    // Long strings around and beyond one record, both encodings.
    HistoryTable table;
    table.setContent({QStringLiteral("H")}, {{longText},
                                             {next},
                                             {QString(20000, QChar(0x00E4))},
                                             {QString(32767, QChar(0x4E2D))},
                                             {QStringLiteral("Ende")}});
    const QString path = m_dir.filePath(QStringLiteral("sst%1%2%3.xls").arg(left).arg(wideNext).arg(wideLong));
    QVERIFY(!xls::writeWorkbook(path, table, QStringLiteral("SST")));
    const Run check = checkXls(path);
    QVERIFY2(check.exitCode == 0, qPrintable(check.output));
    const Run back = readBack(path, table, QStringLiteral("SST"));
    QVERIFY2(back.exitCode == 0 && back.output.isEmpty(), qPrintable(back.output));
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
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();
    const Run r =
        python({historyTestDir() + QStringLiteral("/cfb_check.py"), xlsChecker(), path, QString::number(size)});
    QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    QCOMPARE(r.output.trimmed(), QStringLiteral("difat=%1").arg(difat));
    QFile::remove(path);
}

void TestXls::refusesWhatCannotBeWritten_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("row");
    QTest::newRow("text over 32767") << QVariant(QString(32768, QLatin1Char('a'))) << 3;
    QTest::newRow("not a number") << QVariant(std::nan("")) << 2;
    QTest::newRow("infinite") << QVariant(HUGE_VAL) << 1;
}

void TestXls::refusesWhatCannotBeWritten()
{
    QFETCH(QVariant, value);
    QFETCH(int, row);
    auto rows = historyRows(4);
    rows[static_cast<size_t>(row - 1)][2] = value;
    HistoryTable table;
    table.setContent(kHeader, rows);
    const auto built = xls::workbookStream(table, QStringLiteral("Historie"));
    QVERIFY(built.error);
    QCOMPARE(built.error->row, row);
    QCOMPARE(built.error->number, 6);
    QVERIFY(built.stream.isEmpty());
}

void TestXls::failureLeavesNoFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Daten.xls"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("previous export");
    old.close();

    auto rows = historyRows(10);
    rows[9][0] = QString(40000, QLatin1Char('z'));
    HistoryTable table;
    table.setContent(kHeader, rows);
    const auto error = xls::writeWorkbook(path, table, QStringLiteral("Historie"));
    QVERIFY(error);
    QCOMPARE(error->row, 10);
    QFile back(path);
    QVERIFY(back.open(QIODevice::ReadOnly));
    QCOMPARE(back.readAll(), QByteArray("previous export"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Daten.xls")});

    // A folder that does not exist: a failure with its path error, nothing written.
    const QString nowhere = dir.filePath(QStringLiteral("fehlt/Daten.xls"));
    HistoryTable fine;
    fine.setContent(kHeader, historyRows(2));
    const auto missing = xls::writeWorkbook(nowhere, fine, QStringLiteral("Historie"));
    QVERIFY(missing);
    QCOMPARE(missing->number, 75);
    QVERIFY(!QFileInfo::exists(nowhere));
}

void TestXls::libreOfficeReadsIt()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        QSKIP("LibreOffice is not installed (installed for CI runs only)");
    HistoryTable table;
    auto rows = historyRows(3);
    rows[1][2] = QStringLiteral("Größe äöü ß – € 5");
    rows[2][8] = qlonglong(3);
    table.setContent(kHeader, rows);
    const QString path = m_dir.filePath(QStringLiteral("lo.xls"));
    QVERIFY(!xls::writeWorkbook(path, table, QStringLiteral("Historie")));
    const QString out = m_dir.filePath(QStringLiteral("lo"));
    const Run r =
        run(soffice, {QStringLiteral("-env:UserInstallation=file://") + m_dir.filePath(QStringLiteral("lo-profile")),
                      QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                      QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false"),
                      QStringLiteral("--outdir"), out, path});
    QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    QFile csv(out + QStringLiteral("/lo.csv"));
    QVERIFY2(csv.open(QIODevice::ReadOnly), qPrintable(r.output));
    const QStringList lines = QString::fromUtf8(csv.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0].trimmed(), kHeader.join(QLatin1Char(',')));
    for (int r = 0; r < 3; ++r) {
        QStringList want;
        for (const QVariant &v : rows[static_cast<size_t>(r)]) {
            want << (v.isNull() ? QString() : v.toString());
        }
        QCOMPARE(lines[r + 1].trimmed(), want.join(QLatin1Char(',')));
    }
}

QTEST_GUILESS_MAIN(TestXls)
#include "tst_xls.moc"
