#pragma once

// Whole-file reads and writes for checking what a step left on disk.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace kavio::test {

// Empty when the file cannot be read.
inline QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Replaces the file, making its folder first.
inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return QDir().mkpath(QFileInfo(path).path()) && f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(bytes) == bytes.size();
}

// Hidden entries included: a leftover temporary file must show.
inline QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace kavio::test
