#include "charts/ChartView.h"

#include <algorithm>
#include <cmath>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>

namespace kavio::charts {

void setupChartView(QChartView *view)
{
    auto *chart = new QChart;
    chart->setBackgroundRoundness(0);
    chart->setBackgroundBrush(Qt::white);
    chart->setBackgroundPen(Qt::NoPen);
    chart->setPlotAreaBackgroundBrush(kPlotBackground);
    chart->setPlotAreaBackgroundVisible(true);
    chart->legend()->setVisible(false);
    chart->setLocalizeNumbers(true);
    chart->setLocale(QLocale(QLocale::German, QLocale::Germany));
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    view->setChart(chart); // the view owns the chart
    view->setFrameShape(QFrame::NoFrame);
    view->setRenderHint(QPainter::Antialiasing);
    showChart(view, clearedChart());
}

// Category labels must be unique to the axis; two days with the same date, or several
// empty rows, are told apart by trailing blanks nobody sees.
static QStringList distinctLabels(const QStringList &labels)
{
    QStringList out;
    for (QString label : labels) {
        if (label.isNull())
            label = QStringLiteral("");
        while (out.contains(label))
            label += QLatin1Char(' ');
        out << label;
    }
    return out;
}

static void valueRange(const ChartData &data, double &lo, double &hi)
{
    lo = 0.0;
    hi = 0.0;
    for (const auto &column : data.cells)
        for (const auto &v : column)
            if (v) {
                lo = std::min(lo, *v);
                hi = std::max(hi, *v);
            }
    for (const auto &t : data.trends)
        if (t)
            for (double y : {t->at(t->firstRow), t->at(t->lastRow)}) {
                lo = std::min(lo, y);
                hi = std::max(hi, y);
            }
    if (hi <= lo)
        hi = lo + 1.0;
}

// 1, 2 or 5 times a power of ten, the nearest to `step`.
static double roundStep(double step)
{
    if (!(step > 0) || !std::isfinite(step))
        return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(step)));
    const double m = step / power;
    return (m < 1.5 ? 1.0 : m < 3.5 ? 2.0 : m < 7.5 ? 5.0 : 10.0) * power;
}

void showChart(QChartView *view, const ChartData &data)
{
    QChart *chart = view->chart();
    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }

    auto *bars = new QBarSeries;
    // Bars of one day always touch in this chart kind, which is what the negative gap
    // asks for; the width leaves a little room between the days.
    bars->setBarWidth(data.barGap < 0 ? 0.8 : 0.6);
    for (int col = 0; col < data.columns(); ++col) {
        auto *set = new QBarSet(QString::number(col + 1));
        const QColor colour = data.colours.value(col, kFirstSeriesColour);
        set->setColor(colour);
        set->setBorderColor(colour.darker(130));
        for (int row = 0; row < data.rows; ++row)
            set->append(data.cells[col].value(row).value_or(0.0));
        bars->append(set);
    }
    chart->addSeries(bars);

    auto *x = new QBarCategoryAxis;
    x->append(distinctLabels(data.labels));
    // Seven full dates do not fit side by side under a chart of this width.
    QFont small = x->labelsFont();
    small.setPointSize(8);
    x->setLabelsFont(small);
    x->setLabelsAngle(-60);
    x->setTruncateLabels(false);
    auto *y = new QValueAxis;
    y->setLabelFormat(QStringLiteral("%.4g"));
    if (!data.valueTitle.isEmpty()) {
        // Degrees are not evident from the numbers alone, on screen or on paper.
        QFont title = y->titleFont();
        title.setPointSize(8);
        title.setBold(false);
        y->setTitleFont(title);
        y->setTitleText(data.valueTitle);
    }
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    bars->attachAxis(x);
    bars->attachAxis(y);

    for (const auto &t : data.trends) {
        if (!t)
            continue;
        auto *line = new QLineSeries;
        // The trend line is drawn solid blue, a little heavier than the grid.
        line->setPen(QPen(kTrendColour, 2));
        line->append(t->firstRow, t->at(t->firstRow));
        line->append(t->lastRow, t->at(t->lastRow));
        chart->addSeries(line);
        line->attachAxis(x);
        line->attachAxis(y);
    }

    if (data.axisMaximum) {
        y->setRange(0.0, *data.axisMaximum);
        // Labels at round steps from 0; the maximum itself is rarely a round number.
        y->setTickType(QValueAxis::TicksDynamic);
        y->setTickAnchor(0.0);
        y->setTickInterval(roundStep(*data.axisMaximum / 4));
    } else {
        double lo = 0, hi = 0;
        valueRange(data, lo, hi);
        y->setRange(lo, hi);
        y->applyNiceNumbers();
    }
}

QSizeF chartSizeTwips(const QChartView *view)
{
    return {view->width() * kTwipsPerPixel, view->height() * kTwipsPerPixel};
}

void renderChart(const ChartData &data, const QSizeF &sizeTwips, QPainter &painter, const QRectF &target)
{
    // A view of its own, never shown: laid out at the size the window's view has.
    QChartView view;
    setupChartView(&view);
    showChart(&view, data);
    const QSizeF size = sizeTwips / kTwipsPerPixel;
    view.resize(size.toSize());
    QChart *chart = view.chart();
    chart->resize(size);
    chart->layout()->activate();
    chart->scene()->render(&painter, target, QRectF(chart->pos(), size), Qt::IgnoreAspectRatio);
}

} // namespace kavio::charts
