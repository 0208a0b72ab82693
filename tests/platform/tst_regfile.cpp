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
    QByteArray out("\xFF\xFE", 2);
    out.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return out;
}

QString stringOf(const std::optional<RegValue> &v)
{
    if (!v || v->type != RegValue::String)
        return QStringLiteral("<none>");
    QString s = QString::fromUtf16(reinterpret_cast<const char16_t *>(v->data.constData()), v->data.size() / 2);
    s.chop(1); // terminating NUL
    return s;
}

void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
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
        QByteArray ansi = QByteArrayLiteral("REGEDIT4\r\n") + body.toLatin1();
        QTest::newRow("REGEDIT4, 8-bit") << ansi;
    }
    void readsBothFormatsAndEncodings()
    {
        QFETCH(QByteArray, data);
        RegTree t;
        QVERIFY(t.merge(data));
        QCOMPARE(
            stringOf(t.value(Hive::LocalMachine, QStringLiteral("software\\KAVIO_PLUS"), QStringLiteral("DBPATH"))),
            QStringLiteral("C:\\Programme\\Kavio \"Plus\"\\BIA.mdb"));
        QCOMPARE(stringOf(t.value(Hive::LocalMachine, QStringLiteral("Software\\Kavio_Plus"), QStringLiteral("Ort"))),
                 QStringLiteral("Würzburg"));
    }

    void typedValuesAndContinuationLines()
    {
        RegTree t;
        QVERIFY(t.merge(QByteArrayLiteral("Windows Registry Editor Version 5.00\n\n"
                                          "[HKEY_CURRENT_USER\\Software\\Test]\n"
                                          "\"Port\"=dword:0000001a\n"
                                          "\"Bin\"=hex:0a,ff,01\n"
                                          "\"Long\"=hex:01,02,\\\n"
                                          "  03,04\n"
                                          "\"Exp\"=hex(2):41,00,00,00\n"
                                          "@=\"Standard\"\n"
                                          "; a comment\n"
                                          "\"Broken\"=dword:xyz\n")));
        const QString key = QStringLiteral("Software\\Test");
        auto port = t.value(Hive::CurrentUser, key, QStringLiteral("Port"));
        QVERIFY(port);
        QCOMPARE(port->type, quint32(RegValue::Dword));
        QCOMPARE(port->data, QByteArray::fromHex("1a000000"));
        QCOMPARE(t.value(Hive::CurrentUser, key, QStringLiteral("Bin"))->data, QByteArray::fromHex("0aff01"));
        QCOMPARE(t.value(Hive::CurrentUser, key, QStringLiteral("Long"))->data, QByteArray::fromHex("01020304"));
        QCOMPARE(t.value(Hive::CurrentUser, key, QStringLiteral("Exp"))->type, quint32(RegValue::ExpandString));
        QCOMPARE(stringOf(t.value(Hive::CurrentUser, key, QString())), QStringLiteral("Standard"));
        QVERIFY(!t.value(Hive::CurrentUser, key, QStringLiteral("Broken")));
        QVERIFY(!t.value(Hive::LocalMachine, key, QStringLiteral("Port"))); // other hive
    }

    void laterFilesDeleteKeysAndValues()
    {
        RegTree t;
        QVERIFY(t.merge(QByteArrayLiteral("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\A]\n\"x\"=\"1\"\n\"y\"=\"2\"\n"
                                          "[HKEY_LOCAL_MACHINE\\Software\\A\\Sub]\n\"z\"=\"3\"\n")));
        QVERIFY(t.merge(QByteArrayLiteral("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\A]\n\"x\"=-\n")));
        QVERIFY(!t.value(Hive::LocalMachine, QStringLiteral("Software\\A"), QStringLiteral("x")));
        QCOMPARE(stringOf(t.value(Hive::LocalMachine, QStringLiteral("Software\\A"), QStringLiteral("y"))),
                 QStringLiteral("2"));
        QVERIFY(t.merge(QByteArrayLiteral("REGEDIT4\n[-HKEY_LOCAL_MACHINE\\Software\\A]\n")));
        QVERIFY(!t.keyExists(Hive::LocalMachine, QStringLiteral("Software\\A")));
        QVERIFY(!t.keyExists(Hive::LocalMachine, QStringLiteral("Software\\A\\Sub")));
    }

    void textWithoutHeaderIsIgnored()
    {
        RegTree t;
        QVERIFY(!t.merge(QByteArrayLiteral("[HKEY_LOCAL_MACHINE\\Software\\A]\n\"x\"=\"1\"\n")));
        QVERIFY(!t.keyExists(Hive::LocalMachine, QStringLiteral("Software\\A")));
    }

    void settingsComeFromTheirFoldersAndAreReadAfresh()
    {
        QTemporaryDir dir;
        const QString machine1 = dir.filePath(QStringLiteral("etc1")), machine2 = dir.filePath(QStringLiteral("etc2"));
        const QString user = dir.filePath(QStringLiteral("home/KavioSegment/registry"));
        writeFile(machine2 + QStringLiteral("/a.reg"), "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Kavio_Plus]"
                                                       "\n\"dbPath\"=\"/zweit\"\n\"FrequenzType\"=\"Multi\"\n");
        writeFile(machine1 + QStringLiteral("/b.reg"),
                  "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Kavio_Plus]\n\"dbPath\"=\"/erst\"\n"
                  "[HKEY_CURRENT_USER\\Software\\Ignored]\n\"x\"=\"1\"\n");
        writeFile(
            user + QStringLiteral("/host.reg"),
            utf16(QStringLiteral("Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\Software\\VB and VBA "
                                 "Program Settings\\KAVIO_PLUS\\Einstellungen]\r\n\"Port\"=\"3\"\r\n")));
        RegistrySettings s({machine1, machine2}, user);
        QCOMPARE(
            stringOf(s.value(Hive::LocalMachine, QStringLiteral("Software\\Kavio_Plus"), QStringLiteral("dbPath"))),
            QStringLiteral("/erst"));
        QCOMPARE(stringOf(s.value(Hive::LocalMachine, QStringLiteral("Software\\Kavio_Plus"),
                                  QStringLiteral("FrequenzType"))),
                 QStringLiteral("Multi"));
        QVERIFY(!s.keyExists(Hive::CurrentUser, QStringLiteral("Software\\Ignored")));
        QCOMPARE(s.appSetting(QStringLiteral("KAVIO_PLUS"), QStringLiteral("Einstellungen"), QStringLiteral("Port")),
                 QStringLiteral("3"));
        QCOMPARE(s.appSetting(QStringLiteral("KAVIO_PLUS"), QStringLiteral("Vers"), QStringLiteral("CurrentVersion")),
                 QString());
        // A change by the host software counts at the next question.
        writeFile(user + QStringLiteral("/host.reg"),
                  "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\KAVIO_PLUS\\Einstellungen]\n"
                  "\"Port\"=\"4\"\n");
        QCOMPARE(s.appSetting(QStringLiteral("KAVIO_PLUS"), QStringLiteral("Einstellungen"), QStringLiteral("Port")),
                 QStringLiteral("4"));
        // The program's own store keeps what it writes.
        s.setOwnSetting(QStringLiteral("MyApplication"), QStringLiteral("Grid1"), QStringLiteral("ColWidths"),
                        QStringLiteral("1500;1500;1000"));
        RegistrySettings again({machine1}, user);
        QCOMPARE(
            again.ownSetting(QStringLiteral("MyApplication"), QStringLiteral("Grid1"), QStringLiteral("ColWidths")),
            QStringLiteral("1500;1500;1000"));
    }
};

QTEST_MAIN(TestRegFile)
#include "tst_regfile.moc"
