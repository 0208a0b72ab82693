#include "platform/RegFile.h"
#include "platform/RegistrySettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kavio;

namespace {

QByteArray utf16(const QString &text)
{
    return QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

QString stringOf(const std::optional<RegValue> &v)
{
    if (!v || v->type != RegValue::String)
        return QStringLiteral("<none>");
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(v->data.constData()), v->data.size() / 2).chopped(1);
}

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(data) == data.size());
}

} // namespace

class TestRegFile : public QObject {
    Q_OBJECT
private slots:
    void readsBothFormatsAndEncodings_data()
    {
        QTest::addColumn<QByteArray>("data");
        const QString body = QStringLiteral("\r\n[HKEY_LOCAL_MACHINE\\Software\\Kavio_Plus]\r\n"
                                            "\"dbPath\"=\"C:\\\\Programme\\\\Kavio \\\"Plus\\\"\\\\BIA.mdb\"\r\n"
                                            "\"Ort\"=\"Würzburg\"\r\n");
        QTest::newRow("version 5, UTF-16") << utf16(QStringLiteral("Windows Registry Editor Version 5.00\r\n") + body);
        QTest::newRow("version 5, UTF-8") << (QStringLiteral("Windows Registry Editor Version 5.00\n") + body).toUtf8();
        QTest::newRow("REGEDIT4, 8-bit") << QByteArrayLiteral("REGEDIT4\r\n") + body.toLatin1();
        QTest::newRow("no header: ignored") << body.toUtf8();
    }
    void readsBothFormatsAndEncodings()
    {
        QFETCH(QByteArray, data);
        RegTree t;
        const bool header = !data.startsWith("\r\n");
        QCOMPARE(t.merge(data), header);
        // Key and value names in any letter case; escapes in strings undone.
        QCOMPARE(
            stringOf(t.value(Hive::LocalMachine, QStringLiteral("software\\KAVIO_PLUS"), QStringLiteral("DBPATH"))),
            header ? QStringLiteral("C:\\Programme\\Kavio \"Plus\"\\BIA.mdb") : QStringLiteral("<none>"));
        QCOMPARE(stringOf(t.value(Hive::LocalMachine, QStringLiteral("Software\\Kavio_Plus"), QStringLiteral("Ort"))),
                 header ? QStringLiteral("Würzburg") : QStringLiteral("<none>"));
    }

    void typedValuesDeletionsAndContinuationLines()
    {
        RegTree t;
        QVERIFY(t.merge(QByteArrayLiteral("Windows Registry Editor Version 5.00\n\n"
                                          "[HKEY_CURRENT_USER\\Software\\Test]\n"
                                          "\"Port\"=dword:0000001a\n"
                                          "\"Bin\"=hex:0a,ff,01\n"
                                          "\"Long\"=hex:01,02,\\\n  03,04\n"
                                          "\"Exp\"=hex(2):41,00,00,00\n"
                                          "@=\"Standard\"\n"
                                          "; a comment\n"
                                          "\"Broken\"=dword:xyz\n"
                                          "[HKEY_CURRENT_USER\\Software\\Test\\Sub]\n\"z\"=\"3\"\n")));
        const QString key = QStringLiteral("Software\\Test");
        auto value = [&](const char *name) { return t.value(Hive::CurrentUser, key, QString::fromLatin1(name)); };
        QCOMPARE(value("Port")->type, quint32(RegValue::Dword));
        QCOMPARE(value("Port")->data, QByteArray::fromHex("1a000000"));
        QCOMPARE(value("Bin")->data, QByteArray::fromHex("0aff01"));
        QCOMPARE(value("Long")->data, QByteArray::fromHex("01020304"));
        QCOMPARE(value("Exp")->type, quint32(RegValue::ExpandString));
        QCOMPARE(stringOf(t.value(Hive::CurrentUser, key, QString())), QStringLiteral("Standard"));
        QVERIFY(!value("Broken"));
        QVERIFY(!t.value(Hive::LocalMachine, key, QStringLiteral("Port"))); // other hive

        // A later file deletes a value, then the key with its subkeys.
        QVERIFY(t.merge(QByteArrayLiteral("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Test]\n\"Port\"=-\n")));
        QVERIFY(!value("Port"));
        QVERIFY(value("Bin"));
        QVERIFY(t.merge(QByteArrayLiteral("REGEDIT4\n[-HKEY_CURRENT_USER\\Software\\Test]\n")));
        QVERIFY(!t.keyExists(Hive::CurrentUser, key));
        QVERIFY(!t.keyExists(Hive::CurrentUser, key + QStringLiteral("\\Sub")));
    }

    void settingsComeFromTheirFoldersAndAreReadAfresh()
    {
        QTemporaryDir dir;
        const QString machine1 = dir.filePath(QStringLiteral("etc1")), machine2 = dir.filePath(QStringLiteral("etc2"));
        const QString user = dir.filePath(QStringLiteral("home/KavioSegment/registry"));
        const QString plus = QStringLiteral("Software\\Kavio_Plus");
        writeFile(machine2 + QStringLiteral("/a.reg"), "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Kavio_Plus]"
                                                       "\n\"dbPath\"=\"/zweit\"\n\"FrequenzType\"=\"Multi\"\n");
        writeFile(machine1 + QStringLiteral("/b.reg"),
                  "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Kavio_Plus]\n\"dbPath\"=\"/erst\"\n"
                  "[HKEY_CURRENT_USER\\Software\\Ignored]\n\"x\"=\"1\"\n");
        const QByteArray portKey =
            "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KAVIO_PLUS\\Einstellungen]";
        writeFile(user + QStringLiteral("/host.reg"), "REGEDIT4\n" + portKey + "\n\"Port\"=\"3\"\n");
        RegistrySettings s({machine1, machine2}, user);
        // The first machine folder wins; user keys in machine folders do not count.
        QCOMPARE(stringOf(s.value(Hive::LocalMachine, plus, QStringLiteral("dbPath"))), QStringLiteral("/erst"));
        QCOMPARE(stringOf(s.value(Hive::LocalMachine, plus, QStringLiteral("FrequenzType"))), QStringLiteral("Multi"));
        QVERIFY(!s.keyExists(Hive::CurrentUser, QStringLiteral("Software\\Ignored")));
        auto port = [&] {
            return s.appSetting(QStringLiteral("KAVIO_PLUS"), QStringLiteral("Einstellungen"), QStringLiteral("Port"));
        };
        QCOMPARE(port(), QStringLiteral("3"));
        QCOMPARE(s.appSetting(QStringLiteral("KAVIO_PLUS"), QStringLiteral("Vers"), QStringLiteral("CurrentVersion")),
                 QString());
        // A change by the host software counts at the next question.
        writeFile(user + QStringLiteral("/host.reg"), "REGEDIT4\n" + portKey + "\n\"Port\"=\"4\"\n");
        QCOMPARE(port(), QStringLiteral("4"));
        // The program's own store keeps what it writes.
        s.setOwnSetting(QStringLiteral("MyApplication"), QStringLiteral("Grid1"), QStringLiteral("ColWidths"),
                        QStringLiteral("1500;1500;1000"));
        QCOMPARE(RegistrySettings({machine1}, user)
                     .ownSetting(QStringLiteral("MyApplication"), QStringLiteral("Grid1"), QStringLiteral("ColWidths")),
                 QStringLiteral("1500;1500;1000"));
    }
};

QTEST_MAIN(TestRegFile)
#include "tst_regfile.moc"
