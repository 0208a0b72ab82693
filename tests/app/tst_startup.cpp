// Start-up: the settings readers, the host version check and the main window's first state.
#include "app/Errors.h"
#include "app/frmSplash.h"
#include "app/ProgramStart.h"
#include "app/RegistryReaders.h"
#include "backup/BackupFiles.h"
#include "platform/QtFileDialogs.h"
#include "WindowDriver.h"
#include "workstation/frmMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace kavio;
using namespace kavio::test;
using namespace Qt::StringLiterals;

namespace {
const QString kPlus = QStringLiteral("Software\\Kavio_Plus");
}

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    // "Error" for a missing key or value, values as text, the first edition whose dbPath
    // is not empty, exactly "Multi", and the port as a number.
    void settingsReaders()
    {
        FakeSettings s;
        FakeMessages m;
        const auto set = [&](const QString &key, const QString &name, const RegValue &v) {
            s.setValue(Hive::LocalMachine, key, name, v);
        };
        const auto wert = [&](const QString &key, const QString &name) {
            return RegistryWertLesen(s, HKEY_LOCAL_MACHINE_ROOT, key, name);
        };
        QVERIFY(!fGetMulti(s, m));
        for (const QString v : {"multi", "Multi ", "Multi"}) {
            set(kPlus, u"FrequenzType"_s, RegValue::fromString(v));
            QCOMPARE(fGetMulti(s, m), v == u"Multi"_s);
        }
        QCOMPARE(m.count(), 0);
        set(kPlus, u"Eins"_s, RegValue::fromDword(1));
        set(kPlus, u"Bin"_s, RegValue::fromBinary(QByteArray::fromHex("0aff01")));
        set(kPlus, u"Gross"_s, RegValue::fromDword(0xFFFFFFFFu));
        QCOMPARE(wert(u"Software\\Nirgends"_s, u"FrequenzType"_s), u"Error"_s);
        QCOMPARE(wert(kPlus, u"Fehlt"_s), u"Error"_s);
        QCOMPARE(wert(kPlus, u"FrequenzType"_s), u"Multi"_s);
        QCOMPARE(wert(kPlus, u"Eins"_s), u"0x00000001"_s);
        QCOMPARE(wert(kPlus, u"Bin"_s), u"0A FF 01 "_s);
        QCOMPARE(RegistryTextLesen(s, kPlus, u"Gross"_s), u"4294967295"_s);

        const auto dbPath = [&](const QString &edition, const QString &path) {
            set(u"Software\\"_s + edition, u"dbPath"_s, RegValue::fromString(path));
            return hostDatabasePath(s);
        };
        QCOMPARE(hostDatabasePath(s), QString());
        QCOMPARE(dbPath(u"Kavio_PLUS_NET"_s, u"/net/BIA.mdb"_s), u"/net/BIA.mdb"_s);
        dbPath(u"Kavio_Plus"_s, QString());
        QCOMPARE(dbPath(u"Kavio_BOX"_s, u"/box/BIA.mdb"_s), u"/box/BIA.mdb"_s);
        QCOMPARE(dbPath(u"Kavio_Plus"_s, u"/plus/BIA.mdb"_s), u"/plus/BIA.mdb"_s);

        QVERIFY_THROWS_EXCEPTION(KavioError, fGetPort(s));
        s.setAppSetting(u"KAVIO_PLUS"_s, u"Einstellungen"_s, u"Port"_s, u"3"_s);
        QCOMPARE(fGetPort(s), 3);
    }

    // Versions compare as numbers, any one of the editions is enough, and a started
    // splash hands over once, by key or timer.
    void hostVersion_data()
    {
        QTest::addColumn<QString>("edition");
        QTest::addColumn<QString>("version");
        QTest::newRow("5.4") << u"KAVIO_PLUS"_s << u"5.4"_s;
        QTest::newRow("5.10") << u"KAVIO_PLUS_Net"_s << u"5.10"_s;
        QTest::newRow("5.3") << u"KAVIO_BOX"_s << u"5.3"_s;
    }
    void hostVersion()
    {
        QFETCH(QString, edition);
        QFETCH(QString, version);
        TestBed bed;
        const QString vers = QStringLiteral("Vers"), current = QStringLiteral("CurrentVersion");
        bed.settings.setAppSetting(QStringLiteral("KAVIO_PLUS"), vers, current, QStringLiteral("5.3"));
        bed.settings.setAppSetting(edition, vers, current, version);
        int opened = 0;
        frmSplash splash(bed.platform, [&] { ++opened; });
        if (version == QLatin1String("5.3")) {
            QVERIFY(!splash.Form_Load());
            QCOMPARE(bed.messages.count(), 1);
            QCOMPARE(bed.messages.last().text,
                     QStringLiteral("Die benötigte Kavio-Plus Software befindet sich nicht auf dem Computer.\n"
                                    "Das Programm kann nicht gestartet werden!"));
            QCOMPARE(bed.messages.last().title, QStringLiteral("Fehlende Komponente"));
            QCOMPARE(bed.messages.last().icon, MsgIcon::Stop);
            QCOMPARE(opened, 0);
            return;
        }
        QVERIFY(splash.Form_Load());
        QCOMPARE(bed.messages.count(), 0);
        QCOMPARE(splash.Timer.interval(), 5000);
        splash.show();
        if (version == QLatin1String("5.4"))
            QTest::keyClick(&splash, Qt::Key_Space);
        else
            splash.Timer.start(10);
        QTRY_COMPARE(opened, 1);
        QVERIFY(!splash.isVisible() && !splash.Timer.isActive());
        splash.Timer.start(1); // a late timer or key has no further effect
        QTest::qWait(30);
        QTest::keyClick(&splash, Qt::Key_Space);
        QCOMPARE(opened, 1);
    }

    // Qt's standard dialogs speak German once the application is set up; the restore dialog's
    // first file type reads with its one pattern.
    void standardDialogsInGerman()
    {
        setUpApplication();
        QStringList texts;
        QTimer look;
        connect(&look, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            for (const char *name : {"lookInLabel", "fileTypeLabel"})
                texts << dialog->findChild<QLabel *>(QString::fromLatin1(name))->text();
            for (const QAbstractButton *b : dialog->findChild<QDialogButtonBox *>()->buttons())
                texts << b->text().remove(u'&');
            texts << dialog->selectedNameFilter();
            dialog->reject();
        });
        look.start(10);
        QtFileDialogs dialogs;
        QCOMPARE(
            dialogs.chooseFile(QDir::tempPath(), QStringLiteral("Sicherungsdatei auswählen"), databaseFileFilter()),
            QString());
        QCOMPARE(texts, (QStringList{"Suchen in:", "Dateien des Typs:", "Öffnen", "Abbrechen",
                                     "Microsoft Access-Datenbanken (*Segmente.mdb)"}));
    }

    // The main window as Form_Load leaves it, control by control.
    void mainWindowStartState()
    {
        TestBed bed;
        frmMain w(bed.platform);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("KavioSegment"));
        check(w, QStringLiteral(
                     "-ocxFlex -grdMessungen -MSChart -fraOptSegmente -fraEinoderZwei -fraWiderstand "
                     "-fraBehandlung -fraSegment -fraLegende_Widerstand -cmdSaveMess "
                     "-cmdZweiteMessungSpeichern -cmdGraph -cmd_Xc_Graph -cmdPhaseGraph -cmdOpenVergleichsFormular "
                     "-cmdShowMesswerte -cmdPrintOut -cmdVerlaufswerteZweiMessungen -cmdPrintMesswerte "
                     "-txtFKTN -Shape1 -Shape4 +FraMesswerte=on +txtTestDatum=on +cmdPatientAuswahl=on "
                     "+cmdNeuerPatient=on +cmdExtremitaet=off +cmdMesswerte=off +lblSegmentAktuell=on"));
        for (QLineEdit *f : valueFields(w))
            QVERIFY(!f->isVisible() && f->text() == QStringLiteral("0"));
        for (QLabel *l : valueLabels(w))
            QVERIFY(!l->isVisible());
        QCOMPARE(w.findChild<QLineEdit *>(QStringLiteral("txtTestDatum"))->text(), QStringLiteral("06.12.2026"));
        QCOMPARE(w.findChild<QLabel *>(QStringLiteral("lblSegmentAktuell"))->text(), QStringLiteral(" "));
        QVERIFY(w.findChild<QRadioButton *>(QStringLiteral("optR50"))->isChecked());
        QVERIFY(w.findChild<QRadioButton *>(QStringLiteral("optBevor"))->isChecked());
        QCOMPARE(resistanceField(w.session().chartResistance()), QStringLiteral("W50"));
        QVERIFY(!w.session().segment() && !w.session().automatic() && !w.session().unsaved() &&
                !w.session().chartDrawn());
        for (const char *label :
             {"LBL_Top_Name", "LBL_Top_Vorname", "LBL_Top_GebDat", "LBL_Top_PNUMMER", "LBL_Top_Alter"})
            QVERIFY(w.findChild<QLabel *>(QString::fromLatin1(label))->text().isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
