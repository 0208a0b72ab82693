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

QString phaseAngleText(const std::optional<double> &degrees)
{
    if (!degrees)
        return {};
    return decimalComma(std::llround(*degrees * 10.0), 1);
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
