// Which database a workstation works on, from its own settings, and what the start does
// when the server named there cannot be reached.
#include "app/ProgramStart.h"
#include "db/PostgresRepository.h"
#include "db/RepositoryChoice.h"
#include "Saves.h"
#include "session/Session.h"
#include "TestBed.h"
#include "TestServer.h"
#include "workstation/frmMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

void choose(FakeSettings &settings, const QStringList &pairs)
{
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2)
        settings.setOwnSetting(QStringLiteral("KavioSegment"), QStringLiteral("Datenbank"), pairs[i], pairs[i + 1]);
}

void chooseServer(FakeSettings &settings, const ServerAddress &a)
{
    choose(settings, {"Art", "PostgreSQL", "Server", a.host, "Port", QString::number(a.port), "Datenbank", a.database,
                      "Benutzer", a.user, "Schema", a.schema});
}

// A workstation's main window started on a fresh schema of the test server.
struct ServerWindow {
    explicit ServerWindow(const ServerAddress &server) : schema(server)
    {
        chooseServer(bed.settings, schema.address());
        window = openMainWindow(bed.platform);
    }
    TestSchema schema;
    TestBed bed;
    std::unique_ptr<frmMain> window;
};

// tcpmux: nothing on a workstation listens there, the connection is refused at once.
constexpr int kClosedPort = 1;

} // namespace

class TestDatabaseChoice : public QObject {
    Q_OBJECT
private slots:
    void readsTheOwnSettings_data();
    void readsTheOwnSettings();
    void unusableSettingsOpenNoWindow();
    void unreachableServerIsNamedAndTheWindowOpens();
    void startSetsUpTheServersSchema();
    void anotherWorkstationsStoreIsShownWithinASecond();
    void serverBackupAndRestoreThroughTheMenu();
};

void TestDatabaseChoice::readsTheOwnSettings_data()
{
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<QString>("chosen"); // host:port/database user schema, "Datei", or the problem's start
    QTest::newRow("nothing set") << QStringList{} << "Datei";
    QTest::newRow("file") << QStringList{"Art", "datei"} << "Datei";
    QTest::newRow("server, defaults") << QStringList{"Art", "PostgreSQL", "Server", "praxis", "Datenbank", "kavio"}
                                      << "praxis:5432/kavio  kavio";
    QTest::newRow("server, all") << QStringList{"Art",       "postgresql", "Server",   " 10.0.0.5 ", "Port",   "6543",
                                                "Datenbank", "bia",        "Benutzer", "raum2",      "Schema", "mess_1"}
                                 << "10.0.0.5:6543/bia raum2 mess_1";
    QTest::newRow("unknown kind") << QStringList{"Art", "MySQL"} << "Die Einstellung Datenbank/Art 'MySQL'";
    QTest::newRow("port not a number") << QStringList{"Art",       "PostgreSQL", "Server", "p",
                                                      "Datenbank", "d",          "Port",   "x1"}
                                       << "Die Einstellung Datenbank/Port 'x1'";
    QTest::newRow("port out of range") << QStringList{"Art",       "PostgreSQL", "Server", "p",
                                                      "Datenbank", "d",          "Port",   "70000"}
                                       << "Die Einstellung Datenbank/Port '70000'";
    QTest::newRow("no host") << QStringList{"Art", "PostgreSQL", "Datenbank", "d"} << "Für die Datenbank";
    QTest::newRow("schema with a quote") << QStringList{"Art",       "PostgreSQL", "Server", "p",
                                                        "Datenbank", "d",          "Schema", "a\"; DROP"}
                                         << "Die Einstellung Datenbank/Schema";
}

void TestDatabaseChoice::readsTheOwnSettings()
{
    QFETCH(QStringList, settings);
    QFETCH(QString, chosen);
    FakeSettings s;
    choose(s, settings);
    const DatabaseChoice c = databaseChoice(s);
    if (!c.problem.isEmpty()) {
        QVERIFY2(c.problem.startsWith(chosen), qPrintable(c.problem));
        return;
    }
    const ServerAddress a = c.server.value_or(ServerAddress{});
    QCOMPARE(c.server ? QStringLiteral("%1:%2/%3 %4 %5").arg(a.host).arg(a.port).arg(a.database, a.user, a.schema)
                      : QStringLiteral("Datei"),
             chosen);
}

void TestDatabaseChoice::unusableSettingsOpenNoWindow()
{
    TestBed bed;
    choose(bed.settings, {"Art", "PostgreSQL", "Server", "p", "Datenbank", "d", "Port", "0"});
    QVERIFY(!openMainWindow(bed.platform));
    QCOMPARE(bed.messages.count(), 1);
    QVERIFY(bed.messages.last().text.startsWith(QStringLiteral("Die Einstellung Datenbank/Port '0'")));
}

void TestDatabaseChoice::unreachableServerIsNamedAndTheWindowOpens()
{
    TestBed bed;
    const int port = kClosedPort;
    choose(bed.settings, {"Art", "PostgreSQL", "Server", "127.0.0.1", "Port", QString::number(port), "Datenbank", "d"});
    const std::unique_ptr<frmMain> window = openMainWindow(bed.platform);
    QVERIFY(window);
    QVERIFY(bed.messages.count() >= 1);
    const QString text = bed.messages.shown.first().text;
    QVERIFY2(text.startsWith(
                 QStringLiteral("Der Datenbankserver (127.0.0.1:%1, Datenbank d) ist nicht erreichbar:\n").arg(port)),
             qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("Connection refused")) || text.contains(QLatin1String("Verbindung")),
             qPrintable(text)); // the client library's own words
}

void TestDatabaseChoice::startSetsUpTheServersSchema()
{
    KAVIO_TEST_SERVER(server);
    const ServerWindow w(*server);
    const TestSchema &schema = w.schema;
    frmMain *window = w.window.get();
    QVERIFY(window);
    QCOMPARE(schema.scalar("SELECT MAX(version) FROM kavio_schema_version").toInt(), 1);
    QCOMPARE(schema.scalar("SELECT COUNT(*) FROM Teilnehmer").toInt(), 0);
}

// A first measurement stored by another workstation shows in the counts of the window
// that has the person chosen, without any action there.
void TestDatabaseChoice::anotherWorkstationsStoreIsShownWithinASecond()
{
    KAVIO_TEST_SERVER(server);
    const ServerWindow w(*server);
    const TestSchema &schema = w.schema;
    frmMain *window = w.window.get();
    QVERIFY(window);
    window->session().choosePerson({5, QStringLiteral("Adler"), QStringLiteral("Anna"), QDate(1960, 1, 1)});
    window->refreshCounts();
    const auto *count = window->findChild<QLabel *>(QStringLiteral("lblAnzMessAL"));
    QCOMPARE(count->text(), QStringLiteral("0"));

    PostgresRepository other(schema.address());
    QCOMPARE(other.storeFirst(kSegments[0], 5, QDate(2026, 12, 7), QTime(9, 0), reading(1, 480, 3, 4, 52, 6)).outcome,
             SaveOutcome::Stored);
    QTRY_COMPARE_WITH_TIMEOUT(count->text(), QStringLiteral("1"), 1000);
}

// The menu "Sicherung" saves the server's schema and brings it back; the data as they
// were before the restore are kept beside the backup, and the window shows the restored
// state. A backup pg_dump cannot make leaves the earlier one as it was.
void TestDatabaseChoice::serverBackupAndRestoreThroughTheMenu()
{
    KAVIO_TEST_SERVER(server);
    ServerWindow w(*server);
    frmMain *window = w.window.get();
    QVERIFY(window);
    PostgresRepository other(w.schema.address());
    const auto store = [&](const QDate &day) {
        return other.storeFirst(kSegments[0], 5, day, QTime(9, 0), reading(1, 480, 3, 4, 52, 6)).outcome;
    };
    const auto rows = [&] {
        return w.schema.scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(kSegments[0].table)))
            .toInt();
    };
    QCOMPARE(store(QDate(2026, 12, 1)), SaveOutcome::Stored);

    const QString folder = w.bed.dir.path();
    w.bed.dialogs.folderAnswer = folder;
    window->mnuDatenSichern_Click();
    const QString backup = folder + QStringLiteral("/06-12-2026_Segmente.dump");
    QVERIFY2(QFileInfo::exists(backup), qPrintable(w.bed.messages.texts().join(QLatin1Char('\n'))));

    QCOMPARE(store(QDate(2026, 12, 2)), SaveOutcome::Stored);
    window->session().choosePerson({5, QStringLiteral("Adler"), QStringLiteral("Anna"), QDate(1960, 1, 1)});
    window->refreshCounts();
    const auto *count = window->findChild<QLabel *>(QStringLiteral("lblAnzMessAL"));
    QCOMPARE(count->text(), QStringLiteral("2"));

    w.bed.dialogs.fileAnswer = backup;
    w.bed.messages.answer({true});
    window->mnuDatenWiederherstellen_Click();
    QVERIFY2(w.bed.messages.last().text.startsWith(QStringLiteral("Datenbank wiederhergestellt.")),
             qPrintable(w.bed.messages.last().text));
    QCOMPARE(rows(), 1);
    QCOMPARE(count->text(), QStringLiteral("1"));
    const QString safety = folder + QStringLiteral("/vor_Wiederherstellung_06-12-2026_10-30-00_Segmente.dump");
    QVERIFY(QFileInfo(safety).size() > 0);

    QFile saved(backup);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray before = saved.readAll();
    saved.close();
    const auto files = [&] { return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot); };
    const QStringList kept = files();
    choose(w.bed.settings, {"Datenbank", "keine_solche_datenbank"});
    w.bed.messages.answer({true});
    window->mnuDatenSichern_Click();
    const QString shown = w.bed.messages.last().text;
    QVERIFY2(shown.startsWith(QStringLiteral("Die Sicherung konnte nicht angelegt werden.\npg_dump meldet")) &&
                 shown.contains(QLatin1String("keine_solche_datenbank")),
             qPrintable(shown));
    QCOMPARE(files(), kept);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), before);
}

QTEST_MAIN(TestDatabaseChoice)
#include "tst_database_choice.moc"
