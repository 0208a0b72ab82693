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

// tcpmux: nothing on a workstation listens there, the connection is refused at once.
constexpr int kClosedPort = 1;

} // namespace

class TestDatabaseChoice : public QObject {
    Q_OBJECT
private slots:
    void readsTheOwnSettings_data();
    void readsTheOwnSettings();
    void unusableSettingsOpenNoWindow();
    void unreachableServerIsNamedAndTheWindowOpensWithoutFileBackup();
    void startSetsUpTheSchemaAndShowsAnotherWorkstationsStore();
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

// The window opens naming the server; the file backup would save a file nobody works on,
// so it refuses without asking for a folder.
void TestDatabaseChoice::unreachableServerIsNamedAndTheWindowOpensWithoutFileBackup()
{
    TestBed bed;
    choose(bed.settings,
           {"Art", "PostgreSQL", "Server", "127.0.0.1", "Port", QString::number(kClosedPort), "Datenbank", "praxis"});
    const std::unique_ptr<frmMain> window = openMainWindow(bed.platform);
    QVERIFY(window);
    QVERIFY(bed.messages.count() >= 1);
    const QString text = bed.messages.shown.first().text;
    QVERIFY2(text.startsWith(QStringLiteral("Der Datenbankserver (127.0.0.1:%1, Datenbank praxis) ist nicht "
                                            "erreichbar:\n")
                                 .arg(kClosedPort)),
             qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("Connection refused")) || text.contains(QLatin1String("Verbindung")),
             qPrintable(text)); // the client library's own words
    for (auto menu : {&frmMain::mnuDatenSichern_Click, &frmMain::mnuDatenWiederherstellen_Click}) {
        bed.messages.clear();
        (window.get()->*menu)();
        QCOMPARE(bed.messages.count(), 1);
        QVERIFY(bed.messages.last().text.startsWith(
            QStringLiteral("Die Segmentdatenbank liegt auf dem Datenbankserver 127.0.0.1 (Datenbank praxis).")));
    }
}

// The start sets up a fresh schema; a first measurement stored there by another workstation
// shows in the counts of the window that has the person chosen, without any action there.
void TestDatabaseChoice::startSetsUpTheSchemaAndShowsAnotherWorkstationsStore()
{
    KAVIO_TEST_SERVER(server);
    const TestSchema schema(*server);
    TestBed bed;
    const ServerAddress a = schema.address();
    choose(bed.settings, {"Art", "PostgreSQL", "Server", a.host, "Port", QString::number(a.port), "Datenbank",
                          a.database, "Benutzer", a.user, "Schema", a.schema});
    const std::unique_ptr<frmMain> window = openMainWindow(bed.platform);
    QVERIFY(window);
    QCOMPARE(schema.scalar("SELECT MAX(version) FROM kavio_schema_version").toInt(), 1);
    QCOMPARE(schema.scalar("SELECT COUNT(*) FROM Teilnehmer").toInt(), 0);
    window->session().choosePerson({5, QStringLiteral("Adler"), QStringLiteral("Anna"), QDate(1960, 1, 1)});
    window->refreshCounts();
    const auto *count = window->findChild<QLabel *>(QStringLiteral("lblAnzMessAL"));
    QCOMPARE(count->text(), QStringLiteral("0"));

    PostgresRepository other(a);
    QCOMPARE(other.storeFirst(kSegments[0], 5, QDate(2026, 12, 7), QTime(9, 0), reading(1, 480, 3, 4, 52, 6)).outcome,
             SaveOutcome::Stored);
    QTRY_COMPARE_WITH_TIMEOUT(count->text(), QStringLiteral("1"), 1000);
}

QTEST_MAIN(TestDatabaseChoice)
#include "tst_database_choice.moc"
