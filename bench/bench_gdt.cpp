// How long the GDT exchange takes in memory: writing the 6310 of a measurement with every
// value set (goal: under 10 ms) and reading a 6302 request.
#include "gdt/GdtRequest.h"
#include "gdt/GdtResult.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>

using namespace kavio;
using namespace kavio::gdt;

namespace {

ResultInput fullResult()
{
    ResultInput in;
    in.receiverId = QStringLiteral("PRAX");
    in.senderId = QStringLiteral("KAVI");
    in.patientNumber = QStringLiteral("4711");
    in.person = {12, QStringLiteral("Müller-Lüdenscheidt"), QStringLiteral("Anna-Sophie"), QDate(1958, 3, 14)};
    in.sex = clinical::Sex::Female;
    in.segment = segmentByCode(QStringLiteral("BL"));
    for (Frequency f : kFrequencies)
        in.values[f] = {qint16(520 - 40 * int(f)), qint16(48 + int(f)), qint16(536 - 40 * int(f))};
    in.day = QDate(2026, 3, 2);
    in.time = QTime(9, 15, 30);
    in.findings = QStringLiteral("Arme: rechts 3,1 % über links, im Rahmen. Beine: links 6,4 % über rechts, "
                                 "über der Schwelle von 5 % für das Bein links. Verlauf gegenüber der "
                                 "Voruntersuchung: Resistanz nach Therapie gestiegen.");
    return in;
}

QByteArray requestBytes()
{
    Record r;
    r.add(field::kRecordType, QStringLiteral("6302"));
    r.add(field::kRecordLength, {});
    r.add(field::kReceiverId, QStringLiteral("KAVI"));
    r.add(field::kSenderId, QStringLiteral("PRAX"));
    r.add(field::kVersion, QStringLiteral("02.10"));
    r.add(field::kCharset, QStringLiteral("2"));
    r.add(field::kPatientNumber, QStringLiteral("4711"));
    r.add(field::kName, QStringLiteral("Müller-Lüdenscheidt"));
    r.add(field::kFirstName, QStringLiteral("Anna-Sophie"));
    r.add(field::kBirthDate, QStringLiteral("14031958"));
    r.add(field::kSex, QStringLiteral("2"));
    return *serialize(r, Charset::Cp437).value;
}

} // namespace

// Runs one exchange step per iteration. Successes are counted rather than kept in a bool
// passed to DoNotOptimize: that bool read back false here (GCC 12) although every call had
// succeeded.
template <typename Step> void timeStep(benchmark::State &state, Step step, const char *failure)
{
    qint64 succeeded = 0;
    for (auto _ : state) {
        auto outcome = step();
        benchmark::DoNotOptimize(outcome);
        succeeded += outcome.ok() ? 1 : 0;
    }
    if (succeeded != qint64(state.iterations()))
        state.SkipWithError(failure);
}

static void BM_WriteResult(benchmark::State &state)
{
    const ResultInput in = fullResult();
    timeStep(
        state, [&] { return writeResult(in); }, "the result was not written");
    state.counters["bytes"] = double(writeResult(in).value.value_or(QByteArray()).size());
    state.SetLabel("goal < 10 ms");
}
BENCHMARK(BM_WriteResult)->Unit(benchmark::kMicrosecond);

static void BM_ReadRequest(benchmark::State &state)
{
    const QByteArray bytes = requestBytes();
    timeStep(
        state, [&] { return readRequest(bytes); }, "the request was not read");
}
BENCHMARK(BM_ReadRequest)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    return kavio::bench::runBenchmarks(argc, argv);
}
