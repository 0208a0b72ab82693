// Backup of a large segment database against a plain copy of the same file.
#include "backup/BackupFiles.h"
#include "db/Schema.h"
#include "db/Segments.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sqlite3.h>
#include <unistd.h>

using namespace kavio;

namespace {

// A program folder with a Segmente.mdb of about 100 MB, made once per run.
struct LargeDatabase {
    QTemporaryDir dir;
    QString live;
    LargeDatabase()
    {
        live = dir.filePath(QStringLiteral("Segmente.mdb"));
        ensureSegmentDatabase(live);
        sqlite3 *db = nullptr;
        sqlite3_open(QFile::encodeName(live).constData(), &db);
        sqlite3_exec(db, "PRAGMA synchronous = OFF; BEGIN", nullptr, nullptr, nullptr);
        int row = 0;
        for (const QString &table : segmentTables()) {
            const QByteArray sql = "INSERT INTO " + table.toLatin1() +
                                   " (FKTN, Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, Xc100, W5N, W50N, W100N)"
                                   " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
            sqlite3_stmt *st = nullptr;
            sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
            for (int i = 0; i < 300000; ++i, ++row) {
                char day[16], time[16];
                std::snprintf(day, sizeof day, "20%02d-%02d-%02d", 10 + i % 16, 1 + i % 12, 1 + i % 28);
                std::snprintf(time, sizeof time, "%02d:%02d:%02d", i % 24, i % 60, (i * 7) % 60);
                sqlite3_bind_int(st, 1, 1 + row % 5000);
                sqlite3_bind_text(st, 2, day, -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(st, 3, time, -1, SQLITE_TRANSIENT);
                for (int f = 4; f <= 12; ++f)
                    sqlite3_bind_int(st, f, 300 + (row * f) % 700);
                sqlite3_step(st);
                sqlite3_reset(st);
            }
            sqlite3_finalize(st);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    qint64 size() const { return QFileInfo(live).size(); }
};

LargeDatabase &database()
{
    static LargeDatabase db;
    return db;
}

void BM_PlainCopy(benchmark::State &state)
{
    LargeDatabase &db = database();
    const QString target = db.dir.filePath(QStringLiteral("plain_Segmente.mdb"));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
        if (!QFile::copy(db.live, target))
            state.SkipWithError("copy failed");
    }
    state.SetBytesProcessed(state.iterations() * db.size());
    state.counters["MB"] = double(db.size()) / 1e6;
}

// The same copy, flushed to the medium before it counts as done.
void BM_PlainCopyFlushed(benchmark::State &state)
{
    LargeDatabase &db = database();
    const QString target = db.dir.filePath(QStringLiteral("flushed_Segmente.mdb"));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
        QFile out;
        if (!QFile::copy(db.live, target)) {
            state.SkipWithError("copy failed");
            break;
        }
        out.setFileName(target);
        if (!out.open(QIODevice::ReadWrite) || ::fsync(out.handle()) != 0)
            state.SkipWithError("flush failed");
    }
    state.SetBytesProcessed(state.iterations() * db.size());
}

void BM_Backup(benchmark::State &state)
{
    LargeDatabase &db = database();
    const QString target = db.dir.filePath(QStringLiteral("06-12-2026_Segmente.mdb"));
    for (auto _ : state) {
        state.PauseTiming(); // the day's first backup, as for the plain copy
        QFile::remove(target);
        state.ResumeTiming();
        QString error;
        if (!DatenbankSichern(db.live, target, false, &error))
            state.SkipWithError(error.toLocal8Bit().constData());
    }
    state.SetBytesProcessed(state.iterations() * db.size());
}

} // namespace

BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond)->Iterations(8);
BENCHMARK(BM_PlainCopyFlushed)->Unit(benchmark::kMillisecond)->Iterations(8);
BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond)->Iterations(8);

BENCHMARK_MAIN();
