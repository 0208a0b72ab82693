// The connection to the server cut at the moments that matter for a store: before the
// commit, with the commit swallowed, and with the commit's answer lost, the server staying
// reachable or not. The store says what became of it, and that is what the table holds;
// the window keeps the operator's values and stores them at the next attempt.
#include "db/PostgresRepository.h"
#include "db/ServerConnectionLost.h"
#include "Saves.h"
#include "TestServer.h"
#include "WindowDriver.h"

#include <QMutex>
#include <QPointer>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>

using namespace kavio;
using namespace kavio::test;

enum class Cut {
    BeforeStatement, // the statement with the trigger never reaches the server
    AnswerLost,      // the statement runs on the server, its answer never comes back
};
Q_DECLARE_METATYPE(Cut)

namespace {

// Passes connections through to the server. Once armed, it cuts the connection that sends
// the trigger text, as a broken network or a stopped server would; with refuse, the server
// then stays out of reach (the listener closed, every other connection cut).
class CuttingProxy : public QThread {
public:
    CuttingProxy(QString host, int port) : m_host(std::move(host)), m_port(port)
    {
        start();
        m_ready.acquire();
    }
    ~CuttingProxy() override
    {
        quit();
        wait();
    }
    int port() const { return m_listenPort; }
    void arm(const QByteArray &trigger, Cut cut, bool refuse)
    {
        const QMutexLocker locked(&m_lock);
        m_trigger = trigger;
        m_cut = cut;
        m_refuse = refuse;
    }

protected:
    void run() override
    {
        QTcpServer listener;
        listener.listen(QHostAddress::LocalHost);
        m_listenPort = listener.serverPort();
        QList<QPointer<QTcpSocket>> open;
        const auto cutAll = [&] {
            listener.close();
            for (QTcpSocket *s : open)
                if (s)
                    s->abort();
        };
        QObject::connect(&listener, &QTcpServer::newConnection, [&] {
            while (QTcpSocket *client = listener.nextPendingConnection()) {
                auto *server = new QTcpSocket(client);
                open << client << server;
                auto pending = std::make_shared<QByteArray>();
                auto cutOnAnswer = std::make_shared<int>(0);
                QObject::connect(server, &QTcpSocket::connected, server, [server, pending] {
                    server->write(*pending);
                    pending->clear();
                });
                QObject::connect(client, &QTcpSocket::readyRead, client, [=, this, &cutAll] {
                    const QByteArray bytes = client->readAll();
                    QMutexLocker locked(&m_lock);
                    const bool hit = !m_trigger.isEmpty() && bytes.contains(m_trigger);
                    const Cut cut = m_cut;
                    const bool refuse = m_refuse;
                    if (hit)
                        m_trigger.clear();
                    locked.unlock();
                    if (hit && cut == Cut::BeforeStatement) {
                        client->abort();
                        server->abort();
                        if (refuse)
                            cutAll();
                        return;
                    }
                    if (hit)
                        *cutOnAnswer = refuse ? 2 : 1;
                    if (server->state() == QAbstractSocket::ConnectedState)
                        server->write(bytes);
                    else
                        pending->append(bytes);
                });
                QObject::connect(server, &QTcpSocket::readyRead, server, [=, &cutAll] {
                    const QByteArray bytes = server->readAll();
                    if (!*cutOnAnswer) {
                        client->write(bytes);
                        return;
                    }
                    client->abort();
                    server->abort();
                    if (*cutOnAnswer == 2)
                        cutAll();
                });
                QObject::connect(client, &QTcpSocket::disconnected, server, &QTcpSocket::disconnectFromHost);
                QObject::connect(server, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
                server->connectToHost(m_host, quint16(m_port));
            }
        });
        m_ready.release();
        exec();
    }

private:
    QString m_host;
    int m_port;
    int m_listenPort = 0;
    QSemaphore m_ready;
    QMutex m_lock;
    QByteArray m_trigger;
    Cut m_cut = Cut::BeforeStatement;
    bool m_refuse = false;
};

const SegmentInfo &kArm = kSegments[0];
const QDate kDay(2026, 12, 7);

} // namespace

class TestConnectionLoss : public QObject {
    Q_OBJECT
private slots:
    void storeTellsWhatBecameOfIt_data();
    void storeTellsWhatBecameOfIt();
    void windowKeepsTheValuesAndStoresThemNextTime();
};

void TestConnectionLoss::storeTellsWhatBecameOfIt_data()
{
    QTest::addColumn<bool>("second"); // the store cut is a second measurement
    QTest::addColumn<QByteArray>("trigger");
    QTest::addColumn<Cut>("cut");
    QTest::addColumn<bool>("refuse");
    QTest::addColumn<QString>("told");  // "stored", "not stored", "unknown"
    QTest::addColumn<int>("rowsAfter"); // rows of the day in the table afterwards
    QTest::newRow("cut before the insert")
        << false << QByteArray("INSERT") << Cut::BeforeStatement << false << "not stored" << 0;
    QTest::newRow("commit swallowed") << false << QByteArray("COMMIT") << Cut::BeforeStatement << false << "not stored"
                                      << 0;
    QTest::newRow("commit's answer lost") << false << QByteArray("COMMIT") << Cut::AnswerLost << false << "stored" << 1;
    QTest::newRow("answer lost, server gone")
        << false << QByteArray("COMMIT") << Cut::AnswerLost << true << "unknown" << 1;
    QTest::newRow("commit swallowed, server gone")
        << false << QByteArray("COMMIT") << Cut::BeforeStatement << true << "unknown" << 0;
    QTest::newRow("second: commit swallowed")
        << true << QByteArray("COMMIT") << Cut::BeforeStatement << false << "not stored" << 0;
    QTest::newRow("second: answer lost") << true << QByteArray("COMMIT") << Cut::AnswerLost << false << "stored" << 1;
}

void TestConnectionLoss::storeTellsWhatBecameOfIt()
{
    QFETCH(bool, second);
    QFETCH(QByteArray, trigger);
    QFETCH(Cut, cut);
    QFETCH(bool, refuse);
    QFETCH(QString, told);
    QFETCH(int, rowsAfter);
    KAVIO_TEST_SERVER(server);
    const TestSchema schema(*server);
    CuttingProxy proxy(schema.address().host, schema.address().port);
    ServerAddress viaProxy = schema.address();
    viaProxy.port = proxy.port();
    viaProxy.commitCheckSeconds = 2;

    PostgresRepository repo(viaProxy);
    QCOMPARE(repo.storeFirst(kArm, 1, kDay, QTime(8, 0), reading(1, 500, 3, 4, 50, 6)).outcome, SaveOutcome::Stored);
    proxy.arm(trigger, cut, refuse);
    QString outcome;
    try {
        const SaveResult result = second ? repo.storeSecond(kArm, 1, kDay, reading(7, 600, 9))
                                         : repo.storeFirst(kArm, 1, kDay, QTime(9, 0), reading(1, 600, 3, 4, 60, 6));
        outcome = result.outcome == SaveOutcome::Stored && result.messId > 0 ? "stored" : "refused";
    } catch (const ServerConnectionLost &e) {
        outcome = e.outcomeUnknown() ? "unknown" : "not stored";
    }
    QCOMPARE(outcome, told);
    const QString written = second ? "W50N = 600 AND W5N = 7" : "W50 = 600";
    QCOMPARE(schema.scalar("SELECT count(*) FROM ArmLi WHERE " + written).toInt(), rowsAfter);
    if (refuse)
        return;
    // The next operation connects afresh without a word to the operator.
    QCOMPARE(repo.counts(1).of(kArm), second ? 1 : 1 + rowsAfter);
}

void TestConnectionLoss::windowKeepsTheValuesAndStoresThemNextTime()
{
    KAVIO_TEST_SERVER(server);
    const TestSchema schema(*server);
    CuttingProxy proxy(schema.address().host, schema.address().port);
    PostgresRepository(schema.address()).storePerson({"Bauer", "Anna", " ", "17.05.1960", " ", " ", " ", " ", " "});

    Window win;
    for (auto [key, value] : {std::pair{"Art", QStringLiteral("PostgreSQL")},
                              {"Server", schema.address().host},
                              {"Port", QString::number(proxy.port())},
                              {"Datenbank", schema.address().database},
                              {"Benutzer", schema.address().user},
                              {"Schema", schema.address().schema}})
        win.bed.settings.setOwnSetting(QStringLiteral("KavioSegment"), QStringLiteral("Datenbank"),
                                       QString::fromLatin1(key), value);
    win.open();
    win.choose(1, QStringLiteral("optAL"));
    click(*win.w, QStringLiteral("optEineBeh"));
    const QStringList typed{"520", "480", "455", "31", "52", "47"};
    const QList<Quantity> quantities{Quantity::W5,  Quantity::W50,  Quantity::W100,
                                     Quantity::Xc5, Quantity::Xc50, Quantity::Xc100};
    for (int i = 0; i < typed.size(); ++i)
        valueField(*win.w, quantities[i], kArm)->setText(typed[i]);
    win.bed.messages.clear();

    proxy.arm("INSERT", Cut::BeforeStatement, false);
    click(*win.w, QStringLiteral("cmdSaveMess"));
    QCOMPARE(win.bed.messages.texts().size(), 1);
    const QString told = win.bed.messages.texts()[0];
    QVERIFY2(told.startsWith(QStringLiteral("Die Messung wurde nicht gespeichert")) && !told.contains("()"),
             qPrintable(told));
    for (int i = 0; i < typed.size(); ++i)
        QCOMPARE(valueField(*win.w, quantities[i], kArm)->text(), typed[i]);
    QVERIFY(control(*win.w, QStringLiteral("cmdSaveMess"))->isVisible());
    QCOMPARE(schema.scalar(QStringLiteral("SELECT count(*) FROM ArmLi")).toInt(), 0);

    win.bed.messages.clear();
    click(*win.w, QStringLiteral("cmdSaveMess"));
    QCOMPARE(win.bed.messages.texts(), QStringList());
    QCOMPARE(schema.scalar(QStringLiteral("SELECT count(*) FROM ArmLi WHERE W50 = 480 AND Xc100 = 47")).toInt(), 1);
    QCOMPARE(gridRows(*win.w, QStringLiteral("grdMessungen")), 2); // the heading and the row
}

QTEST_MAIN(TestConnectionLoss)
#include "tst_connection_loss.moc"
