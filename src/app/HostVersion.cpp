#include "app/HostVersion.h"

#include "platform/Settings.h"

#include <QRegularExpression>

namespace kavio {

bool isSufficientVersion(const QString &version)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d+)\\.(\\d+)(\\.\\d+)*\\s*$"));
    const auto m = re.match(version);
    if (!m.hasMatch())
        return false;
    bool okMajor = false, okMinor = false;
    const qulonglong major = m.captured(1).toULongLong(&okMajor);
    const qulonglong minor = m.captured(2).toULongLong(&okMinor);
    if (!okMajor || !okMinor)
        return false;
    return major > 5 || (major == 5 && minor >= 4);
}

bool getKavioVersion(const Settings &settings, const QString &strRegKey)
{
    return isSufficientVersion(
        settings.appSetting(strRegKey, QStringLiteral("Vers"), QStringLiteral("CurrentVersion")));
}

bool fIsKavioInstalled(const Settings &settings)
{
    for (const char *edition : {"KAVIO_PLUS", "KAVIO_PLUS_Net", "KAVIO_BOX"})
        if (getKavioVersion(settings, QString::fromLatin1(edition)))
            return true;
    return false;
}

} // namespace kavio
