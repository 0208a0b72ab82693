#pragma once

#include "platform/Messages.h"

#include <functional>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QLineSeries>
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
    bool linesOnBarAxes = true;
};

inline ShownChart inspect(QChartView *view)
{
    ShownChart s;
    QList<QAbstractAxis *> barAxes;
    for (QAbstractSeries *series : view->chart()->series())
        if (auto *bars = qobject_cast<QBarSeries *>(series)) {
            barAxes = bars->attachedAxes();
            for (QBarSet *set : bars->barSets()) {
                s.sets.append(QList<double>());
                for (int i = 0; i < set->count(); ++i)
                    s.sets.last() << set->at(i);
                s.colours << set->color();
            }
        }
    for (QAbstractSeries *series : view->chart()->series())
        if (auto *line = qobject_cast<QLineSeries *>(series)) {
            if (line->count() == 2)
                s.lines << QLineF(line->at(0), line->at(1));
            s.lineColours << line->pen().color();
            for (QAbstractAxis *a : line->attachedAxes())
                s.linesOnBarAxes = s.linesOnBarAxes && barAxes.contains(a);
        }
    for (QAbstractAxis *axis : view->chart()->axes()) {
        if (auto *cat = qobject_cast<QBarCategoryAxis *>(axis))
            for (const QString &c : cat->categories())
                s.labels << c.trimmed();
        if (auto *val = qobject_cast<QValueAxis *>(axis)) {
            s.axisMin = val->min();
            s.axisMax = val->max();
        }
    }
    return s;
}

// Records every message with what the test reads off its windows at that moment; answers
// every question with No.
class SnapshotMessages final : public Messages {
public:
    struct Shown {
        QString text;
        MsgIcon icon;
        QString state;            // what `state` reported
        QList<ShownChart> charts; // the views `charts` named
    };
    void show(const QString &text, MsgIcon icon, const QString &) override
    {
        Shown s{text, icon, state ? state() : QString(), {}};
        for (QChartView *view : charts ? charts() : QList<QChartView *>{})
            s.charts << inspect(view);
        shown << s;
    }
    bool ask(const QString &text, MsgIcon icon, const QString &title) override
    {
        show(text, icon, title);
        return false;
    }
    QStringList texts() const
    {
        QStringList t;
        for (const auto &s : shown)
            t << s.text;
        return t;
    }
    std::function<QString()> state;
    std::function<QList<QChartView *>()> charts;
    QList<Shown> shown;
};

} // namespace kavio::test
