#include "platform/Clock.h"

namespace kavio {

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

} // namespace kavio
