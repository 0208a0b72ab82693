// Saves first and second measurements of person 1 in a loop until killed, for the test
// that kills it mid-save. Reports every commit at once ("F <MessID>", "S <MessID>"), a
// second save that hit another row as "X <MessID>", a failure as "E <code> <text>".
// The values of a row hang together (W50 = W5 + 1 ... Xc100 = W5 + 5, second values
// W5 + 10 ... + 12), so a reader can tell a complete row from a torn one.
#include "../support/Saves.h"
#include "app/Errors.h"

#include <cstdio>
#include <QCoreApplication>

using namespace kavio;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    SqliteRepository repository(app.arguments().value(1));
    const SegmentInfo &armLi = *segmentByTable(QStringLiteral("ArmLi"));
    for (int i = 0;; ++i) {
        const auto b = qint16(1000 + i % 20000);
        // One time for all rows: the day's latest row is always the one just written.
        try {
            const SaveResult first = repository.storeFirst(
                armLi, 1, QDate(2026, 12, 6), QTime(10, 30),
                test::reading(b, qint16(b + 1), qint16(b + 2), qint16(b + 3), qint16(b + 4), qint16(b + 5)));
            std::printf("F %lld\n", static_cast<long long>(first.messId));
            std::fflush(stdout);
            const SaveResult second = repository.storeSecond(
                armLi, 1, QDate(2026, 12, 6), test::reading(qint16(b + 10), qint16(b + 11), qint16(b + 12)));
            const bool own = second.outcome == SaveOutcome::Stored && second.messId == first.messId;
            std::printf("%s %lld\n", own ? "S" : "X", static_cast<long long>(second.messId));
        } catch (const KavioError &e) {
            std::printf("E %d %s\n", e.number(), qPrintable(e.description()));
        }
        std::fflush(stdout);
    }
}
