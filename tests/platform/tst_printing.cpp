// Print jobs refused or lost by the print system are reported (a double and a private CUPS queue);
// PDF jobs, the proposed PDF names and the printed history report.
#include "charts/PrintOut.h"
#include "Files.h"
#include "history/HistoryTable.h"
#include "history/ReportPages.h"
#include "PdfPages.h"
#include "platform/QtPrinters.h"

#include "app/Errors.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

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
        const auto write = [&](const char *name, const QString &text) {
            return writeBytes(d + '/' + name, text.toUtf8());
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

    // A PDF job given up (a drawing that failed half-way) leaves the file as it was and no temporary
    // file. The print system double refuses before the page begins (nothing written) or loses the
    // finished job, which replaced the file.
    void pdfJobs()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("seite.pdf");
        QVERIFY(writeBytes(pdf, "alt"));
        {
            QtPrinter job(pdf);
            QPainter *p = job.begin(QPageLayout::Portrait);
            QVERIFY(p && job.newPage());
            p->drawText(QPointF(1440, 1440), QStringLiteral("halb"));
        }
        QCOMPARE(entriesOf(dir.path()), QStringList{"seite.pdf"});
        QCOMPARE(bytesOf(pdf), QByteArray("alt"));

        RefusingPrintSystem system;
        system.refuse = QStringLiteral("Der Drucker „PDF“ nimmt keine Druckaufträge an");
        QtPrinter refused(pdf, &system);
        QCOMPARE(printOnePage(refused), system.refuse);
        QCOMPARE(system.asked, QStringList{pdf});
        QCOMPARE(bytesOf(pdf), QByteArray("alt"));
        system.refuse.clear();
        system.lost = QStringLiteral("Der Druckauftrag wurde vom Drucksystem nicht angenommen (weg)");
        QtPrinter lost(pdf, &system);
        QCOMPARE(printOnePage(lost), system.lost);
        QCOMPARE(readPdf(pdf).value(0).words, QStringList{"Seite"});
        system.lost.clear();
        QtPrinter fine(pdf, &system);
        QCOMPARE(printOnePage(fine), QString());
    }

    void pdfNames_data()
    {
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<QString>("name");
        QTest::newRow("usual") << QStringList{"Mustermann", "Anna", "2026-12-06", "Arm rechts"}
                               << "Mustermann_Anna_2026-12-06_Arm_rechts.pdf";
        QTest::newRow("umlauts kept, unsafe replaced")
            << QStringList{"Müller/Lüdenscheid", "Anna  Maria", "2026-12-06", "a:b*c?\"d<e>f|g\\h"}
            << "Müller_Lüdenscheid_Anna_Maria_2026-12-06_a_b_c_d_e_f_g_h.pdf";
        QTest::newRow("hidden and trailing dots, empty parts")
            << QStringList{"..\\..", ".geheim.", "", "x\ty"} << "geheim_x_y.pdf";
        QTest::newRow("nothing left") << QStringList{"", "/", " "} << "KavioSegment.pdf";
    }
    void pdfNames()
    {
        QFETCH(QStringList, parts);
        QFETCH(QString, name);
        QCOMPARE(charts::pdfFileName(parts), name);
    }

    // 5,000 rows: 143 A4 portrait pages of 35 rows (the last of 30), each with the page head, the
    // person and the model's column headings (an added column among them), the rows in order, the
    // count on the last page only; nothing outside the printable area. A job that fails to begin
    // leaves no file.
    void historyReport()
    {
        HistoryTable table;
        std::vector<QVariantList> rows;
        for (int i = 0; i < 5000; ++i)
            rows.push_back({QStringLiteral("%1.01.26").arg(i % 28 + 1, 2, 10, QLatin1Char('0')), "10:00", "512/497",
                            "500/490", "480/470", 70, 60 + i % 9, 50, "6,8", i + 1});
        table.setContent(
            {"Messdatum", "Zeit", "R5", "R50", "R100", "Xc5", "Xc50", "Xc100", "Phasenwinkel 50", "MessID"},
            std::move(rows));
        ReportPrint report{"Historie",  QDate(2026, 12, 6), {"Jürgen", "Größe", "17.05.1960", "66 Jahre", "7"},
                           "Messungen", QPixmap(),          {}};
        int progressed = 0;
        report.progress = [&](int done) { progressed = done; };
        const QString path = m_dir.filePath("historie.pdf");
        QtPrinter blocked(m_dir.path()); // a folder where the file should be
        QVERIFY_THROWS_EXCEPTION(KavioError, printHistoryReport(blocked, table, report));
        QtPrinter pdf(path);
        printHistoryReport(pdf, table, report);
        QCOMPARE(progressed, 5000);
        const QList<PdfPage> pages = readPdf(path);
        QCOMPARE(pages.size(), 143);
        int messId = 0;
        for (int i = 0; i < pages.size(); ++i) {
            const PdfPage &page = pages[i];
            const auto where = qPrintable(QStringLiteral("page %1").arg(i + 1));
            QVERIFY2(!page.landscape() && qAbs(page.size.width() - 210 / 25.4 * 1440) < 20, where);
            QVERIFY2(page.outside().isEmpty(), qPrintable(page.outside().join(u'\n')));
            QVERIFY2(!page.line(QStringLiteral("Seite %1 von 143").arg(i + 1)).isNull(), where);
            QVERIFY2(!page.line("Name: Größe").isNull() && !page.line("Vorname: Jürgen").isNull(), where);
            // The headings on one line, left to right; each row's MessID below them in its column.
            const auto find = [&](const QString &word, auto &&where) {
                for (qsizetype k = 0; k < page.words.size(); ++k)
                    if (page.words[k] == word && where(page.boxes[k]))
                        return page.boxes[k];
                return QRectF();
            };
            const QRectF first = find("Messdatum", [](const QRectF &) { return true; });
            QRectF heading = first;
            for (const QString &word :
                 QStringList{"Zeit", "R5", "R50", "R100", "Xc5", "Xc50", "Xc100", "Phasenwinkel", "50", "MessID"}) {
                heading = find(word, [&](const QRectF &b) {
                    return qAbs(b.top() - first.top()) < 20 && b.left() > heading.right();
                });
                QVERIFY2(!heading.isNull(), qPrintable(word + QStringLiteral(" on page %1").arg(i + 1)));
            }
            QCOMPARE(page.line("Messungen").isNull(), i > 0);
            double above = heading.bottom();
            for (int r = 0; r < (i < 142 ? 35 : 30); ++r) {
                const QRectF id = find(QString::number(++messId), [&](const QRectF &b) {
                    return b.left() > heading.left() - 200 && b.top() > above;
                });
                QVERIFY2(!id.isNull(), qPrintable(QStringLiteral("MessID %1").arg(messId)));
                above = id.top();
            }
            QCOMPARE(page.line("Anzahl Datensätze: 5.000").isNull(), i < 142);
        }
        QCOMPARE(QDir(m_dir.path()).entryList({"historie*"}, QDir::Files | QDir::Hidden), QStringList{"historie.pdf"});
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
