// Device records, the main window's receive handler, and the link to the device simulator.
#include "device/DeviceLink.h"
#include "platform/QtSerialLine.h"
#include "WindowDriver.h"
#include "workstation/frmMain.h"

#include <functional>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <random>

using namespace kavio;
using namespace kavio::test;

namespace {

const QString kChoose = QStringLiteral("Bitte wählen Sie einen Patienten und ein Segment aus!");
const QString kWrong = QStringLiteral("Sie haben das falsche Segment gemessen!");

// Which markers are switched on, as "1000" for Shape1 only.
QString markers(frmMain &w)
{
    QString s;
    for (int i = 0; i < 4; ++i)
        s += bodyMarker(w, i)->isHidden() ? u'0' : u'1';
    return s;
}

// One character per event, as the line at 9600 baud delivers them.
void trickle(FakeSerialLine &line, const QByteArray &text)
{
    for (const char c : text)
        line.receive(QByteArray(1, c));
}

// A test bed whose serial line is the real one, on <dev>/COM3 of a pseudo-terminal pair whose other
// end, <dev>/device, plays the device; automatic measurement is answered Yes.
struct PtyBed {
    TestBed bed;
    const QString dev = bed.dir.path();
    QtSerialLine serial{dev};
    QProcess socat;
    PtyBed()
    {
        bed.platform.serial = &serial;
        bed.messages.defaultAnswer = true;
        socat.start(QStringLiteral("socat"),
                    {"pty,raw,echo=0,link=" + dev + "/COM3", "pty,raw,echo=0,link=" + dev + "/device"});
    }
    bool joined() const
    {
        return QTest::qWaitFor([&] { return QFile::exists(dev + "/COM3") && QFile::exists(dev + "/device"); });
    }
};

// Runs the simulator while the window handles events; the milliseconds it took, -1 on failure.
qint64 simulate(const QString &device, const QStringList &arguments)
{
    QProcess sim;
    QElapsedTimer t;
    t.start();
    sim.start(QStringLiteral(KAVIO_DEVICE_SIM), QStringList{device} + arguments);
    while (sim.state() != QProcess::NotRunning && t.elapsed() < 15000)
        QTest::qWait(5);
    return sim.exitStatus() == QProcess::NormalExit && sim.exitCode() == 0 ? t.elapsed() : -1;
}

} // namespace

class TestDevice : public QObject {
    Q_OBJECT
private slots:
    // Only a code of another of the four segments is refused.
    void segmentPasst()
    {
        const QStringList tables{"ArmLi", "ArmRe", "BeinLi", "BeinRe"}, codes{"AL", "AR", "BL", "BR"};
        for (int t = 0; t < 4; ++t)
            for (int c = 0; c < 4; ++c)
                QCOMPARE(SegmentPasst(tables[t], codes[c]), t == c);
        QVERIFY(SegmentPasst(QStringLiteral("ArmLi"), QString()) && SegmentPasst(QString(), QStringLiteral("AR")));
    }

    // Each record taken once at its ";" however split; tenths round half to even, non-16-bit is none.
    void records_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QStringList>("records"); // code/frequency/R/Xc, "-" for no value
        QTest::newRow("three frequencies")
            << QByteArray("ALM005 4567,0150,0027;\r\nALM050 4565,0310,0061;\r\nALM100 4575,0270,0057;\r\n")
            << QStringList{"AL/5/457/15", "AL/50/456/31", "AL/100/458/27"};
        QTest::newRow("no comma") << QByteArray("ARM050 4567;") << QStringList{"AR/50/457/-"};
        QTest::newRow("unconvertible parts") << QByteArray("ARM050 327675,45.6;") << QStringList{"AR/50/-/-"};
        QTest::newRow("never repeated") << QByteArray("ARM050 4567,0321;\r\n;;;M100 1,2;")
                                        << QStringList{"AR/50/457/32"};
    }
    void records()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QStringList, records);
        const auto v = [](const std::optional<qint16> &x) { return x ? QString::number(*x) : QStringLiteral("-"); };
        for (int split = 0; split <= stream.size(); ++split) {
            RecordParser p;
            QStringList got;
            for (const QByteArray &part : {stream.first(split), stream.sliced(split)})
                p.feed(part, RecordParser::Mode::Accept, [&](const DeviceRecord &r) {
                    got << QStringLiteral("%1/%2/%3/%4").arg(r.code).arg(r.frequency).arg(v(r.r), v(r.xc));
                });
            QVERIFY2(got == records, qPrintable(QStringLiteral("split at %1: %2").arg(split).arg(got.join(u' '))));
        }
    }

    // One window's life: the port found is opened again once a measurement is confirmed, records fill
    // their fields or are refused one by one, the port closes with the window, a failing reopen is told.
    void measuring()
    {
        TestBed bed;
        bed.messages.defaultAnswer = true; // automatic measurement
        frmMain w(bed.platform);
        QVERIFY(w.session().automatic() && valueFields(w)[0]->isReadOnly() && !bed.serial.isOpen());
        QCOMPARE(bed.serial.settings, QStringLiteral("9600,n,8,1"));
        w.reopenPortForMeasurement();
        w.reopenPortForMeasurement(); // a second confirmation while open changes nothing
        QCOMPARE(bed.serial.openCount, 2);
        for (int i = 0; i < 4; ++i)
            bodyMarker(w, i)->setVisible(false);
        bed.messages.clear();

        // Without a segment records are dropped, one message each; one begun then never fills a field.
        const QString before = textOf(w, "txtW50ArmRechts");
        trickle(bed.serial, "ARM050 4567,0321;\r\nARM100 1234,0321;\r\nARM050 45");
        w.session().chooseSegment(segmentByTable(QStringLiteral("ArmRe")));
        trickle(bed.serial, "67,0321;\r\n");
        QCOMPARE(textOf(w, "txtW50ArmRechts"), before);
        QVERIFY(!w.session().unsaved() && markers(w) == QStringLiteral("0000"));
        // Another segment's records are refused one by one; a value not converting keeps the last.
        trickle(bed.serial, "ALM005 1,2;\r\nALM050 1,2;\r\nALM100 1,2;\r\nARM050 2900,0310,0061;\r\nARM100 4x,;\r\n");
        QCOMPARE(bed.messages.texts(), QStringList({kChoose, kChoose, kWrong, kWrong, kWrong}));
        QCOMPARE(textOf(w, "txtW50ArmRechts") + u' ' + textOf(w, "txtXc50ArmRechts"), QStringLiteral("290 31"));
        QCOMPARE(textOf(w, "txtW100ArmRechts") + u' ' + textOf(w, "txtXc100ArmRechts"), QStringLiteral("290 31"));
        QVERIFY(w.session().unsaved() && markers(w) == QStringLiteral("1000"));
        QVERIFY(!w.findChild<QWidget *>("cmdPatientAuswahl")->isEnabled());

        // Lost characters are reported, what arrived is still taken.
        bed.messages.clear();
        bed.serial.pending = "ARM050 2481,0265;\r\n";
        emit bed.serial.overrun();
        QCOMPARE(bed.messages.texts(), QStringList{QStringLiteral("Datenverlust!")});
        QCOMPARE(textOf(w, "txtW50ArmRechts"), QStringLiteral("248"));
        // A record arriving while a message is open waits until the message is closed.
        QString whileOpen;
        bed.messages.whileOpen = [&] {
            trickle(bed.serial, "ARM050 2900,0310;\r\n");
            whileOpen = textOf(w, "txtW50ArmRechts");
        };
        trickle(bed.serial, "ALM050 1111,0111;\r\n");
        QCOMPARE(bed.messages.texts().last(), kWrong);
        QCOMPARE(whileOpen + u' ' + textOf(w, "txtW50ArmRechts"), QStringLiteral("248 290"));

        // Every segment and frequency reaches its own two fields and switches on its marker.
        const char *codes[]{"AR", "AL", "BR", "BL"};
        const QStringList tables{"ArmRe", "ArmLi", "BeinRe", "BeinLi"};
        for (int s = 0; s < 4; ++s) {
            w.session().chooseSegment(segmentByTable(tables[s]));
            for (int f : {5, 50, 100}) {
                const int r = 10 * (1000 * s + f);
                trickle(bed.serial, QString::asprintf("%sM%03d %d,%d;\r\n", codes[s], f, r, r + 10).toLatin1());
            }
            QCOMPARE(markers(w), QStringLiteral("0000").replace(s, 1, u'1'));
        }
        const QStringList expected{
            "txtW5ArmRechts=5",       "txtXc5ArmRechts=6",       "txtW50ArmRechts=50",    "txtXc50ArmRechts=51",
            "txtW100ArmRechts=100",   "txtXc100ArmRechts=101",   "txtW5ArmLinks=1005",    "txtXc5ArmLinks=1006",
            "txtW50ArmLinks=1050",    "txtXc50ArmLinks=1051",    "txtW100ArmLinks=1100",  "txtXc100ArmLinks=1101",
            "txtW5BeinRechts=2005",   "txtXc5BeinRechs=2006",    "txtW50BeinRechts=2050", "txtXc50BeinRechts=2051",
            "txtW100BeinRechts=2100", "txtXc100BeinRechts=2101", "txtW5BeinLinks=3005",   "txtXc5Beinlinks=3006",
            "txtW50BeinLinks=3050",   "txtXc50BeinLinks=3051",   "txtW100BeinLinks=3100", "txtXc100BeinLinks=3101"};
        const auto shown = [&](const QString &nv) {
            return nv.section(u'=', 0, 0) + u'=' + textOf(w, nv.section(u'=', 0, 0));
        };
        for (const QString &nv : expected)
            QCOMPARE(shown(nv), nv);
        QCOMPARE(bed.messages.count(), 2); // the data loss and the refused record only

        // Seeded random bytes, half record-like, with and without a segment: at most 60 characters are
        // kept, only the chosen segment's fields change, a sound record is still taken.
        bed.messages.clear();
        std::mt19937 random(2026);
        const QByteArray alphabet("ARBLM015;,0123456789 \r\n\0\xff", 25);
        for (int round = 0; round < 3000; ++round) {
            w.session().chooseSegment(segmentByTable(round % 300 < 30 ? QString() : QStringLiteral("BeinRe")));
            QByteArray chunk(static_cast<int>(random() % 64), '\0');
            for (char &c : chunk)
                c = random() % 2 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
            if (round % 1000 == 0)
                chunk = "BRM050 " + QByteArray(4000, '9'); // no ";" for a long time
            bed.serial.receive(chunk);
            QVERIFY(w.findChild<DeviceLink *>(QStringLiteral("MSComm1"))->strComInBuffer().size() <= 60);
        }
        for (const QString &text : bed.messages.texts())
            QVERIFY2(text == kWrong || text == kChoose, qPrintable(text));
        for (const QString &nv : expected) // other segments' fields untouched
            QVERIFY(nv.contains(QLatin1String("BeinRe")) || shown(nv) == nv);
        bed.serial.receive("BRM100 2335,0229;\r\n");
        QCOMPARE(textOf(w, "txtW100BeinRechts") + u' ' + textOf(w, "txtXc100BeinRechts"), QStringLiteral("234 23"));

        w.close();
        QVERIFY(!bed.serial.isOpen());
        bed.serial.existingPorts.clear(); // another program holds the port now
        bed.messages.clear();
        w.reopenPortForMeasurement();
        QCOMPARE(bed.messages.texts(), QStringList{QStringLiteral("Der eingestellte Com-Port 3 lässt sich nicht "
                                                                  "öffnen. Die Werte des Messgeräts können nicht "
                                                                  "empfangen werden.")});
    }

    // In automatic mode the row stored is what the device sent, whatever the fields read; once it is
    // stored the person choice is open again.
    void deviceValuesAreStoredAsReceived()
    {
        Window win;
        win.bed.messages.defaultAnswer = true; // automatic measurement
        const qint64 person = win.bed.addPerson(QStringLiteral("Roth"), QStringLiteral("Ida"));
        win.open();
        win.choose(1, QStringLiteral("optAR"));
        QVERIFY(win.bed.serial.isOpen());
        win.bed.serial.receive("ARM005 5200,0310;\r\nARM050 4800,0520;\r\nARM100 4550,0470;\r\n");
        QCOMPARE(textOf(*win.w, "txtW50ArmRechts"), QStringLiteral("480"));
        valueField(*win.w, Quantity::W50, *segmentByCode(QStringLiteral("AR")))->setText(QStringLiteral("999"));
        click(*win.w, QStringLiteral("optEineBeh"));
        check(*win.w, QStringLiteral("cmdPatientAuswahl=off")); // values pending
        win.bed.messages.clear();
        click(*win.w, QStringLiteral("cmdSaveMess"));
        check(*win.w, QStringLiteral("cmdPatientAuswahl=on")); // stored: another person may follow
        QCOMPARE(win.bed.messages.texts(), QStringList());
        QCOMPARE(scalar(win.bed.segmentePath(),
                        QStringLiteral("SELECT printf('%d %d %d %d %d %d %d', FKTN, W5, W50, W100, Xc5, Xc50, Xc100) "
                                       "FROM ArmRe"))
                     .toString(),
                 QStringLiteral("%1 520 480 455 31 52 47").arg(person));
        QVERIFY(!win.w->session().unsaved());
    }

    // Over a pseudo-terminal pair with the real line: a port naming no device or no 16-bit number means
    // manual mode without a word; the port that is there takes the simulator's records at the line's own
    // pace and refuses a wrong segment once. The real line announces nothing new while the receive
    // handler runs: records arriving while one of its messages is open are handled once it is closed
    // (refused ones one message each, a sound one taken), and those of the time without a segment never
    // fill a field after one is chosen.
    void overARealLine()
    {
        PtyBed pty;
        QVERIFY(pty.joined());
        auto &[bed, dev, serial, socat] = pty;
        QVERIFY(serialDevicePath(42, dev) == QStringLiteral("/dev/ttyS41") && !QFile::exists("/dev/ttyS41"));
        for (const char *port : {"42", "70000", "COM3"}) {
            bed.settings.setAppSetting("KAVIO_PLUS", "Einstellungen", "Port", QString::fromLatin1(port));
            bed.messages.clear();
            frmMain manual(bed.platform);
            QVERIFY2(!manual.session().automatic() && !serial.isOpen(), port);
            QCOMPARE(bed.messages.texts(), QStringList{QStringLiteral("Automatische Messung?")});
        }

        bed.settings.setAppSetting("KAVIO_PLUS", "Einstellungen", "Port", QStringLiteral("3"));
        bed.messages.clear();
        frmMain w(bed.platform);
        QCOMPARE(bed.messages.texts(), QStringList({QStringLiteral("Automatische Messung?"),
                                                    QStringLiteral("Eingestellter Com-Port 3 gefunden")}));
        w.session().chooseSegment(segmentByTable(QStringLiteral("ArmRe")));
        w.reopenPortForMeasurement();
        bed.messages.clear();
        const qint64 elapsed =
            simulate(dev + "/device", {"--segment", "AR", "--multi", "--noise", "--value", "5=3140,150", "--value",
                                       "50=2900,315", "--value", "100=2725,265"});
        QVERIFY2(elapsed >= 60, "three records of 24 characters take about 75 ms at 9600 baud");
        QTRY_COMPARE(textOf(w, "txtW100ArmRechts"), QStringLiteral("272"));
        QCOMPARE(
            (QStringList{textOf(w, "txtXc100ArmRechts"), textOf(w, "txtW50ArmRechts"), textOf(w, "txtXc50ArmRechts"),
                         textOf(w, "txtW5ArmRechts"), textOf(w, "txtXc5ArmRechts")}),
            (QStringList{"26", "290", "32", "314", "15"}));

        QVERIFY(simulate(dev + "/device", {"--segment", "AR", "--wrong-segment", "--value", "50=1000,100"}) >= 0);
        QTRY_COMPARE(bed.messages.count(), 1);
        QTest::qWait(100);
        QCOMPARE(bed.messages.texts(), QStringList{kWrong});
        QCOMPARE(textOf(w, "txtW50ArmRechts"), QStringLiteral("290"));

        // While a message is open the device sends the next chunk and the program's event loop runs.
        QFile device(dev + "/device");
        QVERIFY(device.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        QList<QByteArray> sentWhileOpen;
        std::function<void()> whileOpen = [&] {
            if (!sentWhileOpen.isEmpty())
                device.write(sentWhileOpen.takeFirst());
            QTest::qWait(100);
            bed.messages.whileOpen = whileOpen;
        };
        bed.messages.whileOpen = whileOpen;
        bed.messages.clear();
        sentWhileOpen = {"ALM050 1111,0111;\r\nALM100 1111,0111;\r\n", "ARM050 2480,0310;\r\n"};
        device.write("ALM005 1111,0111;\r\n");
        QTRY_COMPARE(bed.messages.count(), 3);
        QTRY_COMPARE(textOf(w, "txtW50ArmRechts"), QStringLiteral("248"));
        QCOMPARE(bed.messages.texts(), QStringList({kWrong, kWrong, kWrong}));

        bed.messages.clear();
        w.session().chooseSegment(nullptr);
        const QString before = textOf(w, "txtW50BeinLinks");
        sentWhileOpen = {"BLM050 3333,0333;\r\nBLM050 3444,0344;\r\n"};
        device.write("BLM050 3222,0322;\r\n");
        QTRY_COMPARE(bed.messages.count(), 3);
        w.session().chooseSegment(segmentByTable(QStringLiteral("BeinLi")));
        device.write("\r\n");
        QTest::qWait(200);
        QCOMPARE(textOf(w, "txtW50BeinLinks"), before);
        QCOMPARE(bed.messages.texts(), QStringList({kChoose, kChoose, kChoose}));
        device.write("BLM050 3555,0355;\r\n");
        QTRY_COMPARE(textOf(w, "txtW50BeinLinks"), QStringLiteral("356"));
    }
};

QTEST_MAIN(TestDevice)
#include "tst_device.moc"
