#pragma once

#include <optional>
#include <QByteArray>
#include <QString>

namespace kavio {

enum class Hive { LocalMachine, CurrentUser };

// One registry value as the registry keeps it: its type number and its raw bytes
// (strings as UTF-16LE with their terminating NUL).
struct RegValue {
    enum Type : quint32 { None = 0, String = 1, ExpandString = 2, Binary = 3, Dword = 4, MultiString = 7, Qword = 11 };
    quint32 type = None;
    QByteArray data;

    static RegValue fromString(const QString &text);
    static RegValue fromDword(quint32 value);
    static RegValue fromBinary(const QByteArray &bytes) { return {Binary, bytes}; }
};

// Read access to the host software's settings (the registry, or files in its export
// format) and the program's own per-user store for what it keeps itself (grid widths).
class Settings {
public:
    virtual ~Settings() = default;

    virtual bool keyExists(Hive hive, const QString &keyPath) const = 0;
    // nullopt when the key or the value does not exist. Key paths and value names are
    // matched without regard to letter case, as the registry does.
    virtual std::optional<RegValue> value(Hive hive, const QString &keyPath, const QString &name) const = 0;

    // Per-user application setting (application, section, key) as kept under
    // HKEY_CURRENT_USER\Software\VB and VBA Program Settings; empty text when missing.
    QString appSetting(const QString &application, const QString &section, const QString &key) const;

    // The program's own per-user store; empty text when missing.
    virtual QString ownSetting(const QString &application, const QString &section, const QString &key) const = 0;
    virtual void setOwnSetting(const QString &application, const QString &section, const QString &key,
                               const QString &value) = 0;
};

} // namespace kavio
