#pragma once

#include "db/ListRows.h"

namespace kavio {

// readListRows for a server connection: the same rows and cells through the general query
// interface. cancel is looked at between rows; a cancelled read throws KavioError.
ListRows readServerListRows(const DbConnection &db, const QString &sql, QVector<ListFormatter> formatters = {},
                            const std::atomic_bool *cancel = nullptr);

} // namespace kavio
