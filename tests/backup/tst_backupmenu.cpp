#include "backup/BackupFiles.h"
#include "BackupTestKit.h"
#include "TestBed.h"
#include "Unprivileged.h"
#include "workstation/frmMain.h"

#include <optional>
#include <QAction>
#include <QDir>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

const QString kAbgebrochen = QStringLiteral("Vorgang abgebrochen");
const QString kKeineSicherung = QStringLiteral("Diese Datei ist keine Sicherungdatei!");
const QString kWiederherstellen = QStringLiteral("Möchten Sie diese Datei wiederherstellen?");
const QString kWiederhergestellt = QStringLiteral("Datei wiederhergestellt, das Programm wird beendet.");

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
    QString path(const QString &name) const { return bed.path(name); }
    // Runs a menu command and returns the messages it showed.
    QStringList run(const char *action)
    {
        bed.messages.clear();
        w->findChild<QAction *>(QString::fromLatin1(action))->trigger();
        return bed.messages.texts();
    }
    // A valid backup with data of its own (three rows in BeinRe).
    QString makeBackup(const QString &relative)
    {
        const QString p = path(relative);
        QDir().mkpath(QFileInfo(p).absolutePath());
        DatenbankSichern(bed.segmentePath(), p, true);
        addRows(p, 3, QStringLiteral("BeinRe"));
        return p;
    }
};

} // namespace

class TestBackupMenu : public QObject {
    Q_OBJECT
private slots:
    // One backup per day and folder; the day's file is replaced only when the operator says so.
    void backupsThroughTheDays()
    {
        Station s;
        const QStringList before = entriesOf(s.bed.dir.path());
        QCOMPARE(s.run("mnuDatenSichern"), QStringList{kAbgebrochen}); // folder choice cancelled
        QCOMPARE(s.bed.messages.last().icon, MsgIcon::Information);
        QCOMPARE(entriesOf(s.bed.dir.path()), before);
        QCOMPARE(s.bed.dialogs.prompts, QStringList{QStringLiteral("Ordner für die Sicherung auswählen")});

        const QString folder = s.path(QStringLiteral("stick"));
        QVERIFY(QDir().mkpath(folder));
        s.bed.dialogs.folderAnswer = folder;
        const QString target = folder + QStringLiteral("/06-12-2026_Segmente.mdb");
        const QString done = QStringLiteral("Die Sicherung wurde unter \n%1 abgelegt").arg(target);
        QCOMPARE(s.run("mnuDatenSichern"), QStringList{done});
        QCOMPARE(s.bed.messages.last().icon, MsgIcon::Information);
        QVERIFY(isSegmentDatabase(target));
        QCOMPARE(rowCount(target), 7);

        const QByteArray first = bytesOf(target);
        addRows(s.bed.segmentePath(), 5);
        const QString ask = QStringLiteral("Es existiert am angegebenen Ort bereits eine aktuelle Sicherung\n"
                                           "Möchten Sie diese überschreiben?");
        s.bed.messages.answer({false});
        QCOMPARE(s.run("mnuDatenSichern"), (QStringList{ask, kAbgebrochen}));
        QVERIFY(s.bed.messages.shown.first().question);
        QCOMPARE(bytesOf(target), first);
        s.bed.messages.answer({true});
        QCOMPARE(s.run("mnuDatenSichern"), (QStringList{ask, done}));
        QCOMPARE(rowCount(target), 12);
        QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("06-12-2026_Segmente.mdb")});

        s.bed.clock.time = QDateTime(QDate(2026, 12, 7), QTime(8, 0));
        const QByteArray dayOne = bytesOf(target);
        addRows(s.bed.segmentePath(), 1);
        QCOMPARE(s.run("mnuDatenSichern"),
                 QStringList{QString(done).replace(QStringLiteral("06-12"), QStringLiteral("07-12"))});
        QCOMPARE(entriesOf(folder),
                 (QStringList{QStringLiteral("06-12-2026_Segmente.mdb"), QStringLiteral("07-12-2026_Segmente.mdb")}));
        QCOMPARE(bytesOf(target), dayOne);
        QCOMPARE(rowCount(folder + QStringLiteral("/07-12-2026_Segmente.mdb")), 13);
    }

    void backupFails_data()
    {
        QTest::addColumn<bool>("readOnly"); // else: the folder does not exist
        QTest::newRow("read-only folder") << true;
        QTest::newRow("missing folder") << false;
    }
    void backupFails()
    {
        QFETCH(bool, readOnly);
        Station s;
        const QString folder = s.path(QStringLiteral("ziel"));
        std::optional<Unprivileged> as; // file permissions bind root only under another identity
        if (readOnly) {
            QVERIFY(QDir().mkpath(folder)); // rwx, rw, r-x for everyone
            QFile::setPermissions(s.bed.dir.path(), QFileDevice::Permissions(0x7777));
            QFile::setPermissions(s.bed.segmentePath(), QFileDevice::Permissions(0x6666));
            QFile::setPermissions(folder, QFileDevice::Permissions(0x5555));
            as.emplace();
        }
        s.bed.dialogs.folderAnswer = folder;
        const QStringList shown = s.run("mnuDatenSichern");
        QCOMPARE(shown.size(), 1);
        QCOMPARE(s.bed.messages.last().icon, MsgIcon::Stop);
        QVERIFY2(shown[0].startsWith(QStringLiteral("Die Sicherung konnte nicht angelegt werden.\n")) &&
                     shown[0].contains(QDir::toNativeSeparators(folder)),
                 qPrintable(shown[0]));
        QCOMPARE(entriesOf(folder), QStringList());
    }

    // Neither a wrong name nor a damaged file with the right name touches the data.
    void restoreRefused_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content"); // empty: a valid backup
        QTest::newRow("lower-case s") << "stick/05-12-2026_segmente.mdb" << QByteArray();
        QTest::newRow("name without the text") << "stick/sicherung.db" << QByteArray();
        QTest::newRow("dialog cancelled") << "" << QByteArray();
        QTest::newRow("text file") << "stick/05-12-2026_Segmente.mdb" << QByteArray("Liebe Kollegen,\r\nanbei.\r\n");
    }
    void restoreRefused()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        Station s;
        const QString chosen = file.isEmpty() ? QString() : s.makeBackup(file);
        if (!content.isEmpty())
            QVERIFY(writeBytes(chosen, content));
        const QByteArray live = bytesOf(s.bed.segmentePath());
        const QStringList before = entriesOf(s.bed.dir.path());
        s.bed.dialogs.fileAnswer = chosen;
        s.bed.messages.defaultAnswer = true;
        QCOMPARE(s.run("mnuDatenWiederherstellen"), QStringList{kKeineSicherung});
        QCOMPARE(s.bed.messages.last().icon, MsgIcon::Stop);
        QCOMPARE(s.bed.dialogs.prompts, QStringList{QStringLiteral("Sicherungsdatei auswählen")});
        QCOMPARE(bytesOf(s.bed.segmentePath()), live);
        QCOMPARE(entriesOf(s.bed.dir.path()), before);
        QVERIFY(s.w->isVisible());
    }

    // Declined, then refused while the file is held, then done: the program ends and the
    // former data wait in the safety copy beside the live file.
    void restoreWalk()
    {
        Station s;
        const QString chosen = s.makeBackup(QStringLiteral("stick/05-12-2026_Segmente.mdb"));
        addRows(s.bed.segmentePath(), 4); // work done after the backup
        const QByteArray live = bytesOf(s.bed.segmentePath());
        const QStringList before = entriesOf(s.bed.dir.path());
        s.bed.dialogs.fileAnswer = chosen;
        s.bed.messages.answer({false});
        QCOMPARE(s.run("mnuDatenWiederherstellen"), (QStringList{kWiederherstellen, kAbgebrochen}));
        QVERIFY(s.bed.messages.shown.first().question);
        QCOMPARE(bytesOf(s.bed.segmentePath()), live);

        {
            DbConnection held = DbConnection::open(s.bed.segmentePath(), OpenMode::ReadOnly);
            s.bed.messages.answer({true});
            const QStringList shown = s.run("mnuDatenWiederherstellen");
            QCOMPARE(shown.size(), 2);
            QCOMPARE(s.bed.messages.last().icon, MsgIcon::Stop);
            QVERIFY2(shown[1].startsWith(QStringLiteral("Die Datei konnte nicht wiederhergestellt werden.\n")) &&
                         shown[1].endsWith(QStringLiteral("Die bisherigen Daten sind unverändert.")),
                     qPrintable(shown[1]));
        }
        QCOMPARE(bytesOf(s.bed.segmentePath()), live);
        QCOMPARE(entriesOf(s.bed.dir.path()), before);
        QVERIFY(s.w->isVisible());

        QWidget other;
        other.show();
        QVERIFY(writeBytes(s.bed.segmentePath() + QStringLiteral("-journal"), QByteArray())); // stale leftover
        s.bed.messages.answer({true});
        QCOMPARE(s.run("mnuDatenWiederherstellen"), (QStringList{kWiederherstellen, kWiederhergestellt}));
        QCOMPARE(s.bed.messages.last().icon, MsgIcon::Information);
        QVERIFY(!s.w->isVisible() && !other.isVisible());
        QVERIFY(openConnectionsOn(s.bed.segmentePath()).isEmpty());
        QCOMPARE(bytesOf(s.bed.segmentePath()), bytesOf(chosen));
        QVERIFY(!QFile::exists(s.bed.segmentePath() + QStringLiteral("-journal")));
        const QString safety = s.path(QStringLiteral("vor_Wiederherstellung_06-12-2026_10-30-00_Segmente.mdb"));
        QVERIFY(isSegmentDatabase(safety));
        QCOMPARE(rowCount(safety), 11);
        QCOMPARE(rowCount(safety, QStringLiteral("BeinRe")), 0);

        // The next start works on the restored data.
        s.w.reset();
        frmMain next(s.bed.platform);
        QCOMPARE(next.fAnzahlMessungen(1, QStringLiteral("BeinRe")), 3);
        QCOMPARE(next.fAnzahlMessungen(1, QStringLiteral("ArmLi")), 7);
    }
};

QTEST_MAIN(TestBackupMenu)
#include "tst_backupmenu.moc"
