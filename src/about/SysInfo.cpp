#include "about/SysInfo.h"

#include "app/RegistryReaders.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/Shell.h"

#include <QDir>
#include <QFileInfo>

namespace kavio {

namespace {
constexpr int kBufferChars = 1024;
}

QString versionLabel(int major, int minor)
{
    return QStringLiteral("Version %1.%2").arg(major).arg(minor);
}

bool GetKeyValue(const Settings &settings, qint32 rootKey, const QString &keyPath, const QString &valueName,
                 QString &valueText)
{
    Hive hive;
    if (rootKey == HKEY_LOCAL_MACHINE_ROOT)
        hive = Hive::LocalMachine;
    else if (rootKey == HKEY_CURRENT_USER_ROOT)
        hive = Hive::CurrentUser;
    else {
        valueText.clear();
        return false;
    }
    if (!settings.keyExists(hive, keyPath)) {
        valueText.clear();
        return false;
    }
    const auto v = settings.value(hive, keyPath, valueName);
    const qsizetype chars =
        !v ? 0
           : (v->type == RegValue::String || v->type == RegValue::ExpandString ? v->data.size() / 2 : v->data.size());
    if (!v || chars > kBufferChars) {
        valueText.clear();
        return false;
    }
    if (v->type == RegValue::String) {
        QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(v->data.constData()), chars);
        if (text.endsWith(QChar(0)))
            text.chop(1);
        valueText = text;
    } else if (v->type == RegValue::Dword && v->data.size() == 4) {
        // The number itself; reading the bytes as unpadded hex digits would turn 0x0103 into 19.
        quint32 n = 0;
        for (int i = 3; i >= 0; --i)
            n = (n << 8) | static_cast<quint8>(v->data.at(i));
        valueText = QString::number(n);
    }
    return true;
}

void StartSysInfo(const Platform &platform)
{
    QString path;
    if (GetKeyValue(*platform.settings, HKEY_LOCAL_MACHINE_ROOT,
                    QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"), QStringLiteral("PATH"), path)) {
        if (platform.shell->startProgram(path))
            return;
    } else if (GetKeyValue(*platform.settings, HKEY_LOCAL_MACHINE_ROOT,
                           QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"), QStringLiteral("MSINFO"),
                           path)) {
        const QString exe = QDir(path).filePath(QStringLiteral("MSINFO32.EXE"));
        if (QFileInfo::exists(exe) && platform.shell->startProgram(exe))
            return;
    }
    platform.messages->plain(QStringLiteral("Systeminformationen sind momentan nicht verfügbar"));
}

} // namespace kavio
