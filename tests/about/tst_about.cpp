// The company logo file, the registry reading and the About window.
#include "about/CompanyLogo.h"
#include "about/frmAbout.h"
#include "about/SysInfo.h"
#include "app/RegistryReaders.h"
#include "db/Database.h"
#include "TestBed.h"
#include "ui_frmAbout.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

#include <QFile>
#include <QPointer>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

const QString kMsinfo = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kLocation = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kUnavailable = QStringLiteral("Systeminformationen sind momentan nicht verfügbar");

QByteArray utf16z(const QString &s)
{
    QByteArray b(reinterpret_cast<const char *>(s.utf16()), s.size() * 2);
    return b + QByteArray(2, '\0');
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void logoFile_data();
    void logoFile();
    void getKeyValue_data();
    void getKeyValue();
    void startSysInfo_data();
    void startSysInfo();
    void versionLabel_data();
    void versionLabel();
    void aboutWindow();
    void aboutClosesWithOkAndEscape_data();
    void aboutClosesWithOkAndEscape();
};

void TestAbout::logoFile_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("messages");
    QTest::newRow("written from the record") << "record" << QByteArray("KAVIO-LOGO-1\r\n") << 0;
    QTest::newRow("kept when it exists") << "exists" << QByteArray("ALT") << 0;
    QTest::newRow("no record for the group") << "otherGroup" << QByteArray("<missing>") << 0;
    QTest::newRow("Flags.mdb missing: message, nothing written") << "noFlags" << QByteArray("<missing>") << 1;
}

void TestAbout::logoFile()
{
    QFETCH(QString, situation);
    QFETCH(QByteArray, file);
    QFETCH(int, messages);
    TestBed bed(TestBed::Options{true, situation != QLatin1String("noFlags"), true, true});
    const QString path = bed.path(compLogoFileName());
    if (situation == QLatin1String("exists")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("ALT");
    }
    if (situation == QLatin1String("otherGroup")) {
        DbConnection db = DbConnection::open(bed.path(QStringLiteral("Flags.mdb")));
        db.exec(QStringLiteral("UPDATE Flags SET GroupId = 11259"));
    }
    SaveCompLogo(bed.platform, QStringLiteral("11258"));
    QCOMPARE(readFile(path), file);
    QCOMPARE(bed.messages.count(), messages);
    if (messages)
        QCOMPARE(bed.messages.last().icon, MsgIcon::None);
}

void TestAbout::getKeyValue_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("text");
    // Values set up in getKeyValue(); "before" is what the text held before the call.
    QTest::newRow("string without its NUL") << "Soft\\A"
                                            << "Pfad" << true << "C:\\Programme\\Info.exe";
    QTest::newRow("dword as decimal") << "Soft\\A"
                                      << "Zahl" << true << "259";
    QTest::newRow("large dword") << "Soft\\A"
                                 << "Gross" << true << "4294967295";
    QTest::newRow("binary leaves the text") << "Soft\\A"
                                            << "Bin" << true << "before";
    QTest::newRow("missing value") << "Soft\\A"
                                   << "Fehlt" << false << "";
    QTest::newRow("missing key") << "Soft\\B"
                                 << "Pfad" << false << "";
    QTest::newRow("longer than the buffer") << "Soft\\A"
                                            << "Lang" << false << "";
    QTest::newRow("exactly the buffer") << "Soft\\A"
                                        << "Voll" << true << QString(1023, QLatin1Char('v'));
}

void TestAbout::getKeyValue()
{
    QFETCH(QString, key);
    QFETCH(QString, name);
    QFETCH(bool, found);
    QFETCH(QString, text);
    FakeSettings s;
    s.setString(Hive::LocalMachine, QStringLiteral("Soft\\A"), QStringLiteral("Pfad"),
                QStringLiteral("C:\\Programme\\Info.exe"));
    s.setValue(Hive::LocalMachine, QStringLiteral("Soft\\A"), QStringLiteral("Zahl"), RegValue::fromDword(0x103));
    s.setValue(Hive::LocalMachine, QStringLiteral("Soft\\A"), QStringLiteral("Gross"), RegValue::fromDword(0xFFFFFFFF));
    s.setValue(Hive::LocalMachine, QStringLiteral("Soft\\A"), QStringLiteral("Bin"), RegValue::fromBinary("\x01\x02"));
    s.setValue(Hive::LocalMachine, QStringLiteral("Soft\\A"), QStringLiteral("Lang"),
               {RegValue::String, utf16z(QString(1024, QLatin1Char('x')))});
    s.setValue(Hive::LocalMachine, QStringLiteral("Soft\\A"), QStringLiteral("Voll"),
               {RegValue::String, utf16z(QString(1023, QLatin1Char('v')))});
    QString value = QStringLiteral("before");
    QCOMPARE(GetKeyValue(s, HKEY_LOCAL_MACHINE_ROOT, key, name, value), found);
    QCOMPARE(value, text);
}

void TestAbout::startSysInfo_data()
{
    QTest::addColumn<QString>("path");     // MSINFO\PATH, "" = not set; "<tool>" = an existing file
    QTest::addColumn<QString>("location"); // Shared Tools Location\MSINFO, "<dir>" = folder with the tool
    QTest::addColumn<QString>("started");  // "" = nothing started
    QTest::newRow("path from the registry") << "<tool>"
                                            << ""
                                            << "<tool>";
    QTest::newRow("path to a missing file") << "/nirgends/msinfo"
                                            << "<dir>"
                                            << "";
    QTest::newRow("folder holding the tool") << ""
                                             << "<dir>"
                                             << "<dir>/MSINFO32.EXE";
    QTest::newRow("folder without the tool") << ""
                                             << "/nirgends"
                                             << "";
    QTest::newRow("nothing registered") << ""
                                        << ""
                                        << "";
}

void TestAbout::startSysInfo()
{
    QFETCH(QString, path);
    QFETCH(QString, location);
    QFETCH(QString, started);
    TestBed bed;
    const QString dir = bed.path(QStringLiteral("tools"));
    QVERIFY(QDir().mkpath(dir));
    const QString tool = dir + QStringLiteral("/MSINFO32.EXE");
    QFile f(tool);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    auto expand = [&](QString s) {
        return s.replace(QStringLiteral("<tool>"), tool).replace(QStringLiteral("<dir>"), dir);
    };
    if (!path.isEmpty())
        bed.settings.setString(Hive::LocalMachine, kMsinfo, QStringLiteral("PATH"), expand(path));
    if (!location.isEmpty())
        bed.settings.setString(Hive::LocalMachine, kLocation, QStringLiteral("MSINFO"), expand(location));
    // The shell starts only what exists, as the real one does.
    bed.shell.startResult = true;
    struct ExistingOnly final : Shell {
        QStringList started;
        bool openFile(const QString &) override { return false; }
        bool startProgram(const QString &p) override
        {
            if (!QFile::exists(p))
                return false;
            started << p;
            return true;
        }
    } shell;
    bed.platform.shell = &shell;

    StartSysInfo(bed.platform);
    QCOMPARE(shell.started, started.isEmpty() ? QStringList() : QStringList{expand(started)});
    QCOMPARE(bed.messages.texts(), started.isEmpty() ? QStringList{kUnavailable} : QStringList());
}

void TestAbout::versionLabel_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<QString>("label");
    QTest::newRow("1.0") << 1 << 0 << "Version 1.0";
    QTest::newRow("two-digit minor") << 2 << 15 << "Version 2.15";
}

void TestAbout::versionLabel()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(QString, label);
    QCOMPARE(kavio::versionLabel(major, minor), label);
}

void TestAbout::aboutWindow()
{
    TestBed bed;
    frmMain main(bed.platform);
    bed.messages.clear();
    main.form().mnuKontakt->trigger();
    QPointer<frmAbout> about = main.findChild<frmAbout *>();
    QVERIFY(about);
    QVERIFY(about->isVisible());
    QVERIFY(!about->isModal());
    Ui::frmAbout &f = about->form();
    QCOMPARE(about->windowTitle(), QStringLiteral("Info zu KavioSegment"));
    QCOMPARE(f.lblTitle->text(), QStringLiteral("KavioSegment"));
    // The project's version is 1.0.0.81: major and minor only.
    QCOMPARE(f.lblVersion->text(), QStringLiteral("Version 1.0"));
    for (QLabel *l :
         {f.lblDescription_0, f.lblDescription_1, f.lblDescription_2, f.lblDescription_3, f.lblDescription_4})
        QVERIFY(!l->text().isEmpty());
    QCOMPARE(f.lblDisclaimer->text(), QString());
    QCOMPARE(f.cmdSysInfo->text(), QStringLiteral("&Systeminfo..."));
    QVERIFY(f.cmdOK->isDefault());

    // No system-information tool registered here.
    QTest::mouseClick(f.cmdSysInfo, Qt::LeftButton);
    QCOMPARE(bed.messages.texts(), QStringList{kUnavailable});
}

void TestAbout::aboutClosesWithOkAndEscape_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("OK") << false;
    QTest::newRow("Escape") << true;
}

void TestAbout::aboutClosesWithOkAndEscape()
{
    QFETCH(bool, escape);
    TestBed bed;
    frmMain main(bed.platform);
    main.form().mnuKontakt->trigger();
    QPointer<frmAbout> about = main.findChild<frmAbout *>();
    QVERIFY(about);
    if (escape)
        QTest::keyClick(about, Qt::Key_Escape);
    else
        QTest::mouseClick(about->form().cmdOK, Qt::LeftButton);
    QTRY_VERIFY(about.isNull());
    // Opened again: a fresh window.
    main.form().mnuKontakt->trigger();
    QVERIFY(main.findChild<frmAbout *>());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
