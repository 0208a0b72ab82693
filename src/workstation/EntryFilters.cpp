#include "workstation/EntryFilters.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMouseEvent>

namespace kavio {

bool isValueFieldChar(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char(' ') || c == QLatin1Char('\b');
}

bool isDateFieldChar(QChar c)
{
    return isValueFieldChar(c) || c == QLatin1Char('.');
}

bool keyPassesFilter(const QKeyEvent &event, bool (*allowed)(QChar))
{
    if (event.matches(QKeySequence::Paste))
        return false;
    // Ctrl/Alt combinations are the field's own shortcuts (paste, undo, ...); none of
    // them types an allowed character.
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    // Backspace arrives with or without its control character depending on the platform;
    // Tab carries one too, and must still move the focus on.
    if (event.key() == Qt::Key_Backspace || event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab)
        return true;
    const QString text = event.text();
    // Keys that type nothing move the cursor or the focus (arrows, Tab, Delete, Home).
    if (text.isEmpty())
        return true;
    for (QChar c : text)
        if (!allowed(c))
            return false;
    return true;
}

static bool movesInto(const QFocusEvent &e)
{
    // Coming back from a message box or another program is not the operator moving
    // into the field; emptying it then would lose a value.
    return e.reason() != Qt::ActiveWindowFocusReason && e.reason() != Qt::PopupFocusReason;
}

// On X11 the middle button pastes the selection, past any key filter.
static bool isMiddleButton(const QEvent *event)
{
    return (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) &&
           static_cast<const QMouseEvent *>(event)->button() == Qt::MiddleButton;
}

static void seal(QLineEdit *field, QObject *filter)
{
    field->setContextMenuPolicy(Qt::NoContextMenu);
    field->setAcceptDrops(false);
    field->setAttribute(Qt::WA_InputMethodEnabled, false);
    field->installEventFilter(filter);
}

ValueFieldFilter::ValueFieldFilter(QLineEdit *field) : QObject(field)
{
    seal(field, this);
}

bool ValueFieldFilter::eventFilter(QObject *watched, QEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(watched);
    if (!field)
        return false;
    if (isMiddleButton(event))
        return true;
    switch (event->type()) {
    case QEvent::FocusIn:
        if (movesInto(*static_cast<QFocusEvent *>(event)))
            field->clear();
        return false;
    case QEvent::KeyPress:
        return !keyPassesFilter(*static_cast<QKeyEvent *>(event), isValueFieldChar);
    default:
        return false;
    }
}

DateFieldFilter::DateFieldFilter(QLineEdit *field, std::function<void()> leave)
    : QObject(field), m_leave(std::move(leave))
{
    seal(field, this);
}

bool DateFieldFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (!qobject_cast<QLineEdit *>(watched))
        return false;
    if (isMiddleButton(event))
        return true;
    switch (event->type()) {
    case QEvent::FocusOut:
        if (m_leave && !m_checking && movesInto(*static_cast<QFocusEvent *>(event))) {
            m_checking = true;
            m_leave();
            m_checking = false;
        }
        return false;
    case QEvent::KeyPress:
        return !keyPassesFilter(*static_cast<QKeyEvent *>(event), isDateFieldChar);
    default:
        return false;
    }
}

} // namespace kavio
