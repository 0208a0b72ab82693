#pragma once

#include "platform/Settings.h"

#include <QHash>
#include <QString>

namespace kavio {

// The contents of registry export files (.reg): "Windows Registry Editor Version 5.00"
// (normally UTF-16LE) and "REGEDIT4" (8-bit, Windows-1252), string, dword: and hex:
// values, continuation lines, deletions with [-key] and "name"=-.
class RegTree {
public:
    // Merges one file's text into the tree. Returns false (and leaves the tree unchanged)
    // when the data carries no registry export header.
    bool merge(const QByteArray &fileData);
    bool mergeFile(const QString &path);

    bool keyExists(Hive hive, const QString &keyPath) const;
    std::optional<RegValue> value(Hive hive, const QString &keyPath, const QString &name) const;

    // Full key name as in the file, e.g. "HKEY_LOCAL_MACHINE\Software\Kavio_Plus".
    static QString normalizedKey(const QString &fullKey);

private:
    using Values = QHash<QString, RegValue>; // lower-case value name -> value
    QHash<QString, Values> m_keys;           // normalized lower-case full key -> values
};

// Decodes the bytes of a .reg file to text by its byte-order mark and header.
QString decodeRegFile(const QByteArray &data);

} // namespace kavio
