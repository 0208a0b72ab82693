#pragma once

#include <QLoggingCategory>

// Where failures that the operator is not shown are written (Qt's logging; enable with
// QT_LOGGING_RULES="kavio.*=true").
namespace kavio {
Q_DECLARE_LOGGING_CATEGORY(lcWindow) // steps of window routines passed over after a failure
Q_DECLARE_LOGGING_CATEGORY(lcDevice) // the serial line and the device's records
Q_DECLARE_LOGGING_CATEGORY(lcGdt)    // the exchange folder of the practice software
Q_DECLARE_LOGGING_CATEGORY(lcServer) // the connection to the database server
} // namespace kavio
