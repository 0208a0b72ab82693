#pragma once

#include <array>
#include <optional>
#include <QByteArrayView>
#include <QString>

namespace kavio {

// Communication events of the serial line as the receive handler numbers them.
enum CommEvent : int {
    comEvReceive = 2,       // characters are waiting
    comEventOverrun = 1006, // characters were lost in the port
    comEventRxOver = 1008,  // the receive buffer overflowed
};

// How many of the last received characters the receive window keeps.
inline constexpr int kReceiveWindowSize = 60;

// Frequency of the last tag "M005", "M050" or "M100" in the text: 5, 50 or 100; 0 when
// the text holds none.
qint16 fFrequenz(QByteArrayView text);

// The segment code ("AR", "AL", "BR", "BL") the text starts with; empty otherwise.
QString fSegment(QByteArrayView text);

// False exactly when the code names another of the four segments than the table.
bool SegmentPasst(const QString &table, const QString &code);

// A value in tenths of an ohm (decimal digits, optional sign, blanks around ignored) as
// whole ohms, halves to the even neighbour. Empty when it is no number or does not fit
// a 16-bit integer.
std::optional<qint16> tenthsToOhms(QByteArrayView text);

// The value fields a reading of the segment code at the frequency goes to; empty for a
// frequency other than 5, 50, 100 or a code other than the four.
struct FieldPair {
    QString resistance;
    QString reactance;
};
std::optional<FieldPair> fieldsFor(const QString &code, qint16 frequency);

// One record of the device, taken when its ";" arrived.
struct DeviceRecord {
    QString code;             // segment code that starts the record
    qint16 frequency = 0;     // last frequency tag received before its ";"
    std::optional<qint16> r;  // first comma field from position 8, when it converts
    std::optional<qint16> xc; // second comma field, when there is one and it converts
    // Third comma field: the device's own phase angle in tenths of a degree, when there
    // is one and it converts. Only checked against the computed angle, never shown.
    std::optional<qint16> phaseTenths;
    bool discarded = false; // arrived while no segment was chosen
};

// Splits the stream of received characters into device records. A record is a segment
// code followed, at least eight positions later, by ";": positions 3 to 7 are skipped and
// the value text runs from position 8 up to the ";". Each record is taken exactly once,
// however the characters are split into reads. The last 60 characters are kept as the
// receive window.
class RecordParser {
public:
    enum class Mode {
        Accept,  // a segment is chosen: records are taken
        Discard, // no segment chosen: records are only counted, never taken later
    };

    // Feeds received bytes; onRecord(const DeviceRecord &) is called for every record
    // completed by them, in order.
    template <typename F> void feed(QByteArrayView data, Mode mode, F &&onRecord)
    {
        for (const char c : data)
            if (push(c, mode))
                onRecord(m_record);
    }

    // The receive window (strComInBuffer): the last 60 characters received, bytes taken
    // as Latin-1.
    QString window() const;
    qint64 received() const { return m_total; }

private:
    bool push(char c, Mode mode);
    bool takeRecord(int semicolon);

    // Twice the window so that it is moved only every 60 characters.
    std::array<char, 2 * kReceiveWindowSize> m_buf{};
    int m_len = 0;
    qint64 m_total = 0;          // characters received so far
    qint64 m_barrier = 0;        // first character received in the current mode
    qint64 m_lastSemicolon = -1; // stream index of the latest ";"
    qint16 m_lastTag = 0;        // frequency of the latest tag of the current mode
    Mode m_mode = Mode::Accept;
    DeviceRecord m_record;
};

} // namespace kavio
