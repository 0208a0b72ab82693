#include "platform/RegistrySettings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace kavio {

QString Settings::appSetting(const QString &application, const QString &section, const QString &key) const
{
    const auto v = value(
        Hive::CurrentUser,
        QStringLiteral("Software\\VB and VBA Program Settings\\") + application + QLatin1Char('\\') + section, key);
    if (!v || (v->type != RegValue::String && v->type != RegValue::ExpandString))
        return {};
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(v->data.constData()), v->data.size() / 2);
    const qsizetype nul = text.indexOf(QChar(0));
    return nul >= 0 ? text.left(nul) : text;
}

RegistrySettings::RegistrySettings(QStringList machineFolders, QString userFolder)
    : m_machineFolders(std::move(machineFolders)), m_userFolder(std::move(userFolder))
{}

RegistrySettings RegistrySettings::fromEnvironment()
{
    const QString sub = QStringLiteral("/KavioSegment/registry");
    QStringList machine;
    QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/etc/xdg");
    for (const QString &d : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        machine << d + sub;
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.config");
    return RegistrySettings(machine, home + sub);
}

RegTree RegistrySettings::load(Hive hive) const
{
    RegTree tree;
    // Earlier machine folders take precedence, as XDG_CONFIG_DIRS orders them.
    const QStringList folders = hive == Hive::LocalMachine ? m_machineFolders : QStringList{m_userFolder};
    for (auto it = folders.crbegin(); it != folders.crend(); ++it) {
        const QDir dir(*it);
        const QStringList files = dir.entryList({QStringLiteral("*.reg")}, QDir::Files, QDir::Name);
        for (const QString &f : files)
            tree.mergeFile(dir.filePath(f));
    }
    return tree;
}

bool RegistrySettings::keyExists(Hive hive, const QString &keyPath) const
{
    return load(hive).keyExists(hive, keyPath);
}

std::optional<RegValue> RegistrySettings::value(Hive hive, const QString &keyPath, const QString &name) const
{
    return load(hive).value(hive, keyPath, name);
}

static QString ownStorePath(const QString &userFolder)
{
    return userFolder + QStringLiteral("/../own-settings.ini");
}

QString RegistrySettings::ownSetting(const QString &application, const QString &section, const QString &key) const
{
    QSettings store(QDir::cleanPath(ownStorePath(m_userFolder)), QSettings::IniFormat);
    return store.value(application + QLatin1Char('/') + section + QLatin1Char('/') + key).toString();
}

void RegistrySettings::setOwnSetting(const QString &application, const QString &section, const QString &key,
                                     const QString &value)
{
    QSettings store(QDir::cleanPath(ownStorePath(m_userFolder)), QSettings::IniFormat);
    store.setValue(application + QLatin1Char('/') + section + QLatin1Char('/') + key, value);
}

} // namespace kavio
