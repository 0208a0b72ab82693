// The shared database on the PostgreSQL server beside the SQLite file, in one run, on the
// same data: 100,000 persons, 100,000 measurements (1,000 persons x 25 x 4 segments).
// Argument 0: SQLite, 1: PostgreSQL (KAVIO_PG_SERVER "host port user database", as
// scripts/pg-test-server.sh writes it). Goals on a local server: saving a first
// measurement < 20 ms, the person list of 100,000 < 500 ms, a keystroke of the person
// search < 30 ms.
#include "app/Conversions.h"
#include "db/Database.h"
#include "db/RepositoryChoice.h"
#include "db/Statements.h"
#include "persons/frmImport.h"
#include "TestBed.h"
#include "TestServer.h"
#include "WindowDriver.h"
#include "workstation/frmMain.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>

using namespace kavio;
using namespace kavio::test;

namespace {

constexpr int kPersons = 100000;
constexpr int kMeasuredPersons = 1000;
constexpr int kRowsPerPersonAndSegment = 25;
constexpr int kBatch = 500;
const char *const kPrefixes[] = {"mü", "SC", "äb", "o'", "zz"};

// Runs "INSERT ... VALUES" with rows of the given width in batches.
void insertRows(const DbConnection &db, const QString &head, int width, int rows,
                const std::function<QVariantList(int)> &row)
{
    const QString one =
        QLatin1Char('(') + QStringList(width, QStringLiteral("?")).join(QLatin1Char(',')) + QLatin1Char(')');
    db.transaction([&] {
        for (int start = 0; start < rows; start += kBatch) {
            const int n = std::min(kBatch, rows - start);
            QVariantList values;
            for (int i = start; i < start + n; ++i)
                values << row(i);
            db.exec(head + QStringList(n, one).join(QLatin1Char(',')), values);
        }
    });
}

void fill(const DbConnection &db)
{
    static const QStringList stems{"Müller", "Schmidt",  "Schneider", "Fischer",  "Weber",     "Meyer",
                                   "Wagner", "Becker",   "Schulz",    "Hoffmann", "Schäfer",   "Strauß",
                                   "Öztürk", "Äbischer", "O'Neil",    "Krüger",   "Zimmermann"};
    static const QStringList first{"Anna", "Jürgen", "Sören", "Käthe", "Hans-Peter", "Özlem", "Ben"};
    insertRows(db, QStringLiteral("INSERT INTO Teilnehmer (Name, VorName, GebDat, PLZ, Ort, Kennung, AnzMes) VALUES "),
               7, kPersons, [](int i) {
                   return QVariantList{stems[i % stems.size()] + (i % 7 ? QString::number(i % 2003) : QString()),
                                       first[(i / 3) % first.size()],
                                       isoDate(QDate(1930, 1, 1).addDays((i * 37) % 30000)),
                                       QStringLiteral("12345"),
                                       QStringLiteral("Musterstadt"),
                                       QStringLiteral("K-%1").arg(i),
                                       0};
               });
    for (const SegmentInfo &s : kSegments)
        insertRows(db,
                   QStringLiteral("INSERT INTO %1 (FKTN, Datum, Uhrzeit, W5, W50, W100, Xc5, Xc50, Xc100) VALUES ")
                       .arg(QLatin1String(s.table)),
                   9, kMeasuredPersons * kRowsPerPersonAndSegment, [](int i) {
                       return QVariantList{1 + i / kRowsPerPersonAndSegment,
                                           isoDate(QDate(2024, 1, 1).addDays((i % kRowsPerPersonAndSegment) * 7)),
                                           QStringLiteral("09:00:00"),
                                           520,
                                           480,
                                           455,
                                           31,
                                           52,
                                           47};
                   });
}

// One filled database per engine, kept for the whole run; nullptr without a server.
TestBed *bedOf(int engine)
{
    static std::unique_ptr<TestBed> beds[2];
    static std::unique_ptr<TestSchema> schema;
    if (beds[engine])
        return beds[engine].get();
    auto bed = std::make_unique<TestBed>();
    if (engine == 0) {
        fill(DbConnection::open(bed->segmentePath()));
    } else {
        QString why;
        const std::optional<ServerAddress> server = testServerAddress(&why);
        if (!server)
            return nullptr;
        schema = std::make_unique<TestSchema>(*server);
        const ServerAddress &a = schema->address();
        const QStringList pairs{"Art",       "PostgreSQL", "Server",   a.host, "Port",   QString::number(a.port),
                                "Datenbank", a.database,   "Benutzer", a.user, "Schema", a.schema};
        for (qsizetype i = 0; i < pairs.size(); i += 2)
            bed->settings.setOwnSetting(QStringLiteral("KavioSegment"), QStringLiteral("Datenbank"), pairs[i],
                                        pairs[i + 1]);
        createRepository(bed->platform)->counts(1); // sets the schema up
        const DbConnection db = DbConnection::openServer(a);
        fill(db);
        db.run(QStringLiteral("ANALYZE"));
    }
    beds[engine] = std::move(bed);
    return beds[engine].get();
}

const char *engineName(int engine)
{
    return engine == 0 ? "SQLite" : "PostgreSQL";
}

void BM_SaveFirstMeasurement(benchmark::State &state)
{
    TestBed *bed = bedOf(int(state.range(0)));
    if (!bed)
        return state.SkipWithError("kein PostgreSQL-Server (KAVIO_PG_SERVER)");
    frmMain w(bed->platform);
    w.session().chooseSegment(&kSegments[0]);
    w.LeereAlleFelder();
    w.findChild<QRadioButton *>(QStringLiteral("optEineBeh"))->setChecked(true);
    valueField(w, Quantity::W50, kSegments[0])->setText(QStringLiteral("480"));
    valueField(w, Quantity::Xc50, kSegments[0])->setText(QStringLiteral("52"));
    bed->messages.clear();
    int person = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.session().choosePerson({person++ % kMeasuredPersons + 1, QStringLiteral("Name"), QStringLiteral("V"), {}});
        state.ResumeTiming();
        w.cmdSaveMess_Click();
        if (!w.session().stored() || bed->messages.count() != 0)
            state.SkipWithError("the save did not go through");
    }
    state.SetLabel(std::string(engineName(int(state.range(0)))) + ", goal < 20 ms");
}
BENCHMARK(BM_SaveFirstMeasurement)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_FillPersonList(benchmark::State &state)
{
    TestBed *bed = bedOf(int(state.range(0)));
    if (!bed)
        return state.SkipWithError("kein PostgreSQL-Server (KAVIO_PG_SERVER)");
    frmMain w(bed->platform);
    bed->messages.clear();
    auto *list = w.findChild<QTableView *>(QStringLiteral("ocxFlex"));
    for (auto _ : state) {
        w.fillPersonList();
        benchmark::DoNotOptimize(list->model()->rowCount());
    }
    if (list->model()->rowCount() < kPersons || bed->messages.count() != 0)
        state.SkipWithError(qPrintable(QStringLiteral("the list is not complete: %1 rows, messages: %2")
                                           .arg(list->model()->rowCount())
                                           .arg(bed->messages.texts().join(" | "))));
    state.SetLabel(std::string(engineName(int(state.range(0)))) + ", 100000 persons, goal < 500 ms");
}
BENCHMARK(BM_FillPersonList)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// One keystroke's refill of the person window's list from the segment database (the
// list of delete mode): the persons whose surname starts with the text, shown. The host's
// person database of import mode is a local file on every workstation and is measured in
// bench_persons.
void BM_SearchAsYouType(benchmark::State &state)
{
    const int engine = int(state.range(0)) / 10;
    const char *prefix = kPrefixes[state.range(0) % 10];
    TestBed *bed = bedOf(engine);
    if (!bed)
        return state.SkipWithError("kein PostgreSQL-Server (KAVIO_PG_SERVER)");
    bImportModus = false;
    QWidget main;
    const std::unique_ptr<SegmentRepository> segments = createRepository(bed->platform);
    frmImport window(bed->platform, *segments, &main, [] {});
    window.show();
    window.findChild<QLineEdit *>(QStringLiteral("TXT_Archiv_Suche_0"))->setText(QString::fromUtf8(prefix));
    for (auto _ : state) {
        window.fillArchivSegmente();
        QApplication::processEvents();
    }
    bImportModus = true;
    state.SetLabel(std::string(engineName(engine)) + " '" + prefix + "', goal < 30 ms");
    state.counters["rows"] = window.gridModel().rowCount();
}
BENCHMARK(BM_SearchAsYouType)->DenseRange(0, 4)->DenseRange(10, 14)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return kavio::bench::runBenchmarks(argc, argv);
}
