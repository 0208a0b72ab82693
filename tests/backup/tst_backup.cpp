// Backup and restore: through the menu as the operator uses it, and the copies under load.
#include "app/ProgramStart.h"
#include "backup/BackupFiles.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/Statements.h"
#include "Files.h"
#include "TestBed.h"
#include "Unprivileged.h"
#include "workstation/frmMain.h"

#include <atomic>
#include <csignal>
#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTest>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

using namespace kavio;
using namespace kavio::test;

namespace {

// Appends count measurement rows to a segment table in one transaction.
void addRows(const QString &dbPath, int count, const QString &segment = QStringLiteral("ArmLi"))
{
    DbConnection db = DbConnection::open(dbPath);
    db.transaction([&] {
        for (int i = 0; i < count; ++i)
            db.exec(sql::insertMeasurement(segment),
                    {1, QStringLiteral("2026-11-01"), QStringLiteral("10:00:00"), 500 + i % 100, 480, 460, 60, 55, 50});
    });
}

qint64 rowCount(const QString &dbPath, const QString &table = QStringLiteral("ArmLi"))
{
    return scalar(dbPath, QStringLiteral("SELECT count(*) FROM %1").arg(sql::segmentTable(table))).toLongLong();
}

// A connection of the engine's own, outside the program's connections.
sqlite3 *openRaw(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK ||
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("%s", sqlite3_errmsg(db));
    return db;
}

QByteArray insertRow(int w50)
{
    return "INSERT INTO ArmLi (FKTN, Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, Xc100) "
           "VALUES (2, '2026-12-06', '10:30:00', 1, " +
           QByteArray::number(w50) + ", 3, 4, 5, 6);";
}

const QString kAbgebrochen = QStringLiteral("Vorgang abgebrochen");
const QString kKeineSicherung = QStringLiteral("Diese Datei ist keine Sicherungdatei!");
const QString kWiederherstellen = QStringLiteral("Möchten Sie diese Datei wiederherstellen?");

// The main window of an installation with seven rows in ArmLi, start-up messages forgotten.
struct Station {
    TestBed bed;
    std::unique_ptr<frmMain> w;
    Station()
    {
        bed.addPerson(QStringLiteral("Müller"), QStringLiteral("Anna"));
        addRows(bed.segmentePath(), 7);
        w = std::make_unique<frmMain>(bed.platform);
        w->show();
        bed.messages.clear();
    }
    // Runs a menu command and returns the messages it showed.
    QStringList run(const char *action)
    {
        bed.messages.clear();
        w->findChild<QAction *>(QString::fromLatin1(action))->trigger();
        return bed.messages.texts();
    }
};

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    // One backup per day and folder; the day's file is replaced only when the operator
    // says so; a read-only folder gets nothing.
    void backupsThroughTheDays()
    {
        Station s;
        const QStringList before = entriesOf(s.bed.dir.path());
        QCOMPARE(s.run("mnuDatenSichern"), QStringList{kAbgebrochen}); // folder choice cancelled
        QCOMPARE(entriesOf(s.bed.dir.path()), before);
        // The caption names the data folder that is saved.
        QCOMPARE(s.bed.dialogs.prompts,
                 QStringList{QStringLiteral("Ordner für die Sicherung auswählen (Datenordner: ") + s.bed.dir.path() +
                             QLatin1Char(')')});

        const QString folder = s.bed.path(QStringLiteral("stick"));
        QVERIFY(QDir().mkpath(folder));
        s.bed.dialogs.folderAnswer = folder;
        const QString target = folder + QStringLiteral("/06-12-2026_Segmente.mdb");
        const QString done = QStringLiteral("Die Sicherung wurde unter \n%1 abgelegt").arg(target);
        QCOMPARE(s.run("mnuDatenSichern"), QStringList{done});
        QCOMPARE(s.bed.messages.last().icon, MsgIcon::Information);
        QCOMPARE(rowCount(target), 7);

        const QByteArray first = bytesOf(target);
        addRows(s.bed.segmentePath(), 5);
        const QString ask = QStringLiteral("Es existiert am angegebenen Ort bereits eine aktuelle Sicherung\n"
                                           "Möchten Sie diese überschreiben?");
        s.bed.messages.answer({false});
        QCOMPARE(s.run("mnuDatenSichern"), (QStringList{ask, kAbgebrochen}));
        QCOMPARE(bytesOf(target), first);
        s.bed.messages.answer({true});
        QCOMPARE(s.run("mnuDatenSichern"), (QStringList{ask, done}));
        QCOMPARE(rowCount(target), 12);

        s.bed.clock.time = QDateTime(QDate(2026, 12, 7), QTime(8, 0));
        const QByteArray dayOne = bytesOf(target);
        addRows(s.bed.segmentePath(), 1);
        QCOMPARE(s.run("mnuDatenSichern"),
                 QStringList{QString(done).replace(QStringLiteral("06-12"), QStringLiteral("07-12"))});
        QCOMPARE(entriesOf(folder),
                 (QStringList{QStringLiteral("06-12-2026_Segmente.mdb"), QStringLiteral("07-12-2026_Segmente.mdb")}));
        QCOMPARE(bytesOf(target), dayOne);
        QCOMPARE(rowCount(folder + QStringLiteral("/07-12-2026_Segmente.mdb")), 13);

        // A read-only folder: the stop message, and no file.
        const QString readOnly = s.bed.path(QStringLiteral("ziel"));
        QVERIFY(QDir().mkpath(readOnly)); // rwx, rw, r-x for everyone
        QFile::setPermissions(s.bed.dir.path(), QFileDevice::Permissions(0x7777));
        QFile::setPermissions(s.bed.segmentePath(), QFileDevice::Permissions(0x6666));
        QFile::setPermissions(readOnly, QFileDevice::Permissions(0x5555));
        s.bed.dialogs.folderAnswer = readOnly;
        Unprivileged as; // file permissions bind root only under another identity
        const QStringList shown = s.run("mnuDatenSichern");
        QCOMPARE(s.bed.messages.last().icon, MsgIcon::Stop);
        QVERIFY2(shown.size() == 1 &&
                     shown[0].startsWith(QStringLiteral("Die Sicherung konnte nicht angelegt "
                                                        "werden.\n")) &&
                     shown[0].contains(readOnly),
                 qPrintable(shown.join(QLatin1Char('|'))));
        QCOMPARE(entriesOf(readOnly), QStringList());
    }

    // Refused choices and a No change nothing; the real restore ends the program, closes
    // the history window that still reads the live file instead of refusing, and keeps the
    // former data in a safety copy beside the live file.
    void restoreWalk()
    {
        Station s;
        const QString live = s.bed.segmentePath();
        // The name test passes on the folder's name alone.
        const QString good = s.bed.path(QStringLiteral("stick/alt Segmente.mdb/daten.db"));
        QVERIFY(QDir().mkpath(QFileInfo(good).path()));
        QVERIFY(DatenbankSichern(live, good, false));
        addRows(good, 3000, QStringLiteral("BeinRe"));
        addRows(live, 4); // work done after the backup
        const QByteArray liveBytes = bytesOf(live), backup = bytesOf(good);
        const QStringList before = entriesOf(s.bed.dir.path());

        QByteArray scribbled = backup; // one page in the middle overwritten
        scribbled.replace(backup.size() / 4096 / 2 * 4096, 4096, QByteArray(4096, 'Z'));
        const QString named = s.bed.path(QStringLiteral("stick/05-12-2026_Segmente.mdb"));
        const QList<std::pair<QString, QByteArray>> refused{
            {QString(), QByteArray()}, // dialog cancelled
            {s.bed.path(QStringLiteral("stick/05-12-2026_segmente.mdb")), backup},
            {named, backup.left(backup.size() / 2)},
            {named, "Liebe Kollegen,\r\nanbei.\r\n"},
            {named, bytesOf(s.bed.biaPath())}, // a database of another schema
            {named, scribbled}};
        s.bed.messages.defaultAnswer = true;
        for (const auto &[file, content] : refused) {
            QVERIFY(file.isEmpty() || writeBytes(file, content));
            s.bed.dialogs.fileAnswer = file;
            QCOMPARE(s.run("mnuDatenWiederherstellen"), QStringList{kKeineSicherung});
            QCOMPARE(s.bed.messages.last().icon, MsgIcon::Stop);
            QCOMPARE(bytesOf(live), liveBytes);
            QCOMPARE(entriesOf(s.bed.dir.path()), before);
        }
        QCOMPARE(s.bed.dialogs.prompts.constFirst(),
                 QStringLiteral("Sicherungsdatei auswählen (Datenordner: ") + s.bed.dir.path() + QLatin1Char(')'));

        s.bed.dialogs.fileAnswer = good;
        s.bed.messages.answer({false});
        QCOMPARE(s.run("mnuDatenWiederherstellen"), (QStringList{kWiederherstellen, kAbgebrochen}));
        QVERIFY(s.bed.messages.shown.first().question);
        QCOMPARE(bytesOf(live), liveBytes);
        QVERIFY(s.w->isVisible());

        QWidget other;
        other.show();
        s.w->session().choosePerson({1, QStringLiteral("Name"), QStringLiteral("Vorname"), {}});
        s.w->session().chooseSegment(segmentByTable(QStringLiteral("ArmLi")));
        QCOMPARE(s.run("mnuExportHistory"), QStringList());
        QPointer<QWidget> history = s.w->findChild<QWidget *>(QStringLiteral("frmHistory"));
        QVERIFY(history && history->isVisible() && !openConnectionsOn(live).isEmpty());
        QVERIFY(writeBytes(live + QStringLiteral("-journal"), QByteArray())); // stale leftover
        QCOMPARE(
            s.run("mnuDatenWiederherstellen"),
            (QStringList{kWiederherstellen, QStringLiteral("Datei wiederhergestellt, das Programm wird beendet.")}));
        QVERIFY(!s.w->isVisible() && !other.isVisible() && (!history || !history->isVisible()));
        QVERIFY(openConnectionsOn(live).isEmpty());
        QCOMPARE(bytesOf(live), backup);
        QVERIFY(!QFile::exists(live + QStringLiteral("-journal")));
        const QString safety = s.bed.path(QStringLiteral("vor_Wiederherstellung_06-12-2026_10-30-00_Segmente.mdb"));
        QCOMPARE(rowCount(safety), 11);
        QCOMPARE(rowCount(safety, QStringLiteral("BeinRe")), 0);
    }

    // A backup of an older schema version is restored as it is and upgraded at the next
    // start (what the upgrade keeps is the storage test's concern); one of a newer version is refused, naming why, and
    // nothing changes.
    void restoreAcrossSchemaVersions_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("older") << 1;
        QTest::newRow("newer") << kSegmentSchemaVersion + 1;
    }
    void restoreAcrossSchemaVersions()
    {
        QFETCH(int, version);
        Station s;
        const QString live = s.bed.segmentePath();
        const QString chosen = s.bed.path(QStringLiteral("05-12-2026_Segmente.mdb"));
        writeSegmentDatabase(chosen, version);
        addRows(chosen, 3, QStringLiteral("BeinLi"));
        const QByteArray liveBytes = bytesOf(live), backup = bytesOf(chosen);
        s.bed.dialogs.fileAnswer = chosen;
        s.bed.messages.defaultAnswer = true;
        const QStringList shown = s.run("mnuDatenWiederherstellen");
        if (version > kSegmentSchemaVersion) {
            QCOMPARE(shown, QStringList{kKeineSicherung + QLatin1Char('\n') + newerSchemaRefusal(chosen, version)});
            QCOMPARE(bytesOf(live), liveBytes);
            QCOMPARE(bytesOf(chosen), backup);
            // Put in place by hand, the start refuses it: its message, no window, no write.
            s.w.reset();
            QVERIFY(DateiKopieren(chosen, live, true));
            s.bed.messages.clear();
            QVERIFY(!openMainWindow(s.bed.platform));
            QCOMPARE(s.bed.messages.texts(), QStringList{newerSchemaRefusal(live, version)});
            QCOMPARE(s.bed.messages.last().icon, MsgIcon::Stop);
            QCOMPARE(bytesOf(live), backup);
            return;
        }
        QCOMPARE(shown, (QStringList{kWiederherstellen,
                                     QStringLiteral("Datei wiederhergestellt, das Programm wird beendet.")}));
        QCOMPARE(bytesOf(live), backup);
        s.bed.messages.clear();
        const std::unique_ptr<frmMain> next = openMainWindow(s.bed.platform);
        QVERIFY(next);
        for (const auto &m : s.bed.messages.shown) // only the usual start questions
            QVERIFY2(m.icon != MsgIcon::Stop, qPrintable(m.text));
        QCOMPARE(scalar(live, QStringLiteral("PRAGMA user_version")).toInt(), kSegmentSchemaVersion);
    }

    // A restored file keeps the live file's owner and mode; a backup gets the mode a copy would get.
    void filesKeepTheirModes()
    {
        TestBed bed;
        const QString live = bed.segmentePath();
        const QString backup = bed.path(QStringLiteral("05-12-2026_Segmente.mdb"));
        const mode_t umaskBefore = ::umask(022);
        QVERIFY(QFile::setPermissions(live, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));
        QVERIFY(DatenbankSichern(live, backup, false));
        const auto modeOf = [](const QString &path) {
            struct stat st {};
            return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
        };
        QCOMPARE(modeOf(backup), 0644);

        QVERIFY(::chmod(QFile::encodeName(live).constData(), 0660) == 0);
        const bool root = ::geteuid() == 0;
        if (root)
            QVERIFY(::chown(QFile::encodeName(live).constData(), 65534, 65534) == 0);
        const RestoreResult r =
            restoreSegmentDatabase(backup, live, bed.path(QStringLiteral("vorher_Segmente.mdb")), {});
        ::umask(umaskBefore);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(modeOf(live), 0660);
        QCOMPARE(modeOf(r.safetyCopy), 0640);
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(live).constData(), &st) == 0);
        if (root)
            QVERIFY(st.st_uid == 65534 && st.st_gid == 65534);
    }

    // A backup taken while another connection keeps committing is one committed state.
    // Each transaction rewrites W50 of every row and adds two rows, so a copy torn by a
    // commit shows two W50 values or an odd count.
    void backupWhileAnotherConnectionWrites()
    {
        TestBed bed;
        addRows(bed.segmentePath(), 20000);
        std::atomic<int> committed{20000}, writerErrors{0};
        std::jthread writer([&](std::stop_token stop) {
            sqlite3 *db = openRaw(bed.segmentePath(), "");
            sqlite3_busy_timeout(db, 10000);
            for (int k = 1; !stop.stop_requested(); ++k) {
                const QByteArray tx = "BEGIN IMMEDIATE; UPDATE ArmLi SET W50 = " + QByteArray::number(k) + ";" +
                                      insertRow(k) + insertRow(k) + "COMMIT;";
                if (sqlite3_exec(db, tx.constData(), nullptr, nullptr, nullptr) == SQLITE_OK)
                    committed += 2;
                else
                    ++writerErrors;
            }
            sqlite3_close(db);
        });
        for (int i = 0; i < 3; ++i) {
            QTRY_VERIFY(committed >= 20000 + 20 * (i + 1));
            const int before = committed;
            const QString target = bed.path(QStringLiteral("%1_Segmente.mdb").arg(i));
            QString error;
            QVERIFY2(DatenbankSichern(bed.segmentePath(), target, false, &error), qPrintable(error));
            const int after = committed;
            QVERIFY2(isSegmentDatabase(target, &error), qPrintable(error));
            const qint64 rows = rowCount(target);
            QVERIFY2(rows >= before && rows <= after && rows % 2 == 0,
                     qPrintable(QStringLiteral("%1 <= %2 <= %3").arg(before).arg(rows).arg(after)));
            QCOMPARE(scalar(target, QStringLiteral("SELECT count(DISTINCT W50) FROM ArmLi")).toInt(), 1);
            QCOMPARE(scalar(target, QStringLiteral("SELECT max(MessID) FROM ArmLi")).toLongLong(), rows);
        }
        writer.request_stop();
        writer.join();
        QCOMPARE(writerErrors.load(), 0);
    }

    // Committed rows of a database in write-ahead mode may lie only in the log beside it:
    // the backup holds them and is a file on its own (rollback journal in its header).
    void backupOfWriteAheadDatabase()
    {
        TestBed bed;
        addRows(bed.segmentePath(), 100);
        const QByteArray logged = "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0; " + insertRow(7);
        sqlite3 *db = openRaw(bed.segmentePath(), logged.constData());
        QVERIFY(QFileInfo(bed.segmentePath() + QStringLiteral("-wal")).size() > 0);
        const QString target = bed.path(QStringLiteral("s_Segmente.mdb"));
        QString error;
        const bool ok = DatenbankSichern(bed.segmentePath(), target, false, &error);
        sqlite3_close(db);
        QVERIFY2(ok, qPrintable(error));
        QCOMPARE(bytesOf(target).mid(18, 2), QByteArray("\x01\x01"));
        QVERIFY(!QFile::exists(target + QStringLiteral("-wal")));
        QCOMPARE(rowCount(target), 101);
    }

    // A medium that fills up during the copy (every file of this process stops growing at
    // 1 MiB): the failure is reported, the earlier backup stays and no part-file is left.
    void fullMediumIsReportedAndKeepsTheEarlierBackup()
    {
        TestBed bed;
        addRows(bed.segmentePath(), 30000);
        QVERIFY(QFileInfo(bed.segmentePath()).size() > 2 * (1 << 20));
        const QString out = bed.path(QStringLiteral("out")), target = out + QStringLiteral("/s_Segmente.mdb");
        QVERIFY(writeBytes(target, "alt"));
        for (bool database : {false, true}) {
            rlimit old{};
            getrlimit(RLIMIT_FSIZE, &old);
            rlimit full = old;
            full.rlim_cur = 1 << 20;
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &full);
            QString error;
            const bool ok = database ? DatenbankSichern(bed.segmentePath(), target, true, &error)
                                     : DateiKopieren(bed.segmentePath(), target, true, &error);
            setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, oldHandler);
            QVERIFY(!ok);
            QVERIFY2(error.contains(QStringLiteral("Fehler beim Schreiben")), qPrintable(error));
            QCOMPARE(bytesOf(target), QByteArray("alt"));
            QCOMPARE(entriesOf(out), QStringList{QStringLiteral("s_Segmente.mdb")});
        }
    }

    // The copy is checked once more after copying: one that does not check out is not
    // left in place, the live file is put back, and the safety copy holds the old data.
    void restoreOfACopyThatDoesNotCheckOut()
    {
        TestBed bed;
        const QString live = bed.segmentePath();
        addRows(live, 5);
        const QString chosen = bed.path(QStringLiteral("05-12-2026_Segmente.mdb"));
        QVERIFY(writeBytes(chosen, QByteArray(64 * 1024, 'x'))); // the caller's check is skipped here
        const QByteArray liveBytes = bytesOf(live);
        const QString safety = bed.path(safetyCopyName(bed.clock.now()));
        int released = 0;
        const RestoreResult r = restoreSegmentDatabase(chosen, live, safety, [&] { ++released; });
        QCOMPARE(released, 1);
        QVERIFY(!r.ok && !r.liveChanged);
        QVERIFY2(r.error.contains(QStringLiteral("keine lesbare Datenbank")), qPrintable(r.error));
        QCOMPARE(bytesOf(live), liveBytes);
        QCOMPARE(r.safetyCopy, safety);
        QCOMPARE(rowCount(safety), 5);
        for (const QString &e : entriesOf(bed.dir.path()))
            QVERIFY2(!e.endsWith(QStringLiteral(".tmp")), qPrintable(e));
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
