#pragma once

// Drives the main window as the operator does: controls found by name, clicks through QTest.
#include "TestBed.h"
#include "workstation/frmMain.h"
#include "workstation/mdlGrid.h"

#include <memory>
#include <QAbstractButton>
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
