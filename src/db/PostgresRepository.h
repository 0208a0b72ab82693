#pragma once

#include "db/ConnectedRepository.h"
#include "db/Database.h"
#include "db/ServerAddress.h"

namespace kavio {

// The segment database shared by several workstations on a PostgreSQL server. One
// connection for the window's thread, opened at the first operation (setting up the
// program's schema when it is missing) and kept until release(). When an operation
// fails because the server went away, the connection is dropped, so the next operation
// connects afresh (and listens again). A schema of a newer version is refused (KavioError
// UnknownDatabaseFormat).
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

private:
    const DbConnection &connection();
    void dropIfLost();
    // (Re)opens the listening connection; a failure is logged, the next operation retries.
    void listen();

    ServerAddress m_address;
    DbConnection m_db;
    QString m_serverProcess; // of m_db: its own announcements are no news
    std::function<void()> m_changed;
    DbConnection m_listener;
};

} // namespace kavio
