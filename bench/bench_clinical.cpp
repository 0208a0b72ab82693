// How long the evaluation of one person takes: phase angle and change through therapy of
// every row, and both left/right ratios with their judgement for a day.
// Goal: a person with 5,000 measurements under 5 ms.
#include "clinical/Clinical.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>

using namespace kavio;

namespace {

// count measurements spread over the four segments, two a day, with every value set.
std::array<QList<Measurement>, 4> personRows(int count)
{
    std::array<QList<Measurement>, 4> rows;
    const QDate first(2010, 1, 4);
    for (int i = 0; i < count; ++i) {
        const size_t segment = size_t(i % 4);
        const int n = i / 4;
        Measurement m;
        m.id = i + 1;
        m.person = 1;
        m.day = first.addDays(n / 2);
        m.time = QTime(9 + (n % 2) * 6, i % 60);
        for (Frequency f : kFrequencies) {
            const int base = 520 - 40 * int(f) + int(segment) * 60 + (i * 7) % 50;
            m.values[f] = {qint16(base), qint16(40 + (i * 3) % 25), qint16(base + (i % 21) - 10)};
        }
        rows[segment].append(m);
    }
    return rows;
}

} // namespace

static void BM_EvaluatePerson(benchmark::State &state)
{
    const auto rows = personRows(int(state.range(0)));
    const QDate day = rows[3].last().day;
    const clinical::PersonFacts facts{clinical::Hand::Right, clinical::Sex::Female, {true, false, false, false}};
    qsizetype figures = 0;
    for (auto _ : state) {
        const clinical::PersonFigures p = clinical::evaluatePerson(rows, day, facts);
        figures = p.rows[0].size() + p.rows[1].size() + p.rows[2].size() + p.rows[3].size();
        benchmark::DoNotOptimize(p.pairs[0].judgement);
        benchmark::DoNotOptimize(p.pairs[1].judgement);
    }
    const clinical::PersonFigures p = clinical::evaluatePerson(rows, day, facts);
    if (figures != state.range(0) || !p.pairs[0].judgement || !p.pairs[1].judgement)
        state.SkipWithError("the evaluation is not complete");
    state.SetLabel("goal < 5 ms for 5000");
}
BENCHMARK(BM_EvaluatePerson)->Arg(5000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return kavio::bench::runBenchmarks(argc, argv);
}
