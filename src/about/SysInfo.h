#pragma once

#include <QString>

namespace kavio {

struct Platform;
class Settings;

// "Version <major>.<minor>" as the About window shows it.
QString versionLabel(int major, int minor);

// Reads one registry value through the settings seam. false (and empty text) when the
// key or the value is missing or the value does not fit 1024 characters. A string comes
// back without its terminating NUL, a 32-bit number as decimal text; other types leave
// valueText as it was (answer true).
bool GetKeyValue(const Settings &settings, qint32 rootKey, const QString &keyPath, const QString &valueName,
                 QString &valueText);

// Starts the system-information tool named in the registry (its path, or its folder
// holding MSINFO32.EXE); otherwise "Systeminformationen sind momentan nicht verfügbar".
void StartSysInfo(const Platform &platform);

} // namespace kavio
