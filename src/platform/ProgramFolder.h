#pragma once

#include <QString>

namespace kavio {

class Messages;
class Settings;

// The data folder: the folder that holds Segmente.mdb, Flags.mdb, Daten.xls, report/ and
// the logo file. The executable's folder in a portable installation, the user's data
// folder for an installed program, a temporary folder in tests.
class ProgramFolder {
public:
    // Why the folder is the one it is.
    enum class Origin {
        Portable, // the executable's own folder
        UserData, // $XDG_DATA_HOME/KavioSegment of an installed program
        Setting,  // named in the program's own per-user settings
    };

    explicit ProgramFolder(QString path, Origin origin = Origin::Portable) : m_path(std::move(path)), m_origin(origin)
    {}
    const QString &path() const { return m_path; }
    Origin origin() const { return m_origin; }
    QString file(const QString &name) const { return m_path + QLatin1Char('/') + name; }

    // The data folder of this run: the rule of chooseDataFolder on the executable's
    // folder, the environment and the own setting. Writes nothing.
    static ProgramFolder ofThisRun(const Settings &settings);

private:
    QString m_path;
    Origin m_origin;
};

// "Datenordner: <path>", as the About window and the backup and restore dialogs show it.
QString dataFolderLabel(const ProgramFolder &folder);

// A file of this name beside the executable makes its folder a portable installation.
inline QString portableMarkerName()
{
    return QStringLiteral("KavioSegment.portable");
}

// Where the own per-user settings name a data folder of the operator's choice (a server
// share, for instance): application, section and key of Settings::ownSetting.
inline QString dataFolderSettingApplication()
{
    return QStringLiteral("KavioSegment");
}
inline QString dataFolderSettingSection()
{
    return QStringLiteral("Einstellungen");
}
inline QString dataFolderSettingKey()
{
    return QStringLiteral("Datenordner");
}

// What the data-folder rule looks at.
struct DataFolderPlaces {
    QString executableFolder;
    QString configured; // the own setting; empty when there is none
    QString dataHome;   // $XDG_DATA_HOME as set; empty or relative means unset
    QString home;       // the user's home folder
};

// The rule, first match wins:
//   1. a folder named in the own settings (relative names count from the home folder);
//   2. the executable's folder when it holds the portable marker, or when the program
//      may write there and it holds Segmente.mdb (a portable installation, as before);
//   3. <dataHome>/KavioSegment, with dataHome defaulting to <home>/.local/share.
// Looks at the file system only; writes nothing.
ProgramFolder chooseDataFolder(const DataFolderPlaces &places);

// The program may create and replace files in the folder (with its effective user's
// rights; nothing is written to find out).
bool isWritableFolder(const QString &path);

// Makes the folder ready for use: the user's data folder is created when missing; a
// folder named in the settings must exist already (a share that is not mounted must not
// be replaced by an empty local folder). Empty text when the program can work there;
// otherwise the German message that says why not, and nothing has been written.
QString prepareDataFolder(const ProgramFolder &folder);

// prepareDataFolder for the start of the program: a failure is shown with the stop icon
// and answers false.
bool readyDataFolder(const ProgramFolder &folder, Messages &messages);

} // namespace kavio
