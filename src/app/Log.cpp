#include "app/Log.h"

namespace kavio {
Q_LOGGING_CATEGORY(lcWindow, "kavio.window", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDevice, "kavio.device", QtWarningMsg)
Q_LOGGING_CATEGORY(lcGdt, "kavio.gdt", QtWarningMsg)
Q_LOGGING_CATEGORY(lcServer, "kavio.server", QtInfoMsg)
} // namespace kavio
