#include "device/DeviceLink.h"
#include "TestBed.h"
#include "workstation/frmMain.h"
#include "workstation/Unischbar.h"

#include <functional>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <random>

using namespace kavio;
using namespace kavio::test;

namespace {

const QString kChoose = QStringLiteral("Bitte wählen Sie einen Patienten und ein Segment aus!");
const QString kWrong = QStringLiteral("Sie haben das falsche Segment gemessen!");

// Messages that let the line deliver more while a box is open, as a real box does.
class BoxWithArrivals final : public Messages {
public:
    explicit BoxWithArrivals(FakeMessages &inner) : m_inner(inner) {}
    void show(const QString &text, MsgIcon icon, const QString &title) override
    {
        m_inner.show(text, icon, title);
        if (whileOpen)
            std::exchange(whileOpen, nullptr)();
    }
    bool ask(const QString &text, MsgIcon icon, const QString &title) override
    {
        return m_inner.ask(text, icon, title);
    }
    std::function<void()> whileOpen;

private:
    FakeMessages &m_inner;
};

QString field(frmMain &w, const QString &name)
{
    return w.findChild<QLineEdit *>(name)->text();
}

// Which markers are switched on, as "1000" for Shape1 only.
QString markers(frmMain &w)
{
    QString s;
    for (QFrame *f : w.Shape)
        s += f->isHidden() ? u'0' : u'1';
    return s;
}

// One character per event, as the line at 9600 baud delivers them.
void trickle(FakeSerialLine &serial, const QByteArray &text)
{
    for (const char c : text)
        serial.receive(QByteArray(1, c));
}

// A window in automatic mode with the port open again and a segment chosen.
struct Measuring {
    explicit Measuring(const QString &segment, Messages *messages = nullptr)
    {
        bed.messages.answer({true});
        Platform platform = bed.platform;
        platform.messages = messages ? messages : &bed.messages;
        window = std::make_unique<frmMain>(platform);
        window->strSegment = segment;
        window->reopenPortForMeasurement();
        bed.messages.clear();
    }
    TestBed bed;
    std::unique_ptr<frmMain> window;
};

} // namespace

class tst_DeviceWindow : public QObject {
    Q_OBJECT
private slots:
    // The start-up question; a segment choice then opens the port in automatic mode
    // only, once, and only then are records read.
    void startUpAndReopening_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<bool>("automatic");
        QTest::newRow("no") << false << QString("3") << "" << false;
        QTest::newRow("port found") << true << QString("3") << "rts dtr settings port open close" << true;
        QTest::newRow("port found, other number") << true << QString("1") << "rts dtr settings port open close" << true;
        QTest::newRow("no such port") << true << QString("7") << "rts dtr settings port open" << false;
        QTest::newRow("port setting missing") << true << QString() << "rts dtr settings" << false;
        QTest::newRow("port setting not a number") << true << QString("COM3") << "rts dtr settings" << false;
        QTest::newRow("port beyond 16 bits") << true << QString("70000") << "rts dtr settings" << false;
        QTest::newRow("port zero") << true << QString("0") << "rts dtr settings port open" << false;
    }
    void startUpAndReopening()
    {
        QFETCH(bool, answer);
        QFETCH(QString, port);
        QFETCH(QString, calls);
        QFETCH(bool, automatic);
        TestBed bed;
        bed.settings.setAppSetting("KAVIO_PLUS", "Einstellungen", "Port", port);
        bed.messages.answer({answer});
        frmMain w(bed.platform);
        QStringList said{QStringLiteral("Automatische Messung?")};
        if (automatic) // nothing else is said unless the port was found
            said << QStringLiteral("Eingestellter Com-Port %1 gefunden").arg(port);
        QCOMPARE(bed.messages.texts(), said);
        QVERIFY(bed.messages.shown[0].question);
        QCOMPARE(bed.messages.shown[0].icon, MsgIcon::None);
        QCOMPARE(bed.messages.shown[0].title, QString());
        QCOMPARE(bed.messages.last().icon, automatic ? MsgIcon::Information : MsgIcon::None);
        QCOMPARE(bed.serial.calls.join(u' '), calls);
        if (!calls.isEmpty())
            QVERIFY(bed.serial.settings == QStringLiteral("9600,n,8,1") && bed.serial.rts && bed.serial.dtr);
        QCOMPARE(w.bAutoMessung, automatic);
        QVERIFY(!bed.serial.isOpen()); // the question leaves the port closed
        for (QLineEdit *f : w.valueFields)
            QCOMPARE(f->isReadOnly(), automatic);

        bed.messages.clear();
        w.strSegment = QStringLiteral("ArmRe");
        w.reopenPortForMeasurement();
        w.reopenPortForMeasurement(); // a second confirmation while open changes nothing
        QCOMPARE(bed.serial.calls.join(u' '), automatic ? calls + QStringLiteral(" open") : calls);
        QCOMPARE(bed.serial.isOpen(), automatic);
        QVERIFY(!automatic || bed.serial.port == port.toInt());
        const QString before = field(w, "txtW50ArmRechts");
        trickle(bed.serial, "ARM050 4567,0321,0040;\r\n");
        QCOMPARE(field(w, "txtW50ArmRechts"), automatic ? QStringLiteral("457") : before);
        QCOMPARE(w.MSComm1->strComInBuffer().isEmpty(), !automatic);
        QCOMPARE(bed.messages.count(), 0);
    }

    void reopeningFailureIsReported()
    {
        TestBed bed;
        bed.messages.answer({true});
        frmMain w(bed.platform);
        bed.serial.existingPorts.clear(); // another program holds the port now
        bed.messages.clear();
        w.strSegment = QStringLiteral("ArmLi");
        w.reopenPortForMeasurement();
        QCOMPARE(bed.messages.texts(),
                 QStringList{QStringLiteral("Der eingestellte Com-Port 3 lässt sich nicht öffnen. "
                                            "Die Werte des Messgeräts können nicht empfangen "
                                            "werden.")});
        QCOMPARE(bed.messages.last().icon, MsgIcon::Stop);
        QVERIFY(!bed.serial.isOpen());
    }

    // Every segment and frequency reaches its own two fields and switches on its marker.
    void everyFieldReached()
    {
        Measuring m{QString()};
        frmMain &w = *m.window;
        const QStringList tables{"ArmRe", "ArmLi", "BeinRe", "BeinLi"}, codes{"AR", "AL", "BR", "BL"};
        const QStringList shown{"1000", "0100", "0010", "0001"};
        for (int s = 0; s < 4; ++s) {
            w.strSegment = tables[s];
            for (int f : {5, 50, 100})
                trickle(m.bed.serial, QStringLiteral("%1M%2 %3,%4;\r\n")
                                          .arg(codes[s])
                                          .arg(f, 3, 10, QLatin1Char('0'))
                                          .arg(10 * (1000 * s + f))
                                          .arg(10 * (1000 * s + f + 1))
                                          .toLatin1());
            QCOMPARE(markers(w), shown[s]);
        }
        const QStringList expected{
            "txtW5ArmRechts=5",       "txtXc5ArmRechts=6",       "txtW50ArmRechts=50",    "txtXc50ArmRechts=51",
            "txtW100ArmRechts=100",   "txtXc100ArmRechts=101",   "txtW5ArmLinks=1005",    "txtXc5ArmLinks=1006",
            "txtW50ArmLinks=1050",    "txtXc50ArmLinks=1051",    "txtW100ArmLinks=1100",  "txtXc100ArmLinks=1101",
            "txtW5BeinRechts=2005",   "txtXc5BeinRechs=2006",    "txtW50BeinRechts=2050", "txtXc50BeinRechts=2051",
            "txtW100BeinRechts=2100", "txtXc100BeinRechts=2101", "txtW5BeinLinks=3005",   "txtXc5Beinlinks=3006",
            "txtW50BeinLinks=3050",   "txtXc50BeinLinks=3051",   "txtW100BeinLinks=3100", "txtXc100BeinLinks=3101"};
        for (const QString &nv : expected)
            QCOMPARE(nv.section(u'=', 0, 0) + u'=' + field(w, nv.section(u'=', 0, 0)), nv);
        QCOMPARE(m.bed.messages.count(), 0);
    }

    void records_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QStringList>("fields"); // name=text of every field expected to change
        QTest::addColumn<int>("refusals");
        QTest::addColumn<QString>("markers");
        QTest::addColumn<bool>("pending");
        QTest::newRow("wrong segment") << QByteArray("BLM050 2481,0265,0061;\r\n") << QStringList{} << 1 << "0000"
                                       << false;
        QTest::newRow("each refused record once, then the right one")
            << QByteArray("ALM005 1,2;\r\nALM050 1,2;\r\nALM100 1,2;\r\nARM050 2900,0310,0061;\r\n")
            << QStringList{"txtW50ArmRechts=290", "txtXc50ArmRechts=31"} << 3 << "1000" << true;
        QTest::newRow("failed conversion keeps the value before")
            << QByteArray("ARM050 4567,0321;\r\nARM100 4x,;\r\n")
            << QStringList{"txtW50ArmRechts=457", "txtXc50ArmRechts=32", "txtW100ArmRechts=457", "txtXc100ArmRechts=32"}
            << 0 << "1000" << true;
        QTest::newRow("no frequency tag")
            << QByteArray("ARxxxxx4567,0321;\r\n") << QStringList{} << 0 << "1000" << false;
        QTest::newRow("noise only") << QByteArray("\0\xff;;ALARM;1,2,3;\r\n", 18) << QStringList{} << 0 << "0000"
                                    << false;
    }
    void records()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QStringList, fields);
        QFETCH(int, refusals);
        QFETCH(QString, markers);
        QFETCH(bool, pending);
        Measuring m(QStringLiteral("ArmRe"));
        frmMain &w = *m.window;
        for (QFrame *f : w.Shape)
            f->setVisible(false);
        QHash<QString, QString> expected;
        for (QLineEdit *f : w.valueFields)
            expected.insert(f->objectName(), f->text());
        for (const QString &nv : fields)
            expected.insert(nv.section(u'=', 0, 0), nv.section(u'=', 1));
        trickle(m.bed.serial, stream);
        for (QLineEdit *f : w.valueFields)
            QCOMPARE(f->objectName() + u'=' + f->text(), f->objectName() + u'=' + expected.value(f->objectName()));
        QCOMPARE(m.bed.messages.texts(), QStringList(refusals, kWrong));
        QVERIFY(m.bed.messages.shown.isEmpty() || m.bed.messages.last().icon == MsgIcon::Stop);
        QCOMPARE(::markers(w), markers);
        QCOMPARE(w.bMessungUngespeichert, pending);
        QCOMPARE(w.findChild<QPushButton *>("cmdPatientAuswahl")->isEnabled(), !pending);
        QCOMPARE(w.MSComm1->strComInBuffer(), QString::fromLatin1(stream.right(60)));
    }

    // Read and dropped with one message per record; the record begun before the choice
    // never fills the fields, the next one does.
    void noSegmentChosen()
    {
        Measuring m{QString()};
        frmMain &w = *m.window;
        const QString before = field(w, "txtW50ArmRechts");
        trickle(m.bed.serial, "ARM050 4567,0321;\r\nARM100 1234,0321;\r\nARM050 45");
        QCOMPARE(m.bed.messages.texts(), QStringList({kChoose, kChoose}));
        QCOMPARE(m.bed.messages.last().icon, MsgIcon::Stop);
        QVERIFY(m.bed.serial.pending.isEmpty()); // read, not left waiting in the port
        w.strSegment = QStringLiteral("ArmRe");
        trickle(m.bed.serial, "67,0321;\r\n");
        QCOMPARE(field(w, "txtW50ArmRechts"), before);
        QVERIFY(!w.bMessungUngespeichert);
        trickle(m.bed.serial, "ARM050 2900,0310;\r\n");
        QCOMPARE(field(w, "txtW50ArmRechts"), QStringLiteral("290"));
        QCOMPARE(m.bed.messages.count(), 2);
    }

    // Lost characters are reported; what did arrive is still taken.
    void dataLoss()
    {
        Measuring m(QStringLiteral("BeinRe"));
        m.bed.serial.pending = "BRM050 2481,0265;\r\n";
        emit m.bed.serial.overrun();
        m.bed.serial.pending = "BRM100 2335,0229;\r\n";
        emit m.bed.serial.bufferOverflow();
        QCOMPARE(m.bed.messages.texts(), QStringList(2, QStringLiteral("Datenverlust!")));
        QCOMPARE(m.bed.messages.last().icon, MsgIcon::None);
        QCOMPARE(field(*m.window, "txtW50BeinRechts") + u' ' + field(*m.window, "txtW100BeinRechts"),
                 QStringLiteral("248 234"));
    }

    // While the refusal is on screen the right record arrives: nothing is handled until
    // the box is closed, then it is.
    void eventsDuringAMessageWait()
    {
        FakeMessages inner;
        BoxWithArrivals box(inner);
        inner.answer({true});
        Measuring m(QStringLiteral("ArmRe"), &box);
        inner.clear();
        frmMain &w = *m.window;
        const QString before = field(w, "txtW50ArmRechts"), left = field(w, "txtW50ArmLinks");
        QString whileOpen;
        box.whileOpen = [&] {
            trickle(m.bed.serial, "ARM050 2900,0310;\r\n");
            whileOpen = field(w, "txtW50ArmRechts");
        };
        trickle(m.bed.serial, "ALM050 1111,0111;\r\n");
        QCOMPARE(inner.texts(), QStringList{kWrong});
        QCOMPARE(whileOpen, before);
        QCOMPARE(field(w, "txtW50ArmRechts"), QStringLiteral("290"));
        QCOMPARE(field(w, "txtW50ArmLinks"), left);
        QVERIFY(w.MSComm1->waiting.isEmpty() && !w.MSComm1->busy);
    }

    // Seeded random bytes in random reads, half of them record-like, with and without a
    // chosen segment: the window keeps no more than 60 characters, the fields only ever
    // show 16-bit numbers of the chosen segment, and a sound record is still taken.
    void arbitraryBytes()
    {
        Measuring m(QStringLiteral("BeinRe"));
        frmMain &w = *m.window;
        QHash<QString, QString> initial;
        for (QLineEdit *f : w.valueFields)
            initial.insert(f->objectName(), f->text());
        std::mt19937 random(2026);
        const QByteArray alphabet("ARBLM015;,0123456789 \r\n\0\xff", 25);
        for (int round = 0; round < 3000; ++round) {
            w.strSegment = round % 300 < 30 ? QString() : QStringLiteral("BeinRe");
            QByteArray chunk(static_cast<int>(random() % 64), '\0');
            for (char &c : chunk)
                c = random() % 2 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
            if (round % 1000 == 0)
                chunk = "BRM050 " + QByteArray(4000, '9'); // no ";" for a long time
            m.bed.serial.receive(chunk);
            QVERIFY(w.MSComm1->strComInBuffer().size() <= 60);
        }
        QVERIFY(m.bed.serial.pending.isEmpty() && w.MSComm1->waiting.isEmpty());
        for (const auto &shown : m.bed.messages.shown)
            QVERIFY2(shown.text == kWrong || shown.text == kChoose, qPrintable(shown.text));
        for (QLineEdit *f : w.valueFields) {
            bool ok = false;
            const int v = f->text().toInt(&ok);
            QVERIFY2(f->text() == initial.value(f->objectName()) ||
                         (ok && v >= -32768 && v <= 32767 && f->objectName().contains(QLatin1String("BeinRe"))),
                     qPrintable(f->objectName() + u'=' + f->text()));
        }
        m.bed.serial.receive("BRM100 2335,0229;\r\n");
        QCOMPARE(field(w, "txtW100BeinRechts") + u' ' + field(w, "txtXc100BeinRechts"), QStringLiteral("234 23"));
    }

    void unischbarAndLeaving()
    {
        Measuring m(QStringLiteral("ArmRe"));
        for (QFrame *f : m.window->Shape)
            f->setVisible(f == m.window->Shape[2]);
        emit m.window->findChild<Unischbar *>("Unischbar1")->Click();
        QCOMPARE(markers(*m.window), QStringLiteral("1010"));
        m.window->close();
        QVERIFY(!m.bed.serial.isOpen());
        Measuring n(QStringLiteral("ArmRe"));
        n.window->cmdBeenden_Click();
        QVERIFY(!n.bed.serial.isOpen());
    }
};

QTEST_MAIN(tst_DeviceWindow)
#include "tst_devicewindow.moc"
