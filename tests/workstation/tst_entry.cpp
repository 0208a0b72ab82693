// Manual entry: what the keyboard and the mouse can put into the 24 value fields and the
// date field, the emptying on focus, and the date check on leaving the date field.
#include "WindowDriver.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QtTest>

using namespace kavio;
using namespace kavio::test;

class tst_Entry : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_win.reset(); }
    void typedCharacters_data();
    void typedCharacters();
    void pasteNeverReachesAField();
    void movingIntoAFieldEmptiesItAndLeavingChecksTheDate_data();
    void movingIntoAFieldEmptiesItAndLeavingChecksTheDate();
    void dateCheckOnLeaving_data();
    void dateCheckOnLeaving();

private:
    QList<QLineEdit *> fields() const { return {m_win->w->valueFields.begin(), m_win->w->valueFields.end()}; }
    QLineEdit *date() const { return control<QLineEdit>(*m_win->w, QStringLiteral("txtTestDatum")); }
    std::unique_ptr<Window> m_win;
};

void tst_Entry::init()
{
    m_win = std::make_unique<Window>();
    m_win->open();
    m_win->w->LeereAlleFelder(); // every value field visible, as after a new measurement
    m_win->w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_win->w.get()));
}

void tst_Entry::typedCharacters_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("value"); // what a value field shows
    QTest::addColumn<QString>("date");  // what the date field shows
    for (const auto &[tag, typed, value, date] :
         {std::array<const char *, 4>{"digits", "0123456789", "0123456789", "0123456789"},
          {"letters, umlauts, signs", "a1-bä2,Zß+e/%3", "123", "123"},
          {"full stop", "4.5", "45", "4.5"},
          {"blank and backspace", "5 12\b\b7", "5 7", "5 7"},
          {"tab character", "1\t2", "12", "12"}})
        QTest::newRow(tag) << QString(typed) << QString(value) << QString(date);
}

void tst_Entry::typedCharacters()
{
    QFETCH(QString, typed);
    QFETCH(QString, value);
    QFETCH(QString, date);
    for (QLineEdit *f : fields() + QList<QLineEdit *>{this->date()}) {
        f->clear();
        for (QChar c : typed) { // the tab character as text, not the key
            if (c == QLatin1Char('\b'))
                QTest::keyClick(f, Qt::Key_Backspace);
            else
                QTest::sendKeyEvent(QTest::Click, f, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        QVERIFY2(f->text() == (f == this->date() ? date : value), qPrintable(f->objectName() + ": " + f->text()));
    }
}

void tst_Entry::pasteNeverReachesAField()
{
    QApplication::clipboard()->setText(QStringLiteral("-12,5abc"));
    // Select all first: a paste or undo getting through would then replace the text.
    const QKeyCombination keys[] = {Qt::CTRL | Qt::Key_A, Qt::CTRL | Qt::Key_V, Qt::SHIFT | Qt::Key_Insert,
                                    Qt::Key_Return,       Qt::Key_Enter,        Qt::CTRL | Qt::Key_Z};
    for (QLineEdit *f : fields() + QList<QLineEdit *>{date()}) {
        f->setText(QStringLiteral("77"));
        f->selectAll();
        for (QKeyCombination k : keys)
            QTest::keyClick(f, k.key(), k.keyboardModifiers());
        QVERIFY2(f->text() == QLatin1String("77"), qPrintable(f->objectName() + ": " + f->text()));
        // Neither the context menu nor dropping text can bring it in.
        QCOMPARE(f->contextMenuPolicy(), Qt::NoContextMenu);
        QVERIFY(!f->acceptDrops());
    }
}

void tst_Entry::movingIntoAFieldEmptiesItAndLeavingChecksTheDate_data()
{
    QTest::addColumn<Qt::FocusReason>("reason");
    QTest::addColumn<bool>("moved"); // the operator moved; else a message box or popup went away
    QTest::newRow("tab") << Qt::TabFocusReason << true;
    QTest::newRow("back tab") << Qt::BacktabFocusReason << true;
    QTest::newRow("mouse") << Qt::MouseFocusReason << true;
    QTest::newRow("shortcut") << Qt::ShortcutFocusReason << true;
    QTest::newRow("window activated again") << Qt::ActiveWindowFocusReason << false;
    QTest::newRow("popup closed") << Qt::PopupFocusReason << false;
}

void tst_Entry::movingIntoAFieldEmptiesItAndLeavingChecksTheDate()
{
    QFETCH(Qt::FocusReason, reason);
    QFETCH(bool, moved);
    QFocusEvent in(QEvent::FocusIn, reason), out(QEvent::FocusOut, reason);
    for (QLineEdit *f : fields()) {
        f->setText(QStringLiteral("512"));
        QApplication::sendEvent(f, &in);
        QCOMPARE(f->text(), moved ? QString() : QStringLiteral("512"));
    }
    // The date field is never emptied; it is checked only when the operator leaves it.
    date()->setText(QStringLiteral("31.02"));
    QApplication::sendEvent(date(), &in);
    QCOMPARE(date()->text(), QStringLiteral("31.02"));
    QApplication::sendEvent(date(), &out);
    QCOMPARE(m_win->bed.messages.count(), moved ? 1 : 0);
    QCOMPARE(date()->text(), moved ? QStringLiteral("06.12.2026") : QStringLiteral("31.02"));

    // The real key: Tab passes the filter and empties the value field it moves into.
    QLineEdit *first = fields().first();
    first->setFocus(Qt::MouseFocusReason);
    for (QLineEdit *f : fields())
        f->setText(QStringLiteral("512"));
    QTest::keyClick(first, Qt::Key_Tab);
    auto *next = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(next != first && fields().contains(next));
    QCOMPARE(next->text(), QString());
}

void tst_Entry::dateCheckOnLeaving_data()
{
    // The fixed clock says 06.12.2026.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("message");
    QTest::newRow("31.02.2010") << "31.02.2010" << QStringLiteral("06.12.2026") << true;
    QTest::newRow("empty") << "" << QStringLiteral("06.12.2026") << true;
    QTest::newRow("29 February of a leap year") << "29.02.2024" << QStringLiteral("29.02.2024") << false;
    QTest::newRow("29 February otherwise") << "29.02.2025" << QStringLiteral("06.12.2026") << true;
    QTest::newRow("tomorrow") << "07.12.2026" << QStringLiteral("06.12.2026") << false;
    QTest::newRow("yesterday") << "05.12.2026" << QStringLiteral("05.12.2026") << false;
    QTest::newRow("short form in the past") << "1.2.10" << QStringLiteral("1.2.10") << false;
}

void tst_Entry::dateCheckOnLeaving()
{
    QFETCH(QString, text);
    QFETCH(QString, after);
    QFETCH(bool, message);
    QLineEdit *d = date();
    d->setFocus(Qt::MouseFocusReason);
    d->setText(text);
    QTest::keyClick(d, Qt::Key_Tab); // leaving as the operator does: Tab passes the filter
    QVERIFY(!d->hasFocus());
    QCOMPARE(d->text(), after);
    QCOMPARE(m_win->bed.messages.texts(),
             message ? QStringList{"Bitte geben Sie ein gültiges Datum ein!"} : QStringList());
    if (message)
        QCOMPARE(m_win->bed.messages.last().icon, MsgIcon::Stop);
}

QTEST_MAIN(tst_Entry)
#include "tst_entry.moc"
