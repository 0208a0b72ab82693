#pragma once

#include <array>
#include <QString>
#include <QStringList>

namespace kavio {

class DbConnection;

// The four segment tables, in the order ArmLi, ArmRe, BeinLi, BeinRe.
const QStringList &segmentTables();

// The schema version kept in PRAGMA user_version. 1: persons and the four segment tables;
// 2: adds tblTeilnehmerAngaben (dominant hand and limbs at risk of a person); 3: adds
// Teilnehmer.PraxisPatientenNr (the practice software's number of a person).
constexpr int kSegmentSchemaVersion = 3;

// The table of the per-person facts (schema version 2 on): LfdNr, DominanteHand and one
// 0/1 column per segment code (AL, AR, BL, BR) for a limb at risk. A person without a row
// has the defaults: hand unknown, no limb at risk.
inline const QString kPersonFactsTable = QStringLiteral("tblTeilnehmerAngaben");
// The column of Teilnehmer (schema version 3 on) holding the patient number the practice
// software gave the person (GDT field 3000); NULL for persons it never asked for.
inline const QString kPracticeNumberColumn = QStringLiteral("PraxisPatientenNr");
// DominanteHand as stored, in the order of clinical::Hand (Right, Left, Unknown).
inline constexpr std::array<const char *, 3> kStoredHands{"rechts", "links", "unbekannt"};

// Makes Segmente.mdb ready for this program: creates the file with its tables when it is
// missing (or has no tables yet), brings a file of an older schema version up to this
// one in one transaction, and leaves a current one alone. A file of a newer version is
// refused (KavioError UnknownDatabaseFormat with the German text for the operator) and
// not written to. Other failures throw KavioError as well.
void ensureSegmentDatabase(const QString &path);

// The file's PRAGMA user_version.
int segmentSchemaVersion(const DbConnection &db);
// The operator's text for a file of a newer schema version; empty for a version this
// program knows.
QString newerSchemaRefusal(const QString &path, int fileVersion);

// The tables and fields the segment database holds at the file's own schema version
// (1 or later) are all present.
bool hasSegmentSchema(const DbConnection &db);

// The statements that create the schema of the given version, in order, ending with the
// version (also used by the demo writer, and by tests for files of an older version).
QStringList segmentSchemaStatements(int version = kSegmentSchemaVersion);
// The host database's Teilnehmer table (demo installations and tests).
QStringList hostSchemaStatements();
// Flags.mdb (demo installations and tests).
QStringList flagsSchemaStatements();

} // namespace kavio
