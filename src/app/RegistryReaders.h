#pragma once

#include <QString>

namespace kavio {

class Settings;
class Messages;

// HKEY_LOCAL_MACHINE as the registry functions number it.
constexpr qint32 HKEY_LOCAL_MACHINE_ROOT = static_cast<qint32>(0x80000002);
constexpr qint32 HKEY_CURRENT_USER_ROOT = static_cast<qint32>(0x80000001);

// Text of a machine-wide value; empty when the key or value cannot be read. A 32-bit
// number reads as its decimal text; other values lose their final character (the
// terminating NUL of a string).
QString RegistryTextLesen(const Settings &settings, const QString &keyPath, const QString &valueName);

// One value rendered as text, "Error" when the key or the value cannot be read.
QString RegistryWertLesen(const Settings &settings, qint32 rootKey, const QString &keyPath, const QString &valueName);

// Pads a one-character hexadecimal text to two characters, in place.
QString &HexZweistellig(QString &text);

// The "Port" setting as a number; throws KavioError when it is missing or not a number.
qint32 fGetPort(const Settings &settings);

// True exactly when "FrequenzType" reads "Multi".
bool fGetMulti(const Settings &settings, Messages &messages);

// The host database's path from "dbPath", in the fallback order; empty when none is set.
QString hostDatabasePath(const Settings &settings);

} // namespace kavio
