#pragma once

#include <QWidget>

// The program's own invisible control on the main window: a click on it raises its
// Click signal to the window that holds it; it does nothing else.
class Unischbar : public QWidget {
    Q_OBJECT
public:
    explicit Unischbar(QWidget *parent = nullptr);

signals:
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
