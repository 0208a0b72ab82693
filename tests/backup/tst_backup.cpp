// Backup and restore: through the menu as the operator uses it, the copies under load, and
// with the database on a server.
#include "app/ProgramStart.h"
#include "backup/BackupFiles.h"
#include "backup/ServerBackup.h"
#include "db/Database.h"
#include "db/PostgresRepository.h"
#include "db/Schema.h"
#include "db/Statements.h"
#include "Files.h"
#include "Saves.h"
#include "TestBed.h"
#include "TestServer.h"
#include "Unprivileged.h"
#include "workstation/frmMain.h"

#include <atomic>
#include <csignal>
#include <QAction>
#include <QPointer>
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

int modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

const QString kAbgebrochen = QStringLiteral("Vorgang abgebrochen");
const QString kKeineSicherung = QStringLiteral("Diese Datei ist keine Sicherungdatei!");
const QString kWiederherstellen = QStringLiteral("Möchten Sie diese Datei wiederherstellen?");

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ::umask(022); } // files made here as others would find them

    // The day's backup is replaced only when the operator says so. Refused choices and a No
    // change nothing; a newer schema version is refused naming why. The restore (of an older
    // version: the start upgrades it) ends the program, closes the history window that still
    // reads the live file, and keeps the former data beside it.
    void backupAndRestoreWalk()
    {
        TestBed bed;
        bed.addPerson(QStringLiteral("Müller"), QStringLiteral("Anna"));
        addRows(bed.segmentePath(), 7);
        const auto w = std::make_unique<frmMain>(bed.platform);
        w->show();
        const auto run = [&](const char *action) { // a menu command, with the messages it showed
            bed.messages.clear();
            w->findChild<QAction *>(QString::fromLatin1(action))->trigger();
            return bed.messages.texts();
        };
        QCOMPARE(run("mnuDatenSichern"), QStringList{kAbgebrochen}); // folder choice cancelled
        QCOMPARE(
            bed.dialogs.prompts, // names the data folder that is saved
            QStringList{QStringLiteral("Ordner für die Sicherung auswählen (Datenordner: %1)").arg(bed.dir.path())});

        const QString folder = bed.path(QStringLiteral("stick"));
        QVERIFY(QDir().mkpath(folder));
        bed.dialogs.folderAnswer = folder;
        const QString target = folder + QStringLiteral("/06-12-2026_Segmente.mdb");
        const QString done = QStringLiteral("Die Sicherung wurde unter \n%1 abgelegt").arg(target);
        QCOMPARE(run("mnuDatenSichern"), QStringList{done});
        QCOMPARE(rowCount(target), 7);
        const QByteArray first = bytesOf(target);
        addRows(bed.segmentePath(), 5);
        const QString ask = QStringLiteral("Es existiert am angegebenen Ort bereits eine aktuelle Sicherung\n"
                                           "Möchten Sie diese überschreiben?");
        bed.messages.answer({false, true});
        QCOMPARE(run("mnuDatenSichern"), (QStringList{ask, kAbgebrochen}));
        QCOMPARE(bytesOf(target), first);
        QCOMPARE(run("mnuDatenSichern"), (QStringList{ask, done}));
        QCOMPARE(rowCount(target), 12);

        const QString live = bed.segmentePath();
        // The name test passes on the folder's name alone.
        const QString good = bed.path(QStringLiteral("stick/alt Segmente.mdb/daten.db"));
        QVERIFY(QDir().mkpath(QFileInfo(good).path()));
        writeSegmentDatabase(good, 1);
        addRows(good, 3000, QStringLiteral("BeinRe"));
        addRows(live, 4); // work done after the backup
        const QByteArray liveBytes = bytesOf(live), backup = bytesOf(good);
        const QStringList before = entriesOf(bed.dir.path());

        QByteArray scribbled = backup; // one page in the middle overwritten
        scribbled.replace(backup.size() / 4096 / 2 * 4096, 4096, QByteArray(4096, 'Z'));
        const QString named = bed.path(QStringLiteral("stick/05-12-2026_Segmente.mdb"));
        writeSegmentDatabase(named, kSegmentSchemaVersion + 1);
        const QList<std::tuple<QString, QByteArray, QString>> refused{
            {QString(), QByteArray(), QString()}, // dialog cancelled
            {bed.path(QStringLiteral("stick/05-12-2026_segmente.mdb")), backup, QString()},
            {named, backup.left(backup.size() / 2), QString()},
            {named, "Liebe Kollegen,\r\nanbei.\r\n", QString()},
            {named, bytesOf(bed.biaPath()), QString()}, // a database of another schema
            {named, scribbled, QString()},
            {named, bytesOf(named), QLatin1Char('\n') + newerSchemaRefusal(named, kSegmentSchemaVersion + 1)}};
        bed.messages.defaultAnswer = true;
        for (const auto &[file, content, why] : refused) {
            QVERIFY(file.isEmpty() || writeBytes(file, content));
            bed.dialogs.fileAnswer = file;
            QCOMPARE(run("mnuDatenWiederherstellen"), QStringList{kKeineSicherung + why});
            QCOMPARE(bed.messages.last().icon, MsgIcon::Stop);
            QCOMPARE(bytesOf(live), liveBytes);
            QCOMPARE(entriesOf(bed.dir.path()), before);
        }

        bed.dialogs.fileAnswer = good;
        bed.messages.answer({false});
        QCOMPARE(run("mnuDatenWiederherstellen"), (QStringList{kWiederherstellen, kAbgebrochen}));
        QVERIFY(bytesOf(live) == liveBytes && w->isVisible());

        w->session().choosePerson({1, QStringLiteral("Name"), QStringLiteral("Vorname"), {}});
        w->session().chooseSegment(segmentByTable(QStringLiteral("ArmLi")));
        QCOMPARE(run("mnuExportHistory"), QStringList());
        QPointer<QWidget> history = w->findChild<QWidget *>(QStringLiteral("frmHistory"));
        QVERIFY(history && history->isVisible() && !openConnectionsOn(live).isEmpty());
        QVERIFY(writeBytes(live + QStringLiteral("-journal"), QByteArray())); // stale leftover
        QCOMPARE(
            run("mnuDatenWiederherstellen"),
            (QStringList{kWiederherstellen, QStringLiteral("Datei wiederhergestellt, das Programm wird beendet.")}));
        QVERIFY(!w->isVisible() && (!history || !history->isVisible()));
        QVERIFY(openConnectionsOn(live).isEmpty());
        QCOMPARE(bytesOf(live), backup);
        QVERIFY(!QFile::exists(live + QStringLiteral("-journal")));
        const QString safety = bed.path(QStringLiteral("vor_Wiederherstellung_06-12-2026_10-30-00_Segmente.mdb"));
        QCOMPARE(rowCount(safety), 16);
    }

    // Without the menu's checks, a copy that does not check out once copied is not left in
    // place. A restored file keeps the live file's owner and mode; a backup gets a copy's.
    void restoreKeepsTheLiveFile()
    {
        TestBed bed;
        const QString live = bed.segmentePath();
        addRows(live, 5);
        const QString chosen = bed.path(QStringLiteral("05-12-2026_Segmente.mdb"));
        QVERIFY(writeBytes(chosen, QByteArray(64 * 1024, 'x')));
        const QByteArray liveBytes = bytesOf(live);
        int released = 0;
        RestoreResult r =
            restoreSegmentDatabase(chosen, live, bed.path(safetyCopyName(bed.clock.now())), [&] { ++released; });
        QVERIFY2(released == 1 && !r.ok && !r.liveChanged &&
                     r.error.contains(QStringLiteral("keine lesbare Datenbank")),
                 qPrintable(r.error));
        QCOMPARE(bytesOf(live), liveBytes);
        QCOMPARE(rowCount(r.safetyCopy), 5);
        for (const QString &e : entriesOf(bed.dir.path()))
            QVERIFY2(!e.endsWith(QStringLiteral(".tmp")), qPrintable(e));

        const QString backup = bed.path(QStringLiteral("06-12-2026_Segmente.mdb"));
        QVERIFY(::chmod(QFile::encodeName(live).constData(), 0666) == 0 && DatenbankSichern(live, backup, false));
        QCOMPARE(modeOf(backup), 0644);
        QVERIFY(::chmod(QFile::encodeName(live).constData(), 0660) == 0);
        const bool root = ::geteuid() == 0;
        QVERIFY(!root || ::chown(QFile::encodeName(live).constData(), 65534, 65534) == 0);
        r = restoreSegmentDatabase(backup, live, bed.path(QStringLiteral("vorher_Segmente.mdb")), {});
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(modeOf(live) == 0660 && modeOf(r.safetyCopy) == 0640);
        QVERIFY(!root || QFileInfo(live).ownerId() == 65534);
    }

    // A backup taken while another connection keeps committing in write-ahead mode is one
    // committed state, including the rows that lie only in the log, and a file on its own
    // (rollback journal in its header). Each transaction rewrites W50 of every row and adds
    // two rows, so a copy torn by a commit shows two W50 values or an odd count.
    void backupWhileAnotherConnectionWrites()
    {
        TestBed bed;
        addRows(bed.segmentePath(), 20000);
        std::atomic<int> committed{20000}, writerErrors{0};
        std::jthread writer([&](std::stop_token stop) {
            sqlite3 *db = nullptr;
            if (sqlite3_open(QFile::encodeName(bed.segmentePath()).constData(), &db) != SQLITE_OK ||
                sqlite3_exec(db, "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;", nullptr, nullptr,
                             nullptr) != SQLITE_OK)
                qFatal("%s", sqlite3_errmsg(db));
            sqlite3_busy_timeout(db, 10000);
            for (int k = 1; !stop.stop_requested(); ++k) {
                const QByteArray tx =
                    QStringLiteral("BEGIN IMMEDIATE; UPDATE ArmLi SET W50 = %1; INSERT INTO ArmLi (FKTN, "
                                   "Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, Xc100) VALUES (2, '2026-12-06', "
                                   "'10:30:00', 1, %1, 3, 4, 5, 6), (2, '2026-12-06', '10:30:00', 1, %1, 3, "
                                   "4, 5, 6); COMMIT;")
                        .arg(k)
                        .toUtf8();
                if (sqlite3_exec(db, tx.constData(), nullptr, nullptr, nullptr) == SQLITE_OK)
                    committed += 2;
                else
                    ++writerErrors;
            }
            sqlite3_close(db);
        });
        QTRY_VERIFY(QFileInfo(bed.segmentePath() + QStringLiteral("-wal")).size() > 0);
        for (int i = 0; i < 3; ++i) {
            QTRY_VERIFY(committed >= 20000 + 20 * (i + 1));
            const int before = committed;
            const QString target = bed.path(QStringLiteral("%1_Segmente.mdb").arg(i));
            QString error;
            QVERIFY2(DatenbankSichern(bed.segmentePath(), target, false, &error), qPrintable(error));
            const int after = committed;
            QVERIFY2(isSegmentDatabase(target, &error), qPrintable(error));
            QVERIFY(bytesOf(target).mid(18, 2) == "\x01\x01" && !QFile::exists(target + QStringLiteral("-wal")));
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

    // A medium that fills up during the copy (every file of this process stops growing at
    // 1 MiB): the failure is reported, the earlier backup stays and no part-file is left.
    void fullMediumIsReportedAndKeepsTheEarlierBackup()
    {
        TestBed bed;
        addRows(bed.segmentePath(), 30000);
        QVERIFY(QFileInfo(bed.segmentePath()).size() > 2 * (1 << 20));
        const QString out = bed.path(QStringLiteral("out")), target = out + QStringLiteral("/s_Segmente.mdb");
        QVERIFY(writeBytes(target, "alt"));
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit full{1 << 20, old.rlim_max};
        for (bool database : {false, true}) {
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &full);
            QString error;
            const bool ok = database ? DatenbankSichern(bed.segmentePath(), target, true, &error)
                                     : DateiKopieren(bed.segmentePath(), target, true, &error);
            setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, oldHandler);
            QVERIFY2(!ok && error.contains(QStringLiteral("Fehler beim Schreiben")), qPrintable(error));
            QCOMPARE(bytesOf(target), QByteArray("alt"));
            QCOMPARE(entriesOf(out), QStringList{QStringLiteral("s_Segmente.mdb")});
        }
    }

    // With the database on a server, as an operator without special rights: the tools run
    // as long work and write backups others can read. A dump of the program's tables in
    // another schema or of a newer program version and a safety dump that cannot be written
    // restore nothing and say so; a restore is announced to the other workstations at once.
    void serverRestoreWalk()
    {
        KAVIO_TEST_SERVER(server);
        const TestSchema schema(*server), foreign(*server);
        TestBed bed;
        QFile::setPermissions(bed.dir.path(), QFileDevice::Permissions(0x7777));
        chooseServerDatabase(bed.settings, schema.address());
        const std::unique_ptr<frmMain> w = openMainWindow(bed.platform);
        QVERIFY(w);
        PostgresRepository other(schema.address()), elsewhere(foreign.address());
        int announced = 0;
        other.watchChanges([&] { ++announced; });
        const auto store = [](PostgresRepository &repo, int day) {
            return repo.storeFirst(kSegments[0], 5, QDate(2026, 12, day), QTime(9, 0), reading(1, 480, 3, 4, 52, 6))
                .outcome;
        };
        const auto rows = [&] { return schema.scalar(QStringLiteral("SELECT count(*) FROM ArmLi")).toInt(); };
        QCOMPARE(store(other, 1), SaveOutcome::Stored);
        bed.dialogs.folderAnswer = bed.dir.path();
        w->mnuDatenSichern_Click();
        QCOMPARE(bed.longWork.texts.size(), 1); // pg_dump ran as long work
        const QString backup = bed.path(QStringLiteral("06-12-2026_Segmente.dump"));
        QCOMPARE(modeOf(backup), 0644);
        QCOMPARE(store(other, 2), SaveOutcome::Stored);

        QCOMPARE(store(elsewhere, 3), SaveOutcome::Stored);
        const QString foreignDump = bed.path(QStringLiteral("05-12-2026_Segmente.dump"));
        QVERIFY(dumpServerSchema(foreign.address(), foreignDump).ok);
        const QString newer = bed.path(QStringLiteral("04-12-2026_Segmente.dump"));
        schema.scalar(QStringLiteral("INSERT INTO kavio_schema_version VALUES (2)"));
        QVERIFY(dumpServerSchema(schema.address(), newer).ok);
        schema.scalar(QStringLiteral("DELETE FROM kavio_schema_version WHERE version = 2"));
        const QString readOnly = bed.path(QStringLiteral("nur_lesen/06-12-2026_Segmente.dump"));
        QVERIFY(QDir().mkpath(QFileInfo(readOnly).path()) && QFile::copy(backup, readOnly));
        QFile::setPermissions(QFileInfo(readOnly).path(), QFileDevice::Permissions(0x5555));
        const QList<std::pair<QString, QString>> refused{
            {foreignDump, kKeineSicherung + QStringLiteral("\nDie Datei %1 enthält keine Segmentdaten des Schemas %2.")
                                                .arg(foreignDump, schema.address().schema)},
            {newer, kKeineSicherung + QStringLiteral("\nDie Datei %1 stammt aus einer neueren Programmversion "
                                                     "(Datenbankversion 2,")
                                          .arg(newer)},
            {readOnly, QStringLiteral("Die Datei konnte nicht wiederhergestellt werden.\nDie bisherigen Daten konnten "
                                      "nicht aufbewahrt werden: Im Ordner %1 kann keine Datei angelegt werden")
                           .arg(QFileInfo(readOnly).path())}};
        bed.messages.defaultAnswer = true;
        for (const auto &[chosen, message] : refused) {
            const QStringList files = entriesOf(QFileInfo(chosen).path());
            bed.dialogs.fileAnswer = chosen;
            bed.messages.clear();
            {
                Unprivileged as; // file permissions bind root only under another identity
                w->mnuDatenWiederherstellen_Click();
            }
            const QString shown = bed.messages.last().text;
            QVERIFY2(shown.startsWith(message) && bed.messages.last().icon == MsgIcon::Stop, qPrintable(shown));
            QCOMPARE(rows(), 2);
            QCOMPARE(entriesOf(QFileInfo(chosen).path()), files);
        }

        QCOMPARE(announced, 0);
        bed.dialogs.fileAnswer = backup;
        bed.longWork.texts.clear();
        w->mnuDatenWiederherstellen_Click();
        const QString safety = bed.path(QStringLiteral("vor_Wiederherstellung_06-12-2026_10-30-00_Segmente.dump"));
        QCOMPARE(bed.messages.texts().constLast(),
                 QStringLiteral("Datenbank wiederhergestellt. Die bisherigen Daten liegen in\n") + safety);
        QCOMPARE(bed.longWork.texts.size(), 2); // the check, then the safety dump and the restore
        QVERIFY(rows() == 1 && QFileInfo(safety).size() > 0);
        QTRY_VERIFY_WITH_TIMEOUT(announced > 0, 1000);
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
