#pragma once

#include <QString>

// Every statement the program sends to its databases, in one place. Variable parts are
// bound parameters; only a segment table name is put into the text, and only after it
// has been checked to be one of the four tables.
namespace kavio::sql {

// Throws KavioError (TypeMismatch) unless seg is ArmLi, ArmRe, BeinLi or BeinRe (any case).
QString segmentTable(const QString &seg);

// -- Segment tables -------------------------------------------------------------------
// Store a first measurement: FKTN, Datum (ISO), Uhrzeit (HH:MM:SS), W5, W50, W100, Xc5, Xc50, Xc100.
QString insertMeasurement(const QString &seg);
// The day's latest row of a person: Datum (ISO), FKTN -> MessID.
QString latestOfDay(const QString &seg);
// Second measurement into one row: W50N, W5N, W100N, MessID.
QString storeSecondMeasurement(const QString &seg);
// The rows of a person, day and time holding the six first values as stored (NULL for a
// value not taken): FKTN, Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, Xc100 -> MessID.
QString firstMeasurementsLike(const QString &seg);
// The second values of one row: MessID -> W5N, W50N, W100N.
QString secondValuesOf(const QString &seg);
// A person's rows: FKTN -> MessID, FKTN, Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, Xc100,
// W5N, W50N, W100N. Newest first (the list), oldest first (trend charts) or by day and
// entry (comparison).
enum class RowOrder { NewestFirst, OldestFirst, ByDay };
QString measurementsOf(const QString &seg, RowOrder order);
// A person's count of rows in each of the four tables: FKTN four times -> four counts in
// the order ArmLi, ArmRe, BeinLi, BeinRe.
QString countsOfPerson();
// Smallest W50 of a person: FKTN -> MIN(W50) (NULL when there is no row).
QString minW50(const QString &seg);
// Delete one measurement of a person: MessID, FKTN.
QString deleteMeasurement(const QString &seg);
// Delete all measurements of a person in one table: FKTN.
QString deletePersonMeasurements(const QString &seg);

// -- Persons of Segmente.mdb -----------------------------------------------------------
// The facts of one person: LfdNr -> DominanteHand, then the at-risk flags in the order of
// kSegments (no row when none are stored).
QString personFacts();
// Stores the facts of a person present in Teilnehmer, replacing earlier ones: LfdNr,
// DominanteHand, the four flags in the order of kSegments, LfdNr once more (the presence
// check). Changes one row, or none when there is no such person.
QString storePersonFacts();
// The sex of a person as taken over (0 man, other numbers woman, NULL unknown): LfdNr.
QString personSex();
// Sets it: Geschlecht, LfdNr.
QString storePersonSex();
// Delete the facts of a person: LfdNr.
QString deletePersonFacts();
// Delete the person row: LfdNr.
QString deletePerson();
// Import one person: Name, VorName, Geschlecht, GebDat (ISO), PLZ, Ort, Kennung, AnzMes.
QString insertPerson();
// Is the person present: GebDat (ISO), Name, Vorname (letter case ignored, see foldCase).
QString personExists();
// Persons of the practice software. The person of a practice number: number -> LfdNr,
// Name, VorName, GebDat (lowest LfdNr first).
QString personByPracticeNumber();
// Persons without a practice number of that name, first name (letter case ignored, a
// missing first name as empty) and birth date: GebDat (ISO), Name, VorName -> LfdNr,
// Name, VorName, GebDat (lowest LfdNr first).
QString unlinkedPersonByName();
// Gives a person without one its practice number: number, LfdNr.
QString linkPracticeNumber();
// A person of a request: Name, VorName, GebDat (ISO), Geschlecht (1 female, 0 otherwise),
// practice number.
QString insertPracticePerson();
// The practice number of a person: LfdNr -> number (NULL when none).
QString practiceNumberOf();
// Person list of the main window: LfdNr, Name, Vorname, Geburtstag; German name order,
// equal names in the database's order.
QString personListMain();

// -- Person lists of the import window (BIA.mdb or Segmente.mdb) -------------------------
// Unordered: the window orders the rows by the folded Name, then Vorname, folding each
// name once (a collation folds at every comparison, too slow for 100,000 persons).
// All persons: Name, Vorname, GebDat, PLZ, Ort, Kennung, AnzMes, LfdNr.
QString importList();
// Persons whose surname starts with a prefix: the folded prefix pattern (see
// foldedPrefixPattern) as the one parameter.
QString importListByPrefix();
// LIKE pattern for a surname prefix, folded by foldCase and with %, _ and the escape character
// taken literally (ESCAPE '\').
QString foldedPrefixPattern(const QString &prefix);
// The same list through the NOCASE name index, one part per name range (disjoint):
// names from a bound on (from, pattern), then boundedFolded ranges (from, below,
// pattern), then, when plainRange, one range that needs no pattern (from, below). The
// pattern is the folded prefix pattern and decides exactly where it is checked.
QString importListByNameRanges(int boundedFolded, bool plainRange);
// Reading through a file mapping for the rest of the connection.
QString mappedReading();
// Details of one person: LfdNr -> Name, VorName, Geschlecht, GebDat, PLZ, Ort, Kennung, AnzMes, LfdNr.
QString personDetails();

// -- Flags.mdb -------------------------------------------------------------------------
// The company logo record: CompLogoMonitor of GroupId 11258.
QString companyLogo();

// -- Schema ----------------------------------------------------------------------------
// The file's schema version, one row.
QString schemaVersion();

// -- Backup and restore ----------------------------------------------------------------
// The engine's full check of a database file: one row "ok" when it is intact.
QString integrityCheck();
// A cheap read that makes a connection take the database's read lock.
QString readLockProbe();
// The database's journal mode, one row ("delete", "wal", ...).
QString journalMode();
// Settings of a backup being written: no journal and no syncs, the finished file is
// flushed once as a whole before it is renamed into place.
QString backupTargetSettings();

} // namespace kavio::sql
