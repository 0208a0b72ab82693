// The administrator's menu command that copies the workstation's Segmente.mdb onto the
// server its settings name: asked first, run as long work, checked, switched over on
// request; a second run and missing settings change nothing.
#include "app/ProgramStart.h"
#include "TestBed.h"
#include "TestServer.h"
#include "workstation/frmMain.h"

#include <QAction>
#include <QMenu>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

using Entries = QList<std::pair<QString, QString>>; // key below "Datenbank", value

void choose(FakeSettings &settings, const Entries &entries)
{
    for (const auto &[key, value] : entries)
        settings.setOwnSetting(QStringLiteral("KavioSegment"), QStringLiteral("Datenbank"), key, value);
}

QString art(const FakeSettings &settings)
{
    return settings.ownSetting(QStringLiteral("KavioSegment"), QStringLiteral("Datenbank"), QStringLiteral("Art"));
}

// The command as the operator reaches it: menu "Einstellungen"; nullptr when it is not there.
QAction *transferCommand(frmMain &window)
{
    const auto *menu = window.findChild<QMenu *>(QStringLiteral("menuEinstellungen"));
    for (QAction *a : menu ? menu->actions() : QList<QAction *>{})
        if (a->objectName() == QLatin1String("mnuDatenbankUebertragen"))
            return a;
    return nullptr;
}

const QString kTables =
    QStringLiteral("SELECT (SELECT COUNT(*) FROM Teilnehmer) || '/' || (SELECT COUNT(*) FROM ArmLi) "
                   "|| '/' || (SELECT COUNT(*) FROM BeinRe)");

} // namespace

class TestMigrateCommand : public QObject {
    Q_OBJECT
private slots:
    void withoutAServerNothingIsDone_data();
    void withoutAServerNothingIsDone();
    void copiesOnceSwitchesOverAndRefusesASecondTime();
};

void TestMigrateCommand::withoutAServerNothingIsDone_data()
{
    QTest::addColumn<Entries>("settings");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing set") << Entries{} << "Es ist kein Datenbankserver eingestellt.";
    QTest::newRow("no database") << Entries{{"Server", "praxis"}} << "Für die Datenbank auf dem Server fehlen";
    QTest::newRow("port") << Entries{{"Server", "praxis"}, {"Datenbank", "kavio"}, {"Port", "x"}}
                          << "Die Einstellung Datenbank/Port 'x'";
}

void TestMigrateCommand::withoutAServerNothingIsDone()
{
    QFETCH(Entries, settings);
    QFETCH(QString, message);
    TestBed bed;
    const std::unique_ptr<frmMain> window = openMainWindow(bed.platform);
    QVERIFY(window);
    choose(bed.settings, settings);
    bed.messages.clear();
    QAction *command = transferCommand(*window);
    QVERIFY(command);
    command->trigger();
    QCOMPARE(bed.messages.count(), 1);
    QVERIFY2(bed.messages.last().text.startsWith(message), qPrintable(bed.messages.last().text));
    QVERIFY(!bed.messages.last().question);
    QVERIFY(bed.longWork.texts.isEmpty());
    QVERIFY(art(bed.settings).isEmpty());
}

void TestMigrateCommand::copiesOnceSwitchesOverAndRefusesASecondTime()
{
    KAVIO_TEST_SERVER(server);
    TestSchema schema(*server);
    TestBed bed;
    const qint64 anna = bed.addPerson(QString::fromUtf8("Müller"), "Anna");
    const qint64 hans = bed.addPerson(QString::fromUtf8("Groß"), "Hans");
    bed.addMeasurement("ArmLi", anna, QDate(2026, 12, 1), "08:00:00", 520, 480, 455, 31, 52, 47);
    bed.addMeasurement("BeinRe", hans, QDate(2026, 12, 2), "09:00:00", 1, 2, 3, 4, 5, 6);
    const ServerAddress &a = schema.address();
    // The server named, the workstation still on its file.
    choose(bed.settings, {{"Server", a.host},
                          {"Port", QString::number(a.port)},
                          {"Datenbank", a.database},
                          {"Benutzer", a.user},
                          {"Schema", a.schema}});
    std::unique_ptr<frmMain> window = openMainWindow(bed.platform);
    QVERIFY(window);
    bed.messages.clear();
    bed.messages.answer({true, true});
    QAction *command = transferCommand(*window);
    QVERIFY(command);
    command->trigger();
    QCOMPARE(bed.messages.count(), 2);
    const QString question = bed.messages.shown[0].text;
    for (const QString &part : {bed.segmentePath(), QStringLiteral("Server %1:%2").arg(a.host).arg(a.port),
                                QStringLiteral("Datenbank %1, Schema %2").arg(a.database, a.schema)})
        QVERIFY2(question.contains(part), qPrintable(question));
    QCOMPARE(bed.longWork.texts, QStringList{QStringLiteral("Die Segmentdatenbank wird auf den Server übertragen …")});
    const QString report = bed.messages.shown[1].text;
    for (const char *line : {"\nTeilnehmer: 2 Zeilen\n", "\nArmLi: 1 Zeilen\n", "\nBeinRe: 1 Zeilen\n"})
        QVERIFY2(report.contains(QLatin1String(line)), qPrintable(report));
    QVERIFY(bed.messages.shown[1].question);
    QCOMPARE(schema.scalar(kTables).toString(), QStringLiteral("2/1/1"));
    // Switched over: the program has ended, to start on the server next time.
    QCOMPARE(art(bed.settings), QStringLiteral("PostgreSQL"));
    QVERIFY(!window->isVisible());

    // The next start works on the server; copying again is refused and changes nothing.
    window = openMainWindow(bed.platform);
    QVERIFY(window);
    bed.addPerson("Neu", "Nina"); // the file changed since: still refused
    bed.messages.clear();
    bed.messages.answer({true});
    command = transferCommand(*window);
    QVERIFY(command);
    command->trigger();
    QCOMPARE(bed.messages.count(), 2);
    const QString refusal = bed.messages.last().text;
    QVERIFY2(refusal.startsWith(QStringLiteral("Die Segmentdatenbank wurde nicht auf den Server übertragen")) &&
                 refusal.contains(QStringLiteral("enthält bereits Daten")),
             qPrintable(refusal));
    QCOMPARE(schema.scalar(kTables).toString(), QStringLiteral("2/1/1"));
}

QTEST_MAIN(TestMigrateCommand)
#include "tst_migrate_command.moc"
