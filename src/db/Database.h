#pragma once

#include <atomic>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

struct sqlite3;

namespace kavio {

struct Platform;
struct ServerAddress;
class Messages;
class KavioError;

enum class OpenMode { ReadWrite, ReadOnly };

// One open connection to a database file, closed when it goes out of scope. Queries
// made from it must be gone before it is.
class DbConnection {
public:
    DbConnection() = default;
    DbConnection(DbConnection &&other) noexcept;
    DbConnection &operator=(DbConnection &&other) noexcept;
    DbConnection(const DbConnection &) = delete;
    DbConnection &operator=(const DbConnection &) = delete;
    ~DbConnection();

    // One attempt; throws KavioError with the engine's code and text on failure.
    // A missing file is a failure (nothing is created here).
    static DbConnection open(const QString &path, OpenMode mode = OpenMode::ReadWrite);
    // A connection to the program's schema on a PostgreSQL server (ServerConnection.cpp);
    // one attempt, throws KavioError with the server's text when it cannot be reached.
    static DbConnection openServer(const ServerAddress &address);

    // Connections opened so far in this process (watched by tests and benchmarks).
    static quint64 openedCount() { return s_opened.load(std::memory_order_relaxed); }

    bool isOpen() const { return !m_name.isEmpty(); }
    // Open and not known to be cut off from its server (see commit on a server).
    bool usable() const { return isOpen() && !m_broken; }
    // A PostgreSQL connection rather than an SQLite file.
    bool isServer() const { return m_server; }
    // The database still answers on this connection (a server may have gone away).
    bool answers() const;
    // The server's process serving this connection (0 for a file).
    int serverProcess() const { return m_serverProcess; }
    QSqlDatabase db() const;
    const QString &path() const { return m_path; }
    void close();

    // A prepared statement on this connection; throws KavioError when it does not prepare.
    QSqlQuery prepare(const QString &sql) const;
    // Prepares, binds the values in order and executes; throws KavioError on failure.
    QSqlQuery exec(const QString &sql, const QVariantList &values = {}) const;
    // Runs a statement without parameters as it is (a server cannot prepare schema
    // changes or settings); throws KavioError on failure.
    void run(const QString &sql) const;

    // Runs fn inside one transaction: committed when fn returns, rolled back when it throws.
    // On a server whose connection breaks at the commit, ServerConnectionLost is thrown with
    // the outcome unknown, and the connection is no longer usable.
    template <typename Fn> void transaction(Fn &&fn) const
    {
        begin();
        try {
            fn();
        } catch (...) {
            rollback();
            throw;
        }
        commit();
    }

private:
    void begin() const;
    void commit() const;
    void rollback() const;
    // ServerConnection.cpp: tells a refused commit from one cut off on its way.
    void commitFailedOnServer(const KavioError &failure) const;

    static std::atomic<quint64> s_opened;

    QString m_name;
    QString m_path;
    bool m_server = false;
    int m_serverProcess = 0;
    mutable bool m_broken = false;
};

// The engine's own handle of an open SQLite connection; nullptr for anything else.
sqlite3 *engineHandle(const QSqlDatabase &db);

// Up to ten attempts, one after the other; after the tenth failure the last error text
// is shown in a plain message and an unset connection returned. Never throws.
DbConnection openWithRetry(const QString &path, OpenMode mode, Messages &messages, int attempts = 10);

// Segmente.mdb in the program folder, with the retry rule.
DbConnection dbOpenSegmente(const Platform &platform);
// The host's BIA.mdb (read-only) at "dbPath"; the message of the missing location when no
// path is set (unset connection).
DbConnection dbOpenBIA(const Platform &platform);
// Flags.mdb (read-only, see flagsPath), with the retry rule.
DbConnection OpenFlagsDB(const Platform &platform);

// Segmente.mdb with one attempt (storage, charts, history); throws KavioError.
DbConnection openSegmenteOnce(const Platform &platform);

QString segmentePath(const Platform &platform);
// The data folder's Flags.mdb; when it has none, the one beside the host's BIA.mdb if that
// exists; otherwise the data folder's (whose opening then reports it missing).
QString flagsPath(const Platform &platform);

// The milliseconds a statement waits for a lock held by another connection.
constexpr int kBusyTimeoutMs = 1000;

} // namespace kavio
