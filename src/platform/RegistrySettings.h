#pragma once

#include "platform/RegFile.h"
#include "platform/Settings.h"

#include <QStringList>

namespace kavio {

// Settings read from registry export files. Machine-wide values (HKEY_LOCAL_MACHINE) come
// from the *.reg files of the machine folders, per-user values (HKEY_CURRENT_USER) from
// those of the user folder; the files are read afresh on every question, so a change by
// the host software takes effect at the next use. The program's own per-user store is
// an INI file in the user folder.
class RegistrySettings final : public Settings {
public:
    RegistrySettings(QStringList machineFolders, QString userFolder);

    // Folders by the XDG base-directory convention:
    //   machine: <dir>/KavioSegment/registry for each dir of $XDG_CONFIG_DIRS (default /etc/xdg)
    //   user:    $XDG_CONFIG_HOME/KavioSegment/registry (default ~/.config)
    static RegistrySettings fromEnvironment();

    bool keyExists(Hive hive, const QString &keyPath) const override;
    std::optional<RegValue> value(Hive hive, const QString &keyPath, const QString &name) const override;
    QString ownSetting(const QString &application, const QString &section, const QString &key) const override;
    void setOwnSetting(const QString &application, const QString &section, const QString &key,
                       const QString &value) override;

    const QStringList &machineFolders() const { return m_machineFolders; }
    const QString &userFolder() const { return m_userFolder; }

private:
    RegTree load(Hive hive) const;

    QStringList m_machineFolders;
    QString m_userFolder;
};

} // namespace kavio
