#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace kavio::demo {

struct HostPerson {
    QString name, vorname;
    int geschlecht = 0;
    QDate gebDat; // invalid: no birth date
    QString plz, ort, kennung;
    int anzMes = 0;
};

// The persons of the demo host database: German names with umlauts, shared surnames,
// one person without first name and one without birth date.
QList<HostPerson> demoPersons();

// Creates an SQLite file at path (replacing it) and runs the statements. Throws KavioError.
void createDatabase(const QString &path, const QStringList &statements);

// The host's person database with the given persons.
void writeHostDatabase(const QString &path, const QList<HostPerson> &persons);
// Flags.mdb with the company logo record (GroupId 11258) when logo is not empty.
void writeFlagsDatabase(const QString &path, const QString &logo);

struct HostSettings {
    QString currentVersion = QStringLiteral("5.4");
    QString dbPath; // "dbPath" under Software\Kavio_Plus
    QString frequenzType = QStringLiteral("Multi");
    QString port = QStringLiteral("3");
};

// The host's settings in registry export form: machine-wide and per-user.
QByteArray machineRegText(const HostSettings &s);
QByteArray userRegText(const HostSettings &s);
// Writes host.reg into both folders (created when missing).
void writeRegistryFiles(const QString &machineFolder, const QString &userFolder, const HostSettings &s);

// A complete demo installation below root:
//   root/program   program folder (Segmente.mdb with imported persons and measurements, Flags.mdb)
//   root/host      BIA.mdb
//   root/etc/xdg/KavioSegment/registry, root/home/.config/KavioSegment/registry   settings
// Throws KavioError.
void writeDemoInstallation(const QString &root, const HostSettings &settings = {},
                           const QDate &today = QDate::currentDate());

} // namespace kavio::demo
