#pragma once

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QColor>
#include <QLineF>
#include <QLineSeries>
#include <QList>
#include <QStringList>
#include <QValueAxis>

namespace kavio::test {

// What a chart view shows, read back from its chart.
struct ShownChart {
    QStringList labels;        // category labels, trailing blanks removed
    QList<QList<double>> sets; // bar values per set
    QList<QColor> colours;
    QList<QLineF> lines; // trend lines
    QList<QColor> lineColours;
    double axisMin = 0, axisMax = 0;
    int seriesCount = 0;
    bool linesOnBarAxes = true;
};

inline ShownChart inspect(QChartView *view)
{
    ShownChart s;
    QChart *chart = view->chart();
    s.seriesCount = static_cast<int>(chart->series().size());
    QList<QAbstractAxis *> barAxes;
    for (QAbstractSeries *series : chart->series()) {
        if (auto *bars = qobject_cast<QBarSeries *>(series)) {
            barAxes = bars->attachedAxes();
            for (QBarSet *set : bars->barSets()) {
                QList<double> values;
                for (int i = 0; i < set->count(); ++i)
                    values << set->at(i);
                s.sets << values;
                s.colours << set->color();
            }
        }
    }
    for (QAbstractSeries *series : chart->series()) {
        if (auto *line = qobject_cast<QLineSeries *>(series)) {
            const auto pts = line->points();
            if (pts.size() == 2)
                s.lines << QLineF(pts[0], pts[1]);
            s.lineColours << line->pen().color();
            for (QAbstractAxis *a : line->attachedAxes())
                s.linesOnBarAxes = s.linesOnBarAxes && barAxes.contains(a);
        }
    }
    for (QAbstractAxis *axis : chart->axes()) {
        if (auto *cat = qobject_cast<QBarCategoryAxis *>(axis))
            for (const QString &c : cat->categories()) {
                QString t = c;
                while (t.endsWith(QLatin1Char(' ')))
                    t.chop(1);
                s.labels << t;
            }
        if (auto *val = qobject_cast<QValueAxis *>(axis)) {
            s.axisMin = val->min();
            s.axisMax = val->max();
        }
    }
    return s;
}

} // namespace kavio::test
