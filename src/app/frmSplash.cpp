#include "app/frmSplash.h"

#include "app/HostVersion.h"
#include "platform/Messages.h"
#include "ui_frmSplash.h"

#include <QKeyEvent>
#include <QMouseEvent>

static void initSplashResources()
{
    Q_INIT_RESOURCE(kavio);
}

namespace kavio {

QString applicationTitle()
{
    return QStringLiteral("KavioSegment");
}

frmSplash::frmSplash(const Platform &platform, std::function<void()> openMain, QWidget *parent)
    : QWidget(parent), m_platform(platform), m_openMain(std::move(openMain)), ui(std::make_unique<Ui::frmSplash>())
{
    initSplashResources();
    ui->setupUi(this);
    Timer.setObjectName(QStringLiteral("Timer"));
    Timer.setSingleShot(true);
    connect(&Timer, &QTimer::timeout, this, &frmSplash::leave);
    ui->Frame1->installEventFilter(this);
    ui->lblProductName->installEventFilter(this);
    ui->lblVersion->setText(QStringLiteral("Version %1.%2").arg(KAVIO_VERSION_MAJOR).arg(KAVIO_VERSION_MINOR));
    setFixedSize(size());
}

frmSplash::~frmSplash() = default;

bool frmSplash::Form_Load()
{
    Timer.start(5000);
    ui->lblProductName->setText(applicationTitle());
    if (!fIsKavioInstalled(*m_platform.settings)) {
        Timer.stop();
        m_left = true;
        m_platform.messages->stop(QStringLiteral("Die benötigte Kavio-Plus Software befindet sich nicht auf dem "
                                                 "Computer.\nDas Programm kann nicht gestartet werden!"),
                                  QStringLiteral("Fehlende Komponente"));
        close();
        return false;
    }
    return true;
}

void frmSplash::leave()
{
    if (m_left)
        return;
    m_left = true;
    Timer.stop();
    // Hidden, not closed, until the main window is up: the program must never stand
    // without an open window, or it would end.
    hide();
    if (m_openMain)
        m_openMain();
    close();
}

void frmSplash::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
    leave();
}

void frmSplash::keyPressEvent(QKeyEvent *event)
{
    QWidget::keyPressEvent(event);
    leave();
}

bool frmSplash::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress)
        leave();
    return QWidget::eventFilter(watched, event);
}

} // namespace kavio
