#pragma once

#include "db/ConnectedRepository.h"
#include "db/Database.h"
#include "db/ServerAddress.h"

namespace kavio {

// The segment database shared by several workstations on a PostgreSQL server. One
// connection for the window's thread, opened at the first operation (setting up the
// program's schema when it is missing) and kept until release(). When the server cannot
// be reached, or goes away during an operation, ServerConnectionLost is thrown and the
// connection dropped, so the next operation connects afresh (and listens again). A schema
// of a newer version is refused (KavioError UnknownDatabaseFormat).
class PostgresRepository final : public ConnectedRepository {
public:
    explicit PostgresRepository(ServerAddress address);

    const ServerAddress &address() const { return m_address; }

    ListRows personList(QVector<ListFormatter> formatters = {},
                        const std::atomic_bool *cancel = nullptr) const override;
    QList<PersonRow> persons(const QString &searchText) override;
    void release() override;
    // Listens on a connection of its own for the changes the other workstations announce.
    void watchChanges(std::function<void()> changed) override;

protected:
    // When work fails and the server no longer answers, the connection is let go before
    // the failure is passed on.
    void run(const std::function<void(const DbConnection &)> &work) override;
    QString latestOfDayLookup(const SegmentInfo &segment) const override;
    // Asks on fresh connections until the address's patience is used up. The lost session
    // may still hold its transaction open, waiting for a commit that will not come: it is
    // ended first, so what is found is final.
    std::optional<qint64> settleLostCommit(const ServerConnectionLost &lost, const StoredRow &find) override;

private:
    const DbConnection &connection();
    // True (and the connection let go) when the server no longer answers on it.
    bool dropIfLost();
    // (Re)opens the listening connection; a failure is logged, the next operation retries.
    void listen();

    ServerAddress m_address;
    DbConnection m_db;
    QString m_serverProcess; // of m_db: its own announcements are no news
    int m_lostProcess = 0;   // the server process of a connection lost at a commit
    std::function<void()> m_changed;
    DbConnection m_listener;
};

} // namespace kavio
