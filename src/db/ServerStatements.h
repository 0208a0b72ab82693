#pragma once

#include <QString>
#include <QStringList>

// The statements that differ on the PostgreSQL server; everything else runs the ones of
// Statements.h unchanged (the schema gives the server FOLDCASE for them).
namespace kavio::sql::server {

// The schema version this program writes and knows on a server (numbered apart from the
// file's user_version). 1: persons (with PraxisPatientenNr), their facts, the four
// segment tables.
constexpr int kServerSchemaVersion = 1;

// Serialises the setting up of the schema between workstations starting at once.
QString lockSchemaSetup();
// Schema, version table: the schema name is checked by isPlainSchemaName.
QString createSchema(const QString &schema);
QString createVersionTable();
// The schema's version: one row, 0 when none is stored yet.
QString schemaVersion();
QString storeSchemaVersion(int version);
// Every statement creating the tables, the collation and functions of version 1.
QStringList schemaStatements();

// The channel on which the schema's changes are announced, "<table> <server process>".
QString changeChannel(const QString &schema);
// The server process of this connection: one row.
QString serverProcess();
// Ends a session of this user that still holds a transaction open (pid): its transaction
// is rolled back.
QString endOpenSession();
// One row while that session is still there.
QString sessionOpen();
// Announces on the channel (bound value) that every table changed, after a restore: the
// payload as the triggers write it, "* <server process>".
QString announceAllChanged();

// The day's latest row of a person, locked until the transaction ends: Datum, FKTN -> MessID.
QString latestOfDayLocked(const QString &seg);
// Person list of the main window as on the file: LfdNr, Name, Vorname, Geburtstag (ISO
// text); German name order, equal names by LfdNr.
QString personListMain();

} // namespace kavio::sql::server

namespace kavio::sql::server {

// -- Copying a segment database file onto the server ---------------------------------------
// A table copied, with its columns: the number columns are compared by their sums, the
// text columns by the sums of their lengths, dates and times by their counts.
struct CopiedTable {
    QString name;
    QStringList numbers, texts, dates;
    QStringList columns() const { return numbers + texts + dates; }
};
// The tables in the order they are copied (file version 2: with the facts table).
QList<CopiedTable> copiedTables(int fileVersion);
// Reading the table's rows (either engine): the columns in the order of columns().
QString copySource(const CopiedTable &t);
// Writing rows rows of the table, values in the order of columns().
QString copyTarget(const CopiedTable &t, int rows);
// One row: the row count, then one figure per number and text column, then the count of
// each date column.
QString copyFigures(const CopiedTable &t);
// The count of all rows of the tables.
QString rowsOf(const QList<CopiedTable> &tables);
// Lets the identity keys of Teilnehmer and the segment tables continue after the copied numbers.
QStringList continueKeys();

} // namespace kavio::sql::server
