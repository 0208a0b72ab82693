#pragma once

// Drives the main window as the operator does: controls found by name, clicks through QTest.
#include "TestBed.h"
#include "workstation/frmMain.h"
#include "workstation/mdlGrid.h"

#include <memory>
#include <QAbstractButton>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

namespace kavio::test {

template <typename T = QWidget> T *control(QWidget &w, const QString &name)
{
    T *c = w.findChild<T *>(name);
    if (!c)
        qFatal("control %s missing", qPrintable(name));
    return c;
}

inline void click(QWidget &w, const QString &name)
{
    QTest::mouseClick(control<QAbstractButton>(w, name), Qt::LeftButton);
}

// Clicks data row `row` (1 = first data row) of a grid.
inline void clickRow(QWidget &w, const QString &gridName, int row)
{
    auto *view = control<QTableView>(w, gridName);
    const QModelIndex index = view->model()->index(row - 1, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

inline int gridRows(QWidget &w, const QString &gridName)
{
    return FlexGrid(*control<QTableView>(w, gridName)).rows();
}

// The text of a label, button or text box.
inline QString textOf(QWidget &w, const QString &name)
{
    return control(w, name)->property("text").toString();
}

// The 24 value boxes, quantity by quantity (W100, Xc100, W5, Xc5, W50, Xc50), each for
// ArmLi, ArmRe, BeinLi, BeinRe.
inline QList<QLineEdit *> valueFields(QWidget &w)
{
    QList<QLineEdit *> fields(24);
    for (const SegmentInfo &s : kSegments)
        for (int q = 0; q < 6; ++q)
            fields[storeIndex(static_cast<Quantity>(q), s)] =
                control<QLineEdit>(w, valueFieldName(static_cast<Quantity>(q), s));
    return fields;
}

inline QLineEdit *valueField(QWidget &w, Quantity q, const SegmentInfo &s)
{
    return control<QLineEdit>(w, valueFieldName(q, s));
}

// The value labels beside the boxes (lblR_Ar_0 ... lbl100_AR_3).
inline QList<QLabel *> valueLabels(QWidget &w)
{
    QList<QLabel *> labels;
    for (int i = 0; i < 4; ++i)
        for (const char *name : {"lblR_Ar_", "lblXc_AR_", "lbl5_AR_", "lbl50_AR_", "lbl100_AR_"})
            labels << control<QLabel>(w, QLatin1String(name) + QString::number(i));
    return labels;
}

// Shape1 ... Shape4, the body markers.
inline QFrame *bodyMarker(QWidget &w, int index)
{
    return control<QFrame>(w, QStringLiteral("Shape") + QString::number(index + 1));
}

// Expected states, space separated: "+name" shown, "-name" hidden, "name=on"/"name=off" enabled or not.
inline void check(QWidget &w, const QString &expected)
{
    for (const QString &token : expected.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QChar sign = token.front();
        const bool visibility = sign == QLatin1Char('+') || sign == QLatin1Char('-');
        const QStringList parts = token.mid(visibility ? 1 : 0).split(QLatin1Char('='));
        const QWidget *c = control(w, parts[0]);
        if (visibility)
            QVERIFY2(c->isVisible() == (sign == QLatin1Char('+')), qPrintable(token));
        if (parts.size() > 1)
            QVERIFY2(c->isEnabled() == (parts[1] == QLatin1String("on")), qPrintable(token));
    }
}

// The window shown on a test bed, with the start-up question answered No.
struct Window {
    explicit Window(TestBed::Options options = {}) : bed(options) {}
    void open()
    {
        w = std::make_unique<frmMain>(bed.platform);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        bed.messages.clear();
    }
    // Person list open, the person of list row `row` chosen, then `segment` confirmed.
    void choose(int row, const QString &segmentOption = {})
    {
        click(*w, QStringLiteral("cmdPatientAuswahl"));
        clickRow(*w, QStringLiteral("ocxFlex"), row);
        if (!segmentOption.isEmpty()) {
            click(*w, segmentOption);
            click(*w, QStringLiteral("cmdOptSegment"));
        }
    }
    TestBed bed;
    std::unique_ptr<frmMain> w;
};

} // namespace kavio::test
