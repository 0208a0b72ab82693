// The device link over a real pseudo-terminal pair: the program's serial line at one end,
// the device simulator at the other.
#include "device/DeviceLink.h"
#include "platform/QtSerialLine.h"
#include "TestBed.h"
#include "workstation/frmMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

// socat joining <folder>/COM3 (the program's end) and <folder>/device (the simulator's).
class PtyPair {
public:
    explicit PtyPair(const QString &folder) : m_folder(folder) {}
    ~PtyPair()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    bool start()
    {
        m_process.start(QStandardPaths::findExecutable(QStringLiteral("socat")),
                        {QStringLiteral("pty,raw,echo=0,link=%1/COM3").arg(m_folder),
                         QStringLiteral("pty,raw,echo=0,link=%1").arg(device())});
        QElapsedTimer t;
        t.start();
        while (m_process.waitForStarted(5000) && t.elapsed() < 5000 &&
               !(QFileInfo::exists(m_folder + QStringLiteral("/COM3")) && QFileInfo::exists(device())))
            QTest::qWait(20);
        return QFileInfo::exists(device());
    }
    QString device() const { return m_folder + QStringLiteral("/device"); }

private:
    QString m_folder;
    QProcess m_process;
};

// Runs the simulator to its end while the window goes on handling events; true when it
// sent everything.
bool simulate(const QString &device, const QStringList &arguments, qint64 *elapsedMs = nullptr)
{
    QProcess sim;
    QElapsedTimer t;
    t.start();
    sim.start(QStringLiteral(KAVIO_DEVICE_SIM), QStringList{device} + arguments);
    while (sim.state() != QProcess::NotRunning && t.elapsed() < 15000)
        QTest::qWait(5);
    if (elapsedMs)
        *elapsedMs = t.elapsed();
    if (sim.exitStatus() != QProcess::NormalExit || sim.exitCode() != 0)
        qWarning("simulator: %s", sim.readAllStandardError().constData());
    return sim.exitStatus() == QProcess::NormalExit && sim.exitCode() == 0;
}

QString field(frmMain &w, const char *name)
{
    return w.findChild<QLineEdit *>(QLatin1String(name))->text();
}

} // namespace

class tst_DeviceLink : public QObject {
    Q_OBJECT
private slots:
    // COM<n> in the device folder (given, or from the environment) when it is there;
    // otherwise the n-th serial port.
    void devicePathRule_data()
    {
        QTest::addColumn<bool>("link");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("expected"); // empty: the link's target
        QTest::newRow("link present") << true << 3 << QString();
        QTest::newRow("no link, COM1") << false << 1 << "/dev/ttyS0";
        QTest::newRow("no link, COM12") << false << 12 << "/dev/ttyS11";
    }
    void devicePathRule()
    {
        QFETCH(bool, link);
        QFETCH(int, port);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("ttyUSB0"));
        QFile(target).open(QIODevice::WriteOnly);
        if (link)
            QVERIFY(QFile::link(target, dir.filePath(QStringLiteral("COM%1").arg(port))));
        const QString want = expected.isEmpty() ? QFileInfo(target).canonicalFilePath() : expected;
        QCOMPARE(serialDevicePath(port, dir.path()), want);
        qputenv("KAVIO_DEVICE_DIR", dir.path().toLocal8Bit());
        QCOMPARE(serialDevicePath(port), want);
        qunsetenv("KAVIO_DEVICE_DIR");
    }

    void noDeviceLeavesManualMode()
    {
        TestBed bed;
        QtSerialLine serial(bed.path(QStringLiteral("dev"))); // an empty folder
        Platform platform = bed.platform;
        platform.serial = &serial;
        bed.settings.setAppSetting("KAVIO_PLUS", "Einstellungen", "Port", QStringLiteral("42"));
        QVERIFY(!QFileInfo::exists(serialDevicePath(42, bed.path(QStringLiteral("dev")))));
        bed.messages.answer({true});
        frmMain w(platform);
        QCOMPARE(bed.messages.texts(), QStringList{QStringLiteral("Automatische Messung?")});
        QVERIFY(!w.bAutoMessung && !serial.isOpen() && !w.valueFields[0]->isReadOnly());
    }

    // Records at the line's own pace; a wrong segment refused once; the far end gone and
    // back: the next segment choice opens the port again.
    void endToEnd()
    {
        TestBed bed;
        const QString dev = bed.path(QStringLiteral("dev"));
        QDir().mkpath(dev);
        auto pty = std::make_unique<PtyPair>(dev);
        QVERIFY2(pty->start(), "socat could not join a pseudo-terminal pair");
        QtSerialLine serial(dev);
        Platform platform = bed.platform;
        platform.serial = &serial;
        bed.messages.answer({true});
        frmMain w(platform);
        QCOMPARE(bed.messages.texts(), QStringList({QStringLiteral("Automatische Messung?"),
                                                    QStringLiteral("Eingestellter Com-Port 3 gefunden")}));
        QVERIFY(w.bAutoMessung && !serial.isOpen());
        w.strSegment = QStringLiteral("ArmRe");
        w.reopenPortForMeasurement();
        QVERIFY(serial.isOpen());
        bed.messages.clear();

        qint64 elapsed = 0;
        QVERIFY(simulate(pty->device(),
                         {"--segment", "AR", "--multi", "--noise", "--value", "5=3140,150", "--value", "50=2900,315",
                          "--value", "100=2725,265"},
                         &elapsed));
        QTRY_COMPARE(field(w, "txtW100ArmRechts"), QStringLiteral("272"));
        QCOMPARE((QStringList{field(w, "txtXc100ArmRechts"), field(w, "txtW50ArmRechts"), field(w, "txtXc50ArmRechts"),
                              field(w, "txtW5ArmRechts"), field(w, "txtXc5ArmRechts")}),
                 (QStringList{"26", "290", "32", "314", "15"}));
        QVERIFY(w.bMessungUngespeichert);
        QCOMPARE(bed.messages.count(), 0);
        QVERIFY2(elapsed >= 60, "three records of 24 characters take about 75 ms at 9600 baud");

        QVERIFY(simulate(pty->device(), {"--segment", "AR", "--wrong-segment", "--value", "50=1000,100"}));
        QTRY_COMPARE(bed.messages.count(), 1);
        QTest::qWait(100);
        QCOMPARE(bed.messages.texts(), QStringList{QStringLiteral("Sie haben das falsche Segment gemessen!")});
        QCOMPARE(field(w, "txtW50ArmRechts"), QStringLiteral("290"));
        QVERIFY(w.MSComm1->strComInBuffer().contains(QStringLiteral("ALM050 1000,0100")));

        pty.reset(); // the device's end disappears
        QTRY_VERIFY_WITH_TIMEOUT(!serial.isOpen(), 5000);
        QVERIFY(w.bAutoMessung);
        pty = std::make_unique<PtyPair>(dev);
        QVERIFY(pty->start());
        bed.messages.clear();
        w.reopenPortForMeasurement();
        QVERIFY(serial.isOpen());
        QVERIFY(simulate(pty->device(), {"--segment", "AR", "--value", "50=2481,265"}));
        QTRY_COMPARE(field(w, "txtW50ArmRechts"), QStringLiteral("248"));
        QCOMPARE(bed.messages.count(), 0);
    }
};

QTEST_MAIN(tst_DeviceLink)
#include "tst_devicelink.moc"
