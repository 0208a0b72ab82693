// Search as you type in the person administration: a host database of 100,000 persons,
// one keystroke's refill of the list.
#include "db/Database.h"
#include "db/SqliteRepository.h"
#include "db/Statements.h"
#include "persons/frmImport.h"
#include "persons/PersonAdmin.h"
#include "TestBed.h"

#include "BenchMain.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSqlQuery>

using namespace kavio;

namespace {

constexpr int kPersons = 100000;

// Surnames built from German pieces, umlauts and a few with quotes, so that the
// prefixes below hit a realistic share of the list.
QList<demo::HostPerson> manyPersons()
{
    static const char *heads[] = {"Mü", "Ma", "Me", "Sch", "Schm", "Be", "Bä", "Kr", "Krü", "Ö",  "Ä",   "Ho", "Hö",
                                  "We", "Wa", "Fi", "Ba",  "Br",   "Ke", "Kö", "La", "Lo",  "Ne", "No",  "Ri", "Ro",
                                  "Sa", "Se", "St", "Ta",  "Th",   "Vo", "Wi", "Zi", "Ga",  "Gr", "Gro", "Ha", "He",
                                  "Ja", "Je", "Pa", "Pe",  "Fr",   "Di", "Do", "Ei", "Er",  "Al", "Ab",  "O'"};
    static const char *middles[] = {"l", "ll", "rt", "nn", "ck", "tz", "ß", "s", "r", "nd", "ch", "b", "g", "m"};
    static const char *tails[] = {"er",   "mann",  "ler", "ke", "el", "ner", "berg", "feld",
                                  "rich", "hardt", "i",   "en", "s",  "ow",  "bauer"};
    static const char *firsts[] = {"Anna",   "Jürgen", "Petra",  "Hans",   "Gisela", "Lena",    "Karl", "Sabine",
                                   "Thomas", "Ursula", "Stefan", "Monika", "Dieter", "Claudia", "Jörg", "Özlem"};
    QRandomGenerator rng(42);
    auto pick = [&](const auto &array) {
        return QString::fromUtf8(array[rng.bounded(static_cast<int>(std::size(array)))]);
    };
    QList<demo::HostPerson> out;
    out.reserve(kPersons);
    for (int i = 0; i < kPersons; ++i) {
        demo::HostPerson p;
        p.name = pick(heads) + pick(middles) + pick(tails);
        if (rng.bounded(5) == 0)
            p.name = p.name.toUpper();
        p.vorname = pick(firsts);
        p.geschlecht = static_cast<int>(rng.bounded(2));
        p.gebDat = QDate(1930, 1, 1).addDays(rng.bounded(30000));
        p.plz = QString::number(10000 + rng.bounded(89999));
        p.ort = QStringLiteral("Musterstadt");
        p.kennung = QStringLiteral("K-%1").arg(i);
        p.anzMes = static_cast<int>(rng.bounded(40));
        out << p;
    }
    return out;
}

test::TestBed &bed()
{
    static test::TestBed b;
    static const bool written = [] {
        demo::writeHostDatabase(b.biaPath(), manyPersons());
        return true;
    }();
    Q_UNUSED(written);
    return b;
}

const char *kPrefixes[] = {"mü", "SC", "äb", "o'", "zz"};

// The whole keystroke: the window's refill from opening the host database to the list
// shown with its column widths.
void BM_SearchAsYouType(benchmark::State &state)
{
    bImportModus = true;
    QWidget main;
    SqliteRepository segments(bed().segmentePath());
    frmImport window(bed().platform, segments, &main, [] {});
    window.show();
    window.findChild<QLineEdit *>(QStringLiteral("TXT_Archiv_Suche_0"))
        ->setText(QString::fromUtf8(kPrefixes[state.range(0)]));
    for (auto _ : state) {
        window.fillArchivBIA();
        QApplication::processEvents();
    }
    state.SetLabel(kPrefixes[state.range(0)]);
    state.counters["rows"] = window.gridModel().rowCount();
}
BENCHMARK(BM_SearchAsYouType)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// The list statement alone, through the name index.
void BM_PrefixQuery(benchmark::State &state)
{
    DbConnection db = DbConnection::open(bed().biaPath(), OpenMode::ReadOnly);
    qsizetype rows = 0;
    for (auto _ : state)
        rows = readPersonList(db, QString::fromUtf8(kPrefixes[state.range(0)])).size();
    state.SetLabel(kPrefixes[state.range(0)]);
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_PrefixQuery)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// For comparison: folding every surname of the table.
void BM_PrefixQueryFoldingEveryName(benchmark::State &state)
{
    DbConnection db = DbConnection::open(bed().biaPath(), OpenMode::ReadOnly);
    int rows = 0;
    for (auto _ : state) {
        QSqlQuery q = db.exec(sql::importListByPrefix(),
                              {sql::foldedPrefixPattern(QString::fromUtf8(kPrefixes[state.range(0)]))});
        rows = 0;
        while (q.next())
            ++rows;
    }
    state.SetLabel(kPrefixes[state.range(0)]);
    state.counters["rows"] = rows;
}
BENCHMARK(BM_PrefixQueryFoldingEveryName)->Arg(0)->Unit(benchmark::kMillisecond);

// An empty search box lists all 100,000 persons (when the last letter is taken away).
void BM_EmptySearchListsAll(benchmark::State &state)
{
    bImportModus = true;
    QWidget main;
    SqliteRepository segments(bed().segmentePath());
    frmImport window(bed().platform, segments, &main, [] {});
    window.show();
    for (auto _ : state) {
        window.fillArchivBIA();
        QApplication::processEvents();
    }
    state.counters["rows"] = window.gridModel().rowCount();
}
BENCHMARK(BM_EmptySearchListsAll)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    return kavio::bench::runBenchmarks(argc, argv, [] { bed(); });
}
