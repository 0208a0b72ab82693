#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace kavio {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    QDate today() const { return now().date(); }
    QTime timeOfDay() const { return now().time(); }
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
};

} // namespace kavio
