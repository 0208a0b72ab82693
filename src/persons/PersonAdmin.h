#pragma once

#include <array>
#include <optional>
#include <QDate>
#include <QList>
#include <QString>

class QSqlQuery;

// Taking persons over from the host database and deleting them: everything of the
// person administration window that needs no widgets.
namespace kavio {

class DbConnection;

// Program-wide: true while the person administration works in import mode, false in
// delete mode. The menu commands set it before the window opens; it keeps its value
// after the window closes.
inline bool bImportModus = true;

// The person list's columns in order, and the widths (twips) every fill gives them.
inline constexpr int kPersonColumns = 8;
inline constexpr std::array<const char *, kPersonColumns> kPersonColumnNames{"Name", "Vorname", "GebDat", "PLZ",
                                                                             "Ort",  "Kennung", "AnzMes", "LfdNr"};
inline constexpr std::array<int, kPersonColumns> kPersonColumnTwips{1500, 1500, 1000, 750, 1000, 1000, 800, 800};
inline constexpr int kLfdNrColumn = 7;

using PersonRow = std::array<QString, kPersonColumns>;

// The nine detail boxes: Name, Vorname, Geschlecht, Geburtstag, PLZ, Ort, Kennung,
// Anzahl Messungen, Lfd Nummer.
inline constexpr int kDetailBoxes = 9;
using PersonBoxes = std::array<QString, kDetailBoxes>;

// The persons whose surname begins with the search text (blanks around it removed;
// letter case ignored, see foldCase; every character taken literally), all
// persons for an empty text; ordered by Name, then Vorname. Throws KavioError.
QList<PersonRow> readPersonList(const DbConnection &db, const QString &searchText);
// The rows of an import list statement (see sql::importList) as list rows, in the order
// of readPersonList.
QList<PersonRow> personRowsInNameOrder(QSqlQuery &q);

// The name ranges of the NOCASE index that together hold exactly the surnames whose
// folded form starts with foldedPrefix, when the folded pattern is checked on the
// ranges marked so. The first range is open-ended: names beginning with a non-ASCII
// letter. Then, for each start of the prefix, the names continuing it with a non-ASCII
// letter; last, when the prefix is plain ASCII, the names that begin with it (letter
// case ignored), which match without folding. Empty for an empty prefix.
struct NameRange {
    QString from;
    QString below; // null: no upper bound
    bool checkFolded = true;
};
QList<NameRange> nameRangesForPrefix(const QString &foldedPrefix);

// The detail boxes of one person (empty fields as " ", the sex as "männlich" or
// "weiblich", the birth date as day.month.year); nullopt when there is no such person.
// Throws KavioError.
std::optional<PersonBoxes> readPersonDetails(const DbConnection &db, qint32 lfdNr);

// The birth date of box 3: a blank box gives the stand-in day, anything else must be a
// day.month.year date (KavioError TypeMismatch otherwise).
QDate birthDayOfBox(const QString &box);

// Is a person with this first name, surname (letter case ignored, see foldCase) and
// birth date already in the segment database? False for an empty first name without
// reading. Throws KavioError.
bool personPresent(const DbConnection &segmente, const QString &vorname, const QString &name, const QString &gebDat);

// Stores the person of the boxes as a new row of Teilnehmer, its sex from box 2
// ("männlich" 0, "weiblich" 1, anything else unknown), and returns its LfdNr.
// Nothing is stored when a box does not convert (KavioError).
qint64 storePerson(const DbConnection &segmente, const PersonBoxes &boxes);

// Deletes the person, its facts (hand, limbs at risk) and the measurements of all four
// segment tables in one transaction: all of it goes, or nothing does.
// tblTeilnehmerSegmente is left alone.
void deletePersonWithMeasurements(const DbConnection &segmente, qint32 lfdNr);

// The user's kept column widths: twips by column position, separated by commas. The
// history list keeps its widths under the same key, so each list takes over what the
// other kept; an entry that is not a sensible width reads as 0 and is passed over.
QString encodeColumnWidths(const QList<int> &twips);
QList<int> decodeColumnWidths(const QString &text);

} // namespace kavio
