// A program start as the operator has it, for the start-up benchmark: the splash window
// left through its key handler, the start-up question answered No, and the process ends
// as soon as the main window is shown ("kavio"), or once the hidden person list has been
// read as well ("ready"). "empty" starts only an empty Qt window.
#include "app/frmSplash.h"
#include "app/ProgramStart.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"
#include "workstation/frmMain.h"

#include <memory>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

namespace {

// The operator's answers: No to every question, OK to every message.
class AnswerNo final : public kavio::Messages {
public:
    void show(const QString &, kavio::MsgIcon, const QString &) override {}
    bool ask(const QString &, kavio::MsgIcon, const QString &) override { return false; }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == QLatin1String("empty")) {
        QWidget window;
        window.show();
        QTimer::singleShot(0, &app, &QApplication::quit);
        return app.exec();
    }
    if (argc < 3)
        return 2;

    kavio::setUpApplication();
    AnswerNo messages;
    kavio::SystemParts parts;
    const kavio::ProgramFolder folder(QString::fromLocal8Bit(argv[2]));
    const kavio::Platform platform = parts.platform(messages, folder);

    std::unique_ptr<kavio::frmMain> mainWindow;
    kavio::frmSplash splash(platform, [&] {
        mainWindow = kavio::openMainWindow(platform);
        if (mode != QLatin1String("ready")) {
            QTimer::singleShot(0, &app, &QApplication::quit);
            return;
        }
        auto *poll = new QTimer(mainWindow.get());
        QObject::connect(poll, &QTimer::timeout, &app, [&] {
            if (mainWindow->personModel())
                QApplication::quit();
        });
        poll->start(1);
    });
    if (!splash.Form_Load())
        return 1;
    splash.show();
    QTimer::singleShot(0, &splash, [&splash] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
        QApplication::sendEvent(&splash, &press);
    });
    const int rc = app.exec();
    return rc == 0 && mainWindow ? 0 : 3;
}
