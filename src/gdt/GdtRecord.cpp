#include "gdt/GdtRecord.h"

namespace kavio::gdt {

namespace {

using Kind = Error::Kind;

constexpr int kHeadBytes = 7;        // length and field id
constexpr int kLengthLineBytes = 14; // "014" "8100" five digits CR LF
constexpr int kMaxRecordBytes = 99999;

QString lineText(int line, int id)
{
    return QStringLiteral("Zeile %1 (Feld %2)").arg(line).arg(id, 4, 10, QLatin1Char('0'));
}

bool allDigits(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return false;
    for (char c : bytes)
        if (c < '0' || c > '9')
            return false;
    return true;
}

struct RawLine {
    int id;
    QByteArray content;
};

} // namespace

std::optional<QString> Record::value(int id) const
{
    for (const Field &f : fields)
        if (f.id == id)
            return f.content;
    return std::nullopt;
}

Outcome<QByteArray> serialize(const Record &record, Charset charset)
{
    QList<QByteArray> contents;
    qsizetype total = 0;
    for (qsizetype i = 0; i < record.fields.size(); ++i) {
        const Field &f = record.fields[i];
        const QString where = lineText(int(i + 1), f.id);
        if (f.content.contains(QLatin1Char('\r')) || f.content.contains(QLatin1Char('\n')))
            return Error{Kind::LineBreakInContent, where + QStringLiteral(" enthält CR oder LF im Inhalt.")};
        auto encoded = encode(f.content, charset);
        if (const QChar *c = std::get_if<QChar>(&encoded))
            return Error{Kind::NotInCharset,
                         where + QStringLiteral(": das Zeichen „%1“ gibt es im Zeichensatz %2 nicht.")
                                     .arg(*c)
                                     .arg(static_cast<int>(charset))};
        QByteArray bytes = std::get<QByteArray>(std::move(encoded));
        const qsizetype line = f.id == field::kRecordLength ? kLengthLineBytes : kHeadBytes + bytes.size() + 2;
        if (line > kMaxLineBytes)
            return Error{Kind::LineTooLong, where + QStringLiteral(" wäre %1 Bytes lang, erlaubt sind 999.").arg(line)};
        total += line;
        contents.append(std::move(bytes));
    }
    if (total > kMaxRecordBytes)
        return Error{
            Kind::RecordTooLong,
            QStringLiteral("Der Satz wäre %1 Bytes lang, mehr als die 99999, die 8100 fassen kann.").arg(total)};

    QByteArray out;
    out.reserve(total);
    for (qsizetype i = 0; i < record.fields.size(); ++i) {
        const int id = record.fields[i].id;
        const QByteArray content =
            id == field::kRecordLength ? QByteArray::number(total).rightJustified(5, '0') : contents[i];
        out += QByteArray::number(kHeadBytes + content.size() + 2).rightJustified(3, '0');
        out += QByteArray::number(id).rightJustified(4, '0');
        out += content;
        out += "\r\n";
    }
    return out;
}

Outcome<Record> parse(const QByteArray &bytes)
{
    if (bytes.size() > kMaxFileBytes)
        return Error{Kind::TooLarge, QStringLiteral("Die Datei ist mit %1 Bytes größer als die erlaubten %2 Bytes.")
                                         .arg(bytes.size())
                                         .arg(kMaxFileBytes)};
    if (!bytes.endsWith("\r\n"))
        return Error{Kind::Incomplete, QStringLiteral("Die Datei ist unvollständig: sie endet nicht mit CR LF "
                                                      "(wird sie noch geschrieben?).")};

    QList<RawLine> lines;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const int number = int(lines.size() + 1);
        const qsizetype end = bytes.indexOf("\r\n", pos) + 2; // the file ends in CR LF
        const qsizetype actual = end - pos;
        if (actual > kMaxLineBytes)
            return Error{
                Kind::LineTooLong,
                QStringLiteral("Zeile %1 ist mit %2 Bytes länger als die erlaubten 999.").arg(number).arg(actual)};
        const QByteArray head = bytes.mid(pos, kHeadBytes);
        if (actual < kHeadBytes + 2 || !allDigits(head))
            return Error{Kind::BadLineStart, QStringLiteral("Zeile %1 beginnt nicht mit drei Ziffern Länge und "
                                                            "vier Ziffern Feldkennung.")
                                                 .arg(number)};
        const int declared = head.left(3).toInt();
        const int id = head.mid(3).toInt();
        const QString where = lineText(number, id);
        // A declared length that reaches a later CR LF means the content itself holds one.
        const bool breakInside =
            declared > actual && pos + declared <= bytes.size() && bytes.mid(pos + declared - 2, 2) == "\r\n";
        if (breakInside)
            return Error{Kind::LineBreakInContent, where + QStringLiteral(" enthält CR oder LF im Inhalt.")};
        if (declared != actual)
            return Error{
                Kind::WrongLineLength,
                where + QStringLiteral(" gibt die Länge %1 an, ist aber %2 Bytes lang.").arg(declared).arg(actual)};
        const QByteArray content = bytes.mid(pos + kHeadBytes, actual - kHeadBytes - 2);
        if (content.contains('\r') || content.contains('\n'))
            return Error{Kind::LineBreakInContent, where + QStringLiteral(" enthält CR oder LF im Inhalt.")};
        lines.append({id, content});
        pos = end;
    }

    if (lines.first().id != field::kRecordType)
        return Error{Kind::NoRecordType, QStringLiteral("Die erste Zeile ist keine Satzart (Feld 8000).")};
    Charset charset = kDefaultCharset;
    std::optional<QByteArray> length;
    for (const RawLine &l : lines) {
        if (l.id == field::kRecordLength && !length)
            length = l.content;
        if (l.id == field::kCharset) {
            const auto c = charsetOfCode(l.content.trimmed());
            if (!c)
                return Error{Kind::UnknownCharset, QStringLiteral("Unbekannter Zeichensatz „%1“ in Feld 9206 "
                                                                  "(bekannt sind 1, 2 und 3).")
                                                       .arg(QString::fromLatin1(l.content))};
            charset = *c;
        }
    }
    if (!length)
        return Error{Kind::NoRecordLength, QStringLiteral("Die Satzlänge (Feld 8100) fehlt.")};
    if (!allDigits(*length) || length->toLongLong() != bytes.size())
        return Error{Kind::WrongRecordLength,
                     QStringLiteral("Die Satzlänge (Feld 8100) lautet „%1“, die Datei hat aber %2 Bytes.")
                         .arg(QString::fromLatin1(*length))
                         .arg(bytes.size())};

    Record record;
    record.fields.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        auto text = decode(lines[i].content, charset);
        if (const uchar *b = std::get_if<uchar>(&text))
            return Error{
                Kind::NotInCharset,
                lineText(int(i + 1), lines[i].id) +
                    QStringLiteral(" enthält das Byte 0x%1, im Zeichensatz 7 Bit (9206 = 1) gibt es nur ASCII.")
                        .arg(QString::number(*b, 16).toUpper())};
        record.fields.append({lines[i].id, std::get<QString>(std::move(text))});
    }
    return record;
}

Charset charsetOf(const Record &record)
{
    const auto code = record.value(field::kCharset);
    if (!code)
        return kDefaultCharset;
    return charsetOfCode(code->trimmed().toLatin1()).value_or(kDefaultCharset);
}

} // namespace kavio::gdt
