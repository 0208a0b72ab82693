#include "db/Database.h"

#include "app/Errors.h"
#include "app/RegistryReaders.h"
#include "db/GermanText.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/ProgramFolder.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>
#include <sqlite3.h>

namespace kavio {

namespace {

QString nextConnectionName()
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("kavio-%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

sqlite3 *engineHandle(const QSqlDatabase &db)
{
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(v.constData());
    return nullptr;
}

std::atomic<quint64> DbConnection::s_opened{0};

DbConnection::DbConnection(DbConnection &&other) noexcept
{
    *this = std::move(other);
}

DbConnection &DbConnection::operator=(DbConnection &&other) noexcept
{
    if (this != &other) {
        close();
        m_name = std::exchange(other.m_name, {});
        m_path = std::exchange(other.m_path, {});
        m_server = std::exchange(other.m_server, false);
        m_serverProcess = std::exchange(other.m_serverProcess, 0);
        m_broken = std::exchange(other.m_broken, false);
    }
    return *this;
}

DbConnection::~DbConnection()
{
    close();
}

void DbConnection::close()
{
    if (m_name.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_name.clear();
    m_server = false;
    m_serverProcess = 0;
    m_broken = false;
}

QSqlDatabase DbConnection::db() const
{
    return QSqlDatabase::database(m_name, false);
}

DbConnection DbConnection::open(const QString &path, OpenMode mode)
{
    if (!QFileInfo(path).isFile())
        throw KavioError(static_cast<int>(RunError::FileNotFound),
                         QStringLiteral("Die Datei '%1' wurde nicht gefunden").arg(path));
    DbConnection c;
    c.m_name = nextConnectionName();
    c.m_path = path;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), c.m_name);
        db.setDatabaseName(path);
        QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs);
        if (mode == OpenMode::ReadOnly)
            options += QStringLiteral(";QSQLITE_OPEN_READONLY");
        db.setConnectOptions(options);
        if (!db.open()) {
            const KavioError e = KavioError::fromSql(db.lastError());
            db = QSqlDatabase();
            c.close();
            throw e;
        }
        registerGermanText(engineHandle(db));
    }
    // A cheap probe: an unreadable, locked or foreign file fails here, not later.
    {
        QSqlQuery probe(c.db());
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
            const KavioError e = KavioError::fromSql(probe.lastError());
            probe = QSqlQuery();
            c.close();
            throw e;
        }
    }
    s_opened.fetch_add(1, std::memory_order_relaxed);
    return c;
}

QSqlQuery DbConnection::prepare(const QString &sql) const
{
    QSqlQuery q(db());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw KavioError::fromSql(q.lastError());
    return q;
}

QSqlQuery DbConnection::exec(const QString &sql, const QVariantList &values) const
{
    QSqlQuery q = prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw KavioError::fromSql(q.lastError());
    return q;
}

void DbConnection::run(const QString &sql) const
{
    QSqlQuery q(db());
    if (!q.exec(sql))
        throw KavioError::fromSql(q.lastError());
}

void DbConnection::begin() const
{
    // IMMEDIATE takes the write lock at once, so two writers wait for each other
    // instead of failing half-way. A server locks row by row instead.
    QSqlQuery q(db());
    if (!q.exec(m_server ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE")))
        throw KavioError::fromSql(q.lastError());
}

void DbConnection::commit() const
{
    QSqlQuery q(db());
    if (q.exec(QStringLiteral("COMMIT")))
        return;
    const KavioError e = KavioError::fromSql(q.lastError());
    q = QSqlQuery();
    if (m_server) {
        commitFailedOnServer(e);
        return;
    }
    rollback();
    throw e;
}

bool DbConnection::answers() const
{
    if (!db().isOpen())
        return false;
    QSqlQuery probe(db());
    return probe.exec(QStringLiteral("SELECT 1"));
}

void DbConnection::rollback() const
{
    if (!db().isOpen())
        return; // a server connection already cut off: the server rolled back
    QSqlQuery q(db());
    q.exec(QStringLiteral("ROLLBACK"));
}

DbConnection openWithRetry(const QString &path, OpenMode mode, Messages &messages, int attempts)
{
    QString lastError;
    for (int i = 0; i < attempts; ++i) {
        try {
            return DbConnection::open(path, mode);
        } catch (const KavioError &e) {
            lastError = e.description();
        }
    }
    messages.plain(lastError);
    return {};
}

QString segmentePath(const Platform &platform)
{
    return platform.folder->file(QStringLiteral("Segmente.mdb"));
}
QString flagsPath(const Platform &platform)
{
    // An installed program's data folder starts without the host's logo database: then
    // the host's own copy beside its person database is read.
    const QString own = platform.folder->file(QStringLiteral("Flags.mdb"));
    const QString host = hostDatabasePath(*platform.settings);
    if (QFileInfo::exists(own) || host.isEmpty())
        return own;
    const QString beside = QFileInfo(host).dir().filePath(QStringLiteral("Flags.mdb"));
    return QFileInfo::exists(beside) ? beside : own;
}

DbConnection dbOpenSegmente(const Platform &platform)
{
    return openWithRetry(segmentePath(platform), OpenMode::ReadWrite, *platform.messages);
}

DbConnection dbOpenBIA(const Platform &platform)
{
    const QString path = hostDatabasePath(*platform.settings);
    if (path.isEmpty()) {
        platform.messages->stop(QStringLiteral("Es konnte keine BIA-Datenbnk gefunden werden\n"
                                               "Bitte installieren Sie eine BIA Software"));
        return {};
    }
    return openWithRetry(path, OpenMode::ReadOnly, *platform.messages);
}

DbConnection OpenFlagsDB(const Platform &platform)
{
    return openWithRetry(flagsPath(platform), OpenMode::ReadOnly, *platform.messages);
}

DbConnection openSegmenteOnce(const Platform &platform)
{
    return DbConnection::open(segmentePath(platform));
}

} // namespace kavio
