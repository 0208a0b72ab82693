// The server restarted while four workstations store: every store reported as done is there,
// none reported as failed is, and each workstation goes on storing after its failure. The
// server is the test's own, so the restart disturbs no other test.
#include "app/Errors.h"
#include "db/PostgresRepository.h"
#include "Saves.h"
#include "TestServer.h"

#include <atomic>
#include <QMutex>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <thread>

using namespace kavio;
using namespace kavio::test;

namespace {

constexpr int kWorkstations = 4;
constexpr int kStores = 150;

// Runs scripts/pg-test-server.sh; false with its output when it fails.
bool serverScript(const QString &command, const QString &folder, QString *output)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("KAVIO_PG_SERVER"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("bash"),
            {qEnvironmentVariable("KAVIO_SOURCE_DIR") + QStringLiteral("/scripts/pg-test-server.sh"), command, folder});
    const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    *output = QString::fromUtf8(p.readAll());
    return ok;
}

struct OwnServer {
    QTemporaryDir dir;
    QString folder = dir.path() + QStringLiteral("/server");
    ~OwnServer()
    {
        QString output;
        serverScript(QStringLiteral("stop"), folder, &output);
    }
};

struct Stores {
    QMutex lock;
    QSet<int> done, failed; // codes: station * kStores + i + 1
    std::atomic_int count{0};
};

void workstation(const ServerAddress &address, int station, Stores &out)
{
    PostgresRepository repo(address);
    for (int i = 0; i < kStores; ++i) {
        const int code = station * kStores + i + 1;
        bool ok = true;
        try {
            repo.storeFirst(kSegments[size_t(station)], 1, QDate(2026, 12, 7), QTime(8, 0).addSecs(code),
                            reading(1, qint16(code), 3, 4, 5, 6));
        } catch (const KavioError &) {
            ok = false;
        }
        const QMutexLocker locked(&out.lock);
        (ok ? out.done : out.failed).insert(code);
        ++out.count;
        if (!ok) // the server needs a moment to come back
            QThread::msleep(200);
    }
}

} // namespace

class TestServerRestart : public QObject {
    Q_OBJECT
private slots:
    void storesSurviveARestart();
};

void TestServerRestart::storesSurviveARestart()
{
    OwnServer server;
    QString output;
    if (!serverScript(QStringLiteral("start"), server.folder, &output)) {
        if (serverTestsOptedOut())
            QSKIP("KAVIO_PG_SKIP=1");
        QFAIL(qPrintable(output));
    }
    qunsetenv("KAVIO_PG_SERVER");
    qputenv("KAVIO_PG_ADDRESS_FILE", (server.folder + QStringLiteral("/address")).toUtf8());
    QString why;
    const std::optional<ServerAddress> address = testServerAddress(&why);
    QVERIFY2(address, qPrintable(why));
    const TestSchema schema(*address);
    PostgresRepository(schema.address()).counts(1); // sets the schema up before the stores

    Stores stores;
    std::vector<std::thread> stations;
    for (int s = 0; s < kWorkstations; ++s)
        stations.emplace_back(workstation, schema.address(), s, std::ref(stores));
    while (stores.count < kWorkstations * kStores / 3)
        QThread::msleep(5);
    const bool restarted = serverScript(QStringLiteral("restart"), server.folder, &output);
    for (std::thread &t : stations)
        t.join();
    QVERIFY2(restarted, qPrintable(output));

    QSet<int> present;
    PostgresRepository reader(schema.address());
    for (const SegmentInfo &s : kSegments)
        for (const Measurement &m : reader.measurements(s, 1, MeasurementOrder::OldestFirst))
            present.insert(*m[Frequency::kHz50].r);
    QCOMPARE(QSet<int>(present).subtract(stores.done), QSet<int>());
    QCOMPARE(QSet<int>(stores.done).subtract(present), QSet<int>());
    QVERIFY(!stores.failed.isEmpty());        // the restart was met
    for (int s = 0; s < kWorkstations; ++s) { // each stores again after its first failure
        int firstFailed = 0, lastDone = 0;
        for (int code = s * kStores + 1; code <= (s + 1) * kStores; ++code) {
            firstFailed = firstFailed ? firstFailed : (stores.failed.contains(code) ? code : 0);
            lastDone = stores.done.contains(code) ? code : lastDone;
        }
        QVERIFY2(lastDone > firstFailed, qPrintable(QStringLiteral("workstation %1").arg(s)));
    }
}

QTEST_MAIN(TestServerRestart)
#include "tst_server_restart.moc"
