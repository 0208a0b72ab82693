#include "DeviceRecords.h"

#include <cmath>
#include <numbers>

namespace kavio::sim {

QByteArray formatRecord(const QString &code, int frequency, const Reading &reading)
{
    const double phase =
        reading.rTenths > 0 ? std::atan2(reading.xcTenths, reading.rTenths) * 180.0 / std::numbers::pi : 0.0;
    const auto fixed = [](int v, int width) { return QByteArray::number(v).rightJustified(width, '0'); };
    return code.toLatin1() + 'M' + fixed(frequency, 3) + ' ' + fixed(reading.rTenths, 4) + ',' +
           fixed(reading.xcTenths, 4) + ',' + fixed(static_cast<int>(std::lround(phase * 10)), 4) + ";\r\n";
}

Reading typicalReading(const QString &code, int frequency, std::mt19937 &random)
{
    // At 50 kHz an arm shows about 290 ohms and 31 ohms reactance, a leg a little less;
    // lower frequencies see more resistance and less reactance.
    const bool leg = code.startsWith(QLatin1Char('B'));
    double r = leg ? 2480 : 2900;
    double xc = leg ? 265 : 310;
    if (frequency == 5) {
        r *= 1.09;
        xc *= 0.48;
    } else if (frequency == 100) {
        r *= 0.94;
        xc *= 0.86;
    }
    std::uniform_real_distribution<double> jitter(0.97, 1.03);
    return {static_cast<int>(std::lround(r * jitter(random))), static_cast<int>(std::lround(xc * jitter(random)))};
}

QByteArray lineNoise(std::mt19937 &random)
{
    std::uniform_int_distribution<int> length(3, 24);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray out;
    for (int n = length(random); out.size() < n;) {
        const char c = static_cast<char>(byte(random));
        if (c != ';')
            out += c;
    }
    return out;
}

QString otherSegment(const QString &code)
{
    if (code.size() != 2 || (code[0] != QLatin1Char('A') && code[0] != QLatin1Char('B')))
        return {};
    if (code[1] == QLatin1Char('R'))
        return code.left(1) + QLatin1Char('L');
    if (code[1] == QLatin1Char('L'))
        return code.left(1) + QLatin1Char('R');
    return {};
}

} // namespace kavio::sim
