#pragma once

#include "session/Values.h"

#include <optional>
#include <QString>

namespace kavio::clinical {

// Phase angle φ = atan(Xc / R) · 180 / π in degrees.
//
// No value when R is missing, 0 or negative (a resistance of 0 is an empty field or a
// failed contact, a negative one is not a reading; showing 0° or 90° would look like a
// finding) or when Xc is missing. A negative Xc gives a negative angle: the value is
// shown as measured, so a reversed lead or a sign convention of a device stands out
// instead of being hidden behind its magnitude.
std::optional<double> phaseAngle(const Impedance &impedance);
std::optional<double> phaseAngle(const SegmentReading &reading, Frequency f);

// The angle as shown: in tenths of a degree, halves away from zero; nothing for no value.
std::optional<qint64> phaseAngleTenths(const std::optional<double> &degrees);
// The angle for the screen: one decimal with decimal comma ("6,3", "-6,2"); empty text
// for no value.
QString phaseAngleText(const std::optional<double> &degrees);

// The device sends its own phase angle (third comma field, tenths of a degree). The
// program shows only the angle computed from the stored R and Xc, because those are what
// the list, the charts and the exports hold and what a later reader can recompute. The
// device's figure serves as a check: when it differs from the computed one by more than
// 0.5° the receive handler logs both (a difference of exactly 0.5° is not logged; the
// whole-ohm rounding of R and Xc alone moves the angle by far less).
inline constexpr double kDeviceAngleTolerance = 0.5;

struct PhaseAngleMismatch {
    double computed; // degrees
    double device;   // degrees
};

// Both angles when they differ by more than kDeviceAngleTolerance; nothing when they agree
// or when there is no computed angle to compare with.
std::optional<PhaseAngleMismatch> devicePhaseMismatch(const std::optional<double> &computed, qint16 deviceTenths);

} // namespace kavio::clinical
