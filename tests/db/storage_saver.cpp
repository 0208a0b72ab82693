// A separate process that stores measurements into a segment database, for the tests
// that kill it mid-save or run two of it side by side.
//
//   storage_saver <db> loop <person>       first and second saves until killed
//   storage_saver <db> count <person> <n>  n first saves each followed by a second save
//
// Every committed save is reported on stdout at once ("F <MessID>", "S <MessID>"), every
// failure as "E <code> <text>"; "count" ends with "done <stored> <failed>". Values of a
// row hang together (W50 = W5 + 1, ..., Xc100 = W5 + 5; second values W5 + 10, + 11,
// + 12), so a reader can tell a complete row from a torn one.
#include "app/Errors.h"
#include "db/MeasurementStore.h"

#include <cstdio>
#include <QCoreApplication>

using namespace kavio;

namespace {

SegmentValues firstValues(int i)
{
    const auto base = qint16(1000 + i % 20000);
    return {base, qint16(base + 1), qint16(base + 2), qint16(base + 3), qint16(base + 4), qint16(base + 5)};
}

SegmentValues secondValues(int i)
{
    const auto base = qint16(1000 + i % 20000);
    return {qint16(base + 10), qint16(base + 11), qint16(base + 12), 0, 0, 0};
}

void report(const char *kind, qint64 id)
{
    std::printf("%s %lld\n", kind, static_cast<long long>(id));
    std::fflush(stdout);
}

// One first save and, when it went through, the second save into that row. Returns the
// number of failed saves.
int saveOnce(const QString &db, qint32 person, int i)
{
    const QDate day(2026, 12, 6);
    // All rows share one time, so the day's latest row is the newest one: the row just
    // written, across all runs of this process.
    const QTime time(10, 30);
    int failed = 0;
    try {
        const SaveResult first = saveFirstMeasurement(db, QStringLiteral("ArmLi"), person, day, time, firstValues(i));
        report("F", first.messId);
        const SaveResult second = saveSecondMeasurement(db, QStringLiteral("ArmLi"), person, day, secondValues(i));
        if (second.outcome == SaveOutcome::Stored && second.messId == first.messId)
            report("S", second.messId);
        else
            std::printf("X %lld\n", static_cast<long long>(second.messId)); // the wrong row
    } catch (const KavioError &e) {
        std::printf("E %d %s\n", e.number(), qPrintable(e.description()));
        ++failed;
    }
    std::fflush(stdout);
    return failed;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 2;
    const QString db = args[1];
    const QString mode = args[2];
    const qint32 person = args[3].toInt();
    if (mode == QLatin1String("loop")) {
        for (int i = 0;; ++i)
            saveOnce(db, person, i);
    }
    if (mode == QLatin1String("count") && args.size() == 5) {
        const int n = args[4].toInt();
        int failed = 0;
        for (int i = 0; i < n; ++i)
            failed += saveOnce(db, person, i);
        std::printf("done %d %d\n", n - failed, failed);
        return 0;
    }
    return 2;
}
