#pragma once

#include "db/Segments.h"

#include <array>
#include <optional>
#include <QDate>
#include <QString>
#include <QTime>

namespace kavio {

// The typed values that travel between the device, the session, the repository and
// whatever shows, prints or exports them. No widgets, no text formatting.

// The three measuring frequencies, in the order of every frequency array below.
enum class Frequency { kHz5 = 0, kHz50, kHz100 };
inline constexpr std::array<Frequency, 3> kFrequencies{Frequency::kHz5, Frequency::kHz50, Frequency::kHz100};

constexpr int kiloHertz(Frequency f)
{
    constexpr std::array<int, 3> khz{5, 50, 100};
    return khz[static_cast<size_t>(f)];
}

// 5, 50 or 100 kHz; nullopt for any other number.
inline std::optional<Frequency> frequencyOfKiloHertz(int khz)
{
    for (Frequency f : kFrequencies)
        if (kiloHertz(f) == khz)
            return f;
    return std::nullopt;
}

// The value fields' quantities of a frequency.
constexpr Quantity resistanceQuantity(Frequency f)
{
    constexpr std::array<Quantity, 3> q{Quantity::W5, Quantity::W50, Quantity::W100};
    return q[static_cast<size_t>(f)];
}
constexpr Quantity reactanceQuantity(Frequency f)
{
    constexpr std::array<Quantity, 3> q{Quantity::Xc5, Quantity::Xc50, Quantity::Xc100};
    return q[static_cast<size_t>(f)];
}

// Resistance and reactance at one frequency in whole ohms, and the resistance after
// therapy where a second measurement was stored. A value the database holds as NULL is
// empty.
struct Impedance {
    std::optional<qint16> r;
    std::optional<qint16> xc;
    std::optional<qint16> rAfter;

    bool operator==(const Impedance &) const = default;
};

// The values of one segment at the three frequencies.
struct SegmentReading {
    std::array<Impedance, 3> at{};

    Impedance &operator[](Frequency f) { return at[static_cast<size_t>(f)]; }
    const Impedance &operator[](Frequency f) const { return at[static_cast<size_t>(f)]; }
    bool operator==(const SegmentReading &) const = default;
};

// One stored row of a segment table.
struct Measurement {
    qint64 id = 0;     // MessID
    qint32 person = 0; // FKTN
    QDate day;
    QTime time; // invalid when the row has none
    SegmentReading values;

    const Impedance &operator[](Frequency f) const { return values[f]; }
};

// A person of the segment database as the main window chooses one.
struct Person {
    qint32 number = 0; // LfdNr
    QString name;
    QString firstName;
    QDate birthDate;

    bool isSet() const { return number != 0; }
    bool operator==(const Person &) const = default;
};

// A person's count of rows per segment, in the order of kSegments.
struct SegmentCounts {
    std::array<int, 4> perSegment{};

    int of(const SegmentInfo &segment) const { return perSegment[static_cast<size_t>(segment.storeIndex)]; }
};

} // namespace kavio
