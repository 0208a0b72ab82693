#include "charts/ChartModel.h"

#include "app/Conversions.h"
#include "app/Errors.h"
#include "clinical/PhaseAngle.h"

#include <algorithm>

namespace kavio::charts {

ChartData clearedChart()
{
    ChartData c;
    c.rows = 1;
    c.labels = QStringList{QString()};
    c.cells = {{0.0}};
    c.colours = {kFirstSeriesColour};
    return c;
}

ChartData preparedChart(int columns)
{
    ChartData c;
    c.rows = kChartRows;
    for (int i = 0; i < kChartRows; ++i)
        c.labels << QString();
    const QList<QColor> colours{kFirstSeriesColour, kSecondSeriesColour};
    for (int col = 0; col < columns; ++col) {
        c.cells << QList<std::optional<double>>(kChartRows);
        c.colours << colours.value(col, kFirstSeriesColour);
    }
    return c;
}

QList<ChartRecord> chartRecords(const QList<Measurement> &rows, Frequency resistance)
{
    QList<ChartRecord> out;
    out.reserve(rows.size());
    for (const Measurement &m : rows)
        out.append({m.day, m[resistance].r, m[resistance].rAfter, m[Frequency::kHz50].r, m[Frequency::kHz50].xc});
    return out;
}

QList<int> trendRowIndices(int recordCount)
{
    QList<int> rows;
    if (recordCount <= 0)
        return rows;
    rows << 0;
    const int from = recordCount > kChartRows ? recordCount - (kChartRows - 1) : 1;
    for (int i = from; i < recordCount; ++i)
        rows << i;
    return rows;
}

QList<int> comparisonRowIndices(int recordCount)
{
    QList<int> rows;
    for (int i = std::max(0, recordCount - kChartRows); i < recordCount; ++i)
        rows << i;
    return rows;
}

static bool missingOrZero(const std::optional<qint16> &v)
{
    return !v || *v == 0;
}

double inverseResistance(const std::optional<qint16> &r)
{
    // A missing or zero resistance would give 1 / 0.000001 = 1,000,000 and flatten every
    // other bar; such a day shows a bar of height 0 instead.
    if (missingOrZero(r))
        return 0.0;
    return 1.0 / (*r + 0.000001);
}

std::optional<TrendLine> leastSquares(const QList<std::optional<double>> &column)
{
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    int first = -1, last = -1;
    for (int i = 0; i < column.size(); ++i) {
        if (!column[i])
            continue;
        const double x = i, y = *column[i];
        n += 1;
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
        if (first < 0)
            first = i;
        last = i;
    }
    const double denom = n * sxx - sx * sx;
    if (n < 2 || denom == 0.0)
        return std::nullopt;
    TrendLine t;
    t.slope = (n * sxy - sx * sy) / denom;
    t.intercept = (sy - t.slope * sx) / n;
    t.firstRow = first;
    t.lastRow = last;
    return t;
}

ChartData inverseRChart(const QList<ChartRecord> &records)
{
    ChartData c = preparedChart(2);
    // A missing value shows as a bar of 0 but must not pull the trend line towards 0:
    // the lines run through the measured values only.
    QList<QList<std::optional<double>>> measured(2, QList<std::optional<double>>(kChartRows));
    const QList<int> picked = trendRowIndices(static_cast<int>(records.size()));
    for (int row = 0; row < picked.size(); ++row) {
        const ChartRecord &r = records[picked[row]];
        c.labels[row] = germanDate(r.datum);
        const std::optional<qint16> values[2]{r.r, r.rN};
        for (int column = 0; column < 2; ++column) {
            c.cells[column][row] = inverseResistance(values[column]);
            if (!missingOrZero(values[column]))
                measured[column][row] = c.cells[column][row];
        }
    }
    for (const auto &column : measured)
        c.trends << leastSquares(column);
    return c;
}

void fillXcRChart(const QList<ChartRecord> &records, ChartData &chart)
{
    const QList<int> picked = trendRowIndices(static_cast<int>(records.size()));
    for (int row = 0; row < picked.size(); ++row) {
        const ChartRecord &r = records[picked[row]];
        chart.labels[row] = germanDate(r.datum);
        if (!r.w50 || !r.xc50)
            throw KavioError(RunError::InvalidNull);
        const double w50 = *r.w50, xc50 = *r.xc50;
        if (w50 == 0.0)
            throw KavioError(xc50 == 0.0 ? RunError::Overflow : RunError::DivisionByZero);
        chart.cells[0][row] = xc50 / w50;
    }
}

ChartData phaseAngleChart(const QList<Measurement> &rows, Frequency f)
{
    QList<QDate> days;
    QList<std::optional<double>> angles;
    for (const Measurement &m : rows)
        if (const std::optional<double> angle = clinical::phaseAngle(m[f])) {
            days << m.day;
            angles << angle;
        }
    ChartData c = preparedChart(1);
    c.valueTitle = QStringLiteral("Phasenwinkel in Grad (%1 kHz)").arg(kiloHertz(f));
    const QList<int> picked = trendRowIndices(static_cast<int>(days.size()));
    for (int row = 0; row < picked.size(); ++row) {
        c.labels[row] = germanDate(days[picked[row]]);
        c.cells[0][row] = angles[picked[row]];
    }
    c.trends << leastSquares(c.cells[0]);
    return c;
}

QString phaseAngleCaption(Frequency f)
{
    return QStringLiteral("φ%1").arg(kiloHertz(f));
}

QStringList phaseAngleLegend(Frequency f)
{
    return {QStringLiteral("Die Balkenhöhe zeigt den Phasenwinkel φ = arctan(Xc/R) bei %1 kHz in Grad (erste Messung).")
                .arg(kiloHertz(f)),
            QStringLiteral("Messungen ohne R oder Xc sind nicht enthalten.")};
}

ChartData comparisonChart(const QList<ChartRecord> &records, ComparisonQuantity quantity)
{
    ChartData c = preparedChart(1);
    const QList<int> picked = comparisonRowIndices(static_cast<int>(records.size()));
    for (int row = 0; row < kChartRows; ++row) {
        if (row >= picked.size()) {
            c.cells[0][row] = 0.0;
            continue;
        }
        const ChartRecord &r = records[picked[row]];
        c.labels[row] = germanDate(r.datum);
        // A day without a usable W50 has no 1/R or Xc/R value: its bar stays at 0.
        double v = 0.0;
        if (!missingOrZero(r.w50))
            v = quantity == ComparisonQuantity::InverseR ? 1.0 / *r.w50 : r.xc50.value_or(0) / double(*r.w50);
        c.cells[0][row] = v;
    }
    return c;
}

std::optional<double> comparisonAxisMaximum(ComparisonQuantity quantity, qint32 minW50)
{
    if (quantity == ComparisonQuantity::XcR)
        return 0.16;
    if (minW50 <= 0)
        return std::nullopt;
    return 1.0 / minW50;
}

} // namespace kavio::charts
