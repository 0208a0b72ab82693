// kavio-migrate: copies a workstation's segment database file into the program's empty
// schema on a PostgreSQL server (see README, "Several workstations").
#include "app/Errors.h"
#include "db/Migration.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kavio-migrate"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Kopiert eine Segmentdatenbank (Segmente.mdb) in das leere "
                                                    "Schema des Programms auf einem PostgreSQL-Server."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("datei"), QStringLiteral("die Segmentdatenbank (Segmente.mdb)"));
    const QCommandLineOption host(QStringLiteral("server"), QStringLiteral("Server"), QStringLiteral("name"),
                                  QStringLiteral("localhost"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port"), QStringLiteral("nummer"),
                                  QStringLiteral("5432"));
    const QCommandLineOption database(QStringLiteral("datenbank"), QStringLiteral("Datenbank"), QStringLiteral("name"),
                                      QStringLiteral("kavio"));
    const QCommandLineOption user(QStringLiteral("benutzer"), QStringLiteral("Benutzer (Kennwort aus ~/.pgpass)"),
                                  QStringLiteral("name"));
    const QCommandLineOption schema(QStringLiteral("schema"), QStringLiteral("Schema"), QStringLiteral("name"),
                                    QStringLiteral("kavio"));
    parser.addOptions({host, port, database, user, schema});
    parser.process(app);
    QTextStream out(stdout), err(stderr);
    if (parser.positionalArguments().size() != 1) {
        err << "Bitte genau eine Segmentdatenbank angeben.\n";
        return 2;
    }
    bool ok = false;
    const kavio::ServerAddress server{parser.value(host), parser.value(port).toInt(&ok), parser.value(database),
                                      parser.value(user), parser.value(schema)};
    if (!ok) {
        err << "Der Port '" << parser.value(port) << "' ist keine Zahl.\n";
        return 2;
    }
    try {
        for (const QString &line : kavio::migrateToServer(parser.positionalArguments().first(), server))
            out << line << '\n';
        out << "Kopiert und geprüft.\n";
        return 0;
    } catch (const kavio::KavioError &e) {
        err << e.description() << '\n';
        return 1;
    }
}
