#include "backup/BackupFiles.h"
#include "BackupTestKit.h"
#include "db/Schema.h"
#include "DemoInstallation.h"
#include "platform/FileDialogs.h"
#include "TestBed.h"

#include <atomic>
#include <chrono>
#include <QDir>
#include <QSqlQuery>
#include <sqlite3.h>
#include <thread>

using namespace kavio;
using namespace kavio::test;

namespace {

// Records what the dialogs were asked with.
class RecordingDialogs final : public FileDialogs {
public:
    QString chooseFolder(const QString &prompt) override
    {
        this->prompt = prompt;
        return answer;
    }
    QString chooseFile(const QString &startFolder, const QString &title, const QString &filter) override
    {
        start = startFolder;
        this->title = title;
        this->filter = filter;
        return answer;
    }
    QString prompt, start, title, filter, answer;
};

} // namespace

class TestBackupFiles : public QObject {
    Q_OBJECT
private slots:
    void names_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("name");
        QTest::newRow("two-digit day and month") << QDate(2026, 12, 5) << "05-12-2026_Segmente.mdb";
        QTest::newRow("new year") << QDate(2027, 1, 1) << "01-01-2027_Segmente.mdb";
        QTest::newRow("leap day") << QDate(2028, 2, 29) << "29-02-2028_Segmente.mdb";
    }
    void names()
    {
        QFETCH(QDate, day);
        QFETCH(QString, name);
        QCOMPARE(backupFileName(day), name);
        QCOMPARE(backupStamp(day) + QStringLiteral("Segmente.mdb"), name);
    }

    void nameTest_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("passes");
        QTest::newRow("dated backup") << "/media/stick/05-12-2026_Segmente.mdb" << true;
        QTest::newRow("live file of another installation") << "/opt/andere/Segmente.mdb" << true;
        QTest::newRow("lower-case s") << "/media/stick/05-12-2026_segmente.mdb" << false;
        QTest::newRow("upper case") << "/media/stick/SEGMENTE.MDB" << false;
        QTest::newRow("text only in the folder") << "/media/alt Segmente.mdb/daten.db" << true;
        QTest::newRow("text in the middle") << "/x/Segmente.mdb.alt" << true;
        QTest::newRow("other database") << "/opt/host/BIA.mdb" << false;
        QTest::newRow("nothing chosen") << "" << false;
    }
    void nameTest()
    {
        QFETCH(QString, path);
        QFETCH(bool, passes);
        QCOMPARE(isBackupName(path), passes);
    }

    void safetyCopyNameIsFindableAndRestorable()
    {
        const QString n = safetyCopyName(QDateTime(QDate(2026, 12, 6), QTime(10, 30, 5)));
        QVERIFY(n.contains(QStringLiteral("Wiederherstellung")));
        QVERIFY(n.contains(QStringLiteral("06-12-2026")));
        QVERIFY(isBackupName(n));
        QVERIFY(n != safetyCopyName(QDateTime(QDate(2026, 12, 6), QTime(10, 30, 6))));
        QVERIFY(n != backupFileName(QDate(2026, 12, 6)));
    }

    void fileExists()
    {
        QTemporaryDir dir;
        QVERIFY(writeBytes(dir.filePath(QStringLiteral("a.mdb")), "x"));
        QVERIFY(DateiVorhanden(dir.filePath(QStringLiteral("a.mdb"))));
        QVERIFY(!DateiVorhanden(dir.filePath(QStringLiteral("b.mdb"))));
        QVERIFY(DateiVorhanden(dir.path())); // a folder of that name counts, as in a file search
        QVERIFY(!DateiVorhanden(QString()));
    }

    void copyOverwriteRule_data()
    {
        QTest::addColumn<bool>("targetExists");
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<bool>("copied");
        QTest::newRow("new target") << false << false << true;
        QTest::newRow("new target, overwrite") << false << true << true;
        QTest::newRow("existing target kept") << true << false << false;
        QTest::newRow("existing target replaced") << true << true << true;
    }
    void copyOverwriteRule()
    {
        QFETCH(bool, targetExists);
        QFETCH(bool, overwrite);
        QFETCH(bool, copied);
        QTemporaryDir dir;
        const QString src = dir.filePath(QStringLiteral("src.bin"));
        const QString dst = dir.filePath(QStringLiteral("out/dst.bin"));
        QByteArray content(3 * 1024 * 1024 + 17, Qt::Uninitialized); // more than one chunk
        for (int i = 0; i < content.size(); ++i)
            content[i] = char(i * 7 + i / 4096);
        QVERIFY(writeBytes(src, content));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("out"))));
        if (targetExists)
            QVERIFY(writeBytes(dst, "alt"));
        QString error;
        QCOMPARE(DateiKopieren(src, dst, overwrite, &error), copied);
        QCOMPARE(bytesOf(dst), copied ? content : QByteArray("alt"));
        QCOMPARE(error.isEmpty(), copied);
        QCOMPARE(entriesOf(dir.filePath(QStringLiteral("out"))), QStringList{QStringLiteral("dst.bin")});
    }

    void copyFailures_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("cause");
        QTest::newRow("missing source") << "nichts.mdb"
                                        << "out.mdb"
                                        << "nicht gefunden";
        QTest::newRow("missing folder") << "src.mdb"
                                        << "fehlt/out.mdb"
                                        << "existiert nicht";
        QTest::newRow("folder in the way") << "src.mdb"
                                           << "ordner"
                                           << "Ordner";
    }
    void copyFailures()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(QString, cause);
        TestBed bed;
        QFile::copy(bed.segmentePath(), bed.path(QStringLiteral("src.mdb")));
        QDir(bed.dir.path()).mkdir(QStringLiteral("ordner"));
        const QStringList before = entriesOf(bed.dir.path());
        for (bool database : {false, true}) {
            QString error;
            const bool ok = database ? DatenbankSichern(bed.path(source), bed.path(target), true, &error)
                                     : DateiKopieren(bed.path(source), bed.path(target), true, &error);
            QVERIFY(!ok);
            QVERIFY2(error.contains(cause), qPrintable(error));
            QCOMPARE(entriesOf(bed.dir.path()), before);
        }
    }

    // A backup taken while another connection keeps committing is one committed state:
    // intact, every row committed before it began, no half transaction. Each transaction
    // rewrites W50 of every row (pages all over the file) and adds two rows, so a copy
    // torn by a commit shows two W50 values or an odd count.
    void backupWhileAnotherConnectionWrites()
    {
        TestBed bed;
        addRows(bed.segmentePath(), 20000);
        std::atomic<int> committed{20000};
        std::atomic<bool> stop{false};
        std::atomic<int> writerErrors{0};
        const QByteArray livePath = QFile::encodeName(bed.segmentePath());
        std::thread writer([&] {
            sqlite3 *db = nullptr;
            if (sqlite3_open_v2(livePath.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
                ++writerErrors;
                sqlite3_close(db);
                return;
            }
            sqlite3_busy_timeout(db, 10000);
            for (int k = 1; !stop; ++k) {
                const QByteArray insert = "INSERT INTO ArmLi (FKTN, Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, Xc100)"
                                          " VALUES (2, '2026-12-06', '10:30:00', 1, " +
                                          QByteArray::number(k) + ", 3, 4, 5, 6);";
                const QByteArray tx = "BEGIN IMMEDIATE; UPDATE ArmLi SET W50 = " + QByteArray::number(k) + ";" +
                                      insert + insert + "COMMIT;";
                if (sqlite3_exec(db, tx.constData(), nullptr, nullptr, nullptr) == SQLITE_OK)
                    committed += 2;
                else {
                    ++writerErrors;
                    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
                }
            }
            sqlite3_close(db);
        });
        QList<QPair<int, int>> windows;
        for (int i = 0; i < 4; ++i) {
            QTRY_VERIFY(committed >= 20000 + 20 * (i + 1));
            const int before = committed;
            QString error;
            const bool ok =
                DatenbankSichern(bed.segmentePath(), bed.path(QStringLiteral("%1_Segmente.mdb").arg(i)), false, &error);
            windows.append({before, committed});
            QVERIFY2(ok, qPrintable(error));
        }
        stop = true;
        writer.join();
        QCOMPARE(writerErrors.load(), 0);
        for (int i = 0; i < windows.size(); ++i) {
            const QString target = bed.path(QStringLiteral("%1_Segmente.mdb").arg(i));
            QString reason;
            QVERIFY2(isSegmentDatabase(target, &reason), qPrintable(reason));
            const qint64 rows = rowCount(target);
            QVERIFY2(
                rows >= windows[i].first && rows <= windows[i].second,
                qPrintable(QStringLiteral("%1 <= %2 <= %3").arg(windows[i].first).arg(rows).arg(windows[i].second)));
            QCOMPARE(rows % 2, 0);
            QCOMPARE(scalar(target, QStringLiteral("SELECT count(DISTINCT W50) FROM ArmLi")).toInt(), 1);
            QCOMPARE(scalar(target, QStringLiteral("SELECT max(MessID) FROM ArmLi")).toLongLong(), rows);
        }
    }

    // A writer whose transaction outgrew its cache has already put uncommitted pages into
    // the file; the backup must wait for the commit instead of copying that mixture.
    void backupWaitsForSpilledTransaction()
    {
        TestBed bed;
        addRows(bed.segmentePath(), 20000);
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(bed.segmentePath()).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "PRAGMA cache_size = 10; BEGIN IMMEDIATE; UPDATE ArmLi SET W50 = 999;", nullptr,
                              nullptr, nullptr),
                 SQLITE_OK);
        std::thread committer([db] {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        });
        const QString target = bed.path(QStringLiteral("s_Segmente.mdb"));
        QString error;
        const bool ok = DatenbankSichern(bed.segmentePath(), target, false, &error);
        committer.join();
        sqlite3_close(db);
        QVERIFY2(ok, qPrintable(error));
        QVERIFY(isSegmentDatabase(target));
        QCOMPARE(scalar(target, QStringLiteral("SELECT count(DISTINCT W50) FROM ArmLi")).toInt(), 1);
        QCOMPARE(scalar(target, QStringLiteral("SELECT min(W50) FROM ArmLi")).toInt(), 999);
    }

    void backupLeavesOpenTransactionOut()
    {
        TestBed bed;
        addRows(bed.segmentePath(), 10);
        DbConnection other = DbConnection::open(bed.segmentePath());
        QVERIFY(other.db().transaction());
        other.exec(sql::insertMeasurement(QStringLiteral("ArmLi")),
                   {1, QStringLiteral("2026-12-06"), QStringLiteral("10:30:00"), 1, 2, 3, 4, 5, 6});
        const QString target = bed.path(QStringLiteral("b_Segmente.mdb"));
        QString error;
        QVERIFY2(DatenbankSichern(bed.segmentePath(), target, false, &error), qPrintable(error));
        QVERIFY(other.db().commit());
        QCOMPARE(rowCount(target), 10);
        QCOMPARE(rowCount(bed.segmentePath()), 11);
        QVERIFY(isSegmentDatabase(target));
    }

    // In write-ahead mode committed rows may lie only in the log beside the file.
    void backupOfLoggedDatabase()
    {
        TestBed bed;
        addRows(bed.segmentePath(), 10);
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(bed.segmentePath()).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;"
                              "INSERT INTO ArmLi (FKTN, Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, Xc100)"
                              " VALUES (3, '2026-12-06', '11:00:00', 1, 2, 3, 4, 5, 6);",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        QVERIFY(QFileInfo(bed.segmentePath() + QStringLiteral("-wal")).size() > 0);
        const QString target = bed.path(QStringLiteral("w_Segmente.mdb"));
        QString error;
        const bool ok = DatenbankSichern(bed.segmentePath(), target, false, &error);
        sqlite3_close(db);
        QVERIFY2(ok, qPrintable(error));
        QVERIFY(!QFile::exists(target + QStringLiteral("-wal")));
        QVERIFY(isSegmentDatabase(target));
        QCOMPARE(rowCount(target), 11);
    }

    void backupIntoReadOnlyFolder()
    {
        TestBed bed;
        const QString folder = bed.path(QStringLiteral("nurlesen"));
        QVERIFY(QDir().mkpath(folder));
        ReadOnlyFolder guard(folder);
        if (!guard.effective())
            QSKIP("this system lets the test write into any folder");
        QString error;
        QVERIFY(
            !DatenbankSichern(bed.segmentePath(), folder + QStringLiteral("/06-12-2026_Segmente.mdb"), true, &error));
        QVERIFY2(error.contains(QDir::toNativeSeparators(folder)), qPrintable(error));
        QVERIFY(entriesOf(folder).isEmpty());
    }

#ifndef Q_OS_WIN
    // The medium fills up half-way: the existing backup of the day stays as it was and no
    // part of the new one is left behind.
    void fullMediumKeepsExistingBackup()
    {
        TestBed bed;
        addRows(bed.segmentePath(), 4000);
        const QString folder = bed.path(QStringLiteral("stick"));
        QVERIFY(QDir().mkpath(folder));
        const QString target = folder + QStringLiteral("/06-12-2026_Segmente.mdb");
        QVERIFY(DatenbankSichern(bed.segmentePath(), target, false));
        const QByteArray old = bytesOf(target);
        addRows(bed.segmentePath(), 4000);
        QString error;
        {
            FileSizeLimit limit(old.size() + 8192);
            QVERIFY(!DatenbankSichern(bed.segmentePath(), target, true, &error));
        }
        QVERIFY(!error.isEmpty());
        QCOMPARE(bytesOf(target), old);
        QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("06-12-2026_Segmente.mdb")});
    }
#endif

    void refusedFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("truncated to half") << "half";
        QTest::newRow("truncated by one page") << "lastpage";
        QTest::newRow("only the first page") << "firstpage";
        QTest::newRow("text file") << "text";
        QTest::newRow("empty file") << "empty";
        QTest::newRow("database of another schema") << "host";
        QTest::newRow("segment table missing") << "droptable";
        QTest::newRow("field missing") << "dropfield";
        QTest::newRow("damaged page") << "scribble";
        QTest::newRow("folder") << "folder";
    }
    void refusedFiles()
    {
        QFETCH(QString, kind);
        TestBed bed;
        addRows(bed.segmentePath(), 3000);
        const QString good = bed.path(QStringLiteral("gut.db"));
        QVERIFY(DatenbankSichern(bed.segmentePath(), good, false));
        QVERIFY(isSegmentDatabase(good));
        const QByteArray bytes = bytesOf(good);
        const int page = 4096;
        QVERIFY(bytes.size() > 8 * page);
        const QString file = bed.path(QStringLiteral("06-12-2026_Segmente.mdb"));
        if (kind == QLatin1String("half"))
            QVERIFY(writeBytes(file, bytes.left(bytes.size() / 2)));
        else if (kind == QLatin1String("lastpage"))
            QVERIFY(writeBytes(file, bytes.left(bytes.size() - page)));
        else if (kind == QLatin1String("firstpage"))
            QVERIFY(writeBytes(file, bytes.left(page)));
        else if (kind == QLatin1String("text"))
            QVERIFY(writeBytes(file, "Das ist keine Datenbank, nur ein Brief.\n"));
        else if (kind == QLatin1String("empty"))
            QVERIFY(writeBytes(file, {}));
        else if (kind == QLatin1String("host"))
            demo::writeHostDatabase(file, demo::demoPersons());
        else if (kind == QLatin1String("droptable") || kind == QLatin1String("dropfield")) {
            QVERIFY(QFile::copy(good, file));
            DbConnection db = DbConnection::open(file);
            db.exec(kind == QLatin1String("droptable") ? QStringLiteral("DROP TABLE BeinRe")
                                                       : QStringLiteral("ALTER TABLE ArmRe DROP COLUMN W100N"));
        } else if (kind == QLatin1String("scribble")) {
            QByteArray broken = bytes;
            for (int i = 0; i < page; ++i) // one b-tree page overwritten in the middle
                broken[bytes.size() / page / 2 * page + i] = char(0x5a);
            QVERIFY(writeBytes(file, broken));
        } else
            QVERIFY(QDir().mkpath(file));

        QString reason;
        QVERIFY(!isSegmentDatabase(file, &reason));
        QVERIFY(!reason.isEmpty());
    }

    void restoreReplacesAndKeepsSafetyCopy()
    {
        TestBed bed;
        addRows(bed.segmentePath(), 5);
        const QString chosen = bed.path(QStringLiteral("05-12-2026_Segmente.mdb"));
        QVERIFY(QFile::copy(bed.segmentePath(), chosen));
        addRows(chosen, 20, QStringLiteral("BeinRe"));
        QVERIFY(writeBytes(bed.segmentePath() + QStringLiteral("-journal"), QByteArray())); // stale leftover
        const QString safety = bed.path(safetyCopyName(bed.clock.now()));
        int released = 0;
        const RestoreResult r = restoreSegmentDatabase(chosen, bed.segmentePath(), safety, [&] { ++released; });
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(released, 1);
        QCOMPARE(r.safetyCopy, safety);
        QCOMPARE(bytesOf(bed.segmentePath()), bytesOf(chosen));
        QCOMPARE(rowCount(bed.segmentePath(), QStringLiteral("BeinRe")), 20);
        QCOMPARE(rowCount(safety), 5);
        QCOMPARE(rowCount(safety, QStringLiteral("BeinRe")), 0);
        QVERIFY(!QFile::exists(bed.segmentePath() + QStringLiteral("-journal")));
    }

    void restoreRefusedWhileConnectionOpen()
    {
        TestBed bed;
        const QString chosen = bed.path(QStringLiteral("05-12-2026_Segmente.mdb"));
        QVERIFY(QFile::copy(bed.segmentePath(), chosen));
        addRows(chosen, 3);
        const QByteArray live = bytesOf(bed.segmentePath());
        const QStringList before = entriesOf(bed.dir.path());
        DbConnection held = DbConnection::open(bed.segmentePath(), OpenMode::ReadOnly);
        QCOMPARE(openConnectionsOn(bed.segmentePath()).size(), 1);
        const RestoreResult r =
            restoreSegmentDatabase(chosen, bed.segmentePath(), bed.path(QStringLiteral("sicher_Segmente.mdb")), {});
        QVERIFY(!r.ok);
        QVERIFY(!r.liveChanged);
        QVERIFY(r.error.contains(QStringLiteral("benutzt")));
        QCOMPARE(bytesOf(bed.segmentePath()), live);
        QCOMPARE(entriesOf(bed.dir.path()), before);
        held.close();
        QVERIFY(openConnectionsOn(bed.segmentePath()).isEmpty());
    }

#ifndef Q_OS_WIN
    void restoreCopyFailsLiveUnchanged()
    {
        TestBed bed;
        const QByteArray live = bytesOf(bed.segmentePath());
        const QString chosen = bed.path(QStringLiteral("05-12-2026_Segmente.mdb"));
        QVERIFY(QFile::copy(bed.segmentePath(), chosen));
        addRows(chosen, 6000);
        RestoreResult r;
        {
            FileSizeLimit limit(live.size() + 16384); // room for the safety copy, not for the backup
            r = restoreSegmentDatabase(chosen, bed.segmentePath(), bed.path(QStringLiteral("sicher_Segmente.mdb")), {});
        }
        QVERIFY(!r.ok);
        QVERIFY(!r.liveChanged);
        QVERIFY(!r.error.isEmpty());
        QCOMPARE(bytesOf(bed.segmentePath()), live);
        for (const QString &e : entriesOf(bed.dir.path()))
            QVERIFY2(!e.endsWith(QStringLiteral(".tmp")), qPrintable(e));
    }
#endif

    void dialogs()
    {
        RecordingDialogs d;
        d.answer = QStringLiteral("/media/stick");
        QString prompt;
        QCOMPARE(OrdnerAuswaehlen(d, prompt), d.answer);
        QCOMPARE(d.prompt, QStringLiteral("Bitte wählen Sie ein Verzeichnis:"));
        prompt = QStringLiteral("Ordner für die Sicherung auswählen");
        OrdnerAuswaehlen(d, prompt);
        QCOMPARE(d.prompt, prompt);

        QString start, title;
        d.answer.clear();
        QCOMPARE(DateiOeffnenDialog(d, start, title), QString());
        QCOMPARE(d.title, QStringLiteral("Datei öffnen"));
        QCOMPARE(d.start, QDir::currentPath());
        const QStringList filters = d.filter.split(QStringLiteral(";;"));
        QCOMPARE(filters.size(), 4);
        QCOMPARE(filters.first(), QStringLiteral("Microsoft Access-Datenbanken (*.mdb) (*Segmente.mdb)"));
        QVERIFY(filters.at(1).endsWith(QStringLiteral("(*.mda)")));
        start = QStringLiteral("/media/stick");
        title = QStringLiteral("Sicherungsdatei auswählen");
        DateiOeffnenDialog(d, start, title);
        QCOMPARE(d.start, start);
        QCOMPARE(d.title, title);
    }
};

QTEST_GUILESS_MAIN(TestBackupFiles)
#include "tst_backupfiles.moc"
