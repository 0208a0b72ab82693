// The practice software and the running main window, through a real exchange folder.
#include "Files.h"
#include "gdt/frmGdtSettings.h"
#include "gdt/GdtRecord.h"
#include "gdt/LinkSettings.h"
#include "gdt/PracticeLink.h"
#include "Requests.h"
#include "WindowDriver.h"

#include <QAction>
#include <QCheckBox>
#include <QStatusBar>

using namespace kavio;
using namespace kavio::test;
using namespace kavio::gdt::test;

namespace {

const QDate kBirth(1958, 3, 14);
const QString kRequest = QStringLiteral("KAVIPRAX.GDT"), kResult = QStringLiteral("PRAXKAVI.GDT");

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
    void send(const QByteArray &bytes)
    {
        QVERIFY(writeBytes(file(kRequest), bytes));
        w().practiceLink().watcher()->scan();
    }
    QVariant query(const QString &sql, const QVariantList &values = {}) const
    {
        return scalar(win.bed.segmentePath(), sql, values);
    }
    QString status() { return w().statusBar()->currentMessage(); }
    // Values of the right arm, W5 W50 W100 then Xc5 Xc50 Xc100, as many as given.
    void type(const QString &values)
    {
        const QStringList v = values.split(QLatin1Char(' '));
        const Quantity order[] = {Quantity::W5,  Quantity::W50,  Quantity::W100,
                                  Quantity::Xc5, Quantity::Xc50, Quantity::Xc100};
        for (int i = 0; i < v.size(); ++i)
            valueField(w(), order[i], *segmentByCode(QStringLiteral("AR")))->setText(v[i]);
    }
    // The result file's fields that matter here, "id content" each.
    QStringList result() const
    {
        if (!QFile::exists(file(kResult)))
            return {QStringLiteral("(kein Ergebnis)")};
        const gdt::Outcome<gdt::Record> record = gdt::parse(bytesOf(file(kResult)));
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

        QCOMPARE(walk.win.bed.messages.texts().filter(QStringLiteral("noch nicht vorhanden")).size(), asked ? 1 : 0);
        QVERIFY(!QFile::exists(walk.file(kRequest)));
        QCOMPARE(walk.query(QStringLiteral("SELECT count(*) FROM Teilnehmer")).toInt(), persons);
        QCOMPARE(textOf(walk.w(), QStringLiteral("LBL_Top_Name")), chosen);
        if (chosen.isEmpty()) {
            QVERIFY2(walk.status().contains(QStringLiteral("nicht übernommen")), qPrintable(walk.status()));
            return;
        }
        // Chosen as from the list: list closed, measurements shown, ready for the segment.
        QCOMPARE(walk.w().session().person().name, chosen);
        check(walk.w(), QStringLiteral("-ocxFlex +grdMessungen cmdExtremitaet=on +fraOptSegmente"));
        const QString sql = QStringLiteral("SELECT PraxisPatientenNr FROM Teilnehmer WHERE LfdNr = ?");
        QCOMPARE(walk.query(sql, {walk.w().session().person().number}).toString(), QStringLiteral("4711"));
    }

    // Two measurements, two results (patient, values, comparison with the other arm, then the
    // change through therapy); a result waits for the last one's collection, a request while
    // values are unsaved or a second measurement is due.
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
        walk.type(QStringLiteral("520 480 455 31 52 47"));
        walk.w().session().setUnsaved(true);

        // Values in hand: the next request waits and says so.
        walk.send(request("01330004711", "01330000815").replace("M\x81ller", "Mahler"));
        QVERIFY2(walk.status().contains(QStringLiteral("wartet")), qPrintable(walk.status()));
        QVERIFY(QFile::exists(walk.file(kRequest)));
        QCOMPARE(walk.w().session().person().number, qint32(anna));

        click(walk.w(), QStringLiteral("cmdSaveMess"));
        const QStringList first = walk.result();
        QVERIFY2(
            first.join(u'|').contains(QStringLiteral("8410 R50AR|8420 480|8410 XC50AR|8420 52|8410 PHI50AR|8420 6,2")),
            qPrintable(first.join(u'|')));
        QCOMPARE(first.mid(0, 6),
                 (QStringList{"3000 4711", "3101 Müller", "3103 14031958", "3110 2", "6200 06122026", "6201 103000"}));
        const QStringList findings = first.filter(QRegularExpression(QStringLiteral("^6220 ")));
        QVERIFY2(!findings.isEmpty() && findings[0].startsWith(QStringLiteral("6220 Arme 5 kHz: Verhältnis 1,040")),
                 qPrintable(findings.join(u'|')));
        for (const QString &line : findings)
            QVERIFY2(line.size() - 5 <= 60, qPrintable(line));

        // The window waits for the second measurement: the request still waits.
        walk.w().practiceLink().watcher()->scan();
        QVERIFY(QFile::exists(walk.file(kRequest)));
        walk.type(QStringLiteral("540 499 470"));
        click(walk.w(), QStringLiteral("cmdZweiteMessungSpeichern"));
        // The first result is not collected yet: the second waits for its name.
        QCOMPARE(walk.result(), first);
        QVERIFY2(walk.status().contains(QStringLiteral("noch nicht abgeholt")), qPrintable(walk.status()));
        QVERIFY(QFile::remove(walk.file(kResult)));

        walk.win.bed.messages.answer({false}); // Mahler is not added, once asked
        walk.w().practiceLink().watcher()->scan();
        const QString second = walk.result().join(u'|');
        QVERIFY2(second.contains(QStringLiteral("8410 DR5AR|8420 3,8")) &&
                     second.contains(QStringLiteral("8410 DR50AR|8420 4,0")),
                 qPrintable(second));
        QVERIFY(!QFile::exists(walk.file(kRequest)));
        QCOMPARE(walk.win.bed.messages.texts().filter(QStringLiteral("Mahler")).size(), 1);
    }

    // The settings dialog keeps what can be used, and refuses the rest naming why, keeping nothing.
    void settingsDialog_data()
    {
        QTest::addColumn<QString>("entries"); // on/off|own id|practice id|folder|problem (empty: kept)
        QTest::newRow("kept") << "an|KAVI01|PRAXIS|gdt|";
        QTest::newRow("off needs no folder") << "aus|KAVI|PRAX||";
        QTest::newRow("short id") << "an|KAV|PRAX|gdt|4 bis 8 Zeichen";
        QTest::newRow("umlaut in id") << "an|KÄVI|PRAX|gdt|nur Buchstaben";
        QTest::newRow("same first four") << "an|PRAX1|PRAX2|gdt|ersten vier";
        QTest::newRow("no folder") << "an|KAVI|PRAX||Bitte wählen Sie";
        QTest::newRow("folder missing") << "an|KAVI|PRAX|fehlt|nicht vorhanden";
        QTest::newRow("relative folder") << "an|KAVI|PRAX|rel|vollständigem Pfad";
    }
    void settingsDialog()
    {
        QFETCH(QString, entries);
        const QStringList e = entries.split(QLatin1Char('|'));
        const QString problem = e[4];
        const bool enabled = e[0] == QLatin1String("an");
        Window win;
        QDir().mkpath(win.bed.path(QStringLiteral("gdt")));
        win.open();
        win.w->findChild<QAction *>(QStringLiteral("mnuGdtEinstellungen"))->trigger();
        auto *dialog = win.w->findChild<frmGdtSettings *>();
        QVERIFY(dialog);
        control<QCheckBox>(*dialog, QStringLiteral("chkAktiv"))->setChecked(enabled);
        control<QLineEdit>(*dialog, QStringLiteral("txtEigeneKennung"))->setText(e[1]);
        control<QLineEdit>(*dialog, QStringLiteral("txtPraxisKennung"))->setText(e[2]);
        const bool asTyped = e[3].isEmpty() || e[3] == QLatin1String("rel");
        control<QLineEdit>(*dialog, QStringLiteral("txtOrdner"))->setText(asTyped ? e[3] : win.bed.path(e[3]));
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
