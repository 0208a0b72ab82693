// Device records, the main window's receive handler, and the link to the device simulator.
#include "device/DeviceLink.h"
#include "platform/QtSerialLine.h"
#include "TestBed.h"
#include "workstation/frmMain.h"

#include <functional>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <random>

using namespace kavio;
using namespace kavio::test;

namespace {

const QString kChoose = QStringLiteral("Bitte wählen Sie einen Patienten und ein Segment aus!");
const QString kWrong = QStringLiteral("Sie haben das falsche Segment gemessen!");

// Says yes to the start-up question; a box lets the line deliver more while open, as a real one does.
struct BoxWithArrivals final : Messages {
    void show(const QString &text, MsgIcon icon, const QString &) override
    {
        texts << text;
        icons << icon;
        if (whileOpen)
            std::exchange(whileOpen, nullptr)();
    }
    bool ask(const QString &, MsgIcon, const QString &) override { return true; }
    QStringList texts;
    QList<MsgIcon> icons;
    std::function<void()> whileOpen;
};

// A window in automatic mode with the port open again and a segment chosen.
struct Measuring {
    explicit Measuring(const QString &segment)
    {
        Platform platform = bed.platform;
        platform.messages = &box;
        w = std::make_unique<frmMain>(platform);
        w->strSegment = segment;
        w->reopenPortForMeasurement();
        box.texts.clear();
        box.icons.clear();
        for (QFrame *f : w->Shape)
            f->setVisible(false);
    }
    QString field(const QString &name) const { return w->findChild<QLineEdit *>(name)->text(); }
    // Which markers are switched on, as "1000" for Shape1 only.
    QString markers() const
    {
        QString s;
        for (QFrame *f : w->Shape)
            s += f->isHidden() ? u'0' : u'1';
        return s;
    }
    // One character per event, as the line at 9600 baud delivers them.
    void trickle(const QByteArray &text)
    {
        for (const char c : text)
            bed.serial.receive(QByteArray(1, c));
    }
    TestBed bed;
    BoxWithArrivals box;
    std::unique_ptr<frmMain> w;
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

class tst_Device : public QObject {
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

    // The port found is closed again until a segment is chosen, opened once then, closed with the
    // window, reported when it cannot be opened again.
    void startUpAndReopening()
    {
        TestBed bed;
        bed.messages.answer({true});
        auto w = std::make_unique<frmMain>(bed.platform);
        QVERIFY(w->bAutoMessung && w->valueFields[0]->isReadOnly() && !bed.serial.isOpen());
        QCOMPARE(bed.serial.settings, QStringLiteral("9600,n,8,1"));
        w->strSegment = QStringLiteral("ArmRe");
        w->reopenPortForMeasurement();
        w->reopenPortForMeasurement(); // a second confirmation while open changes nothing
        QCOMPARE(bed.serial.openCount, 2);
        w->close();
        QVERIFY(!bed.serial.isOpen());
        bed.serial.existingPorts.clear(); // another program holds the port now
        bed.messages.clear();
        w->reopenPortForMeasurement();
        QCOMPARE(bed.messages.texts(), QStringList{QStringLiteral("Der eingestellte Com-Port 3 lässt sich nicht "
                                                                  "öffnen. Die Werte des Messgeräts können nicht "
                                                                  "empfangen werden.")});

        // A port setting that is no 16-bit number means manual mode, with nothing said.
        for (const char *port : {"70000", "COM3"}) {
            TestBed manual;
            manual.settings.setAppSetting("KAVIO_PLUS", "Einstellungen", "Port", QString::fromLatin1(port));
            manual.messages.answer({true});
            const frmMain window(manual.platform);
            QVERIFY2(!window.bAutoMessung && !manual.serial.isOpen(), port);
            QCOMPARE(manual.messages.count(), 1); // the start-up question only
        }
    }

    // Every segment and frequency reaches its own two fields and switches on its marker.
    void everyFieldReached()
    {
        Measuring m{QString()};
        const QStringList tables{"ArmRe", "ArmLi", "BeinRe", "BeinLi"}, codes{"AR", "AL", "BR", "BL"};
        for (int s = 0; s < 4; ++s) {
            m.w->strSegment = tables[s];
            for (int f : {5, 50, 100})
                m.trickle(
                    QByteArray(codes[s].toLatin1()) +
                    QString::asprintf("M%03d %d,%d;\r\n", f, 10 * (1000 * s + f), 10 * (1000 * s + f + 1)).toLatin1());
            QCOMPARE(m.markers(), QStringLiteral("0000").replace(s, 1, u'1'));
        }
        const QStringList expected{
            "txtW5ArmRechts=5",       "txtXc5ArmRechts=6",       "txtW50ArmRechts=50",    "txtXc50ArmRechts=51",
            "txtW100ArmRechts=100",   "txtXc100ArmRechts=101",   "txtW5ArmLinks=1005",    "txtXc5ArmLinks=1006",
            "txtW50ArmLinks=1050",    "txtXc50ArmLinks=1051",    "txtW100ArmLinks=1100",  "txtXc100ArmLinks=1101",
            "txtW5BeinRechts=2005",   "txtXc5BeinRechs=2006",    "txtW50BeinRechts=2050", "txtXc50BeinRechts=2051",
            "txtW100BeinRechts=2100", "txtXc100BeinRechts=2101", "txtW5BeinLinks=3005",   "txtXc5Beinlinks=3006",
            "txtW50BeinLinks=3050",   "txtXc50BeinLinks=3051",   "txtW100BeinLinks=3100", "txtXc100BeinLinks=3101"};
        for (const QString &nv : expected)
            QCOMPARE(nv.section(u'=', 0, 0) + u'=' + m.field(nv.section(u'=', 0, 0)), nv);
        QVERIFY(m.box.texts.isEmpty());
    }

    // With no segment records are dropped with one message each, the one begun then never fills
    // the fields; each refused record is reported once; a value not converting keeps the last.
    void recordsInTurn()
    {
        Measuring m{QString()};
        const QString before = m.field("txtW50ArmRechts");
        m.trickle("ARM050 4567,0321;\r\nARM100 1234,0321;\r\nARM050 45");
        QCOMPARE(m.box.texts, QStringList({kChoose, kChoose}));
        m.w->strSegment = QStringLiteral("ArmRe");
        m.trickle("67,0321;\r\n");
        QCOMPARE(m.field("txtW50ArmRechts"), before);
        QVERIFY(!m.w->bMessungUngespeichert && m.markers() == QStringLiteral("0000"));
        const QByteArray stream(
            "ALM005 1,2;\r\nALM050 1,2;\r\nALM100 1,2;\r\nARM050 2900,0310,0061;\r\nARM100 4x,;\r\n");
        m.trickle(stream);
        QCOMPARE(m.box.texts, QStringList({kChoose, kChoose, kWrong, kWrong, kWrong}));
        QCOMPARE(m.box.icons, QList<MsgIcon>(5, MsgIcon::Stop));
        QCOMPARE(m.field("txtW50ArmRechts") + u' ' + m.field("txtXc50ArmRechts"), QStringLiteral("290 31"));
        QCOMPARE(m.field("txtW100ArmRechts") + u' ' + m.field("txtXc100ArmRechts"), QStringLiteral("290 31"));
        QVERIFY(m.w->bMessungUngespeichert && m.markers() == QStringLiteral("1000"));
        QVERIFY(!m.w->findChild<QPushButton *>("cmdPatientAuswahl")->isEnabled());
        QCOMPARE(m.w->MSComm1->strComInBuffer(), QString::fromLatin1(stream.right(60)));
    }

    // Lost characters are reported, what arrived is taken; a record waits while a box is open.
    void dataLossAndArrivalsDuringAMessage()
    {
        Measuring m(QStringLiteral("BeinRe"));
        m.bed.serial.pending = "BRM050 2481,0265;\r\n";
        emit m.bed.serial.overrun();
        m.bed.serial.pending = "BRM100 2335,0229;\r\n";
        emit m.bed.serial.bufferOverflow();
        QCOMPARE(m.box.texts, QStringList(2, QStringLiteral("Datenverlust!")));
        QCOMPARE(m.field("txtW50BeinRechts") + u' ' + m.field("txtW100BeinRechts"), QStringLiteral("248 234"));
        QString whileOpen;
        m.box.whileOpen = [&] {
            m.trickle("BRM050 2900,0310;\r\n");
            whileOpen = m.field("txtW50BeinRechts");
        };
        m.trickle("ALM050 1111,0111;\r\n");
        QCOMPARE(m.box.texts.last(), kWrong);
        QCOMPARE(whileOpen + u' ' + m.field("txtW50BeinRechts"), QStringLiteral("248 290"));
    }

    // Seeded random bytes, half record-like, with and without a segment: the window keeps 60
    // characters at most, only the chosen segment's fields change, a sound record is taken.
    void arbitraryBytes()
    {
        Measuring m(QStringLiteral("BeinRe"));
        QHash<QString, QString> initial;
        for (QLineEdit *f : m.w->valueFields)
            initial.insert(f->objectName(), f->text());
        std::mt19937 random(2026);
        const QByteArray alphabet("ARBLM015;,0123456789 \r\n\0\xff", 25);
        for (int round = 0; round < 3000; ++round) {
            m.w->strSegment = round % 300 < 30 ? QString() : QStringLiteral("BeinRe");
            QByteArray chunk(static_cast<int>(random() % 64), '\0');
            for (char &c : chunk)
                c = random() % 2 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
            if (round % 1000 == 0)
                chunk = "BRM050 " + QByteArray(4000, '9'); // no ";" for a long time
            m.bed.serial.receive(chunk);
            QVERIFY(m.w->MSComm1->strComInBuffer().size() <= 60);
        }
        for (const QString &text : m.box.texts)
            QVERIFY2(text == kWrong || text == kChoose, qPrintable(text));
        for (QLineEdit *f : m.w->valueFields) // other segments' fields untouched
            QVERIFY(f->objectName().contains(QLatin1String("BeinRe")) || f->text() == initial.value(f->objectName()));
        m.bed.serial.receive("BRM100 2335,0229;\r\n");
        QCOMPARE(m.field("txtW100BeinRechts") + u' ' + m.field("txtXc100BeinRechts"), QStringLiteral("234 23"));
    }

    // Over a pseudo-terminal pair: a port naming no device gives manual mode without a word; the
    // port that is there takes records at the line's own pace and refuses a wrong segment once.
    void endToEnd()
    {
        TestBed bed;
        const QString dev = bed.path(QStringLiteral("dev"));
        QDir().mkpath(dev);
        QtSerialLine serial(dev);
        Platform platform = bed.platform;
        platform.serial = &serial;
        bed.settings.setAppSetting("KAVIO_PLUS", "Einstellungen", "Port", QStringLiteral("42"));
        QCOMPARE(serialDevicePath(42, dev), QStringLiteral("/dev/ttyS41")); // no COM42 link, no such port
        QVERIFY(!QFile::exists(QStringLiteral("/dev/ttyS41")));
        bed.messages.answer({true, true});
        auto w = std::make_unique<frmMain>(platform);
        QCOMPARE(bed.messages.texts(), QStringList{QStringLiteral("Automatische Messung?")});
        QVERIFY(!w->bAutoMessung && !serial.isOpen());

        QProcess socat; // joins <dev>/COM3, the program's end, and <dev>/device, the simulator's
        socat.start(QStringLiteral("socat"),
                    {"pty,raw,echo=0,link=" + dev + "/COM3", "pty,raw,echo=0,link=" + dev + "/device"});
        QTRY_VERIFY(QFile::exists(dev + "/COM3") && QFile::exists(dev + "/device"));
        bed.settings.setAppSetting("KAVIO_PLUS", "Einstellungen", "Port", QStringLiteral("3"));
        bed.messages.clear();
        w = std::make_unique<frmMain>(platform);
        QCOMPARE(bed.messages.texts(), QStringList({QStringLiteral("Automatische Messung?"),
                                                    QStringLiteral("Eingestellter Com-Port 3 gefunden")}));
        w->strSegment = QStringLiteral("ArmRe");
        w->reopenPortForMeasurement();
        QVERIFY(serial.isOpen());
        bed.messages.clear();
        const auto field = [&](const char *name) { return w->findChild<QLineEdit *>(name)->text(); };
        const qint64 elapsed =
            simulate(dev + "/device", {"--segment", "AR", "--multi", "--noise", "--value", "5=3140,150", "--value",
                                       "50=2900,315", "--value", "100=2725,265"});
        QVERIFY2(elapsed >= 60, "three records of 24 characters take about 75 ms at 9600 baud");
        QTRY_COMPARE(field("txtW100ArmRechts"), QStringLiteral("272"));
        QCOMPARE((QStringList{field("txtXc100ArmRechts"), field("txtW50ArmRechts"), field("txtXc50ArmRechts"),
                              field("txtW5ArmRechts"), field("txtXc5ArmRechts")}),
                 (QStringList{"26", "290", "32", "314", "15"}));
        QCOMPARE(bed.messages.count(), 0);

        QVERIFY(simulate(dev + "/device", {"--segment", "AR", "--wrong-segment", "--value", "50=1000,100"}) >= 0);
        QTRY_COMPARE(bed.messages.count(), 1);
        QTest::qWait(100);
        QCOMPARE(bed.messages.texts(), QStringList{kWrong});
        QCOMPARE(field("txtW50ArmRechts"), QStringLiteral("290"));
        socat.terminate();
        socat.waitForFinished();
    }
};

QTEST_MAIN(tst_Device)
#include "tst_device.moc"
