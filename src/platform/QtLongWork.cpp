#include "platform/QtLongWork.h"

#include <exception>
#include <memory>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>

namespace kavio {

void QtLongWork::run(const QString &text, const std::function<void()> &work)
{
    QProgressDialog display(text, QString(), 0, 0);
    display.setWindowTitle(m_title);
    display.setWindowModality(Qt::ApplicationModal);
    display.setCancelButton(nullptr);
    display.setMinimumDuration(0);
    // Shown at once: until it is, clicks would still reach the window behind it.
    display.show();

    std::exception_ptr failure;
    QEventLoop loop;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace kavio
