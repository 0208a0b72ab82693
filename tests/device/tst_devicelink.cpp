// The device link over a real pseudo-terminal pair: the program's serial line at one end,
// the device simulator at the other.
#include "device/DeviceLink.h"
#include "platform/QtSerialLine.h"
#include "TestBed.h"
#include "workstation/frmMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

// socat joining <folder>/COM<n> (the program's end) and <folder>/device (the simulator's).
class PtyPair {
public:
    PtyPair(const QString &folder, int port) : m_folder(folder), m_port(port) {}
    ~PtyPair() { stop(); }

    bool start()
    {
        const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
        if (socat.isEmpty())
            return false;
        m_process.start(socat, {QStringLiteral("pty,raw,echo=0,link=%1").arg(programEnd()),
                                QStringLiteral("pty,raw,echo=0,link=%1").arg(deviceEnd())});
        if (!m_process.waitForStarted(5000))
            return false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 5000) {
            if (QFileInfo::exists(programEnd()) && QFileInfo::exists(deviceEnd()))
                return true;
            QTest::qWait(20);
        }
        return false;
    }
    void stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            m_process.waitForFinished(5000);
        }
    }
    QString programEnd() const { return m_folder + QStringLiteral("/COM") + QString::number(m_port); }
    QString deviceEnd() const { return m_folder + QStringLiteral("/device"); }

private:
    QString m_folder;
    int m_port;
    QProcess m_process;
};

// Runs the simulator to its end; true when it sent everything.
bool simulate(const QString &device, const QStringList &arguments, qint64 *elapsedMs = nullptr)
{
    QProcess sim;
    QElapsedTimer t;
    t.start();
    sim.start(QStringLiteral(KAVIO_DEVICE_SIM), QStringList{device} + arguments);
    // The window must go on handling events while the simulator writes.
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
    void devicePathRule_data();
    void devicePathRule();
    void recordsArriveInTheFields();
    void portNamingNoDevice();
    void vanishedFarEndClosesThePort();
};

void tst_DeviceLink::devicePathRule_data()
{
    QTest::addColumn<bool>("link");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("expected"); // "<target>" for the link's target
    QTest::newRow("link present") << true << 3 << "<target>";
    QTest::newRow("no link, COM1") << false << 1 << "/dev/ttyS0";
    QTest::newRow("no link, COM12") << false << 12 << "/dev/ttyS11";
}

void tst_DeviceLink::devicePathRule()
{
    QFETCH(bool, link);
    QFETCH(int, port);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("ttyUSB0"));
    QFile(target).open(QIODevice::WriteOnly);
    if (link)
        QVERIFY(QFile::link(target, dir.filePath(QStringLiteral("COM%1").arg(port))));
    const QString want = expected == QLatin1String("<target>") ? QFileInfo(target).canonicalFilePath() : expected;
    QCOMPARE(serialDevicePath(port, dir.path()), want);
    // The folder from the environment when none is given.
    qputenv("KAVIO_DEVICE_DIR", dir.path().toLocal8Bit());
    QCOMPARE(serialDevicePath(port), want);
    qunsetenv("KAVIO_DEVICE_DIR");
}

void tst_DeviceLink::recordsArriveInTheFields()
{
    TestBed bed;
    PtyPair pty(bed.path(QStringLiteral("dev")), 3);
    QDir().mkpath(bed.path(QStringLiteral("dev")));
    QVERIFY2(pty.start(), "socat could not join a pseudo-terminal pair");
    QtSerialLine serial(bed.path(QStringLiteral("dev")));
    Platform platform = bed.platform;
    platform.serial = &serial;

    bed.messages.answer({true});
    frmMain w(platform);
    QCOMPARE(bed.messages.texts(), QStringList({QStringLiteral("Automatische Messung?"),
                                                QStringLiteral("Eingestellter Com-Port 3 gefunden")}));
    QVERIFY(w.bAutoMessung);
    QVERIFY(!serial.isOpen());

    w.strSegment = QStringLiteral("ArmRe");
    w.reopenPortForMeasurement();
    QVERIFY(serial.isOpen());
    bed.messages.clear();

    // Three frequencies at the line's own pace, with noise between the records.
    qint64 elapsed = 0;
    QVERIFY(simulate(pty.deviceEnd(),
                     {"--segment", "AR", "--multi", "--noise", "--value", "5=3140,150", "--value", "50=2900,315",
                      "--value", "100=2725,265"},
                     &elapsed));
    QTRY_COMPARE(field(w, "txtW100ArmRechts"), QStringLiteral("272"));
    QCOMPARE(field(w, "txtXc100ArmRechts"), QStringLiteral("26"));
    QCOMPARE(field(w, "txtW50ArmRechts"), QStringLiteral("290"));
    QCOMPARE(field(w, "txtXc50ArmRechts"), QStringLiteral("32"));
    QCOMPARE(field(w, "txtW5ArmRechts"), QStringLiteral("314"));
    QCOMPARE(field(w, "txtXc5ArmRechts"), QStringLiteral("15"));
    QVERIFY(w.bMessungUngespeichert);
    QCOMPARE(bed.messages.count(), 0);
    QVERIFY2(elapsed >= 60, "three records of 24 characters take about 75 ms at 9600 baud");

    // A record of the other arm: refused once, the fields stay.
    QVERIFY(simulate(pty.deviceEnd(), {"--segment", "AR", "--wrong-segment", "--value", "50=1000,100"}));
    QTRY_COMPARE(bed.messages.count(), 1);
    QTest::qWait(100);
    QCOMPARE(bed.messages.texts(), QStringList{QStringLiteral("Sie haben das falsche Segment gemessen!")});
    QCOMPARE(field(w, "txtW50ArmRechts"), QStringLiteral("290"));
    QVERIFY(w.MSComm1->strComInBuffer().contains(QStringLiteral("ALM050 1000,0100")));
}

void tst_DeviceLink::portNamingNoDevice()
{
    TestBed bed;
    QDir().mkpath(bed.path(QStringLiteral("dev")));
    int port = 42;
    while (QFileInfo::exists(serialDevicePath(port, bed.path(QStringLiteral("dev")))))
        ++port;
    bed.settings.setAppSetting("KAVIO_PLUS", "Einstellungen", "Port", QString::number(port));
    QtSerialLine serial(bed.path(QStringLiteral("dev")));
    Platform platform = bed.platform;
    platform.serial = &serial;
    bed.messages.answer({true});
    frmMain w(platform);
    QCOMPARE(bed.messages.texts(), QStringList{QStringLiteral("Automatische Messung?")});
    QVERIFY(!w.bAutoMessung);
    QVERIFY(!serial.isOpen());
    for (QLineEdit *f : w.valueFields)
        QVERIFY(!f->isReadOnly());
}

void tst_DeviceLink::vanishedFarEndClosesThePort()
{
    TestBed bed;
    const QString dev = bed.path(QStringLiteral("dev"));
    QDir().mkpath(dev);
    auto pty = std::make_unique<PtyPair>(dev, 3);
    QVERIFY(pty->start());
    QtSerialLine serial(dev);
    Platform platform = bed.platform;
    platform.serial = &serial;
    bed.messages.answer({true});
    frmMain w(platform);
    w.strSegment = QStringLiteral("BeinLi");
    w.reopenPortForMeasurement();
    QVERIFY(serial.isOpen());

    pty.reset(); // the device's end disappears
    QTRY_VERIFY_WITH_TIMEOUT(!serial.isOpen(), 5000);
    QCOMPARE(w.bAutoMessung, true);

    // The next segment choice opens the port again once the device is back.
    pty = std::make_unique<PtyPair>(dev, 3);
    QVERIFY(pty->start());
    bed.messages.clear();
    w.reopenPortForMeasurement();
    QVERIFY(serial.isOpen());
    QVERIFY(simulate(pty->deviceEnd(), {"--segment", "BL", "--value", "50=2481,265"}));
    QTRY_COMPARE(field(w, "txtW50BeinLinks"), QStringLiteral("248"));
    QCOMPARE(bed.messages.count(), 0);
}

QTEST_MAIN(tst_DeviceLink)
#include "tst_devicelink.moc"
