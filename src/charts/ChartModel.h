#pragma once

#include <optional>
#include <QColor>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include "session/Values.h"

namespace kavio::charts {

// What a chart is given: a grid of rows (one per measurement day) and columns (series),
// row labels, and how the value axis and the bars are drawn. Pure data, no widgets.

// y = slope * x + intercept, with x the 0-based row index.
struct TrendLine {
    double slope = 0;
    double intercept = 0;
    int firstRow = 0; // the line spans the rows that hold values
    int lastRow = 0;
    double at(double x) const { return slope * x + intercept; }
};

struct ChartData {
    int rows = 1;
    QStringList labels;                        // one per row, empty text where no record fills it
    QList<QList<std::optional<double>>> cells; // cells[column][row]; nullopt: no value
    QList<QColor> colours;                     // one per column
    QList<std::optional<TrendLine>> trends;    // one per column when the chart has trend lines
    double barGap = -0.25;                     // negative: neighbouring bars close up
    std::optional<double> axisMaximum;         // nullopt: automatic scaling
    QString valueTitle;                        // beside the value axis; empty: none

    int columns() const { return static_cast<int>(cells.size()); }
    std::optional<double> value(int column, int row) const { return cells.value(column).value(row); }
};

inline constexpr int kChartRows = 7;
inline const QColor kFirstSeriesColour{255, 0, 0};  // before therapy: red (the printed legend says so)
inline const QColor kSecondSeriesColour{0, 160, 0}; // after therapy: green
inline const QColor kTrendColour{0, 0, 255};

// A chart's data replaced by a single cell holding 0.
ChartData clearedChart();
// Bar chart of 7 rows and the given number of columns, no values yet.
ChartData preparedChart(int columns);

// One stored measurement as the charts read it.
struct ChartRecord {
    QDate datum;
    std::optional<qint16> r;    // the charted resistance (W5, W50 or W100)
    std::optional<qint16> rN;   // its second measurement (W5N, ...)
    std::optional<qint16> w50;  // for Xc/R
    std::optional<qint16> xc50; // for Xc/R
};

// The chart's view of a person's rows (in the order given); resistance is the frequency
// of the 1/R chart.
QList<ChartRecord> chartRecords(const QList<Measurement> &rows, Frequency resistance = Frequency::kHz50);

// Which records fill rows 1..7 of a trend chart: the oldest always, then the second to
// the n-th, or the six newest when there are more than seven.
QList<int> trendRowIndices(int recordCount);
// Which records fill a comparison chart: the seven newest in date order, or all.
QList<int> comparisonRowIndices(int recordCount);

// 1 / (R + 0.000001); 0 for a missing or zero resistance.
double inverseResistance(const std::optional<qint16> &r);

// The 1/R trend chart: two columns (first and second measurement) with trend lines.
ChartData inverseRChart(const QList<ChartRecord> &records);
// The Xc/R trend chart: Xc50 / W50, one column. A record whose W50 is empty or 0 throws
// KavioError; the rows before it are then already in `chart`.
void fillXcRChart(const QList<ChartRecord> &records, ChartData &chart);

// The phase-angle course at frequency f: one column, the angle of each record's first
// measurement in degrees (the second measurement has no Xc), with a trend line. Records
// whose angle cannot be computed (R missing or 0, Xc missing) are left out before the rows
// are picked, so they never show as a bar of 0; the rest fill the rows as in the trend
// charts. No labelled row when no record has an angle.
ChartData phaseAngleChart(const QList<Measurement> &rows, Frequency f);
// "φ50": the chart's caption in the legend box beside it.
QString phaseAngleCaption(Frequency f);
// The print-out's legend lines for the phase-angle course.
QStringList phaseAngleLegend(Frequency f);

// Comparison charts: one column, seven rows, the unused rows 0 with empty labels.
enum class ComparisonQuantity { InverseR, XcR };
ChartData comparisonChart(const QList<ChartRecord> &records, ComparisonQuantity quantity);
// The value axis maximum shared by both sides: 1 / smallest W50 for 1/R (nullopt, that is
// automatic scaling, when the smallest W50 is not positive), 0.16 for Xc/R.
std::optional<double> comparisonAxisMaximum(ComparisonQuantity quantity, qint32 minW50);

// Least-squares line through the column's filled rows (x = row index); nullopt with
// fewer than two points.
std::optional<TrendLine> leastSquares(const QList<std::optional<double>> &column);

} // namespace kavio::charts
