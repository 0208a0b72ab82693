#pragma once

#include "db/Database.h"
#include "db/Statements.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

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

// Hidden entries included: a leftover temporary file must show.
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

// Every file this process writes stops growing at limit bytes, as on a full medium.
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

} // namespace kavio::test
