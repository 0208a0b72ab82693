// The structural checker the Excel tests rely on (xls_structure.py) must complain about each
// fault planted in a workbook the writer made, and about nothing in the intact workbook.
#include "history/HistoryTable.h"
#include "history/XlsWriter.h"
#include "XlsTools.h"

#include <functional>
#include <QTemporaryDir>
#include <QtEndian>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

quint32 get32(const QByteArray &b, qsizetype pos)
{
    return qFromLittleEndian<quint32>(b.constData() + pos);
}
void put32(QByteArray &b, qsizetype pos, quint32 v)
{
    qToLittleEndian(v, b.data() + pos);
}
void add32(QByteArray &b, qsizetype pos, int delta)
{
    put32(b, pos, get32(b, pos) + static_cast<quint32>(delta));
}
void put16(QByteArray &b, qsizetype pos, quint16 v)
{
    qToLittleEndian(v, b.data() + pos);
}

// Stream position of the n-th record with this id (from 0), so faults hit the record meant.
qsizetype recordAt(const QByteArray &s, quint16 id, int n = 0)
{
    int seen = 0;
    for (qsizetype pos = 0; pos + 4 <= s.size(); pos += 4 + qFromLittleEndian<quint16>(s.constData() + pos + 2))
        if (qFromLittleEndian<quint16>(s.constData() + pos) == id && seen++ == n)
            return pos;
    qFatal("record 0x%04X #%d not in the stream", id, n);
}

constexpr quint16 kBoundSheet = 0x0085, kSst = 0x00FC, kContinue = 0x003C, kExtSst = 0x00FF, kXf = 0x00E0,
                  kLabelSst = 0x00FD, kDimensions = 0x0200, kWindow2 = 0x023E, kEof = 0x000A;

// Compound file positions: FAT entry of a sector, and a directory entry (sector numbers from the header).
qsizetype fatEntry(const QByteArray &f, quint32 sector)
{
    return 512 * (get32(f, 76) + 1) + 4 * sector;
}
qsizetype dirEntry(const QByteArray &f, int i)
{
    return 512 * (get32(f, 48) + 1) + 128 * i;
}

struct Fault {
    const char *name;
    std::function<void(QByteArray &)> onStream; // records, before the container is built
    std::function<void(QByteArray &)> onFile;   // the container
    const char *complaint;
};

} // namespace

class TestXlsStructure : public QObject {
    Q_OBJECT
private slots:
    void complainsAboutEachFault();
};

void TestXlsStructure::complainsAboutEachFault()
{
    // Two sheets, more than 8 unique strings (two EXTSST buckets), numbers, and one text long
    // enough to continue the SST in a CONTINUE record.
    std::vector<QVariantList> rows;
    for (int i = 0; i < 60; ++i)
        rows.push_back(
            {QStringLiteral("Messung %1").arg(i), qlonglong(i), i == 7 ? QString(9000, 'x') : QString("ä"), 0.5 + i});
    HistoryTable table;
    table.setContent({"Text", "Nr", "Lang", "Wert"}, rows);
    const xls::StreamResult good = xls::workbookStream(table, QStringLiteral("Daten"), {}, 40);
    QVERIFY(!good.error && good.stream.size() > 8192);
    auto skip = [](QByteArray &) {};
    const std::vector<Fault> faults{
        {"intact", skip, skip, ""},
        {"BOUNDSHEET offset", [](QByteArray &s) { add32(s, recordAt(s, kBoundSheet, 1) + 4, 4); }, skip,
         "BOUNDSHEET offset"},
        {"SST total", [](QByteArray &s) { add32(s, recordAt(s, kSst) + 4, 1); }, skip, "cstTotal"},
        {"SST unique", [](QByteArray &s) { add32(s, recordAt(s, kSst) + 8, -1); }, skip, "cstUnique"},
        {"EXTSST position", [](QByteArray &s) { add32(s, recordAt(s, kExtSst) + 14, 2); }, skip, "EXTSST: bucket 1"},
        {"SST over 8224 bytes",
         [](QByteArray &s) {
             const qsizetype sst = recordAt(s, kSst), more = recordAt(s, kContinue);
             put16(s, sst + 2, quint16(more - sst - 4 + qFromLittleEndian<quint16>(s.constData() + more + 2)));
             s.remove(more, 4);
         },
         skip, "(at most 8224)"},
        {"truncated cell",
         [](QByteArray &s) {
             put16(s, recordAt(s, kLabelSst, 5) + 2, 8);
             s.remove(recordAt(s, kLabelSst, 5) + 12, 2);
         },
         skip, "LABELSST record at"},
        {"stream ends in a record", [](QByteArray &s) { s.truncate(recordAt(s, kWindow2, 1) + 10); }, skip,
         "runs past the end"},
        {"no EOF in the last sheet", [](QByteArray &s) { s.remove(recordAt(s, kEof, 2), 4); }, skip,
         "ends before its EOF"},
        {"no EOF in the globals", [](QByteArray &s) { s.remove(recordAt(s, kEof, 0), 4); }, skip, "globals: BOF at"},
        {"font 4", [](QByteArray &s) { put16(s, recordAt(s, kXf, 16) + 4, 4); }, skip, "uses font 4"},
        {"undefined number format", [](QByteArray &s) { put16(s, recordAt(s, kXf, 15) + 6, 200); }, skip,
         "XF 15 uses number format 200, which does not exist"},
        {"own number format unmarked", [](QByteArray &s) { put16(s, recordAt(s, kXf, 16) + 6, 2); }, skip,
         "cell XF 16 has a bad parent or its own font or format"},
        {"cell XF", [](QByteArray &s) { put16(s, recordAt(s, kLabelSst, 3) + 8, 3); }, skip,
         "uses XF 3, not a cell XF"},
        {"DIMENSIONS", [](QByteArray &s) { put32(s, recordAt(s, kDimensions) + 8, 41); }, skip,
         "DIMENSIONS (0, 41, 0, 4)"},
        {"two selected sheets", [](QByteArray &s) { put16(s, recordAt(s, kWindow2, 1) + 4, 0x06B6); }, skip,
         "2 sheets selected"},
        {"bytes after the last EOF", [](QByteArray &s) { s.append('\1'); }, skip, "non-zero bytes after"},
        {"header", skip, [](QByteArray &f) { put16(f, 26, 4); }, "major version is 4"},
        {"sector chain loops", skip, [](QByteArray &f) { put32(f, fatEntry(f, 3), 2); }, "sector 2 used twice"},
        {"sector chain ends early", skip, [](QByteArray &f) { put32(f, fatEntry(f, 3), 0xFFFFFFFE); },
         "sector chain of the Workbook: 4 sectors"},
        {"FAT sector unmarked", skip, [](QByteArray &f) { put32(f, fatEntry(f, get32(f, 76)), 0xFFFFFFFF); },
         "is not marked as one"},
        {"small stream", skip, [](QByteArray &f) { put32(f, dirEntry(f, 1) + 120, 4000); },
         "below the mini stream cutoff"},
        {"free directory entry", skip, [](QByteArray &f) { put32(f, dirEntry(f, 3) + 68, 0); },
         "free entry 3 is not cleared"},
    };
    QTemporaryDir dir;
    for (const Fault &fault : faults) {
        QByteArray stream = good.stream;
        fault.onStream(stream);
        QByteArray file = xls::compoundFile(stream);
        fault.onFile(file);
        QFile out(dir.filePath(QStringLiteral("fault.xls")));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
        out.close();
        const QString found = xlsStructureProblems(out.fileName());
        const QString want = QString::fromUtf8(fault.complaint);
        QVERIFY2(want.isEmpty() ? found.isEmpty() : found.contains(want),
                 qPrintable(QStringLiteral("%1: expected \"%2\", got: %3").arg(fault.name, want, found)));
    }
}

QTEST_GUILESS_MAIN(TestXlsStructure)
#include "tst_xlsstructure.moc"
