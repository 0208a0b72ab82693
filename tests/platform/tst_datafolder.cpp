// The data folder: which folder the rule picks, getting it ready at start, and where the
// host's logo database is found.
#include "about/CompanyLogo.h"
#include "db/Database.h"
#include "Files.h"
#include "platform/ProgramFolder.h"
#include "platform/RegistrySettings.h"
#include "TestBed.h"
#include "Unprivileged.h"

#include <optional>
#include <QDirIterator>
#include <QTest>
#include <sys/stat.h>

using namespace kavio;
using namespace kavio::test;
using namespace Qt::StringLiterals;

namespace {

// Everything below a folder, hidden entries included, with each entry's size.
QStringList treeOf(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        entries << it.filePath() + u' ' + QString::number(it.fileInfo().size());
    }
    entries.sort();
    return entries;
}

// A scratch tree: base/exe (the executable's folder), base/home, base/xdg. Folders made
// read-only here get their rights back at the end, so the tree can be removed.
struct Scratch {
    QTemporaryDir dir;
    QStringList locked;

    Scratch()
    {
        // The unprivileged identity must be able to walk in.
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
        QDir().mkpath(path(u"exe"_s));
        QDir().mkpath(path(u"home"_s));
    }
    ~Scratch()
    {
        for (const QString &p : std::as_const(locked))
            ::chmod(QFile::encodeName(p).constData(), 0755);
    }
    QString path(const QString &name) const { return dir.path() + u'/' + name; }
    void lock(const QString &name)
    {
        QDir().mkpath(path(name));
        ::chmod(QFile::encodeName(path(name)).constData(), 0555);
        locked << path(name);
    }
};

} // namespace

class TestDataFolder : public QObject {
    Q_OBJECT
private slots:

    void rule_data()
    {
        QTest::addColumn<QStringList>("exeFiles");
        QTest::addColumn<bool>("exeWritable");
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("dataHome"); // "" unset; "<base>/..." below the scratch folder
        QTest::addColumn<QString>("expected"); // below the scratch folder
        QTest::addColumn<int>("origin");

        const QString seg = u"Segmente.mdb"_s, marker = portableMarkerName();
        const int portable = int(ProgramFolder::Origin::Portable), user = int(ProgramFolder::Origin::UserData),
                  setting = int(ProgramFolder::Origin::Setting);
        QTest::newRow("installed (no data beside the program)")
            << QStringList() << true << QString() << u"<base>/xdg"_s << u"xdg/KavioSegment"_s << user;
        QTest::newRow("portable: Segmente.mdb beside the program")
            << QStringList{seg} << true << QString() << u"<base>/xdg"_s << u"exe"_s << portable;
        QTest::newRow("portable: marker in a read-only folder")
            << QStringList{marker} << false << QString() << u"<base>/xdg"_s << u"exe"_s << portable;
        QTest::newRow("installed: Segmente.mdb in a read-only folder")
            << QStringList{seg} << false << QString() << u"<base>/xdg"_s << u"xdg/KavioSegment"_s << user;
        QTest::newRow("installed, XDG_DATA_HOME unset")
            << QStringList() << true << QString() << QString() << u"home/.local/share/KavioSegment"_s << user;
        QTest::newRow("installed, relative XDG_DATA_HOME ignored")
            << QStringList() << true << QString() << u"xdg"_s << u"home/.local/share/KavioSegment"_s << user;
        QTest::newRow("setting overrides portable") << QStringList{seg, marker} << true << u"<base>/share/praxis/"_s
                                                    << u"<base>/xdg"_s << u"share/praxis"_s << setting;
        QTest::newRow("setting overrides installed, relative to home")
            << QStringList() << true << u"Praxisdaten"_s << u"<base>/xdg"_s << u"home/Praxisdaten"_s << setting;
    }

    // First match wins: the setting, then a portable folder, then the user's data folder; the
    // choice itself writes nothing.
    void rule()
    {
        QFETCH(QStringList, exeFiles);
        QFETCH(bool, exeWritable);
        QFETCH(QString, configured);
        QFETCH(QString, dataHome);
        QFETCH(QString, expected);
        QFETCH(int, origin);
        Scratch s;
        for (const QString &f : std::as_const(exeFiles))
            QVERIFY(writeBytes(s.path(u"exe/"_s + f), {}));
        if (!exeWritable)
            s.lock(u"exe"_s);
        const QStringList before = treeOf(s.dir.path());
        auto below = [&](QString p) { return p.replace(u"<base>"_s, s.dir.path()); };

        ProgramFolder chosen(QString{});
        {
            std::optional<Unprivileged> user;
            if (!exeWritable)
                user.emplace();
            chosen = chooseDataFolder({s.path(u"exe"_s), below(configured), below(dataHome), s.path(u"home"_s)});
        }
        QCOMPARE(chosen.path(), s.path(expected));
        QCOMPARE(int(chosen.origin()), origin);
        QCOMPARE(treeOf(s.dir.path()), before);
    }

    void prepare_data()
    {
        QTest::addColumn<QString>("folder"); // below the scratch folder
        QTest::addColumn<int>("origin");
        QTest::addColumn<QString>("readOnly"); // folder made read-only first, if any
        QTest::addColumn<QString>("message");  // "" when ready; %1 is the folder

        const int user = int(ProgramFolder::Origin::UserData), setting = int(ProgramFolder::Origin::Setting);
        const QString cannotStart = u"\nDas Programm kann nicht gestartet werden!"_s;
        QTest::newRow("first start: created with its parents")
            << u"home/.local/share/KavioSegment"_s << user << QString() << QString();
        QTest::newRow("data home read-only: not created")
            << u"home/.local/share/KavioSegment"_s << user << u"home"_s
            << u"Der Datenordner\n%1\nkann nicht angelegt werden."_s + cannotStart;
        QTest::newRow("existing folder read-only")
            << u"xdg/KavioSegment"_s << user << u"xdg/KavioSegment"_s
            << u"In den Datenordner\n%1\nkann nicht geschrieben werden.\nBitte prüfen Sie die Zugriffsrechte."_s +
                   cannotStart;
        QTest::newRow("setting: missing share is not replaced by a local folder")
            << u"share/praxis"_s << setting << QString()
            << u"Der in den Einstellungen genannte Datenordner\n%1\nist nicht vorhanden "
               "(ist das Netzlaufwerk verbunden?)."_s +
                   cannotStart;
        QTest::newRow("setting: existing share") << u"home"_s << setting << QString() << QString();
    }

    // A folder the program cannot work in is named in a stop message at start, and nothing
    // is written anywhere; the user's data folder is made on first start, private to the user.
    void prepare()
    {
        QFETCH(QString, folder);
        QFETCH(int, origin);
        QFETCH(QString, readOnly);
        QFETCH(QString, message);
        Scratch s;
        QDir().mkpath(s.path(u"xdg/KavioSegment"_s));
        if (!readOnly.isEmpty())
            s.lock(readOnly);
        const QStringList before = treeOf(s.dir.path());
        const ProgramFolder data(s.path(folder), ProgramFolder::Origin(origin));

        const bool existed = QFileInfo::exists(data.path());

        FakeMessages messages;
        bool ready = false;
        {
            std::optional<Unprivileged> user;
            if (!readOnly.isEmpty())
                user.emplace();
            ready = readyDataFolder(data, messages);
        }
        if (message.isEmpty()) {
            QVERIFY(ready);
            QCOMPARE(messages.count(), 0);
            QVERIFY(QFileInfo(data.path()).isDir());
            if (!existed) // health data: the user's alone
                QCOMPARE(QFileInfo(data.path()).permissions() &
                             (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                              QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther),
                         QFileDevice::Permissions());
            return;
        }
        QVERIFY(!ready);
        QCOMPARE(messages.texts(), QStringList{message.arg(data.path())});
        QCOMPARE(messages.last().icon, MsgIcon::Stop);
        QCOMPARE(treeOf(s.dir.path()), before);
    }

    // The running program: XDG_DATA_HOME from the environment and the folder named in the
    // own-settings file as the README shows it.
    void settingAndEnvironment()
    {
        Scratch s;
        const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", s.path(u"xdg"_s).toLocal8Bit());
        const RegistrySettings settings({}, s.path(u"config/KavioSegment/registry"_s));
        // The test program's folder is writable but holds no Segmente.mdb: an installed program.
        const ProgramFolder installed = ProgramFolder::ofThisRun(settings);
        QVERIFY(
            writeBytes(s.path(u"config/KavioSegment/own-settings.ini"_s),
                       "[KavioSegment]\nEinstellungen\\Datenordner=" + QFile::encodeName(s.path(u"share"_s)) + "\n"));
        const ProgramFolder configured = ProgramFolder::ofThisRun(settings);
        qputenv("XDG_DATA_HOME", oldDataHome);

        QCOMPARE(installed.path(), s.path(u"xdg/KavioSegment"_s));
        QCOMPARE(int(installed.origin()), int(ProgramFolder::Origin::UserData));
        QCOMPARE(configured.path(), s.path(u"share"_s));
        QCOMPARE(int(configured.origin()), int(ProgramFolder::Origin::Setting));
        QCOMPARE(dataFolderLabel(configured), u"Datenordner: "_s + s.path(u"share"_s));
    }

    // A fresh data folder has no Flags.mdb: the host's copy beside its BIA.mdb supplies the
    // logo; a Flags.mdb in the data folder comes first.
    void flagsBesideHostDatabase()
    {
        TestBed::Options options;
        options.flags = false;
        TestBed bed(options);
        QCOMPARE(flagsPath(bed.platform), bed.path(u"Flags.mdb"_s));

        demo::writeFlagsDatabase(bed.path(u"host/Flags.mdb"_s), u"HOST-LOGO"_s);
        QCOMPARE(flagsPath(bed.platform), bed.path(u"host/Flags.mdb"_s));
        SaveCompLogo(bed.platform, u"11258"_s);
        QFile logo(bed.path(compLogoFileName()));
        QVERIFY(logo.open(QIODevice::ReadOnly));
        QCOMPARE(logo.readAll(), "HOST-LOGO\r\n");
        QCOMPARE(bed.messages.count(), 0);

        demo::writeFlagsDatabase(bed.path(u"Flags.mdb"_s), u"OWN-LOGO"_s);
        QCOMPARE(flagsPath(bed.platform), bed.path(u"Flags.mdb"_s));
    }
};

QTEST_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
