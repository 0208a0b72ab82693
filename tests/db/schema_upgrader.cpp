// Brings a segment database up to this program's schema version and is killed on the way
// by the test. Every commit the engine is about to make is reported at once ("C <n>");
// at the commit whose number is the second argument it stops and waits to be killed.
// A completed run ends with "fertig"; a failure with "E <code> <text>".
#include "app/Errors.h"
#include "db/Schema.h"

#include <cstdio>
#include <QCoreApplication>
#include <sqlite3.h>
#include <unistd.h>

using namespace kavio;

namespace {

int g_stopAt = 0;
int g_commits = 0;

int onCommit(void *)
{
    std::printf("C %d\n", ++g_commits);
    std::fflush(stdout);
    while (g_commits == g_stopAt)
        ::pause();
    return 0;
}

// Every connection the program opens gets the hook, whichever code opens it.
int installHook(sqlite3 *db, char **, const sqlite3_api_routines *)
{
    sqlite3_commit_hook(db, onCommit, nullptr);
    return SQLITE_OK;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    g_stopAt = app.arguments().value(2).toInt();
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(installHook));
    try {
        ensureSegmentDatabase(app.arguments().value(1));
    } catch (const KavioError &e) {
        std::printf("E %d %s\n", e.number(), qPrintable(e.description()));
        return 1;
    }
    std::printf("fertig\n");
    return 0;
}
