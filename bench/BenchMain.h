#pragma once

#include <benchmark/benchmark.h>
#include <functional>
#include <QApplication>

namespace kavio::bench {

// Runs the registered benchmarks inside an offscreen Qt application. prepare runs before
// the first benchmark (for example to build a large database once), finish after the last,
// while the application still exists.
inline int runBenchmarks(int argc, char **argv, const std::function<void()> &prepare = {},
                         const std::function<void()> &finish = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (prepare)
        prepare();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (finish)
        finish();
    return 0;
}

} // namespace kavio::bench
