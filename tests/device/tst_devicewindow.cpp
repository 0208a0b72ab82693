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
    explicit Measuring(const QString &segment)
    {
        bed.messages.answer({true});
        window = std::make_unique<frmMain>(bed.platform);
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
    void startQuestion_data();
    void startQuestion();
    void manualModeNeverReads();
    void reopeningKeepsTheConfiguration();
    void reopeningFailureIsReported();
    void records_data();
    void records();
    void noSegmentChosen();
    void dataLoss_data();
    void dataLoss();
    void eventsDuringAMessageWait();
    void arbitraryBytes();
    void unischbarShowsTheFirstMarker();
    void portClosedWhenLeaving();
};

void tst_DeviceWindow::startQuestion_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("calls");
    QTest::addColumn<bool>("automatic");
    QTest::newRow("no") << false << "3"
                        << "" << false;
    QTest::newRow("port found") << true << "3"
                                << "rts dtr settings port open close" << true;
    QTest::newRow("port found, other number") << true << "1"
                                              << "rts dtr settings port open close" << true;
    QTest::newRow("no such port") << true << "7"
                                  << "rts dtr settings port open" << false;
    QTest::newRow("port setting missing") << true << ""
                                          << "rts dtr settings" << false;
    QTest::newRow("port setting not a number") << true << "COM3"
                                               << "rts dtr settings" << false;
    QTest::newRow("port beyond 16 bits") << true << "70000"
                                         << "rts dtr settings" << false;
    QTest::newRow("port zero") << true << "0"
                               << "rts dtr settings port open" << false;
}

void tst_DeviceWindow::startQuestion()
{
    QFETCH(bool, answer);
    QFETCH(QString, port);
    QFETCH(QString, calls);
    QFETCH(bool, automatic);
    TestBed bed;
    bed.settings.setAppSetting("KAVIO_PLUS", "Einstellungen", "Port", port);
    bed.messages.answer({answer});
    frmMain w(bed.platform);

    QVERIFY(bed.messages.count() >= 1);
    const auto &question = bed.messages.shown.at(0);
    QCOMPARE(question.text, QStringLiteral("Automatische Messung?"));
    QVERIFY(question.question);
    QCOMPARE(question.icon, MsgIcon::None);
    QCOMPARE(question.title, QString());
    // Nothing else is said unless the port was found.
    QCOMPARE(bed.messages.count(), automatic ? 2 : 1);
    if (automatic) {
        QCOMPARE(bed.messages.shown.at(1).text, QStringLiteral("Eingestellter Com-Port %1 gefunden").arg(port));
        QCOMPARE(bed.messages.shown.at(1).icon, MsgIcon::Information);
        QCOMPARE(bed.serial.settings, QStringLiteral("9600,n,8,1"));
        QVERIFY(bed.serial.rts && bed.serial.dtr);
        QCOMPARE(bed.serial.port, port.toInt());
    }
    QCOMPARE(bed.serial.calls.join(u' '), calls);
    QCOMPARE(w.bAutoMessung, automatic);
    QVERIFY(!bed.serial.isOpen()); // the question leaves the port closed
    for (QLineEdit *f : w.valueFields)
        QCOMPARE(f->isReadOnly(), automatic);
}

void tst_DeviceWindow::manualModeNeverReads()
{
    TestBed bed;
    bed.messages.answer({false});
    frmMain w(bed.platform);
    w.strSegment = QStringLiteral("ArmRe");
    w.reopenPortForMeasurement();
    QCOMPARE(bed.serial.openCount, 0);
    const QString before = field(w, "txtW50ArmRechts");
    trickle(bed.serial, "ARM050 4567,0321,0040;\r\n");
    QCOMPARE(w.MSComm1->strComInBuffer(), QString());
    QCOMPARE(field(w, "txtW50ArmRechts"), before);
    QVERIFY(!w.bMessungUngespeichert);
}

void tst_DeviceWindow::reopeningKeepsTheConfiguration()
{
    Measuring m(QStringLiteral("ArmRe"));
    FakeSerialLine &serial = m.bed.serial;
    QVERIFY(serial.isOpen());
    QCOMPARE(serial.calls.join(u' '), QStringLiteral("rts dtr settings port open close open"));
    QCOMPARE(serial.port, 3);
    // A second confirmation while open changes nothing.
    m.window->reopenPortForMeasurement();
    QCOMPARE(serial.openCount, 2);
    QCOMPARE(m.bed.messages.count(), 0);
}

void tst_DeviceWindow::reopeningFailureIsReported()
{
    TestBed bed;
    bed.messages.answer({true});
    frmMain w(bed.platform);
    QVERIFY(w.bAutoMessung);
    bed.serial.existingPorts.clear(); // another program holds the port now
    bed.messages.clear();
    w.strSegment = QStringLiteral("ArmLi");
    w.reopenPortForMeasurement();
    QCOMPARE(bed.messages.count(), 1);
    QCOMPARE(bed.messages.last().text, QStringLiteral("Der eingestellte Com-Port 3 lässt sich nicht öffnen. Die Werte "
                                                      "des Messgeräts können nicht empfangen werden."));
    QCOMPARE(bed.messages.last().icon, MsgIcon::Stop);
    QVERIFY(!bed.serial.isOpen());
}

void tst_DeviceWindow::records_data()
{
    QTest::addColumn<QString>("segment");
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("fields"); // name=text of every field expected to change
    QTest::addColumn<int>("refusals");
    QTest::addColumn<QString>("markers");
    QTest::addColumn<bool>("pending");

    QTest::newRow("one record") << "ArmRe" << QByteArray("ARM050 4567,0321,0040;\r\n")
                                << QStringList{"txtW50ArmRechts=457", "txtXc50ArmRechts=32"} << 0 << "1000" << true;
    QTest::newRow("three frequencies of leg left")
        << "BeinLi" << QByteArray("BLM005 2700,0127,0027;\r\nBLM050 2481,0265,0061;\r\nBLM100 2335,0229,0056;\r\n")
        << QStringList{"txtW5BeinLinks=270",  "txtXc5Beinlinks=13",   "txtW50BeinLinks=248",
                       "txtXc50BeinLinks=26", "txtW100BeinLinks=234", "txtXc100BeinLinks=23"}
        << 0 << "0001" << true;
    QTest::newRow("leg right at 5 kHz") << "BeinRe" << QByteArray("BRM005 2700,0125;\r\n")
                                        << QStringList{"txtW5BeinRechts=270", "txtXc5BeinRechs=12"} << 0 << "0010"
                                        << true;
    QTest::newRow("arm left at 100 kHz") << "ArmLi" << QByteArray("ALM100 2725,0265;\r\n")
                                         << QStringList{"txtW100ArmLinks=272", "txtXc100ArmLinks=26"} << 0 << "0100"
                                         << true;
    QTest::newRow("wrong segment") << "ArmRe" << QByteArray("BLM050 2481,0265,0061;\r\n") << QStringList{} << 1
                                   << "0000" << false;
    QTest::newRow("wrong segment, then the right one")
        << "ArmRe" << QByteArray("BLM050 2481,0265,0061;\r\nARM050 2900,0310,0061;\r\n")
        << QStringList{"txtW50ArmRechts=290", "txtXc50ArmRechts=31"} << 1 << "1000" << true;
    QTest::newRow("each refused record once") << "ArmLi" << QByteArray("ARM005 1,2;\r\nARM050 1,2;\r\nARM100 1,2;\r\n")
                                              << QStringList{} << 3 << "0000" << false;
    QTest::newRow("no comma takes R only")
        << "ArmRe" << QByteArray("ARM050 4567,0321;\r\nARM050 1000;\r\n")
        << QStringList{"txtW50ArmRechts=100", "txtXc50ArmRechts=32"} << 0 << "1000" << true;
    QTest::newRow("failed conversion keeps the value before")
        << "ArmRe" << QByteArray("ARM050 4567,0321;\r\nARM100 4x,;\r\n")
        << QStringList{"txtW50ArmRechts=457", "txtXc50ArmRechts=32", "txtW100ArmRechts=457", "txtXc100ArmRechts=32"}
        << 0 << "1000" << true;
    QTest::newRow("no frequency tag") << "ArmRe" << QByteArray("ARxxxxx4567,0321;\r\n") << QStringList{} << 0 << "1000"
                                      << false;
    QTest::newRow("noise only") << "ArmRe" << QByteArray("\0\xff;;ALARM;1,2,3;\r\n", 18) << QStringList{} << 0 << "0000"
                                << false;
}

void tst_DeviceWindow::records()
{
    QFETCH(QString, segment);
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, fields);
    QFETCH(int, refusals);
    QFETCH(QString, markers);
    QFETCH(bool, pending);
    Measuring m(segment);
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
    QCOMPARE(m.bed.messages.count(), refusals);
    for (const auto &shown : m.bed.messages.shown) {
        QCOMPARE(shown.text, kWrong);
        QCOMPARE(shown.icon, MsgIcon::Stop);
    }
    QCOMPARE(::markers(w), markers);
    QCOMPARE(w.bMessungUngespeichert, pending);
    QCOMPARE(w.findChild<QPushButton *>("cmdPatientAuswahl")->isEnabled(), !pending);
    QCOMPARE(w.MSComm1->strComInBuffer(), QString::fromLatin1(stream.right(60)));
}

void tst_DeviceWindow::noSegmentChosen()
{
    Measuring m{QString()};
    frmMain &w = *m.window;
    const QString before = field(w, "txtW50ArmRechts");
    trickle(m.bed.serial, "ARM050 4567,0321;\r\nARM100 1234,0321;\r\nARM050 45");
    QCOMPARE(m.bed.messages.texts(), QStringList({kChoose, kChoose}));
    QCOMPARE(m.bed.messages.last().icon, MsgIcon::Stop);
    QVERIFY(m.bed.serial.pending.isEmpty()); // read, not left waiting in the port
    QCOMPARE(field(w, "txtW50ArmRechts"), before);

    // The record begun before the choice never fills the fields; the next one does.
    m.bed.messages.clear();
    w.strSegment = QStringLiteral("ArmRe");
    trickle(m.bed.serial, "67,0321;\r\n");
    QCOMPARE(field(w, "txtW50ArmRechts"), before);
    QVERIFY(!w.bMessungUngespeichert);
    trickle(m.bed.serial, "ARM050 2900,0310;\r\n");
    QCOMPARE(field(w, "txtW50ArmRechts"), QStringLiteral("290"));
    QCOMPARE(m.bed.messages.count(), 0);
}

void tst_DeviceWindow::dataLoss_data()
{
    QTest::addColumn<bool>("overflow");
    QTest::newRow("overrun") << false;
    QTest::newRow("buffer overflow") << true;
}

void tst_DeviceWindow::dataLoss()
{
    QFETCH(bool, overflow);
    Measuring m(QStringLiteral("BeinRe"));
    m.bed.serial.pending = "BRM050 2481,0265;\r\n";
    if (overflow)
        emit m.bed.serial.bufferOverflow();
    else
        emit m.bed.serial.overrun();
    QCOMPARE(m.bed.messages.texts(), QStringList{QStringLiteral("Datenverlust!")});
    QCOMPARE(m.bed.messages.last().icon, MsgIcon::None);
    // What did arrive is still taken.
    QCOMPARE(field(*m.window, "txtW50BeinRechts"), QStringLiteral("248"));
}

void tst_DeviceWindow::eventsDuringAMessageWait()
{
    TestBed bed;
    BoxWithArrivals box(bed.messages);
    Platform platform = bed.platform;
    platform.messages = &box;
    bed.messages.answer({true});
    frmMain w(platform);
    w.strSegment = QStringLiteral("ArmRe");
    w.reopenPortForMeasurement();
    bed.messages.clear();

    const QString before = field(w, "txtW50ArmLinks");
    // While the refusal is on screen the right record arrives, character by character.
    const QString arBefore = field(w, "txtW50ArmRechts");
    QString whileOpen;
    box.whileOpen = [&] {
        trickle(bed.serial, "ARM050 2900,0310;\r\n");
        whileOpen = field(w, "txtW50ArmRechts");
    };
    trickle(bed.serial, "ALM050 1111,0111;\r\n");
    QCOMPARE(bed.messages.texts(), QStringList{kWrong});
    QCOMPARE(whileOpen, arBefore); // nothing handled while the box was open
    QCOMPARE(field(w, "txtW50ArmRechts"), QStringLiteral("290"));
    QCOMPARE(field(w, "txtW50ArmLinks"), before);
    QVERIFY(w.MSComm1->waiting.isEmpty());
    QVERIFY(!w.MSComm1->busy);
}

void tst_DeviceWindow::arbitraryBytes()
{
    // Random bytes in random reads, half of them record-like, with and without a chosen
    // segment: the handler neither crashes nor keeps more than its window, and the fields
    // only ever show 16-bit numbers.
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
    QVERIFY(m.bed.serial.pending.isEmpty());
    QVERIFY(w.MSComm1->waiting.isEmpty());
    for (const auto &shown : m.bed.messages.shown)
        QVERIFY2(shown.text == kWrong || shown.text == kChoose, qPrintable(shown.text));
    for (QLineEdit *f : w.valueFields) {
        if (f->text() == initial.value(f->objectName()))
            continue;
        bool ok = false;
        const int v = f->text().toInt(&ok);
        QVERIFY2(ok && v >= -32768 && v <= 32767, qPrintable(f->objectName() + u'=' + f->text()));
        QVERIFY2(f->objectName().contains(QLatin1String("BeinRe")), qPrintable(f->objectName()));
    }
    // After all that, a sound record is still taken.
    m.bed.serial.receive("BRM100 2335,0229;\r\n");
    QCOMPARE(field(w, "txtW100BeinRechts"), QStringLiteral("234"));
    QCOMPARE(field(w, "txtXc100BeinRechts"), QStringLiteral("23"));
}

void tst_DeviceWindow::unischbarShowsTheFirstMarker()
{
    TestBed bed;
    frmMain w(bed.platform);
    for (QFrame *f : w.Shape)
        f->setVisible(false);
    w.Shape[2]->setVisible(true);
    emit w.findChild<Unischbar *>("Unischbar1")->Click();
    QCOMPARE(markers(w), QStringLiteral("1010"));
}

void tst_DeviceWindow::portClosedWhenLeaving()
{
    {
        Measuring m(QStringLiteral("ArmRe"));
        m.window->close();
        QVERIFY(!m.bed.serial.isOpen());
    }
    {
        Measuring m(QStringLiteral("ArmRe"));
        m.window->cmdBeenden_Click();
        QVERIFY(!m.bed.serial.isOpen());
    }
}

QTEST_MAIN(tst_DeviceWindow)
#include "tst_devicewindow.moc"
