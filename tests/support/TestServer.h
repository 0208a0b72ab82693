#pragma once

#include "db/ServerAddress.h"

#include <QVariant>

namespace kavio::test {

class FakeSettings;

// The PostgreSQL server of the test run: KAVIO_PG_SERVER ("host port user database"),
// else the address file KAVIO_PG_ADDRESS_FILE written by scripts/pg-test-server.sh.
// Empty, with why filled in, when neither names a server.
std::optional<ServerAddress> testServerAddress(QString *why);
// The workstation's own settings name the server's schema as its database.
void chooseServerDatabase(FakeSettings &settings, const ServerAddress &server);
// KAVIO_PG_SKIP=1: server tests are skipped instead of failing without a server.
bool serverTestsOptedOut();

// In a test function: the test server's address into a new variable var; without a
// server the test is skipped (KAVIO_PG_SKIP=1) or fails, naming what is missing.
#define KAVIO_TEST_SERVER(var)                                                                                         \
    QString var##Missing;                                                                                              \
    const std::optional<kavio::ServerAddress> var = kavio::test::testServerAddress(&var##Missing);                     \
    if (!var && kavio::test::serverTestsOptedOut())                                                                    \
        QSKIP("KAVIO_PG_SKIP=1");                                                                                      \
    QVERIFY2(var, qPrintable(var##Missing))

// A schema of its own on the test server for one test, dropped afterwards. Throws
// KavioError when the server cannot be reached.
class TestSchema {
public:
    explicit TestSchema(const ServerAddress &server);
    ~TestSchema();
    TestSchema(const TestSchema &) = delete;
    TestSchema &operator=(const TestSchema &) = delete;

    const ServerAddress &address() const { return m_address; }
    // The first column of the first row of sql, run in the schema.
    QVariant scalar(const QString &sql, const QVariantList &values = {}) const;

private:
    ServerAddress m_address;
};

} // namespace kavio::test
