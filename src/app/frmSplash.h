#pragma once

#include "platform/Platform.h"

#include <functional>
#include <memory>
#include <QTimer>
#include <QWidget>

namespace Ui {
class frmSplash;
}

namespace kavio {

QString applicationTitle();

// The first window: checks for the host software, then hands over to the main window
// after five seconds or at the first click or key.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    // openMain is called once, when the splash window is left.
    frmSplash(const Platform &platform, std::function<void()> openMain, QWidget *parent = nullptr);
    ~frmSplash() override;

    // Runs the host check; false when the program must end (the message was shown and
    // the window closed).
    bool Form_Load();

    QTimer Timer;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void leave();

    Platform m_platform;
    std::function<void()> m_openMain;
    std::unique_ptr<Ui::frmSplash> ui;
    bool m_left = false;
};

} // namespace kavio
