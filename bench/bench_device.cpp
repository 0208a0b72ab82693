// Cost of the receive handler per received character. The line delivers about one
// character per millisecond at 9600 baud, one receive event each.
#include "device/RecordParser.h"
#include "DeviceRecords.h"
#include "TestBed.h"
#include "workstation/frmMain.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <random>

using namespace kavio;

namespace {

// A long stream as a multi-frequency device sends it for one segment, with a little
// line noise between measurements.
QByteArray realisticStream(const QString &code, int measurements)
{
    std::mt19937 random(11);
    QByteArray out;
    for (int i = 0; i < measurements; ++i) {
        for (const int f : {5, 50, 100})
            out += sim::formatRecord(code, f, sim::typicalReading(code, f, random));
        if (i % 4 == 0)
            out += sim::lineNoise(random);
    }
    return out;
}

// The whole handler: one receive event per character through the main window, with the
// fields filled at every record.
void BM_ReceivePerCharacter(benchmark::State &state)
{
    test::TestBed bed;
    frmMain w(bed.platform);
    w.session().chooseSegment(segmentByTable(QStringLiteral("ArmRe")));
    bed.serial.setPortNumber(3);
    bed.serial.open();
    bed.messages.clear(); // the start-up question
    const QByteArray stream = realisticStream(QStringLiteral("AR"), 400);
    qint64 chars = 0;
    for (auto _ : state) {
        for (const char c : stream)
            bed.serial.receive(QByteArray(1, c));
        chars += stream.size();
    }
    state.SetItemsProcessed(chars);
    if (!bed.messages.shown.isEmpty() || !w.session().unsaved())
        state.SkipWithError("the stream was not taken as expected");
}
BENCHMARK(BM_ReceivePerCharacter)->Unit(benchmark::kMillisecond);

// The record parser alone, one character per read.
void BM_ParserPerCharacter(benchmark::State &state)
{
    const QByteArray stream = realisticStream(QStringLiteral("BL"), 400);
    RecordParser parser;
    qint64 chars = 0, records = 0;
    for (auto _ : state) {
        for (const char c : stream)
            parser.feed(QByteArrayView(&c, 1), RecordParser::Mode::Accept, [&](const DeviceRecord &) { ++records; });
        chars += stream.size();
    }
    benchmark::DoNotOptimize(records);
    state.SetItemsProcessed(chars);
}
BENCHMARK(BM_ParserPerCharacter)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return kavio::bench::runBenchmarks(argc, argv);
}
