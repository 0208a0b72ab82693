#pragma once

#include <functional>
#include <QObject>

class QLineEdit;
class QKeyEvent;

namespace kavio {

// Characters a value field takes from the keyboard: digits, backspace and the blank.
bool isValueFieldChar(QChar c);
// Characters the date field takes: digits, backspace, the blank and the full stop.
bool isDateFieldChar(QChar c);

// Decides whether a key press may reach a field whose typed characters are limited by
// `allowed`. Keys that type nothing (arrows, Tab, Delete, Home, End) pass; paste in any
// form and every other character (letters, signs, Enter, control characters) does not.
bool keyPassesFilter(const QKeyEvent &event, bool (*allowed)(QChar));

// A value field: emptied when the operator moves into it (Tab, click, shortcut, not when
// the window is merely activated again), and typed characters limited to digits, the
// blank and backspace. Paste through the context menu, drag and drop and input methods
// are switched off, so nothing else reaches the field from the keyboard or the mouse.
class ValueFieldFilter : public QObject {
    Q_OBJECT
public:
    explicit ValueFieldFilter(QLineEdit *field);
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// The date field: typed characters limited to digits, blank, backspace and the full
// stop; `leave` runs when the operator moves the focus elsewhere in the window.
class DateFieldFilter : public QObject {
    Q_OBJECT
public:
    DateFieldFilter(QLineEdit *field, std::function<void()> leave);
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_leave;
    bool m_checking = false; // a message shown by the check takes the focus away again
};

} // namespace kavio
