#include "backup/BackupFiles.h"
#include "BackupTestKit.h"
#include "DemoInstallation.h"
#include "TestBed.h"
#include "workstation/frmMain.h"

#include <QAction>
#include <QDir>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

const QString kAbgebrochen = QStringLiteral("Vorgang abgebrochen");
const QString kKeineSicherung = QStringLiteral("Diese Datei ist keine Sicherungdatei!");
const QString kUeberschreiben = QStringLiteral("Es existiert am angegebenen Ort bereits eine aktuelle Sicherung\n"
                                               "Möchten Sie diese überschreiben?");
const QString kWiederherstellen = QStringLiteral("Möchten Sie diese Datei wiederherstellen?");
const QString kWiederhergestellt = QStringLiteral("Datei wiederhergestellt, das Programm wird beendet.");

QString doneText(const QString &folder, const QString &day)
{
    return QStringLiteral("Die Sicherung wurde unter \n") + folder + QLatin1Char('/') + day +
           QStringLiteral("_Segmente.mdb abgelegt");
}

// The main window of a fresh installation, shown, with the start-up messages forgotten.
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
    void backup() { w->findChild<QAction *>(QStringLiteral("mnuDatenSichern"))->trigger(); }
    void restore() { w->findChild<QAction *>(QStringLiteral("mnuDatenWiederherstellen"))->trigger(); }
    // A valid backup with data of its own (three rows in BeinRe) at the given place.
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
    void backupOfTheDay()
    {
        Station s;
        const QString folder = s.path(QStringLiteral("stick"));
        QVERIFY(QDir().mkpath(folder));
        s.bed.dialogs.folderAnswer = folder;
        s.backup();
        QCOMPARE(s.bed.dialogs.prompts, QStringList{QStringLiteral("Ordner für die Sicherung auswählen")});
        QCOMPARE(s.bed.messages.texts(), QStringList{doneText(folder, QStringLiteral("06-12-2026"))});
        QCOMPARE(s.bed.messages.last().icon, MsgIcon::Information);
        const QString target = folder + QStringLiteral("/06-12-2026_Segmente.mdb");
        QVERIFY(isSegmentDatabase(target));
        QCOMPARE(rowCount(target), 7);
        QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("06-12-2026_Segmente.mdb")});
    }

    void secondBackupSameDay_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("overwrite") << true;
        QTest::newRow("keep") << false;
    }
    void secondBackupSameDay()
    {
        QFETCH(bool, yes);
        Station s;
        const QString folder = s.path(QStringLiteral("stick"));
        QVERIFY(QDir().mkpath(folder));
        s.bed.dialogs.folderAnswer = folder;
        s.backup();
        const QString target = folder + QStringLiteral("/06-12-2026_Segmente.mdb");
        const QByteArray first = bytesOf(target);
        const QByteArray live = bytesOf(s.bed.segmentePath());
        addRows(s.bed.segmentePath(), 5);
        s.bed.messages.clear();
        s.bed.messages.answer({yes});
        s.backup();
        QCOMPARE(s.bed.messages.shown.first().text, kUeberschreiben);
        QVERIFY(s.bed.messages.shown.first().question);
        QCOMPARE(s.bed.messages.shown.first().icon, MsgIcon::None);
        QCOMPARE(s.bed.messages.count(), 2);
        QCOMPARE(s.bed.messages.last().text, yes ? doneText(folder, QStringLiteral("06-12-2026")) : kAbgebrochen);
        QCOMPARE(s.bed.messages.last().icon, MsgIcon::Information);
        if (yes)
            QCOMPARE(rowCount(target), 12);
        else
            QCOMPARE(bytesOf(target), first);
        QVERIFY(bytesOf(s.bed.segmentePath()) != live); // the five rows went to the live file only
        QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("06-12-2026_Segmente.mdb")});
    }

    void nextDayNewFile()
    {
        Station s;
        const QString folder = s.path(QStringLiteral("stick"));
        QVERIFY(QDir().mkpath(folder));
        s.bed.dialogs.folderAnswer = folder;
        s.backup();
        const QByteArray first = bytesOf(folder + QStringLiteral("/06-12-2026_Segmente.mdb"));
        s.bed.clock.time = QDateTime(QDate(2026, 12, 7), QTime(8, 0));
        addRows(s.bed.segmentePath(), 1);
        s.bed.messages.clear();
        s.backup();
        QCOMPARE(s.bed.messages.texts(), QStringList{doneText(folder, QStringLiteral("07-12-2026"))});
        QCOMPARE(entriesOf(folder),
                 (QStringList{QStringLiteral("06-12-2026_Segmente.mdb"), QStringLiteral("07-12-2026_Segmente.mdb")}));
        QCOMPARE(bytesOf(folder + QStringLiteral("/06-12-2026_Segmente.mdb")), first);
        QCOMPARE(rowCount(folder + QStringLiteral("/07-12-2026_Segmente.mdb")), 8);
    }

    void cancelledFolderChoice()
    {
        Station s;
        const QStringList before = entriesOf(s.bed.dir.path());
        s.bed.dialogs.folderAnswer.clear();
        s.backup();
        QCOMPARE(s.bed.messages.texts(), QStringList{kAbgebrochen});
        QCOMPARE(s.bed.messages.last().icon, MsgIcon::Information);
        QVERIFY(!QFile::exists(QStringLiteral("/06-12-2026_Segmente.mdb")));
        QCOMPARE(entriesOf(s.bed.dir.path()), before);
    }

    void backupFails_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("read-only folder") << "readonly";
        QTest::newRow("missing folder") << "missing";
    }
    void backupFails()
    {
        QFETCH(QString, kind);
        Station s;
        const QString folder = s.path(QStringLiteral("ziel"));
        if (kind == QLatin1String("readonly"))
            QVERIFY(QDir().mkpath(folder));
        std::unique_ptr<ReadOnlyFolder> guard;
        if (kind == QLatin1String("readonly")) {
            guard = std::make_unique<ReadOnlyFolder>(folder);
            if (!guard->effective())
                QSKIP("this system lets the test write into any folder");
        }
        s.bed.dialogs.folderAnswer = folder;
        s.backup();
        QCOMPARE(s.bed.messages.count(), 1);
        QCOMPARE(s.bed.messages.last().icon, MsgIcon::Stop);
        const QString text = s.bed.messages.last().text;
        QVERIFY2(text.startsWith(QStringLiteral("Die Sicherung konnte nicht angelegt werden.\n")), qPrintable(text));
        QVERIFY2(text.contains(QDir::toNativeSeparators(folder)), qPrintable(text));
        QVERIFY(!QFile::exists(folder + QStringLiteral("/06-12-2026_Segmente.mdb")));
        if (kind == QLatin1String("readonly"))
            QVERIFY(entriesOf(folder).isEmpty());
    }

    // The name test, and what follows from it, for files that are intact backups.
    void restoreByName_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("dated backup") << "stick/05-12-2026_Segmente.mdb" << true;
        QTest::newRow("live file of another installation") << "andere/Segmente.mdb" << true;
        QTest::newRow("folder carries the name") << "alt Segmente.mdb/daten.db" << true;
        QTest::newRow("lower-case s") << "stick/05-12-2026_segmente.mdb" << false;
        QTest::newRow("name without the text") << "stick/sicherung.db" << false;
        QTest::newRow("dialog cancelled") << "" << false;
    }
    void restoreByName()
    {
        QFETCH(QString, file);
        QFETCH(bool, accepted);
        Station s;
        const QString chosen = file.isEmpty() ? QString() : s.makeBackup(file);
        const QByteArray live = bytesOf(s.bed.segmentePath());
        s.bed.dialogs.fileAnswer = chosen;
        s.bed.messages.answer({true});
        s.restore();
        QCOMPARE(s.bed.dialogs.prompts, QStringList{QStringLiteral("Sicherungsdatei auswählen")});
        QCOMPARE(s.bed.dialogs.lastFilter, databaseFileFilter());
        if (accepted) {
            QCOMPARE(s.bed.messages.texts(), (QStringList{kWiederherstellen, kWiederhergestellt}));
            QVERIFY(s.bed.messages.shown.first().question);
            QCOMPARE(s.bed.messages.last().icon, MsgIcon::Information);
            QCOMPARE(bytesOf(s.bed.segmentePath()), bytesOf(chosen));
            QVERIFY(!s.w->isVisible());
        } else {
            QCOMPARE(s.bed.messages.texts(), QStringList{kKeineSicherung});
            QCOMPARE(s.bed.messages.last().icon, MsgIcon::Stop);
            QCOMPARE(bytesOf(s.bed.segmentePath()), live);
            QVERIFY(s.w->isVisible());
        }
    }

    // Files whose name fits but which are no intact segment database never touch the data.
    void restoreRefusesDamagedFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("truncated backup") << "truncated";
        QTest::newRow("text file") << "text";
        QTest::newRow("database of another schema") << "host";
    }
    void restoreRefusesDamagedFiles()
    {
        QFETCH(QString, kind);
        Station s;
        addRows(s.bed.segmentePath(), 2000);
        const QString chosen = s.path(QStringLiteral("stick/05-12-2026_Segmente.mdb"));
        if (kind == QLatin1String("truncated")) {
            const QByteArray good = bytesOf(s.makeBackup(QStringLiteral("stick/gut.db")));
            QVERIFY(writeBytes(chosen, good.left(good.size() * 2 / 3)));
        } else if (kind == QLatin1String("text")) {
            QVERIFY(QDir().mkpath(s.path(QStringLiteral("stick"))));
            QVERIFY(writeBytes(chosen, "Liebe Kollegen,\r\nanbei die Daten.\r\n"));
        } else {
            QVERIFY(QDir().mkpath(s.path(QStringLiteral("stick"))));
            demo::writeHostDatabase(chosen, demo::demoPersons());
        }
        const QByteArray live = bytesOf(s.bed.segmentePath());
        const QByteArray chosenBytes = bytesOf(chosen);
        const QStringList before = entriesOf(s.bed.dir.path());
        s.bed.dialogs.fileAnswer = chosen;
        s.bed.messages.defaultAnswer = true;
        s.restore();
        QCOMPARE(s.bed.messages.texts(), QStringList{kKeineSicherung});
        QCOMPARE(s.bed.messages.last().icon, MsgIcon::Stop);
        QCOMPARE(bytesOf(s.bed.segmentePath()), live);
        QCOMPARE(bytesOf(chosen), chosenBytes);
        QCOMPARE(entriesOf(s.bed.dir.path()), before);
        QVERIFY(s.w->isVisible());
    }

    void restoreAnsweredNo()
    {
        Station s;
        const QString chosen = s.makeBackup(QStringLiteral("stick/05-12-2026_Segmente.mdb"));
        const QByteArray live = bytesOf(s.bed.segmentePath());
        const QByteArray chosenBytes = bytesOf(chosen);
        const QStringList before = entriesOf(s.bed.dir.path());
        s.bed.dialogs.fileAnswer = chosen;
        s.bed.messages.answer({false});
        s.restore();
        QCOMPARE(s.bed.messages.texts(), (QStringList{kWiederherstellen, kAbgebrochen}));
        QCOMPARE(s.bed.messages.last().icon, MsgIcon::Information);
        QCOMPARE(bytesOf(s.bed.segmentePath()), live);
        QCOMPARE(bytesOf(chosen), chosenBytes);
        QCOMPARE(entriesOf(s.bed.dir.path()), before);
        QVERIFY(s.w->isVisible());
    }

    void goodRestoreEndsProgram()
    {
        Station s;
        const QString chosen = s.makeBackup(QStringLiteral("stick/05-12-2026_Segmente.mdb"));
        addRows(s.bed.segmentePath(), 4); // work done after the backup, kept in the safety copy
        QWidget other;
        other.setWindowTitle(QStringLiteral("weiteres Fenster"));
        other.show();
        s.bed.dialogs.fileAnswer = chosen;
        s.bed.messages.answer({true});
        s.restore();
        QCOMPARE(s.bed.messages.texts(), (QStringList{kWiederherstellen, kWiederhergestellt}));
        QVERIFY(!s.w->isVisible());
        QVERIFY(!other.isVisible());
        QCOMPARE(rowCount(s.bed.segmentePath()), 7);
        QCOMPARE(rowCount(s.bed.segmentePath(), QStringLiteral("BeinRe")), 3);
        const QString safety = s.path(safetyCopyName(s.bed.clock.now()));
        QVERIFY(isSegmentDatabase(safety));
        QCOMPARE(rowCount(safety), 11);
        QCOMPARE(rowCount(safety, QStringLiteral("BeinRe")), 0);
        QVERIFY(openConnectionsOn(s.bed.segmentePath()).isEmpty());

        // The next start works on the restored data.
        s.w.reset();
        s.bed.messages.clear();
        frmMain next(s.bed.platform);
        QCOMPARE(next.fAnzahlMessungen(1, QStringLiteral("BeinRe")), 3);
    }

    void restoreWhileDatabaseHeld()
    {
        Station s;
        const QString chosen = s.makeBackup(QStringLiteral("stick/05-12-2026_Segmente.mdb"));
        const QByteArray live = bytesOf(s.bed.segmentePath());
        DbConnection held = DbConnection::open(s.bed.segmentePath(), OpenMode::ReadOnly);
        s.bed.dialogs.fileAnswer = chosen;
        s.bed.messages.answer({true});
        s.restore();
        QCOMPARE(s.bed.messages.count(), 2);
        QCOMPARE(s.bed.messages.last().icon, MsgIcon::Stop);
        const QString text = s.bed.messages.last().text;
        QVERIFY2(text.startsWith(QStringLiteral("Die Datei konnte nicht wiederhergestellt werden.\n")),
                 qPrintable(text));
        QVERIFY2(text.endsWith(QStringLiteral("Die bisherigen Daten sind unverändert.")), qPrintable(text));
        QVERIFY(!s.bed.messages.contains(kWiederhergestellt));
        QCOMPARE(bytesOf(s.bed.segmentePath()), live);
        QVERIFY(s.w->isVisible());
    }
};

QTEST_MAIN(TestBackupMenu)
#include "tst_backupmenu.moc"
