#include "app/Errors.h"
#include "app/HostVersion.h"
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
        QTest::newRow("missing key") << "Software\\Nirgends"
                                     << "FrequenzType"
                                     << "Error";
        QTest::newRow("missing value") << kPlus << "Fehlt"
                                       << "Error";
        QTest::newRow("string") << kPlus << "FrequenzType"
                                << "Multi";
        QTest::newRow("dword 1") << kPlus << "Eins"
                                 << "0x00000001";
        QTest::newRow("dword 26") << kPlus << "Zahl"
                                  << "0x0000001A";
        QTest::newRow("binary") << kPlus << "Bin"
                                << "0A FF 01 ";
        QTest::newRow("string without NUL") << kPlus << "OhneNull"
                                            << "";
        QTest::newRow("longer than the buffer") << kPlus << "Lang"
                                                << "Error";
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
        QCOMPARE(RegistryWertLesen(s, HKEY_LOCAL_MACHINE_ROOT, key, name), expected);
    }

    void otherTypesGiveTheWholeBuffer()
    {
        FakeSettings s;
        s.setValue(Hive::LocalMachine, kPlus, QStringLiteral("Q"), RegValue{RegValue::Qword, QByteArray("AB", 2)});
        const QString v = RegistryWertLesen(s, HKEY_LOCAL_MACHINE_ROOT, kPlus, QStringLiteral("Q"));
        QCOMPARE(v.size(), 128);
        QVERIFY(v.startsWith(QStringLiteral("AB")));
    }

    void hexZweistellig_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("one") << "A"
                             << "0A";
        QTest::newRow("two") << "FF"
                             << "FF";
        QTest::newRow("empty") << ""
                               << "";
    }
    void hexZweistellig()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QString s = in;
        QCOMPARE(HexZweistellig(s), out);
        QCOMPARE(s, out); // changed in place
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
        s.setValue(Hive::LocalMachine, kPlus, QStringLiteral("Nummer"), RegValue::fromDword(4711));
        QCOMPARE(RegistryTextLesen(s, kPlus, QStringLiteral("Nummer")), QStringLiteral("4711"));
    }

    void multiIsExactlyMulti_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("multi");
        QTest::newRow("Multi") << "Multi" << true;
        QTest::newRow("lower case") << "multi" << false;
        QTest::newRow("trailing blank") << "Multi " << false;
        QTest::newRow("missing") << QString() << false;
    }
    void multiIsExactlyMulti()
    {
        QFETCH(QString, value);
        QFETCH(bool, multi);
        FakeSettings s;
        FakeMessages m;
        if (!value.isNull())
            s.setString(Hive::LocalMachine, kPlus, QStringLiteral("FrequenzType"), value);
        QCOMPARE(fGetMulti(s, m), multi);
        QCOMPARE(m.count(), 0);
    }

    void portIsConvertedOrFails()
    {
        FakeSettings s;
        QVERIFY_THROWS_EXCEPTION(KavioError, fGetPort(s));
        s.setAppSetting(QStringLiteral("KAVIO_PLUS"), QStringLiteral("Einstellungen"), QStringLiteral("Port"),
                        QStringLiteral("3"));
        QCOMPARE(fGetPort(s), 3);
        s.setAppSetting(QStringLiteral("KAVIO_PLUS"), QStringLiteral("Einstellungen"), QStringLiteral("Port"),
                        QStringLiteral("COM3"));
        QVERIFY_THROWS_EXCEPTION(KavioError, fGetPort(s));
    }

    void hostVersion_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("enough");
        QTest::newRow("5.4") << "5.4" << true;
        QTest::newRow("5.10") << "5.10" << true;
        QTest::newRow("6.0") << "6.0" << true;
        QTest::newRow("10.1") << "10.1" << true;
        QTest::newRow("5.4.2") << "5.4.2" << true;
        QTest::newRow("5.3") << "5.3" << false;
        QTest::newRow("5") << "5" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("text") << "neu" << false;
        QTest::newRow("4.9") << "4.9" << false;
    }
    void hostVersion()
    {
        QFETCH(QString, version);
        QFETCH(bool, enough);
        QCOMPARE(isSufficientVersion(version), enough);
        FakeSettings s;
        s.setAppSetting(QStringLiteral("KAVIO_BOX"), QStringLiteral("Vers"), QStringLiteral("CurrentVersion"), version);
        s.setAppSetting(QStringLiteral("KAVIO_PLUS"), QStringLiteral("Vers"), QStringLiteral("CurrentVersion"),
                        QStringLiteral("5.3"));
        QCOMPARE(fIsKavioInstalled(s), enough);
    }
};

QTEST_MAIN(TestRegistryReaders)
#include "tst_registryreaders.moc"
