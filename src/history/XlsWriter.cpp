#include "history/XlsWriter.h"

#include "app/Errors.h"

#include <cmath>
#include <QAbstractItemModel>
#include <QHash>
#include <QSaveFile>
#include <QtEndian>
#include <vector>

namespace kavio::xls {

namespace {

// Record numbers.
constexpr quint16 rBOF = 0x0809, rEOF = 0x000A, rCODEPAGE = 0x0042, rWINDOW1 = 0x003D, rFONT = 0x0031, rXF = 0x00E0,
                  rSTYLE = 0x0293, rBOUNDSHEET = 0x0085, rSST = 0x00FC, rCONTINUE = 0x003C, rEXTSST = 0x00FF,
                  rINDEX = 0x020B, rWSBOOL = 0x0081, rDEFCOLWIDTH = 0x0055, rCOLINFO = 0x007D, rDIMENSIONS = 0x0200,
                  rROW = 0x0208, rLABELSST = 0x00FD, rRK = 0x027E, rNUMBER = 0x0203, rDBCELL = 0x00D7,
                  rWINDOW2 = 0x023E, rFORMAT = 0x041E;

constexpr int kMaxPayload = 8224;
constexpr quint16 kCellXf = 15, kHeaderXf = 16;
// Number formats of the workbook's own are numbered from here; each has a cell XF after
// the header's.
constexpr quint16 kFirstOwnFormat = 164, kFirstFormatXf = 17;

// Little-endian byte buffer with record framing.
class Buf {
public:
    QByteArray data;

    int size() const { return static_cast<int>(data.size()); }
    void u8(quint8 v) { data.append(static_cast<char>(v)); }
    void u16(quint16 v)
    {
        char b[2];
        qToLittleEndian(v, b);
        data.append(b, 2);
    }
    void u32(quint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        data.append(b, 4);
    }
    void f64(double v)
    {
        char b[8];
        qToLittleEndian(v, b);
        data.append(b, 8);
    }
    void record(quint16 id, quint16 len)
    {
        u16(id);
        u16(len);
    }
    void put32(int at, quint32 v) { qToLittleEndian(v, data.data() + at); }
    void put16(int at, quint16 v) { qToLittleEndian(v, data.data() + at); }
};

bool fitsLatin1(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

// The flags byte (UTF-16 or Latin-1) and the characters of a string.
void flagsAndCharacters(Buf &b, const QString &s)
{
    const bool wide = !fitsLatin1(s);
    b.u8(wide ? 1 : 0);
    for (QChar c : s) {
        if (wide)
            b.u16(c.unicode());
        else
            b.u8(static_cast<quint8>(c.unicode()));
    }
}

// ShortXLUnicodeString: cch u8, flags, characters.
void shortString(Buf &b, const QString &s)
{
    b.u8(static_cast<quint8>(s.size()));
    flagsAndCharacters(b, s);
}

int shortStringSize(const QString &s)
{
    return 2 + static_cast<int>(s.size()) * (fitsLatin1(s) ? 1 : 2);
}

struct SheetPlan {
    QString name;
    int firstRow; // first model row on this sheet
    int rowCount; // model rows on this sheet (header comes on top)
};

class StringTable {
public:
    quint32 intern(const QString &s)
    {
        ++total;
        auto it = index.constFind(s);
        if (it != index.constEnd())
            return *it;
        const auto i = static_cast<quint32>(strings.size());
        index.insert(s, i);
        strings.push_back(s);
        return i;
    }
    QHash<QString, quint32> index;
    std::vector<QString> strings;
    quint32 total = 0;
};

// SST plus CONTINUE records and the EXTSST index, appended to the globals buffer g.
// Positions recorded for EXTSST are absolute because the globals start the stream.
void writeSst(Buf &g, const StringTable &sst)
{
    const int unique = static_cast<int>(sst.strings.size());
    const int dsst = std::max(8, (unique + 127) / 128);
    struct Bucket {
        quint32 ib;
        quint16 cb;
    };
    std::vector<Bucket> buckets;

    std::vector<QByteArray> records; // finished payloads
    QByteArray cur;
    int recordStart = g.size(); // stream offset of the current record's header
    auto flush = [&](bool flagByte, bool wide) {
        recordStart += 4 + static_cast<int>(cur.size());
        records.push_back(std::move(cur));
        cur = QByteArray();
        cur.reserve(kMaxPayload);
        if (flagByte)
            cur.append(static_cast<char>(wide ? 1 : 0));
    };
    auto append16 = [&](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        cur.append(b, 2);
    };
    cur.reserve(kMaxPayload);
    char head[8];
    qToLittleEndian(sst.total, head);
    qToLittleEndian(static_cast<quint32>(unique), head + 4);
    cur.append(head, 8);

    for (int i = 0; i < unique; ++i) {
        const QString &s = sst.strings[static_cast<size_t>(i)];
        const bool wide = !fitsLatin1(s);
        const int csz = wide ? 2 : 1;
        // The header and the first character stay together in one record.
        const int need = 3 + (s.isEmpty() ? 0 : csz);
        if (cur.size() + need > kMaxPayload)
            flush(false, false);
        if (i % dsst == 0)
            buckets.push_back(
                {static_cast<quint32>(recordStart + 4 + cur.size()), static_cast<quint16>(4 + cur.size())});
        append16(static_cast<quint16>(s.size()));
        cur.append(static_cast<char>(wide ? 1 : 0));
        const QChar *p = s.constData();
        qsizetype left = s.size();
        while (left > 0) {
            const qsizetype room = (kMaxPayload - cur.size()) / csz;
            if (room == 0) {
                // The characters go on in a CONTINUE that starts with the flag byte.
                flush(true, wide);
                continue;
            }
            const qsizetype n = std::min(left, room);
            if (wide) {
                for (qsizetype k = 0; k < n; ++k)
                    append16(p[k].unicode());
            } else {
                const qsizetype at = cur.size();
                cur.resize(at + n);
                char *out = cur.data() + at;
                for (qsizetype k = 0; k < n; ++k)
                    out[k] = static_cast<char>(p[k].unicode());
            }
            p += n;
            left -= n;
        }
    }
    records.push_back(std::move(cur));

    for (size_t k = 0; k < records.size(); ++k) {
        g.record(k == 0 ? rSST : rCONTINUE, static_cast<quint16>(records[k].size()));
        g.data.append(records[k]);
    }
    g.record(rEXTSST, static_cast<quint16>(2 + 8 * buckets.size()));
    g.u16(static_cast<quint16>(dsst));
    for (const Bucket &b : buckets) {
        g.u32(b.ib);
        g.u16(b.cb);
        g.u16(0);
    }
}

void bof(Buf &b, quint16 type)
{
    b.record(rBOF, 16);
    b.u16(0x0600);
    b.u16(type);
    b.u16(0x0DBB);
    b.u16(0x07CC);
    b.u32(0x41);
    b.u32(0x06);
}

// Column width in 1/256 of a character for a text of n characters.
quint16 columnWidth(int chars)
{
    const int w = std::clamp(chars + 2, 8, 60);
    return static_cast<quint16>((w * 7 + 5) / 7.0 * 256);
}

struct Sheet {
    Buf buf;
    int indexAt = 0;           // position of the INDEX payload
    std::vector<int> dbcellAt; // positions (relative) of the DBCELL records
    int defColWidthAt = 0;     // position (relative) of DEFCOLWIDTH
};

// One cell as it goes into the sheet; kind 0 = none.
struct CellOut {
    int kind = 0; // 0 none, 1 text, 2 rk, 3 number
    quint32 value = 0;
    double number = 0;
    quint16 xf = kCellXf;
};

class Builder {
public:
    Builder(const QAbstractItemModel &m, const ExportProgress &p) : model(m), progress(p) {}

    std::optional<ExportError> buildSheet(const SheetPlan &plan, bool first, Sheet &out);
    // The cell XF of a number format code; the general one for none.
    quint16 numberXf(const QString &format)
    {
        if (format.isEmpty())
            return kCellXf;
        qsizetype at = formats.indexOf(format);
        if (at < 0) {
            at = formats.size();
            formats << format;
        }
        return static_cast<quint16>(kFirstFormatXf + at);
    }

    const QAbstractItemModel &model;
    const ExportProgress &progress;
    StringTable sst;
    int columns = 0;
    QStringList header;
    QStringList formats; // number format codes in the order of their XFs
    std::vector<quint16> widths;
    int rowsDone = 0;
};

std::optional<ExportError> Builder::buildSheet(const SheetPlan &plan, bool first, Sheet &out)
{
    // Cells of the whole sheet first: the INDEX and DIMENSIONS records ahead of them need
    // to know which rows have cells.
    const int sheetRows = plan.rowCount + 1;
    std::vector<CellOut> cells(static_cast<size_t>(sheetRows) * columns);
    for (int c = 0; c < columns; ++c)
        cells[static_cast<size_t>(c)] = {1, sst.intern(header[c]), 0};
    for (int r = 0; r < plan.rowCount; ++r) {
        const int modelRow = plan.firstRow + r;
        for (int c = 0; c < columns; ++c) {
            const QModelIndex index = model.index(modelRow, c);
            // The value behind the shown text: a number shown with a decimal comma stays a
            // number. A model without values of its own gives what it shows.
            QVariant v = index.data(Qt::EditRole);
            if (!v.isValid())
                v = index.data();
            CellOut &cell = cells[static_cast<size_t>(r + 1) * columns + c];
            if (v.isNull() || !v.isValid())
                continue;
            if (isNumber(v)) {
                const double d = v.toDouble();
                if (!std::isfinite(d))
                    return ExportError{modelRow + 1, static_cast<int>(RunError::Overflow),
                                       describe(RunError::Overflow)};
                const quint16 xf = numberXf(index.data(kNumberFormatRole).toString());
                if (d == std::floor(d) && d >= -536870912.0 && d < 536870912.0)
                    cell = {2, (static_cast<quint32>(static_cast<qint32>(d)) << 2) | 2u, 0, xf};
                else
                    cell = {3, 0, d, xf};
            } else {
                const QString s = v.toString();
                if (s.size() > kMaxCellText)
                    return ExportError{modelRow + 1, static_cast<int>(RunError::Overflow),
                                       describe(RunError::Overflow)};
                cell = {1, sst.intern(s), 0};
                widths[static_cast<size_t>(c)] =
                    std::max(widths[static_cast<size_t>(c)], static_cast<quint16>(std::min<qsizetype>(s.size(), 60)));
            }
        }
        ++rowsDone;
        if (progress && rowsDone % kProgressStep == 0)
            progress(rowsDone);
    }

    // Rows with cells and the span of their columns.
    std::vector<int> colMic(static_cast<size_t>(sheetRows), -1), colMac(static_cast<size_t>(sheetRows), -1);
    int rwMic = -1, rwMac = 0, cMic = columns, cMac = 0;
    for (int r = 0; r < sheetRows; ++r)
        for (int c = 0; c < columns; ++c)
            if (cells[static_cast<size_t>(r) * columns + c].kind) {
                if (colMic[static_cast<size_t>(r)] < 0)
                    colMic[static_cast<size_t>(r)] = c;
                colMac[static_cast<size_t>(r)] = c + 1;
                if (rwMic < 0)
                    rwMic = r;
                rwMac = r + 1;
                cMic = std::min(cMic, c);
                cMac = std::max(cMac, c + 1);
            }
    std::vector<int> blocks; // first row of each 32-row block with cells
    for (int r = 0; r < sheetRows; ++r)
        if (colMic[static_cast<size_t>(r)] >= 0 && (blocks.empty() || blocks.back() != r / 32 * 32))
            blocks.push_back(r / 32 * 32);

    Buf &b = out.buf;
    b.data.reserve(static_cast<qsizetype>(sheetRows) * (20 + columns * 14) + 1024);
    bof(b, 0x0010);
    b.record(rINDEX, static_cast<quint16>(16 + 4 * blocks.size()));
    out.indexAt = b.size();
    b.u32(0);
    b.u32(rwMic < 0 ? 0 : static_cast<quint32>(rwMic));
    b.u32(rwMic < 0 ? 0 : static_cast<quint32>(rwMac));
    b.u32(0); // DEFCOLWIDTH position, set below
    for (size_t k = 0; k < blocks.size(); ++k)
        b.u32(0);
    b.record(rWSBOOL, 2);
    b.u16(0x04C1);
    out.defColWidthAt = b.size();
    b.record(rDEFCOLWIDTH, 2);
    b.u16(8);
    for (int c = 0; c < columns; ++c) {
        b.record(rCOLINFO, 12);
        b.u16(static_cast<quint16>(c));
        b.u16(static_cast<quint16>(c));
        b.u16(columnWidth(std::max<int>(widths[static_cast<size_t>(c)], static_cast<int>(header[c].size()))));
        b.u16(kCellXf);
        b.u16(0);
        b.u16(0);
    }
    b.record(rDIMENSIONS, 14);
    if (rwMic < 0) {
        b.u32(0);
        b.u32(0);
        b.u16(0);
        b.u16(0);
    } else {
        b.u32(static_cast<quint32>(rwMic));
        b.u32(static_cast<quint32>(rwMac));
        b.u16(static_cast<quint16>(cMic));
        b.u16(static_cast<quint16>(cMac));
    }
    b.u16(0);

    for (int blockStart : blocks) {
        const int blockEnd = std::min(blockStart + 32, sheetRows);
        const int firstRowAt = b.size();
        for (int r = blockStart; r < blockEnd; ++r) {
            if (colMic[static_cast<size_t>(r)] < 0)
                continue;
            Q_ASSERT(r < kMaxSheetRows);
            b.record(rROW, 16);
            b.u16(static_cast<quint16>(r));
            b.u16(static_cast<quint16>(colMic[static_cast<size_t>(r)]));
            b.u16(static_cast<quint16>(colMac[static_cast<size_t>(r)]));
            b.u16(0x00FF);
            b.u16(0);
            b.u16(0);
            b.u16(0x0100);
            b.u16(0x000F);
        }
        std::vector<quint16> offsets;
        int previousCell = firstRowAt + 20;
        for (int r = blockStart; r < blockEnd; ++r) {
            if (colMic[static_cast<size_t>(r)] < 0)
                continue;
            offsets.push_back(static_cast<quint16>(b.size() - previousCell));
            previousCell = b.size();
            for (int c = 0; c < columns; ++c) {
                const CellOut &cell = cells[static_cast<size_t>(r) * columns + c];
                const quint16 xf = r == 0 ? kHeaderXf : cell.xf;
                switch (cell.kind) {
                case 1:
                    b.record(rLABELSST, 10);
                    b.u16(static_cast<quint16>(r));
                    b.u16(static_cast<quint16>(c));
                    b.u16(xf);
                    b.u32(cell.value);
                    break;
                case 2:
                    b.record(rRK, 10);
                    b.u16(static_cast<quint16>(r));
                    b.u16(static_cast<quint16>(c));
                    b.u16(xf);
                    b.u32(cell.value);
                    break;
                case 3:
                    b.record(rNUMBER, 14);
                    b.u16(static_cast<quint16>(r));
                    b.u16(static_cast<quint16>(c));
                    b.u16(xf);
                    b.f64(cell.number);
                    break;
                default:
                    break;
                }
            }
        }
        out.dbcellAt.push_back(b.size());
        b.record(rDBCELL, static_cast<quint16>(4 + 2 * offsets.size()));
        b.u32(static_cast<quint32>(b.size() - 4 - firstRowAt));
        for (quint16 o : offsets)
            b.u16(o);
    }

    b.record(rWINDOW2, 18);
    b.u16(first ? 0x06B6 : 0x00B6);
    b.u16(0);
    b.u16(0);
    b.u16(0x40);
    for (int k = 0; k < 5; ++k)
        b.u16(0);
    b.record(rEOF, 0);
    return std::nullopt;
}

QString sheetName(const QString &base, int k)
{
    return k == 0 ? base : QStringLiteral("%1 (%2)").arg(base).arg(k + 1);
}

} // namespace

StreamResult workbookStream(const QAbstractItemModel &model, const QString &name, const ExportProgress &progress,
                            int rowsPerSheet)
{
    Builder builder(model, progress);
    builder.columns = model.columnCount();
    if (builder.columns > kMaxColumns)
        return {{}, ExportError{0, static_cast<int>(RunError::Overflow), describe(RunError::Overflow)}};
    for (int c = 0; c < builder.columns; ++c)
        builder.header << model.headerData(c, Qt::Horizontal).toString();
    builder.widths.assign(static_cast<size_t>(builder.columns), 0);

    // Header plus data rows: rowsPerSheet - 1 data rows per sheet, at least one sheet.
    const int dataPerSheet = std::max(1, std::min(rowsPerSheet, kMaxSheetRows) - 1);
    const int rows = model.rowCount();
    std::vector<SheetPlan> plans;
    for (int first = 0; first < rows || plans.empty(); first += dataPerSheet)
        plans.push_back({sheetName(name, static_cast<int>(plans.size())), first, std::min(dataPerSheet, rows - first)});

    std::vector<Sheet> sheets(plans.size());
    for (size_t k = 0; k < plans.size(); ++k)
        if (auto error = builder.buildSheet(plans[k], k == 0, sheets[k]))
            return {{}, error};

    Buf g;
    bof(g, 0x0005);
    g.record(rCODEPAGE, 2);
    g.u16(1200);
    g.record(rWINDOW1, 18);
    for (quint16 v : {0, 0, 0x25BC, 0x1572, 0x0038, 0, 0, 1, 0x0258})
        g.u16(v);
    for (int f = 0; f < 5; ++f) {
        const bool bold = f == 4; // the fifth record is font index 5 (there is no index 4)
        const QString arial = QStringLiteral("Arial");
        g.record(rFONT, static_cast<quint16>(14 + shortStringSize(arial)));
        g.u16(200);
        g.u16(bold ? 1 : 0);
        g.u16(0x7FFF);
        g.u16(bold ? 700 : 400);
        g.u16(0);
        g.u8(0);
        g.u8(0);
        g.u8(0);
        g.u8(0);
        shortString(g, arial);
    }
    for (qsizetype k = 0; k < builder.formats.size(); ++k) {
        // ifmt, then the code as an XLUnicodeString: as a short one, but with a two-byte cch.
        const QString &code = builder.formats[k];
        g.record(rFORMAT, static_cast<quint16>(2 + 1 + shortStringSize(code)));
        g.u16(static_cast<quint16>(kFirstOwnFormat + k));
        g.u16(static_cast<quint16>(code.size()));
        flagsAndCharacters(g, code);
    }
    auto xf = [&g](quint16 font, quint16 flags, quint8 used, quint16 format = 0) {
        g.record(rXF, 20);
        g.u16(font);
        g.u16(format);
        g.u16(flags);
        g.u8(0x20);
        g.u8(0);
        g.u8(0);
        g.u8(used);
        g.u32(0);
        g.u32(0);
        g.u16(0x20C0);
    };
    xf(0, 0xFFF5, 0x00);
    for (int k = 1; k < 15; ++k)
        xf(0, 0xFFF5, 0xF4);
    xf(0, 0x0001, 0x00);
    xf(5, 0x0001, 0x08);
    for (qsizetype k = 0; k < builder.formats.size(); ++k)
        xf(0, 0x0001, 0x04, static_cast<quint16>(kFirstOwnFormat + k)); // fAtrNum: a format of its own
    g.record(rSTYLE, 4);
    g.u16(0x8000);
    g.u8(0);
    g.u8(0xFF);
    std::vector<int> boundsheetAt;
    for (const SheetPlan &p : plans) {
        g.record(rBOUNDSHEET, static_cast<quint16>(6 + shortStringSize(p.name)));
        boundsheetAt.push_back(g.size());
        g.u32(0);
        g.u8(0);
        g.u8(0);
        shortString(g, p.name);
    }
    writeSst(g, builder.sst);
    g.record(rEOF, 0);

    // Sheet positions are now known: patch BOUNDSHEET and the INDEX records.
    qsizetype total = g.size();
    for (const Sheet &s : sheets)
        total += s.buf.size();
    QByteArray stream;
    stream.reserve(std::max<qsizetype>(total, 4096));
    stream.append(g.data);
    for (size_t k = 0; k < sheets.size(); ++k) {
        Sheet &s = sheets[k];
        const auto offset = static_cast<quint32>(stream.size());
        qToLittleEndian(offset, stream.data() + boundsheetAt[k]);
        s.buf.put32(s.indexAt + 12, offset + static_cast<quint32>(s.defColWidthAt));
        for (size_t d = 0; d < s.dbcellAt.size(); ++d)
            s.buf.put32(s.indexAt + 16 + static_cast<int>(4 * d), offset + static_cast<quint32>(s.dbcellAt[d]));
        stream.append(s.buf.data);
        s.buf.data = QByteArray();
    }
    // Smaller streams would belong in the mini stream; padding avoids writing one.
    if (stream.size() < 4096)
        stream.append(QByteArray(4096 - stream.size(), '\0'));
    if (progress)
        progress(builder.rowsDone);
    return {stream, std::nullopt};
}

QByteArray compoundFile(const QByteArray &stream)
{
    constexpr quint32 kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSect = 0xFFFFFFFD, kDifSect = 0xFFFFFFFC;
    const auto size = static_cast<quint32>(stream.size());
    const quint32 n = (size + 511) / 512;
    quint32 nfat = 1, ndif = 0;
    for (;;) {
        const quint32 f = (n + nfat + ndif + 1 + 127) / 128;
        const quint32 d = f <= 109 ? 0 : (f - 109 + 126) / 127;
        if (f == nfat && d == ndif)
            break;
        nfat = f;
        ndif = d;
    }
    const quint32 fatStart = n, difStart = n + nfat, dirSector = n + nfat + ndif;
    const quint32 sectors = dirSector + 1;

    QByteArray out(static_cast<qsizetype>(512) * (1 + sectors), '\0');
    char *p = out.data();
    auto at32 = [&](qsizetype pos, quint32 v) { qToLittleEndian(v, p + pos); };
    auto at16 = [&](qsizetype pos, quint16 v) { qToLittleEndian(v, p + pos); };
    auto sectorPos = [](quint32 s) { return static_cast<qsizetype>(512) * (s + 1); };

    static const unsigned char sig[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    memcpy(p, sig, 8);
    at16(24, 0x003E);
    at16(26, 0x0003);
    at16(28, 0xFFFE);
    at16(30, 9);
    at16(32, 6);
    at32(40, 0);
    at32(44, nfat);
    at32(48, dirSector);
    at32(52, 0);
    at32(56, 0x1000);
    at32(60, kEnd);
    at32(64, 0);
    at32(68, ndif ? difStart : kEnd);
    at32(72, ndif);
    for (quint32 i = 0; i < 109; ++i)
        at32(76 + 4 * i, i < nfat ? fatStart + i : kFree);

    memcpy(p + 512, stream.constData(), static_cast<size_t>(stream.size()));

    // FAT: the stream's chain, the FAT and DIFAT sectors, the directory; the rest free.
    const qsizetype fatPos = sectorPos(fatStart);
    for (quint32 i = 0; i < nfat * 128; ++i) {
        quint32 v = kFree;
        if (i < n)
            v = i + 1 < n ? i + 1 : kEnd;
        else if (i < difStart)
            v = kFatSect;
        else if (i < dirSector)
            v = kDifSect;
        else if (i == dirSector)
            v = kEnd;
        at32(fatPos + 4 * i, v);
    }
    for (quint32 d = 0; d < ndif; ++d) {
        const qsizetype pos = sectorPos(difStart + d);
        for (quint32 k = 0; k < 127; ++k) {
            const quint32 fatIndex = 109 + d * 127 + k;
            at32(pos + 4 * k, fatIndex < nfat ? fatStart + fatIndex : kFree);
        }
        at32(pos + 508, d + 1 < ndif ? difStart + d + 1 : kEnd);
    }

    const qsizetype dir = sectorPos(dirSector);
    auto entry = [&](int i, const QString &name, quint8 type, quint32 child, quint32 start, quint32 length) {
        const qsizetype e = dir + 128 * i;
        for (int k = 0; k < name.size(); ++k)
            at16(e + 2 * k, name[k].unicode());
        at16(e + 64, static_cast<quint16>(2 * (name.size() + 1)));
        p[e + 66] = static_cast<char>(type);
        p[e + 67] = 1; // black
        at32(e + 68, kFree);
        at32(e + 72, kFree);
        at32(e + 76, child);
        at32(e + 116, start);
        at32(e + 120, length);
    };
    entry(0, QStringLiteral("Root Entry"), 5, 1, kEnd, 0);
    entry(1, QStringLiteral("Workbook"), 2, kFree, 0, size);
    for (int i = 2; i < 4; ++i) {
        const qsizetype e = dir + 128 * i;
        at32(e + 68, kFree);
        at32(e + 72, kFree);
        at32(e + 76, kFree);
    }
    return out;
}

std::optional<ExportError> writeWorkbook(const QString &path, const QAbstractItemModel &model, const QString &sheetName,
                                         const ExportProgress &progress)
{
    StreamResult built = workbookStream(model, sheetName, progress);
    if (built.error)
        return built.error;
    const QByteArray file = compoundFile(built.stream);
    built.stream = QByteArray();

    QSaveFile out(path);
    const int rows = model.rowCount();
    auto failure = [&] {
        return ExportError{rows, static_cast<int>(RunError::PathAccess),
                           describe(RunError::PathAccess) + QStringLiteral(" (") + out.errorString() +
                               QLatin1Char(')')};
    };
    if (!out.open(QIODevice::WriteOnly))
        return failure();
    if (out.write(file) != file.size()) {
        out.cancelWriting();
        return failure();
    }
    if (!out.commit())
        return failure();
    return std::nullopt;
}

} // namespace kavio::xls
