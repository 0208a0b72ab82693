#include "app/frmSplash.h"
#include "TestBed.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

class TestSplash : public QObject {
    Q_OBJECT
private slots:
    void refusesWithoutSufficientHost_data()
    {
        QTest::addColumn<QString>("version");
        QTest::newRow("too old") << "5.3";
        QTest::newRow("one character") << "5";
        QTest::newRow("missing") << "";
    }
    void refusesWithoutSufficientHost()
    {
        QFETCH(QString, version);
        TestBed bed;
        bed.settings.setAppSetting(QStringLiteral("KAVIO_PLUS"), QStringLiteral("Vers"),
                                   QStringLiteral("CurrentVersion"), version);
        int opened = 0;
        frmSplash splash(bed.platform, [&] { ++opened; });
        QVERIFY(!splash.Form_Load());
        QCOMPARE(bed.messages.count(), 1);
        QCOMPARE(bed.messages.last().text,
                 QStringLiteral("Die benötigte Kavio-Plus Software befindet sich nicht auf dem Computer.\n"
                                "Das Programm kann nicht gestartet werden!"));
        QCOMPARE(bed.messages.last().title, QStringLiteral("Fehlende Komponente"));
        QCOMPARE(bed.messages.last().icon, MsgIcon::Stop);
        QVERIFY(!splash.Timer.isActive());
        QCOMPARE(opened, 0);
    }

    void startsWithOneSufficientEdition()
    {
        TestBed bed;
        bed.settings.setAppSetting(QStringLiteral("KAVIO_PLUS"), QStringLiteral("Vers"),
                                   QStringLiteral("CurrentVersion"), QStringLiteral("5.3"));
        bed.settings.setAppSetting(QStringLiteral("KAVIO_PLUS_Net"), QStringLiteral("Vers"),
                                   QStringLiteral("CurrentVersion"), QStringLiteral("6.0"));
        frmSplash splash(bed.platform, [] {});
        QVERIFY(splash.Form_Load());
        QCOMPARE(splash.windowTitle(), QStringLiteral("KavioSegment - Willkommen"));
        QCOMPARE(splash.findChild<QLabel *>(QStringLiteral("lblProductName"))->text(), QStringLiteral("KavioSegment"));
        QVERIFY(splash.Timer.isActive());
        QCOMPARE(splash.Timer.interval(), 5000);
        QCOMPARE(bed.messages.count(), 0);
    }

    void keyOpensTheMainWindowOnce()
    {
        TestBed bed;
        int opened = 0;
        frmSplash splash(bed.platform, [&] { ++opened; });
        QVERIFY(splash.Form_Load());
        splash.show();
        QTest::keyClick(&splash, Qt::Key_Space);
        QCOMPARE(opened, 1);
        QVERIFY(!splash.isVisible());
        QVERIFY(!splash.Timer.isActive());
        splash.Timer.start(1); // the timer has no further effect
        QTest::qWait(30);
        QCOMPARE(opened, 1);
    }

    void clickOnFrameOrTimerOpensTheMainWindow()
    {
        TestBed bed;
        int opened = 0;
        frmSplash splash(bed.platform, [&] { ++opened; });
        QVERIFY(splash.Form_Load());
        splash.show();
        QTest::mouseClick(splash.findChild<QWidget *>(QStringLiteral("lblProductName")), Qt::LeftButton);
        QCOMPARE(opened, 1);

        frmSplash second(bed.platform, [&] { ++opened; });
        QVERIFY(second.Form_Load());
        second.Timer.setInterval(10);
        second.Timer.start();
        QTRY_COMPARE(opened, 2);
    }
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
