#include "app/frmSplash.h"
#include "TestBed.h"

#include <QLabel>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

class TestSplash : public QObject {
    Q_OBJECT
private slots:
    // Versions compare as numbers and any one of the three editions is enough; a started
    // splash leaves once, by key, click or timer.
    void hostVersionAndLeaving_data()
    {
        QTest::addColumn<QString>("edition");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("leave"); // empty: the program must not start
        auto row = [](const char *version, const char *edition, const char *leave) {
            QTest::newRow(*version ? version : "empty")
                << QString::fromLatin1(edition) << QString::fromLatin1(version) << QString::fromLatin1(leave);
        };
        row("5.4", "KAVIO_PLUS", "key");
        row("5.10", "KAVIO_PLUS_Net", "click");
        row("6.0", "KAVIO_BOX", "timer");
        row("10.1", "KAVIO_PLUS_Net", "key");
        row("5.4.2", "KAVIO_BOX", "click");
        row("5.3", "KAVIO_PLUS", "");
        row("4.9", "KAVIO_BOX", "");
        row("5", "KAVIO_PLUS", "");
        row("", "KAVIO_PLUS", "");
        row("neu", "KAVIO_PLUS_Net", "");
    }
    void hostVersionAndLeaving()
    {
        QFETCH(QString, edition);
        QFETCH(QString, version);
        QFETCH(QString, leave);
        TestBed bed;
        const QString vers = QStringLiteral("Vers"), current = QStringLiteral("CurrentVersion");
        bed.settings.setAppSetting(QStringLiteral("KAVIO_PLUS"), vers, current, QStringLiteral("5.3"));
        bed.settings.setAppSetting(edition, vers, current, version);
        int opened = 0;
        frmSplash splash(bed.platform, [&] { ++opened; });
        QCOMPARE(splash.Form_Load(), !leave.isEmpty());
        QCOMPARE(splash.Timer.isActive(), !leave.isEmpty());
        if (leave.isEmpty()) {
            QCOMPARE(bed.messages.count(), 1);
            QCOMPARE(bed.messages.last().text,
                     QStringLiteral("Die benötigte Kavio-Plus Software befindet sich nicht auf dem Computer.\n"
                                    "Das Programm kann nicht gestartet werden!"));
            QCOMPARE(bed.messages.last().title, QStringLiteral("Fehlende Komponente"));
            QCOMPARE(bed.messages.last().icon, MsgIcon::Stop);
            QCOMPARE(opened, 0);
            return;
        }
        QCOMPARE(bed.messages.count(), 0);
        QCOMPARE(splash.windowTitle(), QStringLiteral("KavioSegment - Willkommen"));
        QCOMPARE(splash.Timer.interval(), 5000);
        splash.show();
        auto *product = splash.findChild<QLabel *>(QStringLiteral("lblProductName"));
        QCOMPARE(product->text(), QStringLiteral("KavioSegment"));
        if (leave == QLatin1String("key"))
            QTest::keyClick(&splash, Qt::Key_Space);
        else if (leave == QLatin1String("click"))
            QTest::mouseClick(product, Qt::LeftButton);
        else
            splash.Timer.start(10);
        QTRY_COMPARE(opened, 1);
        QVERIFY(!splash.isVisible() && !splash.Timer.isActive());
        splash.Timer.start(1); // a late timer or key has no further effect
        QTest::qWait(30);
        QTest::keyClick(&splash, Qt::Key_Space);
        QCOMPARE(opened, 1);
    }
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
