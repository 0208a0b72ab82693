#pragma once

#include "db/ConnectedRepository.h"
#include "db/Database.h"

namespace kavio {

// The segment database in one SQLite file. One connection for the window's thread,
// opened at the first operation and kept until release(); every write runs in one
// transaction. A file of a newer schema version is refused at opening (KavioError
// UnknownDatabaseFormat), so nothing is ever written into it.
class SqliteRepository final : public ConnectedRepository {
public:
    explicit SqliteRepository(QString path);

    const QString &path() const { return m_path; }

    ListRows personList(QVector<ListFormatter> formatters = {},
                        const std::atomic_bool *cancel = nullptr) const override;
    QList<PersonRow> persons(const QString &searchText) override;
    void release() override;

protected:
    void run(const std::function<void(const DbConnection &)> &work) override;
    QString latestOfDayLookup(const SegmentInfo &segment) const override;

private:
    const DbConnection &connection();

    QString m_path;
    DbConnection m_db;
};

} // namespace kavio
