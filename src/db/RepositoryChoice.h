#pragma once

#include "db/SegmentRepository.h"
#include "db/ServerAddress.h"

#include <memory>

namespace kavio {

class Settings;
struct Platform;

// Which segment database the workstation works on, from the program's own settings
// (application KavioSegment, section Datenbank): "Art" = "Datei" (the default: Segmente.mdb
// in the data folder) or "PostgreSQL" with "Server", "Port" (5432), "Datenbank",
// "Benutzer" and "Schema" (kavio). No password is kept: the client library reads it from
// ~/.pgpass or PGPASSWORD.
struct DatabaseChoice {
    std::optional<ServerAddress> server; // nullopt: the file
    QString problem;                     // a setting that cannot be used, in German; then nothing else counts
};
DatabaseChoice databaseChoice(const Settings &settings);
// The server the settings name, whatever "Art" says (the file is copied onto it before a
// workstation is switched over): no server and no problem when neither "Server" nor
// "Datenbank" is set.
DatabaseChoice configuredServer(const Settings &settings);

// The repository of the chosen database. Throws KavioError (TypeMismatch, the problem's
// text) when the settings cannot be used.
std::unique_ptr<SegmentRepository> createRepository(const Platform &platform);

// At start: the file is created or upgraded (ensureSegmentDatabase, throwing as it does);
// the server is tried up to ten times and its schema set up. Returns the operator's
// message when the server cannot be reached (the window opens anyway; the next action
// tries again), empty when all is ready. Throws KavioError for unusable settings and a
// schema of a newer version.
QString prepareSegmentDatabase(const Platform &platform);

} // namespace kavio
