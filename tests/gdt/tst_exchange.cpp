// The exchange folder as the practice software fills it.
#include "Files.h"
#include "gdt/ExchangeWatcher.h"
#include "gdt/GdtRecord.h"
#include "Requests.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kavio::gdt;
using namespace kavio::gdt::test;
using kavio::test::bytesOf;
using Handling = ExchangeWatcher::Handling;

namespace {

const QString kRequestName = QStringLiteral("KAVIPRAX.GDT");

// A watcher on a folder of its own, recording the patient numbers it hands over and its notes.
struct Folder {
    QTemporaryDir dir;
    QString path = dir.path() + QStringLiteral("/gdt");
    QStringList taken, notes;
    Handling answer = Handling::Taken;
    ExchangeWatcher watcher{path, QStringLiteral("KAVI"), QStringLiteral("PRAX"), [this](const Request &r) {
                                taken << r.patientNumber;
                                return answer;
                            }};

    explicit Folder(int settleMs = 0)
    {
        QDir().mkpath(path);
        watcher.setSettleTime(settleMs);
        QObject::connect(&watcher, &ExchangeWatcher::note, [this](const QString &n) { notes << n; });
    }
    QString file(const QString &name) const { return path + QLatin1Char('/') + name; }
    QByteArray read(const QString &name) const { return bytesOf(file(name)); }
    void drop(const QString &name, const QByteArray &bytes) { QVERIFY(kavio::test::writeBytes(file(name), bytes)); }
};

} // namespace

class TestExchange : public QObject {
    Q_OBJECT
private slots:
    // A malformed file is moved aside whole with its reason beside it and in a note, unhandled.
    void malformedSetAside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        // The kinds of request are the format test's; here what the watcher itself reads and waits for.
        QTest::newRow("wrong line length") << request("01330004711", "01430004711") << "Zeile 7 (Feld 3000)";
        QTest::newRow("empty") << QByteArray() << "unvollständig";
        QTest::newRow("one byte over 10 MB") << QByteArray(kMaxFileBytes + 1, '0') << "größer als die erlaubten";
    }
    void malformedSetAside()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        Folder f;
        f.drop(kRequestName, bytes);
        f.watcher.scan();
        QCOMPARE(f.taken, QStringList());
        QVERIFY(!QFile::exists(f.file(kRequestName)));
        QCOMPARE(f.read(QStringLiteral("fehlerhaft/KAVIPRAX.GDT")), bytes);
        const QString why = QString::fromUtf8(f.read(QStringLiteral("fehlerhaft/KAVIPRAX.GDT.txt")));
        QVERIFY2(why.contains(reason, Qt::CaseInsensitive), qPrintable(why));
        QCOMPARE(f.notes.size(), 1);
        QVERIFY2(f.notes[0].contains(reason, Qt::CaseInsensitive), qPrintable(f.notes[0]));
        // A second file of the same name keeps the first one's place.
        f.drop(kRequestName, bytes);
        f.watcher.scan();
        QCOMPARE(f.read(QStringLiteral("fehlerhaft/2-KAVIPRAX.GDT")), bytes);
        QCOMPARE(f.read(QStringLiteral("fehlerhaft/KAVIPRAX.GDT")), bytes);
    }

    // Oldest first whatever the names; a wait keeps that file and every later one; other
    // devices' files and the program's own results are left alone.
    void oldestFirstAndWaiting()
    {
        Folder f;
        const QDateTime base(QDate(2026, 1, 5), QTime(8, 0), Qt::UTC);
        const std::pair<const char *, int> files[] = {{"KAVIPRAX.001", 30}, {"KAVIPRAX.002", 10}, {"KAVIPRAX.GDT", 20}};
        for (const auto &[name, age] : files) {
            f.drop(QLatin1String(name), request("4711", "0" + QByteArray(name).right(3)));
            QFile file(f.file(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(base.addSecs(-age), QFileDevice::FileModificationTime));
        }
        for (const char *other : {"EKGXPRAX.GDT", "PRAXKAVI.GDT"})
            f.drop(QLatin1String(other), sized(kRequestLines));
        f.answer = Handling::Wait;
        f.watcher.scan();
        QCOMPARE(f.taken, QStringList{"0001"});
        QCOMPARE(QDir(f.path).entryList(QDir::Files).size(), 5);
        f.answer = Handling::Taken;
        f.watcher.scan();
        QCOMPARE(f.taken, (QStringList{"0001", "0001", "0GDT", "0002"}));
        QCOMPARE(QDir(f.path).entryList(QDir::Files), (QStringList{"EKGXPRAX.GDT", "PRAXKAVI.GDT"}));
    }

    // A file being written is left until complete; still incomplete after the settle time, set aside.
    void unfinishedFileWaitedFor()
    {
        Folder f(60000);
        const QByteArray bytes = sized(kRequestLines);
        f.drop(kRequestName, bytes.left(50));
        f.watcher.scan();
        QCOMPARE(f.taken, QStringList());
        QCOMPARE(f.read(kRequestName), bytes.left(50));
        f.drop(kRequestName, bytes);
        f.watcher.scan();
        QCOMPARE(f.taken, QStringList{"4711"});
        QVERIFY(!QFile::exists(f.file(kRequestName)));
        QVERIFY(f.notes.isEmpty());

        f.watcher.setSettleTime(0);
        f.drop(kRequestName, bytes.left(50));
        f.watcher.scan();
        QCOMPARE(f.read(QStringLiteral("fehlerhaft/KAVIPRAX.GDT")), bytes.left(50));
    }

    // A share's folder that goes away: one note; back: a note and the request read.
    void folderGoneAndBack()
    {
        Folder f;
        QVERIFY(QDir(f.path).removeRecursively());
        f.watcher.scan();
        f.watcher.scan();
        QCOMPARE(f.notes.size(), 1);
        QVERIFY2(f.notes[0].contains(QStringLiteral("nicht erreichbar")), qPrintable(f.notes[0]));
        f.drop(kRequestName, sized(kRequestLines)); // makes the folder again
        f.watcher.scan();
        QCOMPARE(f.notes.size(), 2);
        QVERIFY2(f.notes[1].contains(QStringLiteral("wieder erreichbar")), qPrintable(f.notes[1]));
        QCOMPARE(f.taken, QStringList{"4711"});
    }

    // Notifications alone (polling far off) and polling alone each pick a request up.
    void notificationsAndPolling_data()
    {
        QTest::addColumn<bool>("notifications");
        QTest::addColumn<int>("pollMs");
        QTest::newRow("notifications") << true << 600000;
        QTest::newRow("polling") << false << 50;
    }
    void notificationsAndPolling()
    {
        QFETCH(bool, notifications);
        QFETCH(int, pollMs);
        Folder f;
        f.watcher.start(notifications, pollMs);
        QTest::qWait(20); // the first look at the folder
        f.drop(kRequestName, sized(kRequestLines));
        QTRY_COMPARE_WITH_TIMEOUT(f.taken, QStringList{"4711"}, 3000);
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
