// Manual entry: what the keyboard and the mouse can put into the 24 value fields and the
// date field, the emptying on focus, and the date check on leaving the date field.
#include "WindowDriver.h"
#include "workstation/EntryFilters.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QtTest>

using namespace kavio;
using namespace kavio::test;

namespace {

const QString kInvalidDate = QStringLiteral("Bitte geben Sie ein gültiges Datum ein!");

// One key as the test types it: either text or a key with modifiers.
struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

} // namespace

Q_DECLARE_METATYPE(QList<Key>)

class tst_Entry : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void valueFieldsTakeDigitsBlanksAndBackspace_data();
    void valueFieldsTakeDigitsBlanksAndBackspace();
    void pasteNeverReachesAField_data();
    void pasteNeverReachesAField();
    void movingIntoAFieldEmptiesIt_data();
    void movingIntoAFieldEmptiesIt();
    void dateFieldKeys_data();
    void dateFieldKeys();
    void dateCheckOnLeaving_data();
    void dateCheckOnLeaving();
    void dateNotCheckedWhenOnlyTheWindowChanges();

private:
    QList<QLineEdit *> fields() const;
    QLineEdit *date() const { return control<QLineEdit>(*m_win->w, QStringLiteral("txtTestDatum")); }
    std::unique_ptr<Window> m_win;
};

void tst_Entry::init()
{
    m_win = std::make_unique<Window>();
    m_win->open();
    // Every value field visible, as after a new measurement.
    m_win->w->LeereAlleFelder();
    m_win->w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_win->w.get()));
}

void tst_Entry::cleanup()
{
    m_win.reset();
}

QList<QLineEdit *> tst_Entry::fields() const
{
    QList<QLineEdit *> all;
    for (QLineEdit *f : m_win->w->valueFields)
        all << f;
    return all;
}

void tst_Entry::valueFieldsTakeDigitsBlanksAndBackspace_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("digits") << "0123456789"
                            << "0123456789";
    QTest::newRow("minus sign") << "-"
                                << "";
    QTest::newRow("minus inside") << "12-3"
                                  << "123";
    QTest::newRow("comma") << "4,5"
                           << "45";
    QTest::newRow("full stop") << "4.5"
                               << "45";
    QTest::newRow("letters") << "a1b2Z"
                             << "12";
    QTest::newRow("umlaut and sharp s") << "ä7ß"
                                        << "7";
    QTest::newRow("signs") << "+1e3/%"
                           << "13";
    QTest::newRow("blank kept") << "5 12"
                                << "5 12";
    QTest::newRow("backspace") << "512\b\b7"
                               << "57";
    QTest::newRow("tab character") << "1\t2"
                                   << "12";
}

void tst_Entry::valueFieldsTakeDigitsBlanksAndBackspace()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    for (QLineEdit *f : fields()) {
        f->clear();
        // Characters typed one by one, the tab character as text (not the key).
        for (QChar c : typed) {
            if (c == QLatin1Char('\b'))
                QTest::keyClick(f, Qt::Key_Backspace);
            else
                QTest::sendKeyEvent(QTest::Click, f, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        QVERIFY2(f->text() == shown, qPrintable(f->objectName() + QStringLiteral(": ") + f->text()));
    }
}

void tst_Entry::pasteNeverReachesAField_data()
{
    QTest::addColumn<QList<Key>>("keys");
    QTest::newRow("Ctrl+V") << QList<Key>{{Qt::Key_V, Qt::ControlModifier}};
    QTest::newRow("Shift+Insert") << QList<Key>{{Qt::Key_Insert, Qt::ShiftModifier}};
    QTest::newRow("Enter") << QList<Key>{{Qt::Key_Return}, {Qt::Key_Enter}};
    QTest::newRow("Ctrl+A then Ctrl+Z") << QList<Key>{{Qt::Key_A, Qt::ControlModifier},
                                                      {Qt::Key_Z, Qt::ControlModifier}};
}

void tst_Entry::pasteNeverReachesAField()
{
    QFETCH(QList<Key>, keys);
    QApplication::clipboard()->setText(QStringLiteral("-12,5abc"));
    for (QLineEdit *f : fields() + QList<QLineEdit *>{date()}) {
        f->setText(QStringLiteral("77"));
        f->setCursorPosition(2);
        for (const Key &k : keys)
            QTest::keyClick(f, k.key, k.modifiers);
        QVERIFY2(f->text() == QLatin1String("77"), qPrintable(f->objectName() + QStringLiteral(": ") + f->text()));
        // Neither the context menu nor dropping text can bring it in.
        QCOMPARE(f->contextMenuPolicy(), Qt::NoContextMenu);
        QVERIFY(!f->acceptDrops());
    }
}

void tst_Entry::movingIntoAFieldEmptiesIt_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("emptied");
    QTest::newRow("tab") << int(Qt::TabFocusReason) << true;
    QTest::newRow("back tab") << int(Qt::BacktabFocusReason) << true;
    QTest::newRow("mouse") << int(Qt::MouseFocusReason) << true;
    QTest::newRow("shortcut") << int(Qt::ShortcutFocusReason) << true;
    QTest::newRow("window activated again") << int(Qt::ActiveWindowFocusReason) << false;
    QTest::newRow("popup closed") << int(Qt::PopupFocusReason) << false;
}

void tst_Entry::movingIntoAFieldEmptiesIt()
{
    QFETCH(int, reason);
    QFETCH(bool, emptied);
    for (QLineEdit *f : fields()) {
        f->setText(QStringLiteral("512"));
        QFocusEvent in(QEvent::FocusIn, Qt::FocusReason(reason));
        QApplication::sendEvent(f, &in);
        QCOMPARE(f->text(), emptied ? QString() : QStringLiteral("512"));
    }
    // The real thing: tabbing from one field into the next.
    QLineEdit *first = m_win->w->valueField(Quantity::W5, kSegments[0]);
    first->setFocus(Qt::OtherFocusReason);
    QWidget *next = first->nextInFocusChain();
    while (!qobject_cast<QLineEdit *>(next) || !next->isVisible())
        next = next->nextInFocusChain();
    auto *nextField = static_cast<QLineEdit *>(next);
    if (fields().contains(nextField)) {
        nextField->setText(QStringLiteral("512"));
        QTest::keyClick(first, Qt::Key_Tab);
        QVERIFY(nextField->hasFocus());
        QCOMPARE(nextField->text(), QString());
    }
    // The date field is not emptied on focus.
    date()->setText(QStringLiteral("01.12.2026"));
    QTest::mouseClick(date(), Qt::LeftButton);
    QVERIFY(date()->hasFocus());
    QCOMPARE(date()->text(), QStringLiteral("01.12.2026"));
}

void tst_Entry::dateFieldKeys_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("date") << "24.12.2025"
                          << "24.12.2025";
    QTest::newRow("slashes and minus") << "24/12-2025"
                                       << "24122025";
    QTest::newRow("letters") << "1.Mai.2025"
                             << "1..2025";
    QTest::newRow("comma") << "1,2"
                           << "12";
    QTest::newRow("blank and backspace") << "1 2\b3"
                                         << "1 3";
}

void tst_Entry::dateFieldKeys()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QLineEdit *d = date();
    d->clear();
    for (QChar c : typed) {
        if (c == QLatin1Char('\b'))
            QTest::keyClick(d, Qt::Key_Backspace);
        else
            QTest::sendKeyEvent(QTest::Click, d, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QCOMPARE(d->text(), shown);
}

void tst_Entry::dateCheckOnLeaving_data()
{
    // The fixed clock says 06.12.2026.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("message");
    QTest::newRow("31.02.2010") << "31.02.2010"
                                << "06.12.2026" << true;
    QTest::newRow("empty") << ""
                           << "06.12.2026" << true;
    QTest::newRow("day only") << "12"
                              << "06.12.2026" << true;
    QTest::newRow("month 13") << "01.13.2020"
                              << "06.12.2026" << true;
    QTest::newRow("29 February of a leap year") << "29.02.2024"
                                                << "29.02.2024" << false;
    QTest::newRow("29 February otherwise") << "29.02.2025"
                                           << "06.12.2026" << true;
    QTest::newRow("tomorrow") << "07.12.2026"
                              << "06.12.2026" << false;
    QTest::newRow("far future") << "01.01.2099"
                                << "06.12.2026" << false;
    QTest::newRow("today") << "06.12.2026"
                           << "06.12.2026" << false;
    QTest::newRow("yesterday") << "05.12.2026"
                               << "05.12.2026" << false;
    QTest::newRow("short form in the past") << "1.2.10"
                                            << "1.2.10" << false;
}

void tst_Entry::dateCheckOnLeaving()
{
    QFETCH(QString, text);
    QFETCH(QString, after);
    QFETCH(bool, message);
    QLineEdit *d = date();
    d->setFocus(Qt::MouseFocusReason);
    QVERIFY(d->hasFocus());
    d->setText(text);
    m_win->bed.messages.clear();
    // Leaving with Tab, as the operator does.
    QTest::keyClick(d, Qt::Key_Tab);
    QVERIFY(!d->hasFocus());
    QCOMPARE(d->text(), after);
    if (message) {
        QCOMPARE(m_win->bed.messages.texts(), QStringList{kInvalidDate});
        QCOMPARE(m_win->bed.messages.last().icon, MsgIcon::Stop);
    } else {
        QCOMPARE(m_win->bed.messages.texts(), QStringList());
    }
}

void tst_Entry::dateNotCheckedWhenOnlyTheWindowChanges()
{
    QLineEdit *d = date();
    d->setFocus(Qt::MouseFocusReason);
    d->setText(QStringLiteral("31.02"));
    m_win->bed.messages.clear();
    // Another window comes to the front (a message box, another program): no check, the
    // operator is still typing.
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(d, &out);
    QCOMPARE(m_win->bed.messages.count(), 0);
    QCOMPARE(d->text(), QStringLiteral("31.02"));
}

QTEST_MAIN(tst_Entry)
#include "tst_entry.moc"
