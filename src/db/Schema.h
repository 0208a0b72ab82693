#pragma once

#include <QString>
#include <QStringList>

namespace kavio {

class DbConnection;

// The four segment tables, in the order ArmLi, ArmRe, BeinLi, BeinRe.
const QStringList &segmentTables();

// The schema version kept in PRAGMA user_version.
constexpr int kSegmentSchemaVersion = 1;

// Creates Segmente.mdb with its tables when the file is missing (or has no tables yet);
// leaves an existing database alone. Throws KavioError on failure.
void ensureSegmentDatabase(const QString &path);

// The tables and fields of the segment database are all present.
bool hasSegmentSchema(const DbConnection &db);

// The statements that create the schema, in order (also used by the demo writer).
QStringList segmentSchemaStatements();
// The host database's Teilnehmer table (demo installations and tests).
QStringList hostSchemaStatements();
// Flags.mdb (demo installations and tests).
QStringList flagsSchemaStatements();

} // namespace kavio
