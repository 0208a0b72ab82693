#pragma once

#include <QString>

namespace kavio {

class Settings;

// Is a host version text at least 5.4? Compared numerically as major.minor; text that
// is empty or not a version does not count.
bool isSufficientVersion(const QString &version);

// The "CurrentVersion" of one host edition is sufficient.
bool getKavioVersion(const Settings &settings, const QString &strRegKey);

// One of the editions "KAVIO_PLUS", "KAVIO_PLUS_Net", "KAVIO_BOX" is sufficient.
bool fIsKavioInstalled(const Settings &settings);

} // namespace kavio
