#include "app/Errors.h"
#include "app/RegistryReaders.h"
#include "Fakes.h"

#include <QTest>

using namespace kavio;
using namespace kavio::test;

static const QString kPlus = QStringLiteral("Software\\Kavio_Plus");

class TestRegistryReaders : public QObject {
    Q_OBJECT
private slots:
    void wertLesenRendersEveryType_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *tag, const QString &key, const char *name, const QString &expected) {
            QTest::newRow(tag) << key << QString::fromLatin1(name) << expected;
        };
        row("missing key", QStringLiteral("Software\\Nirgends"), "FrequenzType", QStringLiteral("Error"));
        row("missing value", kPlus, "Fehlt", QStringLiteral("Error"));
        row("string", kPlus, "FrequenzType", QStringLiteral("Multi"));
        row("dword 1", kPlus, "Eins", QStringLiteral("0x00000001"));
        row("dword 26", kPlus, "Zahl", QStringLiteral("0x0000001A"));
        row("binary, padded hex", kPlus, "Bin", QStringLiteral("0A FF 01 "));
        row("string without NUL", kPlus, "OhneNull", QString());
        row("longer than the buffer", kPlus, "Lang", QStringLiteral("Error"));
        row("other type: whole buffer", kPlus, "Q", QStringLiteral("AB") + QString(126, QChar()));
    }
    void wertLesenRendersEveryType()
    {
        QFETCH(QString, key);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        FakeSettings s;
        s.setString(Hive::LocalMachine, kPlus, QStringLiteral("FrequenzType"), QStringLiteral("Multi"));
        s.setValue(Hive::LocalMachine, kPlus, QStringLiteral("Eins"), RegValue::fromDword(1));
        s.setValue(Hive::LocalMachine, kPlus, QStringLiteral("Zahl"), RegValue::fromDword(26));
        s.setValue(Hive::LocalMachine, kPlus, QStringLiteral("Bin"),
                   RegValue::fromBinary(QByteArray::fromHex("0aff01")));
        s.setValue(Hive::LocalMachine, kPlus, QStringLiteral("OhneNull"),
                   RegValue{RegValue::String, QByteArray("M\0u", 3)});
        s.setString(Hive::LocalMachine, kPlus, QStringLiteral("Lang"), QString(200, QLatin1Char('x')));
        s.setValue(Hive::LocalMachine, kPlus, QStringLiteral("Q"), RegValue{RegValue::Qword, QByteArray("AB", 2)});
        QCOMPARE(RegistryWertLesen(s, HKEY_LOCAL_MACHINE_ROOT, key, name), expected);
    }

    void textLesenAndTheDatabaseFallback()
    {
        FakeSettings s;
        QCOMPARE(hostDatabasePath(s), QString());
        s.setString(Hive::LocalMachine, QStringLiteral("Software\\Kavio_PLUS_NET"), QStringLiteral("dbPath"),
                    QStringLiteral("/net/BIA.mdb"));
        QCOMPARE(hostDatabasePath(s), QStringLiteral("/net/BIA.mdb"));
        s.setString(Hive::LocalMachine, kPlus, QStringLiteral("dbPath"), QString()); // present but empty
        s.setString(Hive::LocalMachine, QStringLiteral("Software\\Kavio_BOX"), QStringLiteral("dbPath"),
                    QStringLiteral("/box/BIA.mdb"));
        QCOMPARE(hostDatabasePath(s), QStringLiteral("/box/BIA.mdb"));
        s.setString(Hive::LocalMachine, kPlus, QStringLiteral("dbPath"), QStringLiteral("/plus/BIA.mdb"));
        QCOMPARE(hostDatabasePath(s), QStringLiteral("/plus/BIA.mdb"));
        // A 32-bit number reads as its unsigned decimal text.
        s.setValue(Hive::LocalMachine, kPlus, QStringLiteral("Nummer"), RegValue::fromDword(4711));
        QCOMPARE(RegistryTextLesen(s, kPlus, QStringLiteral("Nummer")), QStringLiteral("4711"));
        s.setValue(Hive::LocalMachine, kPlus, QStringLiteral("Nummer"), RegValue::fromDword(0xFFFFFFFFu));
        QCOMPARE(RegistryTextLesen(s, kPlus, QStringLiteral("Nummer")), QStringLiteral("4294967295"));
    }

    void multiIsExactlyMulti()
    {
        FakeSettings s;
        FakeMessages m;
        QVERIFY(!fGetMulti(s, m));
        for (const char *v : {"Multi", "multi", "Multi "}) {
            s.setString(Hive::LocalMachine, kPlus, QStringLiteral("FrequenzType"), QString::fromLatin1(v));
            QCOMPARE(fGetMulti(s, m), qstrcmp(v, "Multi") == 0);
        }
        QCOMPARE(m.count(), 0);
    }

    void portIsConvertedOrFails()
    {
        FakeSettings s;
        QVERIFY_THROWS_EXCEPTION(KavioError, fGetPort(s));
        auto setPort = [&](const char *v) {
            s.setAppSetting(QStringLiteral("KAVIO_PLUS"), QStringLiteral("Einstellungen"), QStringLiteral("Port"),
                            QString::fromLatin1(v));
        };
        setPort("3");
        QCOMPARE(fGetPort(s), 3);
        setPort("COM3");
        QVERIFY_THROWS_EXCEPTION(KavioError, fGetPort(s));
    }
};

QTEST_MAIN(TestRegistryReaders)
#include "tst_registryreaders.moc"
