// The busy display over long work: the work runs off the window's thread while events
// are still handled, and its failure reaches the caller.
#include "app/Errors.h"
#include "platform/QtLongWork.h"

#include <atomic>
#include <QApplication>
#include <QProgressDialog>
#include <QTest>
#include <QThread>
#include <QTimer>

using namespace kavio;

class TestLongWork : public QObject {
    Q_OBJECT
private slots:
    void runsOffTheWindowThreadWhileEventsFlow();
    void failureReachesTheCaller();
};

void TestLongWork::runsOffTheWindowThreadWhileEventsFlow()
{
    QtLongWork longWork(QStringLiteral("Titel"));
    std::atomic_bool release{false};
    QThread *workThread = nullptr;
    QString shownText;
    // The window's events run during the work: this timer sees the display and ends it.
    QTimer::singleShot(50, [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *display = qobject_cast<QProgressDialog *>(w); display && display->isVisible())
                shownText = display->labelText();
        release = true;
    });
    longWork.run(QStringLiteral("Die Sicherung wird angelegt …"), [&] {
        workThread = QThread::currentThread();
        while (!release)
            QThread::msleep(5);
    });
    QVERIFY(workThread && workThread != QThread::currentThread());
    QCOMPARE(shownText, QStringLiteral("Die Sicherung wird angelegt …"));
    for (QWidget *w : QApplication::topLevelWidgets()) // the display is gone afterwards
        QVERIFY(!qobject_cast<QProgressDialog *>(w) || !w->isVisible());
}

void TestLongWork::failureReachesTheCaller()
{
    QtLongWork longWork(QStringLiteral("Titel"));
    try {
        longWork.run(QStringLiteral("…"), [] { throw KavioError(75, QStringLiteral("Pfad")); });
        QFAIL("no exception");
    } catch (const KavioError &e) {
        QCOMPARE(e.number(), 75);
    }
}

QTEST_MAIN(TestLongWork)
#include "tst_longwork.moc"
