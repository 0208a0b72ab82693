// Writes a demo installation of the host software and of this program into a folder.
#include "DemoInstallation.h"

#include "app/Errors.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.contains(QStringLiteral("--help"))) {
        err << "Aufruf: kavio-demo-install ORDNER [--version V] [--single] [--port N]\n";
        return 2;
    }
    kavio::demo::HostSettings s;
    for (int i = 2; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--version") && i + 1 < args.size())
            s.currentVersion = args[++i];
        else if (args[i] == QLatin1String("--port") && i + 1 < args.size())
            s.port = args[++i];
        else if (args[i] == QLatin1String("--single"))
            s.frequenzType = QStringLiteral("Single");
    }
    try {
        kavio::demo::writeDemoInstallation(args[1], s);
    } catch (const kavio::KavioError &e) {
        err << "Fehler " << e.number() << ": " << e.description() << "\n";
        return 1;
    }
    QTextStream(stdout) << "Demo-Installation geschrieben: " << args[1] << "\n";
    return 0;
}
