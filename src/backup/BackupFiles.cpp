#include "backup/BackupFiles.h"

#include "app/Errors.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/Statements.h"
#include "platform/FileDialogs.h"

#include <algorithm>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QTemporaryFile>
#include <QThread>
#include <sqlite3.h>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kavio {

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

// Hidden, and without the backup name text, so a leftover of a crash is never taken
// for a backup.
QString tempTemplate(const QString &folder)
{
    return folder + QStringLiteral("/.~Sicherung-XXXXXX.tmp");
}

bool flushToMedium(QFile &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()))) != 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

// Makes the rename itself durable; file systems that cannot sync a folder are left be.
void flushFolder(const QString &folder)
{
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

// Renames the finished temporary file to its final name in one step: the target is the
// old file or the new one, never a mixture.
bool moveIntoPlace(const QString &temp, const QString &target, bool overwrite, QString *error)
{
    if (!overwrite && QFileInfo::exists(target))
        return fail(error, QStringLiteral("Die Datei %1 existiert bereits.").arg(shown(target)));
#ifdef Q_OS_WIN
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (overwrite ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(temp).utf16()),
                     reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(target).utf16()), flags))
        return fail(error, QStringLiteral("Die Datei %1 kann nicht ersetzt werden (Fehler %2).")
                               .arg(shown(target))
                               .arg(GetLastError()));
#else
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0)
        return fail(error, QStringLiteral("Die Datei %1 kann nicht angelegt werden (%2).")
                               .arg(shown(target), QString::fromLocal8Bit(std::strerror(errno))));
#endif
    flushFolder(QFileInfo(target).absolutePath());
    return true;
}

// The temporary file starts out readable by its creator alone. A file that is replaced
// keeps its own mode and, where the system allows, its owner; a new file gets the mode a
// copy would get: the source's, less the umask.
bool takeOverMode(QFile &temp, const QString &source, const QString &target, QString *error)
{
#ifdef Q_OS_WIN
    Q_UNUSED(temp);
    Q_UNUSED(source);
    Q_UNUSED(target);
    Q_UNUSED(error);
#else
    const int fd = temp.handle();
    struct stat st {};
    mode_t mode = 0;
    if (::stat(QFile::encodeName(target).constData(), &st) == 0) {
        // Only root may give a file away; anyone else's replaced file becomes theirs.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0 && errno != EPERM)
            return fail(error, QStringLiteral("Der Besitzer von %1 kann nicht übernommen werden (%2).")
                                   .arg(shown(target), QString::fromLocal8Bit(std::strerror(errno))));
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = (::stat(QFile::encodeName(source).constData(), &st) == 0 ? st.st_mode & 0777 : 0666) & ~mask;
    }
    if (::fchmod(fd, mode) != 0)
        return fail(error, QStringLiteral("Die Zugriffsrechte von %1 können nicht gesetzt werden (%2).")
                               .arg(shown(target), QString::fromLocal8Bit(std::strerror(errno))));
#endif
    return true;
}

bool checkTarget(const QString &target, bool overwrite, QString *error)
{
    const QFileInfo t(target);
    if (!QFileInfo(t.absolutePath()).isDir())
        return fail(error, QStringLiteral("Der Ordner %1 existiert nicht.").arg(shown(t.absolutePath())));
    if (t.isDir())
        return fail(error, QStringLiteral("Unter dem Namen %1 liegt bereits ein Ordner.").arg(shown(target)));
    if (!overwrite && t.exists())
        return fail(error, QStringLiteral("Die Datei %1 existiert bereits.").arg(shown(target)));
    return true;
}

bool createTemp(QTemporaryFile &temp, QString *error)
{
    if (temp.open())
        return true;
    return fail(error, QStringLiteral("Im Ordner %1 kann keine Datei angelegt werden (%2).")
                           .arg(shown(QFileInfo(temp.fileTemplate()).absolutePath()), temp.errorString()));
}

// The cause of a failed write: a full medium is told as such, anything else with the
// system's own text.
QString writeFailure(const QString &folder, qint64 needed, const QString &detail)
{
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.bytesAvailable() < needed)
        return QStringLiteral("Auf dem Datenträger von %1 ist nicht genug Platz frei.").arg(shown(folder));
    return QStringLiteral("Fehler beim Schreiben in den Ordner %1 (%2).").arg(shown(folder), detail);
}

QString engineFailure(int rc, const QString &source, const QString &folder, qint64 needed)
{
    const QString detail = QString::fromUtf8(sqlite3_errstr(rc));
    switch (rc & 0xff) {
    case SQLITE_FULL:
        return QStringLiteral("Auf dem Datenträger von %1 ist nicht genug Platz frei.").arg(shown(folder));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("Die Datenbank %1 ist durch einen anderen Zugriff gesperrt.").arg(shown(source));
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return QStringLiteral("Die Datenbank %1 ist beschädigt (%2).").arg(shown(source), detail);
    case SQLITE_IOERR:
        return writeFailure(folder, needed, detail);
    default:
        return QStringLiteral("Datenbankfehler %1 (%2).").arg(rc).arg(detail);
    }
}

struct SqliteHandle {
    sqlite3 *db = nullptr;
    ~SqliteHandle() { close(); }
    void close()
    {
        sqlite3_close_v2(db);
        db = nullptr;
    }
    int open(const QString &path, int flags)
    {
        close();
        return sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    }
};

QString journalMode(sqlite3 *db)
{
    sqlite3_stmt *st = nullptr;
    QString mode;
    if (sqlite3_prepare_v2(db, sql::journalMode().toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        mode = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))).toLower();
    sqlite3_finalize(st);
    return mode;
}

enum class SnapshotFailure { None, Source, Other };

// A copy of the database as one committed state, whatever other connections do meanwhile.
bool snapshot(const QString &source, const QString &target, bool overwrite, QString *error,
              SnapshotFailure *failure = nullptr)
{
    auto failed = [&](SnapshotFailure kind, const QString &why) {
        if (failure)
            *failure = kind;
        return fail(error, why);
    };
    if (failure)
        *failure = SnapshotFailure::None;
    if (!QFileInfo(source).isFile())
        return failed(SnapshotFailure::Source, QStringLiteral("Die Datei %1 wurde nicht gefunden.").arg(shown(source)));
    QString why;
    if (!checkTarget(target, overwrite, &why))
        return failed(SnapshotFailure::Other, why);
    const QString folder = QFileInfo(target).absolutePath();
    const qint64 needed = QFileInfo(source).size();

    QTemporaryFile temp(tempTemplate(folder));
    if (!createTemp(temp, &why))
        return failed(SnapshotFailure::Other, why);

    SqliteHandle src;
    // Read-write lets the engine roll back a journal left by a crash before copying.
    if (src.open(source, SQLITE_OPEN_READWRITE) != SQLITE_OK && src.open(source, SQLITE_OPEN_READONLY) != SQLITE_OK)
        return failed(SnapshotFailure::Source, QStringLiteral("Die Datenbank %1 kann nicht geöffnet werden (%2).")
                                                   .arg(shown(source), QString::fromUtf8(sqlite3_errmsg(src.db))));
    sqlite3_busy_timeout(src.db, kBusyTimeoutMs);

    // A writer committing at this moment holds the lock briefly; wait for it, not forever.
    const QDeadlineTimer patience(10 * kBusyTimeoutMs);
    auto busy = [&](int code) {
        if ((code != SQLITE_BUSY && code != SQLITE_LOCKED) || patience.hasExpired())
            return false;
        QThread::msleep(20);
        return true;
    };
    auto sourceFailure = [&](int code) {
        const int basic = code & 0xff;
        return failed(basic == SQLITE_NOTADB || basic == SQLITE_CORRUPT ? SnapshotFailure::Source
                                                                        : SnapshotFailure::Other,
                      engineFailure(code, source, folder, needed));
    };

    // While this connection reads, the engine keeps every writer out of the database file
    // (in its rollback-journal mode), so the file's bytes are one committed state.
    int rc = sqlite3_exec(src.db, "BEGIN", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        do
            rc = sqlite3_exec(src.db, sql::readLockProbe().toUtf8().constData(), nullptr, nullptr, nullptr);
        while (busy(rc));
    if (rc != SQLITE_OK)
        return sourceFailure(rc);

    qint64 size = 0;
    if (journalMode(src.db) != QLatin1String("wal")) {
        // Read through the engine's own file handle: a second handle to the file would, on
        // closing, drop the locks the engine holds.
        sqlite3_file *file = nullptr;
        sqlite3_int64 fileSize = 0;
        rc = sqlite3_file_control(src.db, "main", SQLITE_FCNTL_FILE_POINTER, &file);
        if (rc == SQLITE_OK && file && file->pMethods)
            rc = file->pMethods->xFileSize(file, &fileSize);
        else
            rc = SQLITE_ERROR;
        QByteArray chunk(1 << 20, Qt::Uninitialized);
        for (qint64 done = 0; rc == SQLITE_OK && done < fileSize;) {
            const int n = int(std::min<qint64>(chunk.size(), fileSize - done));
            rc = file->pMethods->xRead(file, chunk.data(), n, done);
            if (rc != SQLITE_OK)
                break;
            if (temp.write(chunk.constData(), n) != n)
                return failed(SnapshotFailure::Other, writeFailure(folder, fileSize - done, temp.errorString()));
            done += n;
        }
        if (rc != SQLITE_OK)
            return sourceFailure(rc);
        size = fileSize;
    } else {
        // In write-ahead mode committed pages may still lie in the log beside the file; the
        // engine's backup interface gathers them (in memory, written out in one sweep).
        sqlite3_exec(src.db, "ROLLBACK", nullptr, nullptr, nullptr);
        SqliteHandle dst;
        rc = dst.open(QStringLiteral("file:kavio-backup?vfs=memdb"),
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI);
        if (rc == SQLITE_OK) {
            sqlite3_int64 limit = std::max<sqlite3_int64>(2 * needed, sqlite3_int64(64) << 20);
            sqlite3_file_control(dst.db, "main", SQLITE_FCNTL_SIZE_LIMIT, &limit);
            rc = sqlite3_exec(dst.db, sql::backupTargetSettings().toUtf8().constData(), nullptr, nullptr, nullptr);
        }
        if (rc != SQLITE_OK)
            return failed(SnapshotFailure::Other, engineFailure(rc, source, folder, needed));
        sqlite3_backup *backup = sqlite3_backup_init(dst.db, "main", src.db, "main");
        if (!backup)
            return failed(SnapshotFailure::Other, engineFailure(sqlite3_errcode(dst.db), source, folder, needed));
        do
            rc = sqlite3_backup_step(backup, -1);
        while (busy(rc));
        sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE)
            return sourceFailure(rc);
        sqlite3_int64 imageSize = 0;
        const unsigned char *image = sqlite3_serialize(dst.db, "main", &imageSize, SQLITE_SERIALIZE_NOCOPY);
        if (!image)
            return failed(SnapshotFailure::Other, QStringLiteral("Nicht genug Arbeitsspeicher für die Sicherung."));
        // The copy is a file on its own: its header names the rollback journal instead of the
        // log (bytes 18 and 19, write and read version), so that opening it, read-only on a
        // stick, say, needs no log files beside it.
        QByteArray header(reinterpret_cast<const char *>(image), int(std::min<sqlite3_int64>(imageSize, 100)));
        if (header.size() == 100)
            header[18] = header[19] = 1;
        if (temp.write(header) != header.size() || temp.write(reinterpret_cast<const char *>(image) + header.size(),
                                                              imageSize - header.size()) != imageSize - header.size())
            return failed(SnapshotFailure::Other, writeFailure(folder, imageSize, temp.errorString()));
        size = imageSize;
    }
    src.close();

    if (!flushToMedium(temp))
        return failed(SnapshotFailure::Other, writeFailure(folder, size, temp.errorString()));
    if (!takeOverMode(temp, source, target, &why))
        return failed(SnapshotFailure::Other, why);
    temp.close();
    if (!moveIntoPlace(temp.fileName(), target, overwrite, &why))
        return failed(SnapshotFailure::Other, why);
    temp.setAutoRemove(false);
    return true;
}

} // namespace

QString backupStamp(const QDate &day)
{
    return day.toString(QStringLiteral("dd-MM-yyyy")) + QLatin1Char('_');
}

QString backupFileName(const QDate &day)
{
    return backupStamp(day) + kBackupNameText;
}

bool isBackupName(const QString &path)
{
    return path.contains(kBackupNameText, Qt::CaseSensitive);
}

QString safetyCopyName(const QDateTime &when)
{
    return QStringLiteral("vor_Wiederherstellung_") + when.toString(QStringLiteral("dd-MM-yyyy_HH-mm-ss")) +
           QLatin1Char('_') + kBackupNameText;
}

QString backupTempTemplate(const QString &folder)
{
    return tempTemplate(folder);
}

bool giveBackupItsMode(QFile &temp, const QString &target, QString *error)
{
    return takeOverMode(temp, QString(), target, error);
}

bool moveBackupIntoPlace(const QString &temp, const QString &target, bool overwrite, QString *error)
{
    return moveIntoPlace(temp, target, overwrite, error);
}

bool DateiVorhanden(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

bool DateiKopieren(const QString &source, const QString &target, bool overwrite, QString *error)
{
    QFile in(source);
    if (!QFileInfo(source).isFile())
        return fail(error, QStringLiteral("Die Datei %1 wurde nicht gefunden.").arg(shown(source)));
    if (!in.open(QIODevice::ReadOnly))
        return fail(
            error, QStringLiteral("Die Datei %1 kann nicht gelesen werden (%2).").arg(shown(source), in.errorString()));
    QString why;
    if (!checkTarget(target, overwrite, &why))
        return fail(error, why);
    const QString folder = QFileInfo(target).absolutePath();
    const qint64 needed = in.size();

    QTemporaryFile temp(tempTemplate(folder));
    if (!createTemp(temp, &why))
        return fail(error, why);
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    qint64 copied = 0;
    for (;;) {
        const qint64 n = in.read(chunk.data(), chunk.size());
        if (n < 0)
            return fail(
                error,
                QStringLiteral("Die Datei %1 kann nicht gelesen werden (%2).").arg(shown(source), in.errorString()));
        if (n == 0)
            break;
        if (temp.write(chunk.constData(), n) != n)
            return fail(error, writeFailure(folder, needed - copied, temp.errorString()));
        copied += n;
    }
    // A source that shrank or grew while being read is no faithful copy.
    if (copied != in.size())
        return fail(error, QStringLiteral("Die Datei %1 hat sich beim Kopieren verändert.").arg(shown(source)));
    if (!flushToMedium(temp))
        return fail(error, writeFailure(folder, needed, temp.errorString()));
    if (!takeOverMode(temp, source, target, &why))
        return fail(error, why);
    temp.close();
    if (!moveIntoPlace(temp.fileName(), target, overwrite, &why))
        return fail(error, why);
    temp.setAutoRemove(false);
    return true;
}

bool DatenbankSichern(const QString &source, const QString &target, bool overwrite, QString *error)
{
    return snapshot(source, target, overwrite, error);
}

bool isSegmentDatabase(const QString &path, QString *reason, bool *newer)
{
    if (newer)
        *newer = false;
    if (!QFileInfo(path).isFile())
        return fail(reason, QStringLiteral("Die Datei %1 wurde nicht gefunden.").arg(shown(path)));
    try {
        DbConnection db = DbConnection::open(path, OpenMode::ReadOnly);
        QSqlQuery check = db.exec(sql::integrityCheck());
        QStringList problems;
        while (check.next())
            problems << check.value(0).toString();
        check = QSqlQuery();
        if (problems != QStringList{QStringLiteral("ok")})
            return fail(reason, QStringLiteral("Die Datei %1 ist beschädigt (%2).")
                                    .arg(shown(path), problems.mid(0, 3).join(QStringLiteral("; "))));
        const QString refusal = newerSchemaRefusal(path, segmentSchemaVersion(db));
        if (!refusal.isEmpty()) {
            if (newer)
                *newer = true;
            return fail(reason, refusal);
        }
        if (!hasSegmentSchema(db))
            return fail(reason, QStringLiteral("Die Datei %1 enthält keine Segmentdaten.").arg(shown(path)));
        return true;
    } catch (const KavioError &e) {
        return fail(reason,
                    QStringLiteral("Die Datei %1 ist keine lesbare Datenbank (%2).").arg(shown(path), e.description()));
    }
}

QStringList openConnectionsOn(const QString &path)
{
    QStringList names;
    const QString wanted = QFileInfo(path).canonicalFilePath();
    if (wanted.isEmpty())
        return names;
    for (const QString &name : QSqlDatabase::connectionNames()) {
        const QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen() && QFileInfo(db.databaseName()).canonicalFilePath() == wanted)
            names << name;
    }
    return names;
}

RestoreResult restoreSegmentDatabase(const QString &chosen, const QString &live, const QString &safetyCopy,
                                     const std::function<void()> &release)
{
    RestoreResult r;
    if (release)
        release();
    if (!openConnectionsOn(live).isEmpty()) {
        r.error = QStringLiteral("Die Datenbank %1 wird noch benutzt.").arg(shown(live));
        return r;
    }

    const bool hadLive = QFileInfo(live).isFile();
    if (hadLive) {
        SnapshotFailure failure;
        QString why;
        if (!snapshot(live, safetyCopy, false, &why, &failure)) {
            // A damaged live file cannot pass through the engine; keep its bytes as they are.
            if (failure != SnapshotFailure::Source || !DateiKopieren(live, safetyCopy, false, &why)) {
                r.error = QStringLiteral("Die bisherigen Daten konnten nicht aufbewahrt werden: ") + why;
                return r;
            }
        }
        r.safetyCopy = safetyCopy;
    }

    // Nothing holds the file now; a journal beside it is a leftover that the engine would
    // otherwise play into the restored file.
    for (const char *suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(live + QLatin1String(suffix));

    QString why;
    if (!DateiKopieren(chosen, live, true, &why)) {
        r.error = why;
        return r;
    }
    r.liveChanged = true;
    if (!isSegmentDatabase(live, &why)) {
        r.error = why;
        if (hadLive && DateiKopieren(safetyCopy, live, true))
            r.liveChanged = false;
        return r;
    }
    r.ok = true;
    return r;
}

QString OrdnerAuswaehlen(FileDialogs &dialogs, QString &prompt)
{
    if (prompt.isEmpty())
        prompt = QStringLiteral("Bitte wählen Sie ein Verzeichnis:");
    return dialogs.chooseFolder(prompt);
}

QString databaseFileFilter()
{
    // The file dialog shows each entry as it stands: one pattern in parentheses, no more.
    return QStringLiteral("Microsoft Access-Datenbanken (*Segmente.mdb);;"
                          "Add-Ins (*.mda);;"
                          "Arbeitsgruppen-Dateien (*.mdw);;"
                          "MDE-Dateien (*.mde)");
}

QString DateiOeffnenDialog(FileDialogs &dialogs, QString &startFolder, QString &title)
{
    if (title.isEmpty())
        title = QStringLiteral("Datei öffnen");
    if (startFolder.isEmpty())
        startFolder = QDir::currentPath();
    return dialogs.chooseFile(startFolder, title, databaseFileFilter());
}

} // namespace kavio
