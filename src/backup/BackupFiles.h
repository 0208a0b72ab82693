#pragma once

#include <functional>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

class QFile;

namespace kavio {

class FileDialogs;

// The text a backup's path must contain, with this letter case.
inline const QString kBackupNameText = QStringLiteral("Segmente.mdb");

// "dd-MM-yyyy_" of the given day: the prefix of that day's backup file name.
QString backupStamp(const QDate &day);
// "dd-MM-yyyy_Segmente.mdb"
QString backupFileName(const QDate &day);
// The name test of the restore: the path contains "Segmente.mdb" (letter case as written).
bool isBackupName(const QString &path);
// Name of the copy the live database is kept under before a restore replaces it. It sorts
// by time and passes the name test, so the restore command itself can bring it back.
QString safetyCopyName(const QDateTime &when);

// The template of the temporary file a backup is written under in folder: hidden and
// without a backup name, so a leftover of a crash is never taken for a backup.
QString backupTempTemplate(const QString &folder);
// Gives the open temporary file of a backup written by another program the mode it is to
// have in place: a replaced file's mode and (where allowed) owner, else a new file's.
bool giveBackupItsMode(QFile &temp, const QString &target, QString *error);
// Renames the finished temporary file to target in one durable step (the target is the old
// file or the new one); with overwrite false an existing target makes it fail.
bool moveBackupIntoPlace(const QString &temp, const QString &target, bool overwrite, QString *error);

// True when a file (or folder) of that name exists.
bool DateiVorhanden(const QString &path);

// Copies source to target byte for byte: written under a temporary name in the target's
// folder, flushed to the medium and then renamed, so the target is either the old file or
// the complete new one. With overwrite false an existing target makes the copy fail.
// On failure *error names the cause in German and nothing is left behind.
bool DateiKopieren(const QString &source, const QString &target, bool overwrite, QString *error = nullptr);

// A consistent copy of the SQLite database at source, taken through the engine's backup
// interface, so connections that read or write meanwhile do no harm; otherwise like
// DateiKopieren (temporary name, flush, rename, overwrite rule, German cause on failure).
bool DatenbankSichern(const QString &source, const QString &target, bool overwrite, QString *error = nullptr);

// The file is an intact segment database of this program's schema version or an older
// one (upgraded at the next start): it opens, passes the engine's integrity check and
// holds every table and field of its version. *reason names what is wrong; *newer is set
// when the file is refused for being of a newer version (then *reason says so).
bool isSegmentDatabase(const QString &path, QString *reason = nullptr, bool *newer = nullptr);

// Names of the program's database connections that are still open on the file.
QStringList openConnectionsOn(const QString &path);

struct RestoreResult {
    bool ok = false;
    bool liveChanged = false; // false: the live file is as it was before
    QString safetyCopy;       // where the former live file was kept (empty when there was none)
    QString error;            // German cause when !ok
};

// Replaces the live database by the chosen backup. The caller checks the backup first
// (isSegmentDatabase); release closes every connection the program holds to the live
// file. The live file is kept as safetyCopy first; then the chosen file is copied in
// atomically and checked once more. When anything fails the live file is left (or put
// back) as it was.
RestoreResult restoreSegmentDatabase(const QString &chosen, const QString &live, const QString &safetyCopy,
                                     const std::function<void()> &release);

// The folder browser with the prompt; an empty prompt becomes "Bitte wählen Sie ein
// Verzeichnis:". Empty text when the operator cancels.
QString OrdnerAuswaehlen(FileDialogs &dialogs, QString &prompt);
// The open-file dialog for databases; an empty title becomes "Datei öffnen", an empty
// start folder the current working folder. Empty text when the operator cancels.
QString DateiOeffnenDialog(FileDialogs &dialogs, QString &startFolder, QString &title);
// The file-type list of the open-file dialog, first entry chosen at start.
QString databaseFileFilter();

} // namespace kavio
