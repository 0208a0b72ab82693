#include "backup/BackupFiles.h"
#include "BackupTestKit.h"
#include "DemoInstallation.h"
#include "TestBed.h"

#include <atomic>
#include <chrono>
#include <optional>
#include <QDir>
#include <sqlite3.h>
#include <thread>

using namespace kavio;
using namespace kavio::test;

namespace {

// Runs SQL on a connection of the engine's own, outside the program's connections.
sqlite3 *openRaw(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK ||
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("%s", sqlite3_errmsg(db));
    return db;
}

} // namespace

class TestBackupFiles : public QObject {
    Q_OBJECT
private slots:
    void nameTest_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("passes");
        QTest::newRow("dated backup") << "/media/stick/05-12-2026_Segmente.mdb" << true;
        QTest::newRow("live file of another installation") << "/opt/andere/Segmente.mdb" << true;
        QTest::newRow("text only in the folder") << "/media/alt Segmente.mdb/daten.db" << true;
        QTest::newRow("text in the middle") << "/x/Segmente.mdb.alt" << true;
        QTest::newRow("lower-case s") << "/media/stick/05-12-2026_segmente.mdb" << false;
        QTest::newRow("upper case") << "/media/stick/SEGMENTE.MDB" << false;
        QTest::newRow("other database") << "/opt/host/BIA.mdb" << false;
        QTest::newRow("nothing chosen") << "" << false;
    }
    void nameTest()
    {
        QFETCH(QString, path);
        QFETCH(bool, passes);
        QCOMPARE(isBackupName(path), passes);
    }

    // Both copies: the overwrite rule, the German cause, and nothing left behind but the
    // complete target (the source spans several read chunks).
    void copyRules_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("targetExists");
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<QString>("cause"); // empty: copied
        auto row = [](const char *tag, const char *source, const char *target, bool exists, bool overwrite,
                      const char *cause) {
            QTest::newRow(tag) << QString::fromLatin1(source) << QString::fromLatin1(target) << exists << overwrite
                               << QString::fromLatin1(cause);
        };
        row("new target", "Segmente.mdb", "out/z.mdb", false, false, "");
        row("existing target kept", "Segmente.mdb", "out/z.mdb", true, false, "existiert bereits");
        row("existing target replaced", "Segmente.mdb", "out/z.mdb", true, true, "");
        row("missing source", "nichts.mdb", "out/z.mdb", false, true, "nicht gefunden");
        row("missing folder", "Segmente.mdb", "fehlt/z.mdb", false, true, "existiert nicht");
        row("folder in the way", "Segmente.mdb", "out/ordner", false, true, "Ordner");
        row("medium full", "Segmente.mdb", "out/z.mdb", true, true, "Fehler beim Schreiben");
    }
    void copyRules()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(bool, targetExists);
        QFETCH(bool, overwrite);
        QFETCH(QString, cause);
        TestBed bed;
        addRows(bed.segmentePath(), 30000);
        const QByteArray content = bytesOf(bed.segmentePath());
        QVERIFY(content.size() > 2 * (1 << 20));
        const QString out = bed.path(QStringLiteral("out")), dst = bed.path(target);
        QVERIFY(QDir().mkpath(out + QStringLiteral("/ordner")));
        for (bool database : {false, true}) {
            QFile::remove(dst);
            if (targetExists)
                QVERIFY(writeBytes(dst, "alt"));
            const QStringList before = entriesOf(out);
            QString error;
            std::optional<FileSizeLimit> limit;
            if (QTest::currentDataTag() == QByteArray("medium full"))
                limit.emplace(1 << 20);
            const bool ok = database ? DatenbankSichern(bed.path(source), dst, overwrite, &error)
                                     : DateiKopieren(bed.path(source), dst, overwrite, &error);
            limit.reset();
            QCOMPARE(ok, cause.isEmpty());
            QVERIFY2(error.contains(cause) && error.isEmpty() == ok, qPrintable(error));
            QCOMPARE(bytesOf(dst), ok ? content : targetExists ? QByteArray("alt") : QByteArray());
            QCOMPARE(DateiVorhanden(dst), ok || targetExists || target.endsWith(QLatin1String("ordner")));
            QStringList after = before;
            if (ok && !targetExists) {
                after << QFileInfo(dst).fileName();
                after.sort();
            }
            QCOMPARE(entriesOf(out), after);
        }
    }

    // A backup taken while another connection keeps committing is one committed state.
    // Each transaction rewrites W50 of every row (pages all over the file) and adds two
    // rows, so a copy torn by a commit shows two W50 values or an odd count.
    void backupWhileAnotherConnectionWrites()
    {
        TestBed bed;
        addRows(bed.segmentePath(), 20000);
        std::atomic<int> committed{20000}, writerErrors{0};
        std::atomic<bool> stop{false};
        sqlite3 *db = openRaw(bed.segmentePath(), "");
        sqlite3_busy_timeout(db, 10000);
        std::thread writer([&] {
            for (int k = 1; !stop; ++k) {
                const QByteArray w50 = QByteArray::number(k);
                const QByteArray insert = "INSERT INTO ArmLi (FKTN, Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, Xc100)"
                                          " VALUES (2, '2026-12-06', '10:30:00', 1, " +
                                          w50 + ", 3, 4, 5, 6);";
                const QByteArray tx =
                    "BEGIN IMMEDIATE; UPDATE ArmLi SET W50 = " + w50 + ";" + insert + insert + "COMMIT;";
                if (sqlite3_exec(db, tx.constData(), nullptr, nullptr, nullptr) == SQLITE_OK)
                    committed += 2;
                else
                    ++writerErrors;
            }
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
        sqlite3_close(db);
        QCOMPARE(writerErrors.load(), 0);
        for (int i = 0; i < windows.size(); ++i) {
            const QString target = bed.path(QStringLiteral("%1_Segmente.mdb").arg(i));
            QString reason;
            QVERIFY2(isSegmentDatabase(target, &reason), qPrintable(reason));
            const qint64 rows = rowCount(target);
            QVERIFY2(
                rows >= windows[i].first && rows <= windows[i].second && rows % 2 == 0,
                qPrintable(QStringLiteral("%1 <= %2 <= %3").arg(windows[i].first).arg(rows).arg(windows[i].second)));
            QCOMPARE(scalar(target, QStringLiteral("SELECT count(DISTINCT W50) FROM ArmLi")).toInt(), 1);
            QCOMPARE(scalar(target, QStringLiteral("SELECT max(MessID) FROM ArmLi")).toLongLong(), rows);
        }
    }

    // A writer whose transaction outgrew its cache has already put uncommitted pages into
    // the file: the backup waits for the commit. In write-ahead mode committed rows may lie
    // only in the log beside the file: the backup has them.
    void backupOfUnfinishedOrLoggedWrites_data()
    {
        QTest::addColumn<QByteArray>("writer");
        QTest::addColumn<QString>("check");
        QTest::addColumn<int>("expected");
        QTest::newRow("spilled transaction")
            << QByteArray("PRAGMA cache_size = 10; BEGIN IMMEDIATE; UPDATE ArmLi SET W50 = 999;")
            << "SELECT min(W50) * (count(DISTINCT W50) = 1) FROM ArmLi" << 999;
        QTest::newRow("write-ahead log") << QByteArray(
                                                "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0; INSERT "
                                                "INTO ArmLi (FKTN, Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, "
                                                "Xc100) VALUES (3, '2026-12-06', '11:00:00', 1, 2, 3, 4, 5, 6);")
                                         << "SELECT count(*) FROM ArmLi" << 20001;
    }
    void backupOfUnfinishedOrLoggedWrites()
    {
        QFETCH(QByteArray, writer);
        QFETCH(QString, check);
        QFETCH(int, expected);
        TestBed bed;
        addRows(bed.segmentePath(), 20000);
        sqlite3 *db = openRaw(bed.segmentePath(), writer.constData());
        QVERIFY(!writer.contains("WAL") || QFileInfo(bed.segmentePath() + QStringLiteral("-wal")).size() > 0);
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
        QVERIFY(!QFile::exists(target + QStringLiteral("-wal")));
        QVERIFY(isSegmentDatabase(target));
        QCOMPARE(scalar(target, check).toInt(), expected);
        // A copy of a database in write-ahead mode is a file on its own (rollback journal).
        QFile copy(target);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.read(20).mid(18), QByteArray("\x01\x01"));
        QVERIFY(!QFile::exists(target + QStringLiteral("-wal")));
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind :
             {"truncated to half", "truncated by one page", "only the first page", "text file", "empty file",
              "database of another schema", "segment table missing", "field missing", "damaged page", "folder"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
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
        QByteArray scribbled = bytes; // one b-tree page in the middle overwritten
        scribbled.replace(bytes.size() / page / 2 * page, page, QByteArray(page, 'Z'));
        const QString file = bed.path(QStringLiteral("06-12-2026_Segmente.mdb"));
        const QHash<QString, QByteArray> contents{{"truncated to half", bytes.left(bytes.size() / 2)},
                                                  {"truncated by one page", bytes.left(bytes.size() - page)},
                                                  {"only the first page", bytes.left(page)},
                                                  {"text file", "Das ist keine Datenbank, nur ein Brief.\n"},
                                                  {"empty file", QByteArray()},
                                                  {"damaged page", scribbled}};
        if (contents.contains(kind))
            QVERIFY(writeBytes(file, contents[kind]));
        else if (kind == QLatin1String("database of another schema"))
            demo::writeHostDatabase(file, demo::demoPersons());
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(file));
        else {
            QVERIFY(QFile::copy(good, file));
            DbConnection::open(file).exec(kind.startsWith(QLatin1String("segment"))
                                              ? QStringLiteral("DROP TABLE BeinRe")
                                              : QStringLiteral("ALTER TABLE ArmRe DROP COLUMN W100N"));
        }
        QString reason;
        QVERIFY(!isSegmentDatabase(file, &reason));
        QVERIFY(!reason.isEmpty());
    }

    // A restore that fails leaves the live file as it was, or puts it back from the safety copy.
    void restoreFailureKeepsLiveFile_data()
    {
        QTest::addColumn<bool>("mediumFull");
        QTest::addColumn<QString>("cause");
        QTest::newRow("medium full") << true << "Fehler beim Schreiben";
        QTest::newRow("copy is no segment database") << false << "keine lesbare Datenbank";
    }
    void restoreFailureKeepsLiveFile()
    {
        QFETCH(bool, mediumFull);
        QFETCH(QString, cause);
        TestBed bed;
        const QString live = bed.segmentePath();
        addRows(live, 5);
        const QString chosen = bed.path(QStringLiteral("05-12-2026_Segmente.mdb"));
        QVERIFY(QFile::copy(live, chosen));
        addRows(chosen, 6000, QStringLiteral("BeinRe"));
        if (!mediumFull) // the caller's check is skipped here, so the one after the copy must catch it
            QVERIFY(writeBytes(chosen, QByteArray(64 * 1024, 'x')));
        const QByteArray liveBytes = bytesOf(live);
        const QString safety = bed.path(safetyCopyName(bed.clock.now()));
        int released = 0;
        RestoreResult r;
        {
            std::optional<FileSizeLimit> limit; // room for the safety copy, not for the backup
            if (mediumFull)
                limit.emplace(liveBytes.size() + 16384);
            r = restoreSegmentDatabase(chosen, live, safety, [&] { ++released; });
        }
        QCOMPARE(released, 1);
        QVERIFY(!r.ok && !r.liveChanged);
        QVERIFY2(r.error.contains(cause), qPrintable(r.error));
        QCOMPARE(bytesOf(live), liveBytes);
        QCOMPARE(r.safetyCopy, safety);
        QCOMPARE(rowCount(safety), 5);
        for (const QString &e : entriesOf(bed.dir.path()))
            QVERIFY2(!e.endsWith(QStringLiteral(".tmp")), qPrintable(e));
    }

    void dialogDefaults()
    {
        FakeFileDialogs d;
        QString prompt, start, title;
        OrdnerAuswaehlen(d, prompt);
        DateiOeffnenDialog(d, start, title);
        QCOMPARE(d.prompts, (QStringList{"Bitte wählen Sie ein Verzeichnis:", "Datei öffnen"}));
        QCOMPARE(start, QDir::currentPath());
        QCOMPARE(d.lastFilter.section(QStringLiteral(";;"), 0, 0),
                 QStringLiteral("Microsoft Access-Datenbanken (*.mdb) (*Segmente.mdb)"));
        QCOMPARE(d.lastFilter.count(QStringLiteral(";;")), 3);
    }
};

QTEST_GUILESS_MAIN(TestBackupFiles)
#include "tst_backupfiles.moc"
