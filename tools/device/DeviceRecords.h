#pragma once

#include <QByteArray>
#include <QString>
#include <random>

namespace kavio::sim {

// One reading of the device in tenths of an ohm.
struct Reading {
    int rTenths = 0;
    int xcTenths = 0;
};

// A record as the device sends it: segment code, five characters holding the frequency
// tag ("M050 "), resistance, reactance and phase angle (tenths of a degree) as four or
// more digits separated by ",", then ";" and a line end:
//   ARM050 4567,0321,0040;\r\n
QByteArray formatRecord(const QString &code, int frequency, const Reading &reading);

// A plausible reading of the segment at the frequency, varying a little from call to call.
Reading typicalReading(const QString &code, int frequency, std::mt19937 &random);

// A few random bytes as a disturbed line might deliver them; never a ";", so it cannot
// end a record.
QByteArray lineNoise(std::mt19937 &random);

// The segment of the other side (AR <-> AL, BR <-> BL); empty for anything else.
QString otherSegment(const QString &code);

} // namespace kavio::sim
