#include "platform/RegFile.h"
#include "platform/RegistrySettings.h"
#include "Files.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

QString stringOf(const std::optional<RegValue> &v)
{
    if (!v || v->type != RegValue::String)
        return QStringLiteral("<none>");
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(v->data.constData()), v->data.size() / 2).chopped(1);
}

} // namespace

class TestRegFile : public QObject {
    Q_OBJECT
private slots:
    // Both export formats: names in any letter case, escapes undone, typed values and a
    // continuation line.
    void readsExportFiles()
    {
        const QString body = QStringLiteral("\r\n[HKEY_LOCAL_MACHINE\\Software\\Kavio_Plus]\r\n"
                                            "\"dbPath\"=\"C:\\\\Kavio \\\"Plus\\\"\\\\BIA.mdb\"\r\n"
                                            "\"Ort\"=\"Würzburg\"\r\n\"Port\"=dword:0000001a\r\n"
                                            "\"Long\"=hex:01,02,\\\r\n  03,04\r\n");
        const QString v5 = QStringLiteral("Windows Registry Editor Version 5.00\r\n") + body;
        QByteArray utf16("\xFF\xFE", 2);
        utf16 += QByteArray(reinterpret_cast<const char *>(v5.utf16()), v5.size() * 2);
        const QString key = QStringLiteral("Software\\Kavio_Plus");
        const auto bytes = [&](const RegTree &t, const char *name) {
            return t.value(Hive::LocalMachine, key, QString::fromLatin1(name)).value_or(RegValue{}).data;
        };
        for (const QByteArray &data : {utf16, QByteArray("REGEDIT4") + body.toLatin1()}) {
            RegTree t;
            QVERIFY(!t.merge(body.toUtf8()));
            QVERIFY(t.merge(data));
            QCOMPARE(
                stringOf(t.value(Hive::LocalMachine, QStringLiteral("software\\KAVIO_PLUS"), QStringLiteral("DBPATH"))),
                QStringLiteral("C:\\Kavio \"Plus\"\\BIA.mdb"));
            QCOMPARE(stringOf(t.value(Hive::LocalMachine, key, QStringLiteral("Ort"))), QStringLiteral("Würzburg"));
            QCOMPARE(bytes(t, "Port"), QByteArray::fromHex("1a000000"));
            QCOMPARE(bytes(t, "Long"), QByteArray::fromHex("01020304"));
            QVERIFY(!t.value(Hive::CurrentUser, key, QStringLiteral("Port")));
        }
    }

    // The first machine folder wins, user keys count only from the user folder, and a
    // change by the host software counts at the next question.
    void settingsFromFolders()
    {
        QTemporaryDir dir;
        const QString machine1 = dir.filePath(QStringLiteral("etc1")), machine2 = dir.filePath(QStringLiteral("etc2"));
        const QString user = dir.filePath(QStringLiteral("home/registry")),
                      plus = QStringLiteral("Software\\Kavio_Plus");
        const QByteArray portKey =
            "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KAVIO_PLUS\\Einstellungen]\n";
        QVERIFY(writeBytes(machine2 + QStringLiteral("/a.reg"),
                          "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Kavio_Plus]"
                          "\n\"dbPath\"=\"/zweit\"\n\"FrequenzType\"=\"Multi\"\n"));
        QVERIFY(writeBytes(machine1 + QStringLiteral("/b.reg"),
                          "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Kavio_Plus]\n\"dbPath\"=\"/erst\"\n"
                          "[HKEY_CURRENT_USER\\Software\\Ignored]\n\"x\"=\"1\"\n"));
        QVERIFY(writeBytes(user + QStringLiteral("/host.reg"), portKey + "\"Port\"=\"3\"\n"));
        RegistrySettings s({machine1, machine2}, user);
        QCOMPARE(stringOf(s.value(Hive::LocalMachine, plus, QStringLiteral("dbPath"))), QStringLiteral("/erst"));
        QCOMPARE(stringOf(s.value(Hive::LocalMachine, plus, QStringLiteral("FrequenzType"))), QStringLiteral("Multi"));
        QVERIFY(!s.keyExists(Hive::CurrentUser, QStringLiteral("Software\\Ignored")));
        auto port = [&] {
            return s.appSetting(QStringLiteral("KAVIO_PLUS"), QStringLiteral("Einstellungen"), QStringLiteral("Port"));
        };
        QCOMPARE(port(), QStringLiteral("3"));
        QVERIFY(writeBytes(user + QStringLiteral("/host.reg"), portKey + "\"Port\"=\"4\"\n"));
        QCOMPARE(port(), QStringLiteral("4"));
    }
};

QTEST_GUILESS_MAIN(TestRegFile)
#include "tst_regfile.moc"
