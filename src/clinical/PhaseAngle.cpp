#include "clinical/PhaseAngle.h"

#include "clinical/Decimal.h"

#include <cmath>
#include <numbers>

namespace kavio::clinical {

std::optional<double> phaseAngle(const Impedance &impedance)
{
    if (!impedance.r || *impedance.r <= 0 || !impedance.xc)
        return std::nullopt;
    return std::atan(double(*impedance.xc) / double(*impedance.r)) * 180.0 / std::numbers::pi;
}

std::optional<double> phaseAngle(const SegmentReading &reading, Frequency f)
{
    return phaseAngle(reading[f]);
}

std::optional<qint64> phaseAngleTenths(const std::optional<double> &degrees)
{
    if (!degrees)
        return std::nullopt;
    return std::llround(*degrees * 10.0);
}

QString phaseAngleText(const std::optional<double> &degrees)
{
    const std::optional<qint64> tenths = phaseAngleTenths(degrees);
    return tenths ? decimalComma(*tenths, 1) : QString();
}

std::optional<PhaseAngleMismatch> devicePhaseMismatch(const std::optional<double> &computed, qint16 deviceTenths)
{
    if (!computed)
        return std::nullopt;
    const double device = deviceTenths / 10.0;
    if (std::abs(*computed - device) <= kDeviceAngleTolerance)
        return std::nullopt;
    return PhaseAngleMismatch{*computed, device};
}

} // namespace kavio::clinical
