// The practice software and the running main window, through a real exchange folder: a
// request chooses its person as a click in the person list does, a stored measurement is
// answered with a result file, and a request waits while values are unsaved.
#include "gdt/frmGdtSettings.h"
#include "gdt/GdtRecord.h"
#include "gdt/LinkSettings.h"
#include "gdt/PracticeLink.h"
#include "Requests.h"
#include "WindowDriver.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QStatusBar>

using namespace kavio;
using namespace kavio::test;
using namespace kavio::gdt::test;

namespace {

const QDate kBirth(1958, 3, 14);

struct LinkWalk {
    Window win;
    QString folder = win.bed.path(QStringLiteral("gdt"));

    LinkWalk()
    {
        QDir().mkpath(folder);
        gdt::LinkSettings s;
        s.enabled = true;
        s.folder = folder;
        gdt::saveLinkSettings(win.bed.settings, s);
    }
    frmMain &w() { return *win.w; }
    QString file(const QString &name) const { return folder + QLatin1Char('/') + name; }
    // The request lands and the folder is looked at.
    void send(const QByteArray &bytes)
    {
        QFile f(file(QStringLiteral("KAVIPRAX.GDT")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        w().practiceLink().watcher()->scan();
    }
    QVariant query(const QString &sql, const QVariantList &values = {}) const
    {
        return scalar(win.bed.segmentePath(), sql, values);
    }
    QString status() { return w().statusBar()->currentMessage(); }
    // The fields of the result file that matter here, "id content" each.
    QStringList result() const
    {
        QFile f(file(QStringLiteral("PRAXKAVI.GDT")));
        if (!f.open(QIODevice::ReadOnly))
            return {QStringLiteral("(kein Ergebnis)")};
        const gdt::Outcome<gdt::Record> record = gdt::parse(f.readAll());
        if (!record.ok())
            return {record.error->reason};
        QStringList lines;
        for (const gdt::Field &field : record.value->fields)
            if (QList<int>{3000, 3101, 3103, 3110, 6200, 6201, 8410, 8420, 6220}.contains(field.id))
                lines << QStringLiteral("%1 %2").arg(field.id).arg(field.content);
        return lines;
    }
};

} // namespace

class TestGdtLink : public QObject {
    Q_OBJECT
private slots:
    // Who a request for Müller, Anna, 14.03.1958, number 4711 chooses.
    void personOfRequest_data()
    {
        QTest::addColumn<QString>("stored"); // "name|first name|birth year|practice number"
        QTest::addColumn<bool>("yes");       // answer to the question whether to add the person
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("chosen"); // the top line's name; empty: nobody
        QTest::addColumn<int>("persons");
        QTest::newRow("by number") << "Müller-Lang|Anna|1960|4711" << false << false << "Müller-Lang" << 1;
        QTest::newRow("by name, linked") << "MÜLLER|anna|1958|" << false << false << "MÜLLER" << 1;
        QTest::newRow("namesake of another number") << "Müller|Anna|1958|999" << true << true << "Müller" << 2;
        QTest::newRow("added") << "" << true << true << "Müller" << 1;
        QTest::newRow("not added") << "" << false << true << "" << 0;
    }
    void personOfRequest()
    {
        QFETCH(QString, stored);
        QFETCH(bool, yes);
        QFETCH(bool, asked);
        QFETCH(QString, chosen);
        QFETCH(int, persons);
        LinkWalk walk;
        if (!stored.isEmpty()) {
            const QStringList p = stored.split(QLatin1Char('|'));
            const qint64 id = walk.win.bed.addPerson(p[0], p[1], QDate(p[2].toInt(), 3, 14));
            if (!p[3].isEmpty())
                walk.query(QStringLiteral("UPDATE Teilnehmer SET PraxisPatientenNr = ? WHERE LfdNr = ?"), {p[3], id});
        }
        walk.win.open();
        walk.win.bed.messages.answer({yes});
        walk.send(sized(kRequestLines));

        const QStringList texts = walk.win.bed.messages.texts();
        QCOMPARE(texts.filter(QStringLiteral("noch nicht vorhanden")).size(), asked ? 1 : 0);
        QVERIFY(!QFile::exists(walk.file(QStringLiteral("KAVIPRAX.GDT"))));
        QCOMPARE(walk.query(QStringLiteral("SELECT count(*) FROM Teilnehmer")).toInt(), persons);
        QCOMPARE(textOf(walk.w(), QStringLiteral("LBL_Top_Name")), chosen);
        if (chosen.isEmpty()) {
            QVERIFY2(walk.status().contains(QStringLiteral("nicht übernommen")), qPrintable(walk.status()));
            return;
        }
        // Chosen as from the list: list closed, measurements shown, ready for the segment.
        QCOMPARE(walk.w().session().person().name, chosen);
        check(walk.w(), QStringLiteral("-ocxFlex +grdMessungen cmdExtremitaet=on +fraOptSegmente"));
        QCOMPARE(walk.query(QStringLiteral("SELECT PraxisPatientenNr FROM Teilnehmer WHERE LfdNr = ?"),
                            {walk.w().session().person().number})
                     .toString(),
                 QStringLiteral("4711"));
    }

    // Request, two measurements, two results: each result carries the requesting patient,
    // the values and the comparison with the other arm, the second the change through
    // therapy; a result waits while the practice software has not collected the last one,
    // and a request waits while values are unsaved or a second measurement is due.
    void requestToResult()
    {
        LinkWalk walk;
        const qint64 anna = walk.win.bed.addPerson(QStringLiteral("Müller"), QStringLiteral("Anna"), kBirth);
        walk.win.bed.addMeasurement(QStringLiteral("ArmLi"), anna, QDate(2026, 12, 6), QStringLiteral("09:00:00"), 500,
                                    450, 430, 30, 50, 45);
        walk.win.open();
        walk.send(sized(kRequestLines));
        QCOMPARE(walk.w().session().person().number, qint32(anna));
        click(walk.w(), QStringLiteral("optAR"));
        click(walk.w(), QStringLiteral("cmdOptSegment"));
        click(walk.w(), QStringLiteral("optZweiBeh"));
        const SegmentInfo &ar = *segmentByCode(QStringLiteral("AR"));
        const std::pair<Quantity, const char *> typed[] = {{Quantity::W5, "520"},   {Quantity::W50, "480"},
                                                           {Quantity::W100, "455"}, {Quantity::Xc5, "31"},
                                                           {Quantity::Xc50, "52"},  {Quantity::Xc100, "47"}};
        for (const auto &[q, text] : typed)
            valueField(walk.w(), q, ar)->setText(QLatin1String(text));
        walk.w().session().setUnsaved(true);

        // Values in hand: the next request waits and says so.
        walk.send(request("01330004711", "01330000815").replace("M\x81ller", "Mahler"));
        QVERIFY2(walk.status().contains(QStringLiteral("wartet")), qPrintable(walk.status()));
        QVERIFY(QFile::exists(walk.file(QStringLiteral("KAVIPRAX.GDT"))));
        QCOMPARE(walk.w().session().person().number, qint32(anna));

        click(walk.w(), QStringLiteral("cmdSaveMess"));
        const QStringList first = walk.result();
        const QString at50 = QStringLiteral("8410 R50AR|8420 480|8410 XC50AR|8420 52|8410 PHI50AR|8420 6,2");
        QVERIFY2(first.join(QLatin1Char('|')).contains(at50), qPrintable(first.join(QLatin1Char('|'))));
        QCOMPARE(first.mid(0, 6),
                 (QStringList{"3000 4711", "3101 Müller", "3103 14031958", "3110 2", "6200 06122026", "6201 103000"}));
        const QStringList findings = first.filter(QRegularExpression(QStringLiteral("^6220 ")));
        QVERIFY2(!findings.isEmpty() && findings[0].startsWith(QStringLiteral("6220 Arme 5 kHz: Verhältnis 1,040")),
                 qPrintable(findings.join(QLatin1Char('|'))));
        for (const QString &line : findings)
            QVERIFY2(line.size() - 5 <= 60, qPrintable(line));

        // The window waits for the second measurement: the request still waits.
        walk.w().practiceLink().watcher()->scan();
        QVERIFY(QFile::exists(walk.file(QStringLiteral("KAVIPRAX.GDT"))));
        const std::pair<Quantity, const char *> after[] = {
            {Quantity::W5, "540"}, {Quantity::W50, "499"}, {Quantity::W100, "470"}};
        for (const auto &[q, text] : after)
            valueField(walk.w(), q, ar)->setText(QLatin1String(text));
        click(walk.w(), QStringLiteral("cmdZweiteMessungSpeichern"));
        // The first result is not collected yet: the second waits for its name.
        QCOMPARE(walk.result(), first);
        QVERIFY2(walk.status().contains(QStringLiteral("noch nicht abgeholt")), qPrintable(walk.status()));
        QVERIFY(QFile::remove(walk.file(QStringLiteral("PRAXKAVI.GDT"))));

        walk.win.bed.messages.answer({false}); // Mahler is not added, once asked
        walk.w().practiceLink().watcher()->scan();
        const QString second = walk.result().join(QLatin1Char('|'));
        QVERIFY2(second.contains(QStringLiteral("8410 DR5AR|8420 3,8")) &&
                     second.contains(QStringLiteral("8410 DR50AR|8420 4,0")),
                 qPrintable(second));
        QVERIFY(!QFile::exists(walk.file(QStringLiteral("KAVIPRAX.GDT"))));
        QCOMPARE(walk.win.bed.messages.texts().filter(QStringLiteral("Mahler")).size(), 1);
    }

    // The settings dialog keeps what can be used, and refuses the rest naming why,
    // keeping nothing.
    void settingsDialog_data()
    {
        QTest::addColumn<QString>("entries"); // on/off|own id|practice id|folder
        QTest::addColumn<QString>("problem"); // empty: kept and applied
        QTest::newRow("kept") << "an|KAVI01|PRAXIS|gdt"
                              << "";
        QTest::newRow("off needs no folder") << "aus|KAVI|PRAX|"
                                             << "";
        QTest::newRow("short id") << "an|KAV|PRAX|gdt"
                                  << "4 bis 8 Zeichen";
        QTest::newRow("umlaut in id") << "an|KÄVI|PRAX|gdt"
                                      << "nur Buchstaben";
        QTest::newRow("same first four") << "an|PRAX1|PRAX2|gdt"
                                         << "ersten vier";
        QTest::newRow("no folder") << "an|KAVI|PRAX|"
                                   << "Bitte wählen Sie";
        QTest::newRow("folder missing") << "an|KAVI|PRAX|fehlt"
                                        << "nicht vorhanden";
        QTest::newRow("relative folder") << "an|KAVI|PRAX|rel"
                                         << "vollständigem Pfad";
    }
    void settingsDialog()
    {
        QFETCH(QString, entries);
        QFETCH(QString, problem);
        const QStringList e = entries.split(QLatin1Char('|'));
        const bool enabled = e[0] == QLatin1String("an");
        const QString folder = e[3];
        Window win;
        QDir().mkpath(win.bed.path(QStringLiteral("gdt")));
        win.open();
        win.w->findChild<QAction *>(QStringLiteral("mnuGdtEinstellungen"))->trigger();
        auto *dialog = win.w->findChild<frmGdtSettings *>();
        QVERIFY(dialog);
        control<QCheckBox>(*dialog, QStringLiteral("chkAktiv"))->setChecked(enabled);
        control<QLineEdit>(*dialog, QStringLiteral("txtEigeneKennung"))->setText(e[1]);
        control<QLineEdit>(*dialog, QStringLiteral("txtPraxisKennung"))->setText(e[2]);
        control<QLineEdit>(*dialog, QStringLiteral("txtOrdner"))
            ->setText(folder == QLatin1String("rel") ? folder
                      : folder.isEmpty()             ? QString()
                                                     : win.bed.path(folder));
        const gdt::LinkSettings entered = dialog->entered();
        click(*dialog, QStringLiteral("cmdOK"));
        const gdt::LinkSettings kept = gdt::loadLinkSettings(win.bed.settings);
        if (!problem.isEmpty()) {
            QCOMPARE(win.bed.messages.count(), 1);
            QVERIFY2(win.bed.messages.last().text.contains(problem), qPrintable(win.bed.messages.last().text));
            QCOMPARE(kept, gdt::LinkSettings());
            QVERIFY(dialog->isVisible());
            return;
        }
        QCOMPARE(win.bed.messages.count(), 0);
        QCOMPARE(kept, entered);
        QCOMPARE(win.w->practiceLink().settings(), entered);
        QCOMPARE(win.w->practiceLink().watcher() != nullptr, enabled);
    }
};

QTEST_MAIN(TestGdtLink)
#include "tst_gdtlink.moc"
