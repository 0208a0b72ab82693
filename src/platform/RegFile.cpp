#include "platform/RegFile.h"

#include <QFile>
#include <QStringConverter>
#include <QStringDecoder>

namespace kavio {

namespace {

const QString kHklm = QStringLiteral("hkey_local_machine");
const QString kHkcu = QStringLiteral("hkey_current_user");

QString hivePrefix(Hive hive)
{
    return hive == Hive::LocalMachine ? kHklm : kHkcu;
}

QString joinContinuations(const QString &text, qsizetype &pos)
{
    // Reads one logical line: a line ending in a backslash (only hex lists do) continues
    // on the next one, whose leading blanks are dropped.
    QString logical;
    while (pos < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), pos);
        if (end < 0)
            end = text.size();
        QString line = text.mid(pos, end - pos);
        pos = end + 1;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!logical.isEmpty())
            line = line.trimmed();
        if (!line.endsWith(QLatin1Char('\\'))) {
            logical += line;
            break;
        }
        line.chop(1);
        logical += line;
    }
    return logical;
}

// Parses a quoted string starting at text[i] == '"'; returns the unescaped content and
// moves i past the closing quote. nullopt when unterminated.
std::optional<QString> parseQuoted(const QString &text, qsizetype &i)
{
    QString out;
    ++i;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            out += text.at(i + 1);
            i += 2;
            continue;
        }
        if (c == QLatin1Char('"')) {
            ++i;
            return out;
        }
        out += c;
        ++i;
    }
    return std::nullopt;
}

std::optional<QByteArray> parseHexBytes(const QString &list)
{
    QByteArray bytes;
    const QString compact = QString(list).remove(QLatin1Char(' ')).remove(QLatin1Char('\t'));
    if (compact.isEmpty())
        return bytes;
    for (const QString &part : compact.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint b = part.toUInt(&ok, 16);
        if (!ok || b > 0xFF)
            return std::nullopt;
        bytes.append(static_cast<char>(b));
    }
    return bytes;
}

std::optional<RegValue> parseData(const QString &data, bool ansi)
{
    if (data.startsWith(QLatin1Char('"'))) {
        qsizetype i = 0;
        auto text = parseQuoted(data, i);
        if (!text)
            return std::nullopt;
        return RegValue::fromString(*text);
    }
    if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        bool ok = false;
        const QString digits = data.mid(6).trimmed();
        const quint32 v = digits.toUInt(&ok, 16);
        if (!ok || digits.size() > 8)
            return std::nullopt;
        return RegValue::fromDword(v);
    }
    if (data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) {
        quint32 type = RegValue::Binary;
        qsizetype colon = data.indexOf(QLatin1Char(':'));
        if (colon < 0)
            return std::nullopt;
        const QString head = data.left(colon);
        if (head.size() > 3) {
            // hex(<type>)
            if (!head.startsWith(QLatin1String("hex("), Qt::CaseInsensitive) || !head.endsWith(QLatin1Char(')')))
                return std::nullopt;
            bool ok = false;
            type = head.mid(4, head.size() - 5).toUInt(&ok, 16);
            if (!ok)
                return std::nullopt;
        }
        auto bytes = parseHexBytes(data.mid(colon + 1));
        if (!bytes)
            return std::nullopt;
        // REGEDIT4 keeps string types of hex() values as 8-bit text; the registry holds UTF-16.
        if (ansi && (type == RegValue::ExpandString || type == RegValue::MultiString)) {
            QStringDecoder dec("Windows-1252");
            QString s = dec.isValid() ? dec.decode(*bytes) : QString::fromLatin1(*bytes);
            QByteArray wide(reinterpret_cast<const char *>(s.utf16()), s.size() * 2);
            return RegValue{type, wide};
        }
        return RegValue{type, *bytes};
    }
    return std::nullopt;
}

} // namespace

RegValue RegValue::fromString(const QString &text)
{
    QByteArray bytes(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    bytes.append('\0').append('\0');
    return {String, bytes};
}

RegValue RegValue::fromDword(quint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return {Dword, bytes};
}

QString decodeRegFile(const QByteArray &data)
{
    if (data.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(data.mid(2));
    if (data.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE).decode(data.mid(2));
    if (data.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(data.mid(3));
    // UTF-16LE without a mark: every second byte of the ASCII header is NUL.
    if (data.size() > 4 && data.at(1) == '\0' && data.at(3) == '\0')
        return QStringDecoder(QStringDecoder::Utf16LE).decode(data);
    // 8-bit files: UTF-8 when it decodes cleanly, else Windows-1252 as the registry
    // editor writes them.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(data);
    if (!utf8.hasError())
        return text;
    QStringDecoder cp1252("Windows-1252");
    return cp1252.isValid() ? cp1252.decode(data) : QString::fromLatin1(data);
}

QString RegTree::normalizedKey(const QString &fullKey)
{
    QString key = fullKey.trimmed().toLower();
    while (key.endsWith(QLatin1Char('\\')))
        key.chop(1);
    if (key.startsWith(QLatin1String("hklm\\")))
        key = kHklm + key.mid(4);
    else if (key.startsWith(QLatin1String("hkcu\\")))
        key = kHkcu + key.mid(4);
    return key;
}

bool RegTree::merge(const QByteArray &fileData)
{
    const QString text = decodeRegFile(fileData);
    qsizetype pos = 0;
    QString header;
    while (pos < text.size() && header.trimmed().isEmpty())
        header = joinContinuations(text, pos);
    header = header.trimmed();
    bool ansi = false;
    if (header == QLatin1String("REGEDIT4"))
        ansi = true;
    else if (header != QLatin1String("Windows Registry Editor Version 5.00"))
        return false;

    QHash<QString, Values> keys = m_keys;
    QString current; // empty: values outside a key are ignored
    while (pos < text.size()) {
        const QString line = joinContinuations(text, pos).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            QString name = line.mid(1, line.size() - 2);
            if (name.startsWith(QLatin1Char('-'))) {
                const QString gone = normalizedKey(name.mid(1));
                for (auto it = keys.begin(); it != keys.end();) {
                    if (it.key() == gone || it.key().startsWith(gone + QLatin1Char('\\')))
                        it = keys.erase(it);
                    else
                        ++it;
                }
                current.clear();
                continue;
            }
            current = normalizedKey(name);
            keys[current];
            continue;
        }
        if (current.isEmpty())
            continue;
        QString valueName;
        qsizetype i = 0;
        if (line.startsWith(QLatin1Char('@'))) {
            i = 1;
        } else if (line.startsWith(QLatin1Char('"'))) {
            auto name = parseQuoted(line, i);
            if (!name)
                continue;
            valueName = *name;
        } else {
            continue;
        }
        while (i < line.size() && line.at(i).isSpace())
            ++i;
        if (i >= line.size() || line.at(i) != QLatin1Char('='))
            continue;
        const QString data = line.mid(i + 1).trimmed();
        if (data == QLatin1String("-")) {
            keys[current].remove(valueName.toLower());
            continue;
        }
        if (auto v = parseData(data, ansi))
            keys[current].insert(valueName.toLower(), *v);
    }
    m_keys = std::move(keys);
    return true;
}

bool RegTree::mergeFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return merge(f.readAll());
}

bool RegTree::keyExists(Hive hive, const QString &keyPath) const
{
    return m_keys.contains(normalizedKey(hivePrefix(hive) + QLatin1Char('\\') + keyPath));
}

std::optional<RegValue> RegTree::value(Hive hive, const QString &keyPath, const QString &name) const
{
    const auto key = m_keys.constFind(normalizedKey(hivePrefix(hive) + QLatin1Char('\\') + keyPath));
    if (key == m_keys.constEnd())
        return std::nullopt;
    const auto v = key->constFind(name.toLower());
    if (v == key->constEnd())
        return std::nullopt;
    return *v;
}

} // namespace kavio
