#pragma once

#include "DemoInstallation.h"
#include "FakePrinters.h"
#include "Fakes.h"
#include "platform/Platform.h"
#include "platform/ProgramFolder.h"

#include <memory>
#include <QTemporaryDir>

namespace kavio::test {

// A fresh program folder with an empty Segmente.mdb, the demo host database and
// Flags.mdb, host settings in memory (version 5.4, dbPath, Multi, port 3), fakes for
// every other seam, and print jobs going to <folder>/print.pdf.
class TestBed {
public:
    struct Options {
        bool hostDatabase = true;
        bool flags = true;
        bool segmentDatabase = true;
        bool multi = true;
    };
    TestBed();
    explicit TestBed(const Options &options);

    QString path(const QString &name) const { return dir.path() + QLatin1Char('/') + name; }
    QString segmentePath() const { return path(QStringLiteral("Segmente.mdb")); }
    QString biaPath() const { return path(QStringLiteral("host/BIA.mdb")); }
    QString pdfPath() const { return printers->path(); }

    // Adds a person to Segmente.mdb; returns its LfdNr.
    qint64 addPerson(const QString &name, const QString &vorname, const QDate &gebDat = QDate(1960, 5, 17));
    // Adds a measurement row; empty second values stay NULL. Returns its MessID.
    qint64 addMeasurement(const QString &segment, qint64 fktn, const QDate &day, const QString &time, int w5, int w50,
                          int w100, int xc5, int xc50, int xc100, const QVariant &w5n = {}, const QVariant &w50n = {},
                          const QVariant &w100n = {});

    QTemporaryDir dir;
    FakeMessages messages;
    FakeSettings settings;
    FakeSerialLine serial;
    FakeFileDialogs dialogs;
    FakeShell shell;
    FixedClock clock;
    RecordingLongWork longWork;
    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<FakePrinters> printers;
    Platform platform;
};

// A segment database without rows at path, of the given schema version: an older one
// this program upgrades, or a newer one it does not know (the current tables, the
// version number raised).
void writeSegmentDatabase(const QString &path, int version);

// Runs sqlite3-style text through a fresh connection and returns the first column of
// the first row (for assertions).
QVariant scalar(const QString &dbPath, const QString &sql, const QVariantList &values = {});

} // namespace kavio::test
