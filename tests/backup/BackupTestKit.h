#pragma once

#include "db/Database.h"
#include "db/Statements.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTest>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/resource.h>
#endif

namespace kavio::test {

inline QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Every entry of a folder, hidden ones included (a leftover temporary file must show).
inline QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Appends count measurement rows of person fktn to a segment table in one transaction.
inline void addRows(const QString &dbPath, int count, const QString &segment = QStringLiteral("ArmLi"), qint64 fktn = 1)
{
    DbConnection db = DbConnection::open(dbPath);
    db.transaction([&] {
        for (int i = 0; i < count; ++i)
            db.exec(sql::insertMeasurement(segment),
                    {fktn, QStringLiteral("2026-11-%1").arg(1 + i % 28, 2, 10, QLatin1Char('0')),
                     QStringLiteral("10:00:00"), 500 + i % 100, 480, 460, 60, 55, 50});
    });
}

inline qint64 rowCount(const QString &dbPath, const QString &table = QStringLiteral("ArmLi"))
{
    DbConnection db = DbConnection::open(dbPath, OpenMode::ReadOnly);
    QSqlQuery q = db.exec(QStringLiteral("SELECT count(*) FROM %1").arg(sql::segmentTable(table)));
    return q.next() ? q.value(0).toLongLong() : -1;
}

// Makes a folder refuse new files, also for a test run with administrator rights (where
// the permission bits alone do not stop writing). Undone by the destructor.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(QString folder) : m_folder(std::move(folder))
    {
        QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
        if (writable()) {
            m_immutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), m_folder}) == 0;
        }
    }
    ~ReadOnlyFolder()
    {
        if (m_immutable)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_folder});
        QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool effective() const { return !writable(); }

private:
    bool writable() const
    {
        QFile probe(m_folder + QStringLiteral("/probe"));
        if (!probe.open(QIODevice::WriteOnly))
            return false;
        probe.close();
        probe.remove();
        return true;
    }
    QString m_folder;
    bool m_immutable = false;
};

#ifndef Q_OS_WIN
// Lets every file this process writes grow to limit bytes only, as a full medium would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit l = m_old;
        l.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
#endif

} // namespace kavio::test
