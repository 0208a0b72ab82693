#include "persons/PersonAdmin.h"

#include "app/Conversions.h"
#include "app/Errors.h"
#include "db/Database.h"
#include "db/GermanText.h"
#include "db/Segments.h"
#include "db/Statements.h"

#include <algorithm>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QVariant>
#include <vector>

namespace kavio {

namespace {

// The sex box's two texts.
const QString kMan = QStringLiteral("männlich");
const QString kWoman = QStringLiteral("weiblich");

bool isAscii(QChar c)
{
    return c.unicode() < 0x80;
}

// The smallest text above every text that starts with prefix, in NOCASE order: the last
// character raised by one. A folded prefix has no capitals; '@' is the one character
// whose successor is a capital, which NOCASE reads as small, so it is followed by '['.
QString above(const QString &prefix)
{
    QString s = prefix;
    const char16_t last = s.back().unicode();
    s.back() = last == u'@' ? QChar(u'[') : QChar(static_cast<char16_t>(last + 1));
    return s;
}

// Dates are kept as ISO text; the boxes and the list show day.month.year.
QString shownDate(const QVariant &v)
{
    if (v.isNull())
        return {};
    const QString text = v.toString();
    // Rearranged rather than parsed and formatted: the list shows every person's date.
    auto isoForm = [&] {
        if (text.size() != 10)
            return false;
        for (qsizetype i = 0; i < 10; ++i)
            if ((i == 4 || i == 7) ? text[i] != QLatin1Char('-') : !text[i].isDigit())
                return false;
        return true;
    };
    if (isoForm())
        return text.mid(8, 2) + QLatin1Char('.') + text.mid(5, 2) + QLatin1Char('.') + text.left(4);
    const QDate d = fromIsoDate(text);
    return d.isValid() ? germanDate(d) : text;
}

// The key by which names are ordered and matched: foldGerman, with a short way for
// the plain ASCII most names are.
QString nameKey(const QString &name)
{
    QString key = name;
    for (QChar &c : key) {
        const char16_t u = c.unicode();
        if (u >= 0x80)
            return foldGerman(name);
        if (u >= 'A' && u <= 'Z')
            c = QChar(static_cast<char16_t>(u + 32));
    }
    return key;
}

QString shownText(const QVariant &v)
{
    return v.isNull() ? QString() : v.toString();
}

} // namespace

QList<NameRange> nameRangesForPrefix(const QString &foldedPrefix)
{
    QList<NameRange> ranges;
    if (foldedPrefix.isEmpty())
        return ranges;
    // A surname qualifies either with an ASCII head as long as the prefix (the prefix
    // itself, letter case ignored), or with a shorter ASCII head equal to the start of
    // the prefix followed by a non-ASCII letter, whose folding decides.
    ranges.append({QString(QChar(0x80)), QString(), true});
    qsizetype asciiHead = 0;
    while (asciiHead < foldedPrefix.size() && isAscii(foldedPrefix[asciiHead]))
        ++asciiHead;
    for (qsizetype i = 1; i <= asciiHead && i < foldedPrefix.size(); ++i) {
        const QString head = foldedPrefix.left(i);
        ranges.append({head + QChar(0x80), above(head), true});
    }
    if (asciiHead == foldedPrefix.size())
        ranges.append({foldedPrefix, above(foldedPrefix), false});
    return ranges;
}

QList<PersonRow> readPersonList(const DbConnection &db, const QString &searchText)
{
    const QString prefix = searchText.trimmed();
    const QString folded = foldCase(prefix);
    QSqlQuery q;
    if (prefix.isEmpty()) {
        q = db.exec(sql::importList());
    } else {
        const QList<NameRange> ranges = nameRangesForPrefix(folded);
        const QString pattern = sql::foldedPrefixPattern(prefix);
        QVariantList values;
        for (const NameRange &r : ranges) {
            values << r.from;
            if (!r.below.isNull())
                values << r.below;
            if (r.checkFolded)
                values << pattern;
        }
        const bool plain = !ranges.constLast().checkFolded;
        const int foldedRanges = static_cast<int>(ranges.size()) - 1 - (plain ? 1 : 0);
        // The pages of the rows are read through the file mapping: cheaper than a read
        // per page for rows spread over the whole table.
        db.exec(sql::mappedReading());
        q = db.exec(sql::importListByNameRanges(foldedRanges, plain), values);
    }
    return personRowsInNameOrder(q);
}

QList<PersonRow> personRowsInNameOrder(QSqlQuery &q)
{
    // Ordered here, by Name, then Vorname, as German readers expect (see compareGerman),
    // then by number: each name is folded once instead of at every comparison.
    struct Keyed {
        QString name, vorname;
        qint64 lfdNr;
        PersonRow row;
    };
    std::vector<Keyed> keyed;
    while (q.next()) {
        Keyed k;
        for (int c = 0; c < kPersonColumns; ++c)
            k.row[c] = c == 2 ? shownDate(q.value(c)) : shownText(q.value(c));
        k.name = nameKey(k.row[0]);
        k.vorname = nameKey(k.row[1]);
        k.lfdNr = q.value(kLfdNrColumn).toLongLong();
        keyed.push_back(std::move(k));
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        if (const int c = a.name.compare(b.name))
            return c < 0;
        if (const int c = a.vorname.compare(b.vorname))
            return c < 0;
        return a.lfdNr < b.lfdNr;
    });
    QList<PersonRow> rows;
    rows.reserve(static_cast<qsizetype>(keyed.size()));
    for (Keyed &k : keyed)
        rows.append(std::move(k.row));
    return rows;
}

std::optional<PersonBoxes> readPersonDetails(const DbConnection &db, qint32 lfdNr)
{
    QSqlQuery q = db.exec(sql::personDetails(), {lfdNr});
    if (!q.next())
        return std::nullopt;
    PersonBoxes boxes;
    for (int i = 0; i < kDetailBoxes; ++i) {
        const QString text = i == 3 ? shownDate(q.value(i)) : shownText(q.value(i));
        boxes[i] = text.isEmpty() ? QStringLiteral(" ") : text;
    }
    // 0 or nothing is a man; a text that is no number counts as 0.
    boxes[2] = q.value(2).toInt() != 0 ? kWoman : kMan;
    return boxes;
}

QDate birthDayOfBox(const QString &box)
{
    if (box.trimmed().isEmpty())
        return standInBirthDay();
    return toDate(box);
}

bool personPresent(const DbConnection &segmente, const QString &vorname, const QString &name, const QString &gebDat)
{
    if (vorname.isEmpty())
        return false;
    QSqlQuery q = segmente.exec(sql::personExists(), {isoDate(birthDayOfBox(gebDat)), name, vorname});
    return q.next();
}

qint64 storePerson(const DbConnection &segmente, const PersonBoxes &b)
{
    // Converted before anything is written, so a box that does not fit stores nothing.
    const QString gebDat = isoDate(birthDayOfBox(b[3]));
    const QVariant anzMes = b[7].trimmed().isEmpty() ? QVariant(QMetaType(QMetaType::Int)) : QVariant(toInt32(b[7]));
    // The sex as the box shows it: the leg limits of the evaluation differ for men and women.
    QVariant geschlecht(QMetaType(QMetaType::Int));
    if (b[2] == kWoman)
        geschlecht = 1;
    else if (b[2] == kMan)
        geschlecht = 0;
    QSqlQuery q = segmente.exec(sql::insertPerson(), {b[0], b[1], geschlecht, gebDat, b[4], b[5], b[6], anzMes});
    return q.lastInsertId().toLongLong();
}

void deletePersonWithMeasurements(const DbConnection &segmente, qint32 lfdNr)
{
    segmente.transaction([&] {
        segmente.exec(sql::deletePerson(), {lfdNr});
        segmente.exec(sql::deletePersonFacts(), {lfdNr});
        for (const SegmentInfo &segment : kSegments)
            segmente.exec(sql::deletePersonMeasurements(QLatin1String(segment.table)), {lfdNr});
    });
}

QString encodeColumnWidths(const QList<int> &twips)
{
    QStringList parts;
    for (int t : twips)
        parts << QString::number(t);
    return parts.join(QLatin1Char(','));
}

QList<int> decodeColumnWidths(const QString &text)
{
    QList<int> out;
    for (const QString &part : text.split(QRegularExpression(QStringLiteral("[,;]")))) {
        bool ok = false;
        const int twips = part.trimmed().toInt(&ok);
        // Too narrow to see or absurdly wide: a damaged entry must not hide a column.
        out << (ok && twips >= 100 && twips <= 30000 ? twips : 0);
    }
    if (text.trimmed().isEmpty())
        out.clear();
    return out;
}

} // namespace kavio
