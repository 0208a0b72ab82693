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
    // A string without its NUL, a dword as its decimal number, nothing (and an emptied text) for a missing value.
    void getKeyValue()
    {
        FakeSettings s;
        s.setString(Hive::LocalMachine, u"Soft\\A"_s, u"Pfad"_s, u"C:\\Programme\\Info.exe"_s);
        s.setValue(Hive::LocalMachine, u"Soft\\A"_s, u"Gross"_s, RegValue::fromDword(0xFFFFFFFF));
        const auto read = [&](const QString &name) {
            QString value = u"vorher"_s;
            return GetKeyValue(s, HKEY_LOCAL_MACHINE_ROOT, u"Soft\\A"_s, name, value) ? value : u"nichts "_s + value;
        };
        QCOMPARE(read(u"Pfad"_s), u"C:\\Programme\\Info.exe"_s);
        QCOMPARE(read(u"Gross"_s), u"4294967295"_s);
        QCOMPARE(read(u"Fehlt"_s), u"nichts "_s);
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
