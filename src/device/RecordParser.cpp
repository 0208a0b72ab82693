#include "device/RecordParser.h"

#include "db/Segments.h"

#include <cstring>
#include <utility>

namespace kavio {

namespace {

bool isCodeAt(const char *p)
{
    return (p[0] == 'A' || p[0] == 'B') && (p[1] == 'R' || p[1] == 'L');
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Offset of the value text from the segment code (position 8 counted from 1).
constexpr int kValueOffset = 7;

} // namespace

qint16 fFrequenz(QByteArrayView text)
{
    for (qsizetype i = text.size() - 4; i >= 0; --i) {
        const QByteArrayView tag = text.sliced(i, 4);
        if (tag == "M100")
            return 100;
        if (tag == "M050")
            return 50;
        if (tag == "M005")
            return 5;
    }
    return 0;
}

QString fSegment(QByteArrayView text)
{
    if (text.size() >= 2 && isCodeAt(text.data()))
        return QString::fromLatin1(text.first(2));
    return {};
}

bool SegmentPasst(const QString &table, const QString &code)
{
    const SegmentInfo *chosen = segmentByTable(table);
    const SegmentInfo *measured = segmentByCode(code);
    return !chosen || !measured || chosen == measured;
}

namespace {

// Decimal digits with an optional sign, blanks around ignored: the sign and the
// magnitude; nothing for anything else.
std::optional<std::pair<bool, qint64>> signedDigits(QByteArrayView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    bool negative = false;
    if (b < e && (text[b] == '-' || text[b] == '+')) {
        negative = text[b] == '-';
        ++b;
    }
    // 18 digits cannot overflow 64 bits; anything that long is far outside 16 bits anyway.
    if (b == e || e - b > 18)
        return std::nullopt;
    qint64 magnitude = 0;
    for (qsizetype i = b; i < e; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + (text[i] - '0');
    }
    return std::pair{negative, magnitude};
}

std::optional<qint16> fitting(bool negative, qint64 magnitude)
{
    const qint64 value = negative ? -magnitude : magnitude;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return static_cast<qint16>(value);
}

std::optional<qint16> wholeNumber(QByteArrayView text)
{
    const auto digits = signedDigits(text);
    return digits ? fitting(digits->first, digits->second) : std::nullopt;
}

} // namespace

std::optional<qint16> tenthsToOhms(QByteArrayView text)
{
    const auto digits = signedDigits(text);
    if (!digits)
        return std::nullopt;
    qint64 ohms = digits->second / 10;
    const qint64 rest = digits->second % 10;
    if (rest > 5 || (rest == 5 && (ohms % 2) != 0))
        ++ohms;
    return fitting(digits->first, ohms);
}

std::optional<FieldPair> fieldsFor(const QString &code, qint16 frequency)
{
    const SegmentInfo *s = segmentByCode(code);
    if (!s)
        return std::nullopt;
    switch (frequency) {
    case 5:
        return FieldPair{valueFieldName(Quantity::W5, *s), valueFieldName(Quantity::Xc5, *s)};
    case 50:
        return FieldPair{valueFieldName(Quantity::W50, *s), valueFieldName(Quantity::Xc50, *s)};
    case 100:
        return FieldPair{valueFieldName(Quantity::W100, *s), valueFieldName(Quantity::Xc100, *s)};
    default:
        return std::nullopt;
    }
}

QString RecordParser::window() const
{
    const int n = std::min(m_len, kReceiveWindowSize);
    return QString::fromLatin1(m_buf.data() + (m_len - n), n);
}

bool RecordParser::push(char c, Mode mode)
{
    if (mode != m_mode) {
        // A record or tag begun in the other mode must not be completed in this one.
        m_mode = mode;
        m_barrier = m_total;
        m_lastTag = 0;
    }
    if (m_len == static_cast<int>(m_buf.size())) {
        constexpr int keep = kReceiveWindowSize - 1;
        std::memmove(m_buf.data(), m_buf.data() + m_len - keep, keep);
        m_len = keep;
    }
    m_buf[m_len++] = c;
    ++m_total;

    // Only a ';' completes a record, only a '0' or '5' a tag: everything else costs nothing.
    if (c == ';') {
        const bool taken = takeRecord(m_len - 1);
        m_lastSemicolon = m_total - 1;
        return taken;
    }
    if ((c == '0' || c == '5') && m_len >= 4 && m_total - 4 >= m_barrier) {
        if (const qint16 f = fFrequenz(QByteArrayView(m_buf.data() + m_len - 4, 4)))
            m_lastTag = f;
    }
    return false;
}

bool RecordParser::takeRecord(int semicolon)
{
    // The record's code is the latest one after the previous ';' (and after the change
    // of mode) that leaves room for positions 3 to 7 and at least one value character.
    const qint64 base = m_total - m_len; // stream index of m_buf[0]
    const qint64 earliest = std::max({m_lastSemicolon + 1, m_barrier, base + m_len - kReceiveWindowSize});
    int start = -1;
    for (qint64 i = base + semicolon - (kValueOffset + 1); i >= earliest; --i) {
        if (isCodeAt(m_buf.data() + (i - base))) {
            start = static_cast<int>(i - base);
            break;
        }
    }
    if (start < 0)
        return false;

    const QByteArrayView values(m_buf.data() + start + kValueOffset, semicolon - start - kValueOffset);
    const qsizetype comma = values.indexOf(',');
    m_record.code = fSegment(QByteArrayView(m_buf.data() + start, 2));
    m_record.frequency = m_lastTag;
    m_record.discarded = m_mode == Mode::Discard;
    m_record.xc.reset();
    m_record.phaseTenths.reset();
    if (comma < 0) {
        m_record.r = tenthsToOhms(values);
    } else {
        m_record.r = tenthsToOhms(values.first(comma));
        const QByteArrayView rest = values.sliced(comma + 1);
        const qsizetype next = rest.indexOf(',');
        m_record.xc = tenthsToOhms(next < 0 ? rest : rest.first(next));
        if (next >= 0) {
            const QByteArrayView third = rest.sliced(next + 1);
            const qsizetype end = third.indexOf(',');
            m_record.phaseTenths = wholeNumber(end < 0 ? third : third.first(end));
        }
    }
    return true;
}

} // namespace kavio
