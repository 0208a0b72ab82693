#pragma once

#include "charts/ChartModel.h"

#include <QColor>
#include <QRectF>
#include <QSizeF>

class QChartView;
class QPainter;

namespace kavio::charts {

// The look every chart of the program shares: white background, no built-in legend (the
// windows explain the bars themselves), German number format.
void setupChartView(QChartView *view);

// Replaces everything the chart shows by `data`: bars per column, the row labels, the
// trend lines over the bars on the same axes, and the value axis.
void showChart(QChartView *view, const ChartData &data);

// The chart's picture size in twips: the control's size on screen at 15 twips a pixel.
QSizeF chartSizeTwips(const QChartView *view);

// Draws the chart of `data` as a view of sizeTwips would show it, scaled into `target`
// of the painter (vector, real text). Needs no window on screen.
void renderChart(const ChartData &data, const QSizeF &sizeTwips, QPainter &painter, const QRectF &target);

inline constexpr double kTwipsPerPixel = 15.0;
// A faint blue behind the bars sets the plot off from the labels, on screen and paper.
inline const QColor kPlotBackground{240, 244, 252};

} // namespace kavio::charts
