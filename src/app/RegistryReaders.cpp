#include "app/RegistryReaders.h"

#include "app/Conversions.h"
#include "app/Errors.h"
#include "platform/Messages.h"
#include "platform/Settings.h"

namespace kavio {

namespace {

// The ANSI registry functions return strings as 8-bit text with their terminating NUL.
QByteArray ansiBytes(const RegValue &v)
{
    if (v.type == RegValue::String || v.type == RegValue::ExpandString || v.type == RegValue::MultiString) {
        const QString s = QString::fromUtf16(reinterpret_cast<const char16_t *>(v.data.constData()), v.data.size() / 2);
        return s.toLatin1();
    }
    return v.data;
}

std::optional<Hive> hiveOf(qint32 root)
{
    if (root == HKEY_LOCAL_MACHINE_ROOT)
        return Hive::LocalMachine;
    if (root == HKEY_CURRENT_USER_ROOT)
        return Hive::CurrentUser;
    return std::nullopt;
}

} // namespace

QString RegistryTextLesen(const Settings &settings, const QString &keyPath, const QString &valueName)
{
    const auto v = settings.value(Hive::LocalMachine, keyPath, valueName);
    if (!v)
        return {};
    if (v->type == RegValue::Dword && v->data.size() == 4) {
        quint32 n = 0;
        for (int i = 3; i >= 0; --i)
            n = (n << 8) | static_cast<quint8>(v->data.at(i));
        return QString::number(n);
    }
    const QByteArray bytes = ansiBytes(*v);
    if (bytes.size() > 255)
        return {}; // does not fit the buffer: the query fails
    QString text = QString::fromLatin1(bytes);
    text.chop(1);
    return text;
}

QString RegistryWertLesen(const Settings &settings, qint32 rootKey, const QString &keyPath, const QString &valueName)
{
    const QString error = QStringLiteral("Error");
    const auto hive = hiveOf(rootKey);
    if (!hive || !settings.keyExists(*hive, keyPath))
        return error;
    const auto v = settings.value(*hive, keyPath, valueName);
    if (!v)
        return error;
    const QByteArray bytes = ansiBytes(*v);
    if (bytes.size() > 128)
        return error; // more data than the 128-character buffer holds
    switch (v->type) {
    case RegValue::String: {
        const qsizetype nul = bytes.indexOf('\0');
        return nul < 0 ? QString() : QString::fromLatin1(bytes.left(nul));
    }
    case RegValue::Binary: {
        QString out;
        for (char c : bytes) {
            QString hex = QString::number(static_cast<quint8>(c), 16).toUpper();
            out += HexZweistellig(hex) + QLatin1Char(' ');
        }
        return out;
    }
    case RegValue::Dword: {
        QString out = QStringLiteral("0x");
        for (qsizetype i = bytes.size() - 1; i >= 0; --i)
            out += QStringLiteral("%1").arg(static_cast<quint8>(bytes.at(i)), 2, 16, QLatin1Char('0')).toUpper();
        return out;
    }
    default: {
        QByteArray buffer = bytes;
        buffer.resize(128, '\0');
        return QString::fromLatin1(buffer);
    }
    }
}

QString &HexZweistellig(QString &text)
{
    if (text.size() == 1)
        text.prepend(QLatin1Char('0'));
    return text;
}

qint32 fGetPort(const Settings &settings)
{
    return toInt32(
        settings.appSetting(QStringLiteral("KAVIO_PLUS"), QStringLiteral("Einstellungen"), QStringLiteral("Port")));
}

bool fGetMulti(const Settings &settings, Messages &messages)
{
    try {
        return RegistryWertLesen(settings, HKEY_LOCAL_MACHINE_ROOT, QStringLiteral("Software\\Kavio_Plus"),
                                 QStringLiteral("FrequenzType")) == QLatin1String("Multi");
    } catch (const KavioError &e) {
        messages.plain(fehlerForm(e, QStringLiteral("fGetMulti")));
        return false;
    }
}

QString hostDatabasePath(const Settings &settings)
{
    for (const char *key : {"Software\\Kavio_Plus", "Software\\Kavio_BOX", "Software\\Kavio_PLUS_NET"}) {
        const QString path = RegistryTextLesen(settings, QString::fromLatin1(key), QStringLiteral("dbPath"));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

} // namespace kavio
