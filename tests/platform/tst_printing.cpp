// Print jobs and the print system: a printer that does not take jobs, or a job that is not handed
// over, is reported instead of passing for a print-out. Against a print system double and against a
// private CUPS scheduler with a real queue.
#include "platform/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kavio;

namespace {

class RefusingPrintSystem final : public PrintSystem {
public:
    QString refusal(const QString &printer) override
    {
        asked << printer;
        return refuse;
    }
    QString handOverFailure() override { return lost; }
    QString refuse, lost;
    QStringList asked;
};

// One page through a job; the job's error text, empty when it went through.
QString printOnePage(Printer &printer)
{
    QPainter *p = printer.begin(QPageLayout::Portrait);
    if (!p)
        return printer.errorText();
    p->drawText(QPointF(1440, 1440), QStringLiteral("Seite"));
    return printer.end() ? QString() : printer.errorText();
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QProcess m_cupsd;
    QString m_missing = QStringLiteral("no CUPS scheduler (cups-daemon, cups-client)"); // empty: scheduler running

    // Runs a CUPS program from the system folders, where they lie outside a user's PATH.
    static bool admin(const char *program, const QStringList &arguments)
    {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(program), {"/usr/sbin", "/usr/bin"});
        QProcess p;
        p.start(path, arguments);
        return !path.isEmpty() && p.waitForFinished(10000) && p.exitCode() == 0;
    }

private slots:
    // A private scheduler on a socket of its own, with one default queue writing to /dev/null. The
    // print system is chosen before anything in this program asks for it.
    void initTestCase()
    {
        const QString cupsd = QStandardPaths::findExecutable(QStringLiteral("cupsd"), {"/usr/sbin"});
        const QString d = m_dir.path(), sock = d + "/sock";
        if (cupsd.isEmpty())
            return;
        for (const char *sub : {"spool", "tmp", "cache", "state", "ppd"})
            QDir(d).mkpath(QString::fromLatin1(sub));
        auto write = [&](const QString &name, const QString &text) {
            QFile f(d + '/' + name);
            return f.open(QIODevice::WriteOnly) && f.write(text.toUtf8()) > 0;
        };
        QVERIFY(write("cupsd.conf", "Listen " + sock +
                                        "\nLogLevel warn\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                                        "<Location />\n Order allow,deny\n Allow all\n</Location>\n"
                                        "<Policy default>\n <Limit All>\n  Order deny,allow\n </Limit>\n</Policy>\n"));
        QVERIFY(write("cups-files.conf",
                      QStringLiteral("ServerRoot %1\nCacheDir %1/cache\nStateDir %1/state\nRequestRoot %1/spool\n"
                                     "TempDir %1/tmp\nErrorLog %1/error_log\nAccessLog %1/access_log\n"
                                     "PageLog %1/page_log\nFileDevice Yes\nServerBin /usr/lib/cups\n"
                                     "DataDir /usr/share/cups\n")
                          .arg(d)));
        qputenv("CUPS_SERVER", sock.toLocal8Bit());
        m_cupsd.start(cupsd, {"-f", "-c", d + "/cupsd.conf", "-s", d + "/cups-files.conf"});
        if (!QTest::qWaitFor([&] { return QFile::exists(sock); }))
            m_missing = QStringLiteral("the CUPS scheduler did not start here");
        else if (!admin("lpadmin", {"-p", "Testdrucker", "-E", "-v", "file:///dev/null"}) ||
                 !admin("lpadmin", {"-d", "Testdrucker"}))
            m_missing = QStringLiteral("the CUPS scheduler refused the test queue");
        else
            m_missing.clear();
    }
    void cleanupTestCase()
    {
        m_cupsd.terminate();
        m_cupsd.waitForFinished();
    }

    // The double refuses before the page begins (nothing written) or loses the finished job.
    void printSystemDouble()
    {
        const QString pdf = m_dir.filePath("seite.pdf");
        RefusingPrintSystem system;
        system.refuse = QStringLiteral("Der Drucker „PDF“ nimmt keine Druckaufträge an");
        QtPrinter refused(pdf, &system);
        QCOMPARE(printOnePage(refused), system.refuse);
        QCOMPARE(system.asked, QStringList{pdf});
        QVERIFY(!QFile::exists(pdf));
        system.refuse.clear();
        system.lost = QStringLiteral("Der Druckauftrag wurde vom Drucksystem nicht angenommen (weg)");
        QtPrinter lost(pdf, &system);
        QCOMPARE(printOnePage(lost), system.lost);
        system.lost.clear();
        QtPrinter fine(pdf, &system);
        QCOMPARE(printOnePage(fine), QString());
    }

    // The real queue: printed while it takes jobs; refused, and stopped, are told before printing; a
    // job the queue stops taking while the page is drawn is told after it.
    void realQueue()
    {
        if (!m_missing.isEmpty())
            QSKIP(qPrintable(m_missing));
        SystemPrinterFactory printers;
        const auto print = [&] {
            std::unique_ptr<Printer> job(printers.create());
            return printOnePage(*job);
        };
        QCOMPARE(print(), QString());
        QVERIFY(admin("cupsreject", {"Testdrucker"}));
        QCOMPARE(print(), QStringLiteral("Der Drucker „Testdrucker“ nimmt keine Druckaufträge an"));
        QVERIFY(admin("cupsaccept", {"Testdrucker"}));
        QVERIFY(admin("cupsdisable", {"Testdrucker"}));
        QCOMPARE(print(), QStringLiteral("Der Drucker „Testdrucker“ ist angehalten"));
        QVERIFY(admin("cupsenable", {"Testdrucker"}));

        std::unique_ptr<Printer> job(printers.create());
        QPainter *p = job->begin(QPageLayout::Portrait);
        QVERIFY(p);
        p->drawText(QPointF(1440, 1440), QStringLiteral("Seite"));
        QVERIFY(admin("cupsreject", {"Testdrucker"}));
        QVERIFY(!job->end());
        QVERIFY2(job->errorText().startsWith(QStringLiteral("Der Druckauftrag wurde vom Drucksystem nicht "
                                                            "angenommen (")),
                 qPrintable(job->errorText()));
        QVERIFY(admin("cupsaccept", {"Testdrucker"}));
    }
};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
