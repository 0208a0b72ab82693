// The registry reading behind the system information and the About window.
#include "about/frmAbout.h"
#include "about/SysInfo.h"
#include "app/RegistryReaders.h"
#include "TestBed.h"
#include "ui_frmAbout.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

#include <QAction>
#include <QPointer>
#include <QTest>

using namespace kavio;
using namespace kavio::test;
using namespace Qt::StringLiterals;

class TestAbout : public QObject {
    Q_OBJECT
private slots:

    void getKeyValue_data()
    {
        QTest::addColumn<QString>("name"); // of a value under Soft\A
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("text");
        QTest::newRow("string without its NUL") << u"Pfad"_s << true << u"C:\\Programme\\Info.exe"_s;
        QTest::newRow("largest dword as decimal") << u"Gross"_s << true << u"4294967295"_s;
        QTest::newRow("missing value") << u"Fehlt"_s << false << QString();
    }

    void getKeyValue()
    {
        QFETCH(QString, name);
        QFETCH(bool, found);
        QFETCH(QString, text);
        auto utf16z = [](const QString &s) {
            return QByteArray(reinterpret_cast<const char *>(s.utf16()), s.size() * 2) + QByteArray(2, '\0');
        };
        FakeSettings s;
        auto set = [&](const char *n, const RegValue &v) { s.setValue(Hive::LocalMachine, "Soft\\A", n, v); };
        set("Pfad", {RegValue::String, utf16z(u"C:\\Programme\\Info.exe"_s)});
        set("Gross", RegValue::fromDword(0xFFFFFFFF));
        QString value = u"before"_s;
        QCOMPARE(GetKeyValue(s, HKEY_LOCAL_MACHINE_ROOT, u"Soft\\A"_s, name, value), found);
        QCOMPARE(value, text);
    }

    void aboutWindow()
    {
        TestBed bed;
        frmMain main(bed.platform);
        bed.messages.clear();
        main.findChild<QAction *>(QStringLiteral("mnuKontakt"))->trigger();
        QPointer<frmAbout> about = main.findChild<frmAbout *>();
        QVERIFY(about && about->isVisible() && !about->isModal());
        Ui::frmAbout &f = about->form();
        QCOMPARE(about->windowTitle(), u"Info zu KavioSegment"_s);
        QCOMPARE(f.lblTitle->text(), u"KavioSegment"_s);
        // The project's version is 1.0.0.81: major and minor only.
        QCOMPARE(f.lblVersion->text(), u"Version 1.0"_s);
        QCOMPARE(f.lblDataFolder->text(), u"Datenordner: "_s + bed.dir.path());

        // No system-information tool is registered here.
        QTest::mouseClick(f.cmdSysInfo, Qt::LeftButton);
        QCOMPARE(bed.messages.texts(), QStringList{"Systeminformationen sind momentan nicht verfügbar"});

        QTest::mouseClick(f.cmdOK, Qt::LeftButton);
        QTRY_VERIFY(about.isNull());
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
