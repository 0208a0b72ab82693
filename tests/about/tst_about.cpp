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
using namespace Qt::StringLiterals;

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
    void aboutWindow();
};

void TestAbout::logoFile_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("messages");
    QTest::newRow("written from the record") << u"record"_s << QByteArray("KAVIO-LOGO-1\r\n") << 0;
    QTest::newRow("kept when it exists") << u"exists"_s << QByteArray("ALT") << 0;
    QTest::newRow("no record for the group") << u"otherGroup"_s << QByteArray("<missing>") << 0;
    QTest::newRow("Flags.mdb missing: message, nothing written") << u"noFlags"_s << QByteArray("<missing>") << 1;
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
    if (situation == QLatin1String("otherGroup"))
        DbConnection::open(bed.path(QStringLiteral("Flags.mdb"))).exec("UPDATE Flags SET GroupId = 11259");
    SaveCompLogo(bed.platform, QStringLiteral("11258"));
    QCOMPARE(readFile(path), file);
    QCOMPARE(bed.messages.count(), messages);
    if (messages)
        QCOMPARE(bed.messages.last().icon, MsgIcon::None);
}

void TestAbout::getKeyValue_data()
{
    QTest::addColumn<QString>("name"); // of a value under Soft\A; "B\..." under Soft\B
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("text"); // "before": what the text held before the call
    QTest::newRow("string without its NUL") << u"Pfad"_s << true << u"C:\\Programme\\Info.exe"_s;
    QTest::newRow("dword as decimal") << u"Zahl"_s << true << u"259"_s;
    QTest::newRow("largest dword") << u"Gross"_s << true << u"4294967295"_s;
    QTest::newRow("binary leaves the text") << u"Bin"_s << true << u"before"_s;
    QTest::newRow("missing value") << u"Fehlt"_s << false << QString();
    QTest::newRow("missing key") << u"B\\Pfad"_s << false << QString();
    QTest::newRow("longer than the buffer") << u"Lang"_s << false << QString();
    QTest::newRow("exactly the buffer") << u"Voll"_s << true << QString(1023, QLatin1Char('v'));
}

void TestAbout::getKeyValue()
{
    QFETCH(QString, name);
    QFETCH(bool, found);
    QFETCH(QString, text);
    FakeSettings s;
    auto set = [&](const char *n, const RegValue &v) { s.setValue(Hive::LocalMachine, "Soft\\A", n, v); };
    set("Pfad", {RegValue::String, utf16z(QStringLiteral("C:\\Programme\\Info.exe"))});
    set("Zahl", RegValue::fromDword(0x103));
    set("Gross", RegValue::fromDword(0xFFFFFFFF));
    set("Bin", RegValue::fromBinary("\x01\x02"));
    set("Lang", {RegValue::String, utf16z(QString(1024, QLatin1Char('x')))});
    set("Voll", {RegValue::String, utf16z(QString(1023, QLatin1Char('v')))});
    const QString key = name.startsWith("B\\") ? QStringLiteral("Soft\\B") : QStringLiteral("Soft\\A");
    QString value = QStringLiteral("before");
    QCOMPARE(GetKeyValue(s, HKEY_LOCAL_MACHINE_ROOT, key, name.section('\\', -1), value), found);
    QCOMPARE(value, text);
}

void TestAbout::startSysInfo_data()
{
    QTest::addColumn<QString>("path");     // MSINFO\PATH, "" = not set; "<tool>" = an existing file
    QTest::addColumn<QString>("location"); // Shared Tools Location\MSINFO, "<dir>" = folder with the tool
    QTest::addColumn<QString>("started");  // "" = nothing started
    QTest::newRow("path from the registry") << u"<tool>"_s << QString() << u"<tool>"_s;
    QTest::newRow("path to a missing file") << u"/nirgends/msinfo"_s << u"<dir>"_s << QString();
    QTest::newRow("folder holding the tool") << QString() << u"<dir>"_s << u"<dir>/MSINFO32.EXE"_s;
    QTest::newRow("folder without the tool") << QString() << u"/nirgends"_s << QString();
    QTest::newRow("nothing registered") << QString() << QString() << QString();
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
    auto expand = [&](QString s) { return s.replace("<tool>", tool).replace("<dir>", dir); };
    if (!path.isEmpty())
        bed.settings.setString(Hive::LocalMachine, kMsinfo, QStringLiteral("PATH"), expand(path));
    if (!location.isEmpty())
        bed.settings.setString(Hive::LocalMachine, kLocation, QStringLiteral("MSINFO"), expand(location));
    // The shell starts only what exists, as the real one does.
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

void TestAbout::aboutWindow()
{
    TestBed bed;
    frmMain main(bed.platform);
    bed.messages.clear();
    main.form().mnuKontakt->trigger();
    QPointer<frmAbout> about = main.findChild<frmAbout *>();
    QVERIFY(about && about->isVisible() && !about->isModal());
    Ui::frmAbout &f = about->form();
    QCOMPARE(about->windowTitle(), QStringLiteral("Info zu KavioSegment"));
    QCOMPARE(f.lblTitle->text(), QStringLiteral("KavioSegment"));
    // The project's version is 1.0.0.81: major and minor only.
    QCOMPARE(f.lblVersion->text(), QStringLiteral("Version 1.0"));
    QCOMPARE(f.cmdSysInfo->text(), QStringLiteral("&Systeminfo..."));
    QVERIFY(f.cmdOK->isDefault());

    // No system-information tool registered here.
    QTest::mouseClick(f.cmdSysInfo, Qt::LeftButton);
    QCOMPARE(bed.messages.texts(), QStringList{kUnavailable});

    // Escape and OK close it; each opening makes a fresh window.
    QTest::keyClick(about, Qt::Key_Escape);
    QTRY_VERIFY(about.isNull());
    main.form().mnuKontakt->trigger();
    about = main.findChild<frmAbout *>();
    QVERIFY(about);
    QTest::mouseClick(about->form().cmdOK, Qt::LeftButton);
    QTRY_VERIFY(about.isNull());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
