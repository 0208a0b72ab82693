#pragma once

#include <QString>

namespace kavio {

// The folder that holds Segmente.mdb, Flags.mdb, Daten.xls, report/ and the logo file:
// the executable's folder in an installation, a temporary folder in tests.
class ProgramFolder {
public:
    explicit ProgramFolder(QString path) : m_path(std::move(path)) {}
    const QString &path() const { return m_path; }
    QString file(const QString &name) const { return m_path + QLatin1Char('/') + name; }

    static ProgramFolder ofExecutable();

private:
    QString m_path;
};

} // namespace kavio
