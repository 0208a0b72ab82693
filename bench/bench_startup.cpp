// Time from process start to the main window shown (splash left by a key, start-up
// question answered No), beside an empty Qt Widgets window started in the same run.
// Goals: at most 2 times the empty window with an empty Segmente.mdb, at most 3 times
// with 100,000 persons.
#include "DemoInstallation.h"
#include "ListData.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

namespace {

QMap<QString, QList<double>> g_ms; // benchmark -> milliseconds of each start

// A program installation: settings files, program folder with Segmente.mdb of n persons.
struct Installation {
    explicit Installation(int persons)
    {
        const QString machine = dir.path() + QStringLiteral("/etc/xdg/KavioSegment/registry");
        const QString user = dir.path() + QStringLiteral("/home/.config/KavioSegment/registry");
        kavio::demo::writeRegistryFiles(machine, user, kavio::demo::HostSettings{});
        QDir().mkpath(program());
        kavio::bench::addPersons(program() + QStringLiteral("/Segmente.mdb"), persons);
    }
    QString program() const { return dir.path() + QStringLiteral("/program"); }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), dir.path() + QStringLiteral("/etc/xdg"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path() + QStringLiteral("/home/.config"));
        return env;
    }
    QTemporaryDir dir;
};

void run(benchmark::State &state, const char *key, const QStringList &args, const QProcessEnvironment &env)
{
    QList<double> &times = g_ms[QString::fromLatin1(key)];
    for (auto _ : state) {
        QProcess probe;
        probe.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        probe.start(QStringLiteral(KAVIO_STARTUP_PROBE), args);
        if (!probe.waitForFinished(60000) || probe.exitCode() != 0) {
            state.SkipWithError("the program did not start");
            return;
        }
        times << t.nsecsElapsed() / 1e6;
    }
}

void BM_EmptyQtWindow(benchmark::State &state)
{
    const Installation none(0);
    run(state, "empty", {QStringLiteral("empty")}, none.environment());
}

void BM_StartEmptyDatabase(benchmark::State &state)
{
    const Installation inst(0);
    run(state, "plain", {QStringLiteral("kavio"), inst.program()}, inst.environment());
}

void BM_Start100000Persons(benchmark::State &state)
{
    const Installation inst(100000);
    run(state, "full", {QStringLiteral("kavio"), inst.program()}, inst.environment());
}

// Until the person list, read after the window is shown, is bound as well.
void BM_Start100000PersonsListReady(benchmark::State &state)
{
    const Installation inst(100000);
    run(state, "ready", {QStringLiteral("ready"), inst.program()}, inst.environment());
}

double median(QList<double> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

BENCHMARK(BM_EmptyQtWindow)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_StartEmptyDatabase)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_Start100000Persons)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_Start100000PersonsListReady)->Unit(benchmark::kMillisecond)->Iterations(15);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double empty = median(g_ms.value(QStringLiteral("empty")));
    const double plain = median(g_ms.value(QStringLiteral("plain")));
    const double full = median(g_ms.value(QStringLiteral("full")));
    const double ready = median(g_ms.value(QStringLiteral("ready")));
    if (empty > 0) {
        std::printf("median empty Qt window:            %8.1f ms\n", empty);
        std::printf("median start, empty Segmente.mdb:  %8.1f ms  ratio %.2f (goal <= 2)\n", plain, plain / empty);
        std::printf("median start, 100000 persons:      %8.1f ms  ratio %.2f (goal <= 3)\n", full, full / empty);
        std::printf("  ... and the person list read:    %8.1f ms  (for information)\n", ready);
    }
    return 0;
}
