// The menu "Patienten" of the main window: the person administration opens in the chosen
// mode, hides the main window, and what it changes reaches the main person list.
#include "persons/frmImport.h"
#include "TestBed.h"
#include "workstation/frmMain.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

using namespace kavio;
using namespace kavio::test;

namespace {

// Every cell text of the main window's person list.
QStringList mainListTexts(frmMain &main)
{
    QStringList out;
    const QAbstractItemModel *m = main.findChild<QTableView *>(QStringLiteral("ocxFlex"))->model();
    if (!m)
        return out;
    for (int r = 0; r < m->rowCount(); ++r)
        for (int c = 0; c < m->columnCount(); ++c)
            out << m->index(r, c).data().toString();
    return out;
}

bool pick(frmImport &w, const QString &name, const QString &vorname)
{
    for (int r = 0; r < w.gridModel().rowCount(); ++r) {
        if (w.gridModel().text(r, 0) != name || w.gridModel().text(r, 1) != vorname)
            continue;
        auto *grid = w.findChild<QTableView *>(QStringLiteral("Grid1"));
        const QModelIndex index = w.gridModel().index(r, 0);
        grid->scrollTo(index);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
        return true;
    }
    return false;
}

} // namespace

class TestPersonsMenu : public QObject {
    Q_OBJECT

private slots:
    void menuOpensTheMode_data();
    void menuOpensTheMode();
    void copyAndDeleteReachTheMainList();
};

void TestPersonsMenu::menuOpensTheMode_data()
{
    QTest::addColumn<bool>("importMode");
    QTest::newRow("Importieren aus Stammdaten") << true;
    QTest::newRow("löschen aus Gliederanalysesoftware") << false;
}

void TestPersonsMenu::menuOpensTheMode()
{
    QFETCH(bool, importMode);
    TestBed bed;
    frmMain main(bed.platform);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    bImportModus = !importMode;
    if (importMode)
        main.mnuImport_Click();
    else
        main.mnuloeschen_Click();
    QCOMPARE(bImportModus, importMode);
    QVERIFY(!main.isVisible());
    QPointer<frmImport> window = main.findChild<frmImport *>();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(!window->isModal());
    QCOMPARE(window->findChild<QRadioButton *>("optInsert")->isChecked(), importMode);
    QCOMPARE(window->findChild<QPushButton *>("cmdErasePerson")->isVisible(), !importMode);

    QTest::mouseClick(window->findChild<QPushButton *>("cmdClose"), Qt::LeftButton);
    QVERIFY(main.isVisible());
    // The window lives only while it is open.
    QTRY_VERIFY(window.isNull());
    QCOMPARE(bImportModus, importMode);
}

void TestPersonsMenu::copyAndDeleteReachTheMainList()
{
    TestBed bed;
    bed.addPerson("Schmidt", "Hans");
    frmMain main(bed.platform);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QVERIFY(mainListTexts(main).contains("Schmidt"));
    QVERIFY(!mainListTexts(main).contains("Jürgen"));

    main.mnuImport_Click();
    frmImport *window = main.findChild<frmImport *>();
    QVERIFY(window);
    QVERIFY(pick(*window, "Müller", "Jürgen"));
    bed.messages.answer({true});
    QTest::mouseClick(window->findChild<QPushButton *>("cmdCopyPerson"), Qt::LeftButton);
    QVERIFY2(mainListTexts(main).contains("Jürgen"), qPrintable(bed.messages.texts().join('|')));

    QTest::mouseClick(window->findChild<QRadioButton *>("optDelete"), Qt::LeftButton);
    QVERIFY(pick(*window, "Müller", "Jürgen"));
    bed.messages.answer({true});
    QTest::mouseClick(window->findChild<QPushButton *>("cmdErasePerson"), Qt::LeftButton);
    QVERIFY(!mainListTexts(main).contains("Jürgen"));
    QVERIFY(mainListTexts(main).contains("Schmidt"));
    window->close();
    QVERIFY(main.isVisible());
}

QTEST_MAIN(TestPersonsMenu)
#include "tst_personsmenu.moc"
